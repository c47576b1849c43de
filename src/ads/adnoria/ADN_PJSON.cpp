#include <ads/adnoria/ADN_PJSON.hpp>

#include <base/Decimal.hpp>
#include <foundation/Strings.hpp>

#include <algorithm>
#include <cstdio>

namespace ads::adnoria {

namespace {

std::shared_ptr<ADN_PJSONError> makeError(
    int code, std::string message, std::shared_ptr<ADN_PJSONError> underlying = nullptr) {
    auto error = std::make_shared<ADN_PJSONError>();
    error->code = code;
    error->localizedDescription = std::move(message);
    error->underlyingError = std::move(underlying);
    return error;
}

std::string hexByte(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isStopByte(char c) {
    auto byte = static_cast<unsigned char>(c);
    return c == '"' || c == '\\' || byte < 32;
}

}

unsigned ADN_PJSON::depthLimit() const {
    return maxDepth_ == 0 || maxDepth_ > HardMaximumDepth ? HardMaximumDepth : maxDepth_;
}

base::Value ADN_PJSON::objectWithString(
    std::optional<std::string_view> text, ADN_PJSONError* error) {
    return read(text, false, error);
}

base::Value ADN_PJSON::fragmentWithString(
    std::optional<std::string_view> text, ADN_PJSONError* error) {
    return read(text, true, error);
}

std::optional<std::string> ADN_PJSON::stringWithObject(
    base::Value const& value, ADN_PJSONError* error) {
    return write(value, false, error);
}

std::optional<std::string> ADN_PJSON::stringWithFragment(
    base::Value const& value, ADN_PJSONError* error) {
    return write(value, true, error);
}

base::Value ADN_PJSON::read(
    std::optional<std::string_view> text, bool allowScalar, ADN_PJSONError* error) {
    ErrorPtr failure;
    base::Value result;
    if (!text) {
        failure = makeError(12, "Input was 'nil'");
    } else {
        depth_ = 0;
        c_ = text->data();
        end_ = text->data() + text->size();
        if (scanValue(result, failure)) {
            skipWhitespace();
            if (!atEnd())
                failure = makeError(10, "Garbage after JSON");
            else if (!allowScalar && !result.isArray() && !result.isDictionary())
                failure = makeError(4, "Valid fragment, but not JSON");
        }
    }
    c_ = end_ = nullptr;
    if (failure) {
        if (error)
            *error = *failure;
        return {};
    }
    return result;
}

void ADN_PJSON::skipWhitespace() {
    while (!atEnd() && isSpace(*c_))
        ++c_;
}

bool ADN_PJSON::scanValue(base::Value& out, ErrorPtr& error) {
    skipWhitespace();
    if (atEnd()) {
        error = makeError(11, "Unexpected end of string");
        return false;
    }
    char ch = *c_;
    auto literal = [&](std::string_view rest, base::Value value, char const* message) {
        ++c_;
        if (std::size_t(end_ - c_) < rest.size() || std::string_view(c_, rest.size()) != rest) {
            error = makeError(3, message);
            return false;
        }
        c_ += rest.size();
        out = std::move(value);
        return true;
    };
    switch (ch) {
    case '"': {
        ++c_;
        std::string text;
        if (!scanRestOfString(text, error))
            return false;
        out = base::Value(std::move(text));
        return true;
    }
    case '+':
        error = makeError(2, "Leading + disallowed in number");
        return false;
    case '[':
        ++c_;
        return scanArray(out, error);
    case '{':
        ++c_;
        return scanDictionary(out, error);
    case 't':
        return literal("rue", base::Value(true), "Expected 'true'");
    case 'f':
        return literal("alse", base::Value(false), "Expected 'false'");
    case 'n':
        return literal("ull", base::Value::nullObject(), "Expected 'null'");
    default:
        if (ch == '-' || isDigit(ch))
            return scanNumber(out, error);
        error = makeError(3, "Unrecognised leading character");
        return false;
    }
}

bool ADN_PJSON::scanDictionary(base::Value& out, ErrorPtr& error) {
    if (++depth_ > depthLimit()) {
        error = makeError(7, "Nested too deep");
        return false;
    }
    auto dictionary = base::Dictionary::create();
    for (;;) {
        if (atEnd()) {
            error = makeError(11, "End of input while parsing object");
            return false;
        }
        skipWhitespace();
        if (!atEnd() && *c_ == '}') {
            ++c_;
            --depth_;
            out = base::Value(dictionary);
            return true;
        }
        std::string key;
        if (atEnd() || *c_ != '"') {
            error = makeError(3, "Object key string expected");
            return false;
        }
        ++c_;
        if (!scanRestOfString(key, error)) {
            error = makeError(3, "Object key string expected", error);
            return false;
        }
        skipWhitespace();
        if (atEnd() || *c_ != ':') {
            error = makeError(3, "Expected ':' separating key and value");
            return false;
        }
        ++c_;
        base::Value value;
        if (!scanValue(value, error)) {
            error = makeError(3, "Object value expected for key: " + key, error);
            return false;
        }
        dictionary->setObject(key, std::move(value));
        skipWhitespace();
        if (!atEnd() && *c_ == ',') {
            ++c_;
            skipWhitespace();
            if (!atEnd() && *c_ == '}') {
                error = makeError(9, "Trailing comma disallowed in object");
                return false;
            }
        }
    }
}

bool ADN_PJSON::scanArray(base::Value& out, ErrorPtr& error) {
    if (++depth_ > depthLimit()) {
        error = makeError(7, "Nested too deep");
        return false;
    }
    auto array = base::Array::create();
    for (;;) {
        if (atEnd()) {
            error = makeError(11, "End of input while parsing array");
            return false;
        }
        skipWhitespace();
        if (!atEnd() && *c_ == ']') {
            ++c_;
            --depth_;
            out = base::Value(array);
            return true;
        }
        base::Value value;
        if (!scanValue(value, error)) {
            error = makeError(3, "Expected value while parsing array", error);
            return false;
        }
        array->add(std::move(value));
        skipWhitespace();
        if (!atEnd() && *c_ == ',') {
            ++c_;
            skipWhitespace();
            if (!atEnd() && *c_ == ']') {
                error = makeError(9, "Trailing comma disallowed in array");
                return false;
            }
        }
    }
}

bool ADN_PJSON::scanRestOfString(std::string& out, ErrorPtr& error) {
    for (;;) {
        char const* run = c_;
        while (c_ < end_ && !isStopByte(*c_))
            ++c_;
        out.append(run, std::size_t(c_ - run));
        if (atEnd()) {
            error = makeError(5, "Unescaped control character '0x0'");
            return false;
        }
        char ch = *c_;
        if (ch == '"') {
            ++c_;
            return true;
        }
        if (ch != '\\') {
            error = makeError(
                5, "Unescaped control character '" + hexByte(static_cast<unsigned char>(ch)) + "'");
            return false;
        }
        ++c_;
        char escape = atEnd() ? '\0' : *c_;
        switch (escape) {
        case '"':
        case '/':
        case '\\':
            out.push_back(escape);
            ++c_;
            break;
        case 'b':
            out.push_back('\b');
            ++c_;
            break;
        case 'f':
            out.push_back('\f');
            ++c_;
            break;
        case 'n':
            out.push_back('\n');
            ++c_;
            break;
        case 'r':
            out.push_back('\r');
            ++c_;
            break;
        case 't':
            out.push_back('\t');
            ++c_;
            break;
        case 'u': {
            ++c_;
            char32_t character = 0;
            if (!scanUnicodeChar(character, error)) {
                error = makeError(6, "Broken unicode character", error);
                return false;
            }
            foundation::appendUtf8(out, character);
            break;
        }
        default:
            error = makeError(
                8, "Illegal escape sequence '" + hexByte(static_cast<unsigned char>(escape)) + "'");
            return false;
        }
        if (atEnd()) {
            error = makeError(11, "Unexpected EOF while parsing string");
            return false;
        }
    }
}

bool ADN_PJSON::scanHexQuad(std::uint32_t& out, ErrorPtr& error) {
    if (end_ - c_ < 4) {
        error = makeError(6, "Missing hex quad");
        return false;
    }
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        char ch = *c_++;
        int digit = ch >= '0' && ch <= '9' ? ch - '0'
            : ch >= 'a' && ch <= 'f'       ? ch - 'a' + 10
            : ch >= 'A' && ch <= 'F'       ? ch - 'A' + 10
                                           : -1;
        if (digit < 0) {
            error = makeError(6, "Missing hex digit in quad");
            return false;
        }
        value = value * 16 + std::uint32_t(digit);
    }
    out = value;
    return true;
}

bool ADN_PJSON::scanUnicodeChar(char32_t& out, ErrorPtr& error) {
    std::uint32_t high = 0;
    if (!scanHexQuad(high, error))
        return false;
    if (high < 0xD800 || high > 0xDFFF) {
        out = high;
        return true;
    }
    if (high >= 0xDC00) {
        error = makeError(6, "Invalid high character in surrogate pair");
        return false;
    }
    if (end_ - c_ < 2 || c_[0] != '\\' || c_[1] != 'u') {
        error = makeError(6, "Missing low character in surrogate pair");
        return false;
    }
    c_ += 2;
    std::uint32_t low = 0;
    if (!scanHexQuad(low, error)) {
        error = makeError(6, "Missing low character in surrogate pair", error);
        return false;
    }
    if (low < 0xDC00 || low > 0xDFFF) {
        error = makeError(6, "Invalid low surrogate char");
        return false;
    }
    out = foundation::combineSurrogates(high, low);
    return true;
}

bool ADN_PJSON::scanNumber(base::Value& out, ErrorPtr& error) {
    char const* start = c_;
    if (*c_ == '-')
        ++c_;
    if (!atEnd() && *c_ == '0') {
        ++c_;
        if (!atEnd() && isDigit(*c_)) {
            error = makeError(2, "Leading 0 disallowed in number");
            return false;
        }
    } else if (!atEnd() && isDigit(*c_)) {
        while (!atEnd() && isDigit(*c_))
            ++c_;
    } else {
        error = makeError(2, "No digits after initial minus");
        return false;
    }
    if (!atEnd() && *c_ == '.') {
        ++c_;
        if (atEnd() || !isDigit(*c_)) {
            error = makeError(2, "No digits after decimal point");
            return false;
        }
        while (!atEnd() && isDigit(*c_))
            ++c_;
    }
    if (!atEnd() && (*c_ == 'e' || *c_ == 'E')) {
        ++c_;
        if (!atEnd() && (*c_ == '+' || *c_ == '-'))
            ++c_;
        if (atEnd() || !isDigit(*c_)) {
            error = makeError(2, "No digits after exponent");
            return false;
        }
        while (!atEnd() && isDigit(*c_))
            ++c_;
    }
    auto decimal = base::Decimal::fromString(std::string_view(start, std::size_t(c_ - start)));
    if (decimal.isNaN()) {
        error = makeError(2, "Failed creating decimal instance");
        return false;
    }
    out = base::Value(decimal);
    return true;
}

std::optional<std::string> ADN_PJSON::write(
    base::Value const& value, bool allowScalar, ADN_PJSONError* error) {
    depth_ = 0;
    ErrorPtr failure;
    std::string out;
    out.reserve(128);
    if (!allowScalar && !value.isArray() && !value.isDictionary())
        failure = makeError(4, "Not valid type for JSON");
    else
        writeValue(value, out, failure);
    if (failure) {
        if (error)
            *error = *failure;
        return std::nullopt;
    }
    return out;
}

void ADN_PJSON::indent(std::string& out) const {
    out.push_back('\n');
    out.append(std::size_t(depth_) * 2, ' ');
}

bool ADN_PJSON::writeValue(base::Value const& value, std::string& out, ErrorPtr& error) {
    if (auto* dictionary = value.dictionary()) {
        if (depth_ >= HardMaximumDepth) {
            error = makeError(7, "Nested too deep");
            return false;
        }
        out.push_back('{');
        ++depth_;
        auto keys = dictionary->keys();
        if (sortKeys_)
            std::sort(keys.begin(), keys.end(), [](std::string const& a, std::string const& b) {
                return foundation::compare(a, b) < 0;
            });
        bool first = true;
        for (auto const& key : keys) {
            if (!first)
                out.push_back(',');
            first = false;
            if (humanReadable_)
                indent(out);
            writeString(key, out);
            out += humanReadable_ ? " : " : ":";
            if (!writeValue(dictionary->objectForKey(key), out, error)) {
                error = makeError(1, "Unsupported value for key " + key + " in object", error);
                return false;
            }
        }
        --depth_;
        if (humanReadable_ && !keys.empty())
            indent(out);
        out.push_back('}');
        return true;
    }
    if (auto* array = value.array()) {
        if (depth_ >= HardMaximumDepth) {
            error = makeError(7, "Nested too deep");
            return false;
        }
        out.push_back('[');
        ++depth_;
        bool first = true;
        for (auto const& element : *array) {
            if (!first)
                out.push_back(',');
            first = false;
            if (humanReadable_)
                indent(out);
            if (!writeValue(element, out, error))
                return false;
        }
        --depth_;
        if (humanReadable_ && !array->empty())
            indent(out);
        out.push_back(']');
        return true;
    }
    if (auto* text = value.string()) {
        writeString(*text, out);
        return true;
    }
    if (value.isBoolean()) {
        out += value.boolValue() ? "true" : "false";
        return true;
    }
    if (value.isNumber()) {
        out += value.stringValue();
        return true;
    }
    if (value.isNullObject()) {
        out += "null";
        return true;
    }
    if (value.isNil()) {
        error = makeError(1, "JSON serialisation not supported for (null)");
        return false;
    }
    // Dates and data are written as their description.
    writeString(value.description(), out);
    return true;
}

void ADN_PJSON::writeString(std::string_view text, std::string& out) {
    out.push_back('"');
    bool plain = std::none_of(text.begin(), text.end(),
        [](char ch) { return ch == '"' || ch == '\\' || static_cast<unsigned char>(ch) < 32; });
    if (plain) {
        out.append(text);
    } else {
        for (char ch : text) {
            switch (ch) {
            case '\b':
                out += "\\b";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            default:
                if (static_cast<unsigned char>(ch) < 32) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x",
                        unsigned(static_cast<unsigned char>(ch)));
                    out += escaped;
                } else {
                    out.push_back(ch);
                }
            }
        }
    }
    out.push_back('"');
}

std::optional<std::string> ADNMacros::jsonify(base::Value const& value) {
    if (value.isNil())
        return std::nullopt;
    auto writer = ADN_PJSON::create();
    auto text = writer->stringWithObject(value);
    return text ? *text : std::string();
}

}
