#include <toolkit/json/PJsonParser.hpp>

#include <foundation/Strings.hpp>

#include <cstdio>
#include <cstring>

namespace toolkit::json {

namespace {

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string hexMessage(char const* format, unsigned value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}

base::Value PJsonParser::objectWithString(std::optional<std::string_view> text) {
    base::Value value = fragmentWithString(text);
    if (value.isNil())
        return {};
    if (!value.isArray() && !value.isDictionary()) {
        addErrorWithCode(4, "Valid fragment, but not JSON");
        return {};
    }
    return value;
}

base::Value PJsonParser::fragmentWithString(std::optional<std::string_view> text) {
    clearErrorTrace();
    if (!text) {
        addErrorWithCode(12, "Input was 'nil'");
        return {};
    }
    depth_ = 0;
    std::string_view input = *text;
    if (auto nul = input.find('\0'); nul != std::string_view::npos)
        input = input.substr(0, nul);
    at_ = input.data();
    end_ = input.data() + input.size();
    base::Value value;
    if (!scanValue(value))
        return {};
    skipWhitespace();
    if (!atEnd()) {
        addErrorWithCode(10, "Garbage after JSON");
        return {};
    }
    return value;
}

void PJsonParser::skipWhitespace() {
    while (at_ < end_ && isSpace(*at_))
        ++at_;
}

bool PJsonParser::scanValue(base::Value& value) {
    skipWhitespace();
    if (atEnd()) {
        addErrorWithCode(11, "Unexpected end of string");
        return false;
    }
    switch (*at_) {
    case '"': {
        ++at_;
        std::string text;
        if (!scanString(text))
            return false;
        value = base::Value(std::move(text));
        return true;
    }
    case '{':
        ++at_;
        return scanDictionary(value);
    case '[':
        ++at_;
        return scanArray(value);
    case 't':
        return scanLiteral("rue", base::Value(true), "Expected 'true'", value);
    case 'f':
        return scanLiteral("alse", base::Value(false), "Expected 'false'", value);
    case 'n':
        return scanLiteral("ull", base::Value::nullObject(), "Expected 'null'", value);
    case '+':
        addErrorWithCode(2, "Leading + disallowed in number");
        return false;
    default:
        if (*at_ == '-' || isDigit(*at_))
            return scanNumber(value);
        addErrorWithCode(3, "Unrecognised leading character");
        return false;
    }
}

bool PJsonParser::scanLiteral(
    char const* rest, base::Value literal, char const* message, base::Value& out) {
    ++at_;
    std::size_t length = std::strlen(rest);
    if (std::size_t(end_ - at_) < length || std::memcmp(at_, rest, length) != 0) {
        addErrorWithCode(3, message);
        return false;
    }
    at_ += length;
    out = std::move(literal);
    return true;
}

bool PJsonParser::scanArray(base::Value& value) {
    if (!enterCollection())
        return false;
    auto array = base::Array::create();
    for (;;) {
        if (atEnd()) {
            addErrorWithCode(11, "End of input while parsing array");
            return false;
        }
        skipWhitespace();
        if (!atEnd() && *at_ == ']') {
            ++at_;
            leaveCollection();
            value = base::Value(std::move(array));
            return true;
        }
        base::Value element;
        if (!scanValue(element)) {
            addErrorWithCode(3, "Expected value while parsing array");
            return false;
        }
        array->add(std::move(element));
        skipWhitespace();
        if (!atEnd() && *at_ == ',') {
            ++at_;
            skipWhitespace();
            if (!atEnd() && *at_ == ']') {
                addErrorWithCode(9, "Trailing comma disallowed in array");
                return false;
            }
        }
    }
}

bool PJsonParser::scanDictionary(base::Value& value) {
    if (!enterCollection())
        return false;
    auto dictionary = base::Dictionary::create();
    for (;;) {
        if (atEnd()) {
            addErrorWithCode(11, "End of input while parsing object");
            return false;
        }
        skipWhitespace();
        if (!atEnd() && *at_ == '}') {
            ++at_;
            leaveCollection();
            value = base::Value(std::move(dictionary));
            return true;
        }
        std::string key;
        if (atEnd() || *at_ != '"') {
            addErrorWithCode(3, "Object key string expected");
            return false;
        }
        ++at_;
        if (!scanString(key)) {
            addErrorWithCode(3, "Object key string expected");
            return false;
        }
        skipWhitespace();
        if (atEnd() || *at_ != ':') {
            addErrorWithCode(3, "Expected ':' separating key and value");
            return false;
        }
        ++at_;
        base::Value member;
        if (!scanValue(member)) {
            addErrorWithCode(3, "Object value expected for key: " + key);
            return false;
        }
        dictionary->setObject(key, std::move(member));
        skipWhitespace();
        if (!atEnd() && *at_ == ',') {
            ++at_;
            skipWhitespace();
            if (!atEnd() && *at_ == '}') {
                addErrorWithCode(9, "Trailing comma disallowed in object");
                return false;
            }
        }
    }
}

bool PJsonParser::scanString(std::string& text) {
    for (;;) {
        char const* run = at_;
        while (at_ < end_ && *at_ != '"' && *at_ != '\\' && std::uint8_t(*at_) >= 0x20)
            ++at_;
        text.append(run, std::size_t(at_ - run));
        if (atEnd()) {
            addErrorWithCode(5, "Unescaped control character '0x0'");
            return false;
        }
        char c = *at_;
        if (c == '"') {
            ++at_;
            return true;
        }
        if (c != '\\') {
            addErrorWithCode(5, hexMessage("Unescaped control character '0x%x'", std::uint8_t(c)));
            return false;
        }
        ++at_;
        char escape = atEnd() ? '\0' : *at_;
        if (!atEnd())
            ++at_;
        switch (escape) {
        case '"':
        case '/':
        case '\\':
            text += escape;
            break;
        case 'b':
            text += '\b';
            break;
        case 'f':
            text += '\f';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        case 'u':
            if (!scanUnicodeEscape(text)) {
                addErrorWithCode(6, "Broken unicode character");
                return false;
            }
            break;
        default:
            addErrorWithCode(8, hexMessage("Illegal escape sequence '0x%x'", std::uint8_t(escape)));
            return false;
        }
        if (atEnd()) {
            addErrorWithCode(11, "Unexpected EOF while parsing string");
            return false;
        }
    }
}

bool PJsonParser::scanHexQuad(char32_t& unit) {
    unit = 0;
    for (int i = 0; i < 4; ++i) {
        char c = atEnd() ? '\0' : *at_;
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else {
            addErrorWithCode(6, "Missing hex digit in quad");
            addErrorWithCode(6, "Missing hex quad");
            return false;
        }
        unit = unit << 4 | digit;
        ++at_;
    }
    return true;
}

bool PJsonParser::scanUnicodeEscape(std::string& text) {
    char32_t unit;
    if (!scanHexQuad(unit))
        return false;
    if (foundation::isLowSurrogate(unit)) {
        addErrorWithCode(6, "Invalid high character in surrogate pair");
        return false;
    }
    if (foundation::isHighSurrogate(unit)) {
        if (end_ - at_ < 2 || at_[0] != '\\' || at_[1] != 'u') {
            addErrorWithCode(6, "Missing low character in surrogate pair");
            return false;
        }
        at_ += 2;
        char32_t low;
        if (!scanHexQuad(low))
            return false;
        if (!foundation::isLowSurrogate(low)) {
            addErrorWithCode(6, "Invalid low surrogate char");
            return false;
        }
        unit = foundation::combineSurrogates(unit, low);
    }
    foundation::appendUtf8(text, unit);
    return true;
}

bool PJsonParser::scanNumber(base::Value& value) {
    char const* start = at_;
    if (*at_ == '-')
        ++at_;
    if (!atEnd() && *at_ == '0') {
        ++at_;
        if (!atEnd() && isDigit(*at_)) {
            addErrorWithCode(2, "Leading 0 disallowed in number");
            return false;
        }
    } else if (!atEnd() && isDigit(*at_)) {
        while (!atEnd() && isDigit(*at_))
            ++at_;
    } else {
        addErrorWithCode(2, "No digits after initial minus");
        return false;
    }
    if (!atEnd() && *at_ == '.') {
        ++at_;
        if (atEnd() || !isDigit(*at_)) {
            addErrorWithCode(2, "No digits after decimal point");
            return false;
        }
        while (!atEnd() && isDigit(*at_))
            ++at_;
    }
    if (!atEnd() && (*at_ == 'e' || *at_ == 'E')) {
        ++at_;
        if (!atEnd() && (*at_ == '+' || *at_ == '-'))
            ++at_;
        if (atEnd() || !isDigit(*at_)) {
            addErrorWithCode(2, "No digits after exponent");
            return false;
        }
        while (!atEnd() && isDigit(*at_))
            ++at_;
    }
    auto decimal = base::Decimal::fromString(std::string_view(start, std::size_t(at_ - start)));
    if (decimal.isNaN()) {
        addErrorWithCode(2, "Failed creating decimal instance");
        return false;
    }
    value = base::Value(decimal);
    return true;
}

}
