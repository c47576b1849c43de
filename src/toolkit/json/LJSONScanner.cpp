#include <toolkit/json/LJSONScanner.hpp>

#include <foundation/Strings.hpp>

#include <algorithm>
#include <cstring>
#include <optional>

namespace toolkit::json {

namespace {

void appendUtf8(base::Bytes& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(std::uint8_t(c));
    } else if (c < 0x800) {
        out.push_back(std::uint8_t(0xC0 | (c >> 6)));
        out.push_back(std::uint8_t(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(std::uint8_t(0xE0 | (c >> 12)));
        out.push_back(std::uint8_t(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(std::uint8_t(0x80 | (c & 0x3F)));
    } else {
        out.push_back(std::uint8_t(0xF0 | (c >> 18)));
        out.push_back(std::uint8_t(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(std::uint8_t(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(std::uint8_t(0x80 | (c & 0x3F)));
    }
}

void appendUtf8(std::string& out, char32_t c) {
    foundation::appendUtf8(out, c);
}

std::optional<base::Bytes> decodeUtf16(base::Bytes const& data, bool bigEndian) {
    if (data.size() % 2)
        return std::nullopt;
    base::Bytes out;
    out.reserve(data.size());
    auto unit = [&](std::size_t i) {
        return bigEndian ? char32_t(data[i] << 8 | data[i + 1])
                         : char32_t(data[i + 1] << 8 | data[i]);
    };
    for (std::size_t i = 0; i < data.size(); i += 2) {
        char32_t c = unit(i);
        if (foundation::isLowSurrogate(c))
            return std::nullopt;
        if (foundation::isHighSurrogate(c)) {
            if (i + 3 >= data.size() || !foundation::isLowSurrogate(unit(i + 2)))
                return std::nullopt;
            c = foundation::combineSurrogates(c, unit(i + 2));
            i += 2;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::optional<base::Bytes> decodeUtf32(base::Bytes const& data, bool bigEndian) {
    if (data.size() % 4)
        return std::nullopt;
    base::Bytes out;
    out.reserve(data.size());
    for (std::size_t i = 0; i < data.size(); i += 4) {
        char32_t c = bigEndian ? char32_t(data[i]) << 24 | char32_t(data[i + 1]) << 16
                | char32_t(data[i + 2]) << 8 | data[i + 3]
                               : char32_t(data[i + 3]) << 24 | char32_t(data[i + 2]) << 16
                | char32_t(data[i + 1]) << 8 | data[i];
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        appendUtf8(out, c);
    }
    return out;
}

bool isValidUtf8(base::Bytes const& data) {
    // ASCII runs, the common case, are checked eight bytes at a time.
    std::size_t i = 0;
    std::size_t const size = data.size();
    while (i < size) {
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, data.data() + i, 8);
            if (!(word & 0x8080808080808080ull)) {
                i += 8;
                continue;
            }
        }
        if (data[i] < 0x80) {
            ++i;
            continue;
        }
        std::size_t start = i;
        std::string_view rest(
            reinterpret_cast<char const*>(data.data()) + i, std::min<std::size_t>(4, size - i));
        std::size_t position = 0;
        char32_t c = foundation::decodeUtf8(rest, position);
        if (c == 0xFFFD
            && !(position == 3 && data[start] == 0xEF && data[start + 1] == 0xBF
                && data[start + 2] == 0xBD))
            return false;
        i += position;
    }
    return true;
}

std::optional<base::Bytes> decode(base::Bytes const& data, unsigned encoding) {
    switch (encoding) {
    case LJSONUTF8StringEncoding:
        if (isValidUtf8(data))
            return data;
        return std::nullopt;
    case LJSONASCIIStringEncoding:
        for (auto byte : data) {
            if (byte >= 0x80)
                return std::nullopt;
        }
        return data;
    case LJSONISOLatin1StringEncoding: {
        base::Bytes out;
        out.reserve(data.size());
        for (auto byte : data)
            appendUtf8(out, char32_t(byte));
        return out;
    }
    case LJSONUTF16BigEndianStringEncoding:
        return decodeUtf16(data, true);
    case LJSONUTF16LittleEndianStringEncoding:
        return decodeUtf16(data, false);
    case LJSONUTF32BigEndianStringEncoding:
        return decodeUtf32(data, true);
    case LJSONUTF32LittleEndianStringEncoding:
        return decodeUtf32(data, false);
    default:
        return std::nullopt;
    }
}

bool isHexDigit(std::uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hexValue(std::uint8_t c) {
    if (c <= '9')
        return unsigned(c - '0');
    return unsigned((c | 0x20) - 'a' + 10);
}

// The length of the UTF-8 sequence a lead byte starts.
std::size_t sequenceLength(std::uint8_t lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

}

bool LJSONScanner::fail(LJSONError* error, long code, char const* message) {
    if (error) {
        auto info = userInfoForScanLocation();
        info->setObject(LJSONError::NSLocalizedDescriptionKey, base::Value(message));
        *error = LJSONError {kJSONScannerErrorDomain, code, info};
    }
    return false;
}

bool LJSONScanner::setData(base::Bytes data, LJSONError* error) {
    unsigned encoding = LJSONUTF8StringEncoding;
    if (data.size() >= 4) {
        bool z0 = data[0] == 0, z1 = data[1] == 0, z2 = data[2] == 0, z3 = data[3] == 0;
        if (z0 && z1 && z2 && !z3)
            encoding = LJSONUTF32BigEndianStringEncoding;
        else if (z0 && !z1 && z2 && !z3)
            encoding = LJSONUTF16BigEndianStringEncoding;
        else if (!z0 && z1 && z2 && z3)
            encoding = LJSONUTF32LittleEndianStringEncoding;
        else if (!z0 && z1 && !z2 && z3)
            encoding = LJSONUTF16LittleEndianStringEncoding;
    }
    std::optional<base::Bytes> text;
    if (encoding == LJSONUTF8StringEncoding && isValidUtf8(data))
        text = std::move(data);
    else
        text = decode(data, encoding);
    if (!text && allowedEncoding_ != 0)
        text = decode(data, allowedEncoding_);
    if (!text) {
        CDataScanner::setData({});
        return fail(error, -12, "Could not scan data. Data wasn't encoded properly?");
    }
    CDataScanner::setData(std::move(*text));
    depth_ = 0;
    return true;
}

bool LJSONScanner::scanJSONObject(base::Value* object, LJSONError* error) {
    return scanValue(object, error);
}

bool LJSONScanner::scanValue(base::Value* object, LJSONError* error) {
    std::size_t begin = current_;
    skipWhitespace();
    auto c = currentCharacter();
    if (!c)
        return fail(error, -15, "Could not scan object. Character not a valid JSON character.");
    switch (*c) {
    case '{':
        return scanDictionaryFrom(begin, object, error);
    case '[':
        return scanArrayFrom(begin, object, error);
    case '"':
    case '\'': {
        std::string text;
        if (!scanStringFrom(begin, &text, error))
            return false;
        if (object)
            *object = base::Value(std::move(text));
        return true;
    }
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        return scanJSONNumberConstant(object, error);
    case 't':
        if (scanString("true") && object)
            *object = base::Value(true);
        return true;
    case 'f':
        if (scanString("false") && object)
            *object = base::Value(false);
        return true;
    case 'n':
        if (scanString("null") && object)
            *object = nullObject_;
        return true;
    default:
        return fail(error, -15, "Could not scan object. Character not a valid JSON character.");
    }
}

bool LJSONScanner::scanJSONDictionary(base::Value* dictionary, LJSONError* error) {
    return scanDictionaryFrom(current_, dictionary, error);
}

bool LJSONScanner::scanDictionaryFrom(
    std::size_t begin, base::Value* dictionary, LJSONError* error) {
    skipWhitespace();
    if (!scanCharacter('{'))
        return fail(error, -101,
            "Could not scan dictionary. Dictionary that does not start with '{' character.");
    if (depth_ >= LJSONMaximumNestingDepth)
        return fail(error, -16, "Could not scan object. Nested too deep.");
    ++depth_;
    auto failBack = [&](long code, char const* message) {
        current_ = begin;
        --depth_;
        return fail(error, code, message);
    };
    auto result = base::Dictionary::create();
    while (currentCharacter() != '}') {
        skipWhitespace();
        if (currentCharacter() == '}')
            break;
        std::string key;
        if (!scanJSONStringConstant(&key, error))
            return failBack(-102, "Could not scan dictionary. Failed to scan a key.");
        skipWhitespace();
        if (!scanCharacter(':'))
            return failBack(
                -103, "Could not scan dictionary. Key was not terminated with a ':' character.");
        base::Value value;
        if (!scanValue(&value, error))
            return failBack(-104, "Could not scan dictionary. Failed to scan a value.");
        if (!value.isNil())
            result->setObject(key, std::move(value));
        skipWhitespace();
        if (scanCharacter(',')) {
            skipWhitespace();
            if (currentCharacter() == '}')
                break;
        } else if (currentCharacter() != '}') {
            return failBack(-105,
                "Could not scan dictionary. Key value pairs not delimited with a ',' character.");
        }
    }
    if (!scanCharacter('}'))
        return failBack(
            -106, "Could not scan dictionary. Dictionary not terminated by a '}' character.");
    --depth_;
    if (dictionary)
        *dictionary = base::Value(std::move(result));
    return true;
}

bool LJSONScanner::scanJSONArray(base::Value* array, LJSONError* error) {
    return scanArrayFrom(current_, array, error);
}

bool LJSONScanner::scanArrayFrom(std::size_t begin, base::Value* array, LJSONError* error) {
    skipWhitespace();
    if (!scanCharacter('['))
        return fail(error, -201, "Could not scan array. Array not started by a '[' character.");
    if (depth_ >= LJSONMaximumNestingDepth)
        return fail(error, -16, "Could not scan object. Nested too deep.");
    ++depth_;
    auto failBack = [&](long code, char const* message) {
        current_ = begin;
        --depth_;
        return fail(error, code, message);
    };
    skipWhitespace();
    auto result = base::Array::create();
    while (currentCharacter() != ']') {
        base::Value value;
        if (!scanValue(&value, error))
            return failBack(-202, "Could not scan array. Could not scan a value.");
        if (value.isNil()) {
            if (!nullObject_.isNil()) {
                --depth_;
                return fail(error, -203, "Could not scan array. Value is NULL.");
            }
        } else {
            result->add(std::move(value));
        }
        skipWhitespace();
        bool comma = scanCharacter(',');
        skipWhitespace();
        if (!comma && currentCharacter() != ']')
            return failBack(-204, "Could not scan array. Array not terminated by a ']' character.");
    }
    skipWhitespace();
    if (!scanCharacter(']'))
        return failBack(-204, "Could not scan array. Array not terminated by a ']' character.");
    --depth_;
    if (array)
        *array = base::Value(std::move(result));
    return true;
}

bool LJSONScanner::scanNotQuoteCharactersIntoString(std::string* string) {
    std::size_t end = current_;
    while (end < data_.size() && data_[end] != '"' && data_[end] != '\\')
        ++end;
    if (end == current_)
        return false;
    if (string)
        string->append(reinterpret_cast<char const*>(data_.data()) + current_, end - current_);
    current_ = end;
    return true;
}

bool LJSONScanner::scanJSONStringConstant(std::string* string, LJSONError* error) {
    return scanStringFrom(current_, string, error);
}

bool LJSONScanner::scanStringFrom(std::size_t begin, std::string* string, LJSONError* error) {
    auto failBack = [&](long code, char const* message) {
        current_ = begin;
        return fail(error, code, message);
    };
    skipWhitespace();
    if (!scanCharacter('"'))
        return failBack(
            -301, "Could not scan string constant. String not started by a '\"' character.");
    std::string text;
    while (!scanCharacter('"')) {
        if (scanNotQuoteCharactersIntoString(&text))
            continue;
        if (!scanCharacter('\\'))
            return fail(error, -304,
                "Could not scan string constant. No terminating double quote character.");
        auto escape = scanCharacter();
        if (!escape)
            return fail(error, -304,
                "Could not scan string constant. No terminating double quote character.");
        switch (*escape) {
        case '"':
        case '/':
        case '\\':
            text += char(*escape);
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
        case 'u': {
            auto readUnit = [&](char32_t& unit) {
                if (bytesRemaining() < 4)
                    return false;
                unit = 0;
                for (int i = 0; i < 4; ++i) {
                    auto digit = data_[current_ + std::size_t(i)];
                    if (!isHexDigit(digit))
                        return false;
                    unit = unit << 4 | hexValue(digit);
                }
                current_ += 4;
                return true;
            };
            char32_t unit = 0;
            if (!readUnit(unit))
                return failBack(-302,
                    "Could not scan string constant. Unicode character could not be decoded.");
            // A surrogate pair arrives as two escapes; a surrogate without its partner
            // has no character and becomes U+FFFD.
            if (foundation::isHighSurrogate(unit) && bytesRemaining() >= 6
                && data_[current_] == '\\' && data_[current_ + 1] == 'u') {
                std::size_t before = current_;
                current_ += 2;
                char32_t low = 0;
                if (readUnit(low) && foundation::isLowSurrogate(low))
                    unit = foundation::combineSurrogates(unit, low);
                else
                    current_ = before;
            }
            appendUtf8(text, unit);
            break;
        }
        default:
            if (strictEscapeCodes_)
                return failBack(-303, "Could not scan string constant. Unknown escape code.");
            text += char(*escape);
            // A byte above 0x7F leads a UTF-8 character: the whole character is taken,
            // so the text stays valid.
            if (*escape >= 0xC0) {
                std::size_t more = std::min(sequenceLength(*escape) - 1, bytesRemaining());
                text.append(reinterpret_cast<char const*>(data_.data()) + current_, more);
                current_ += more;
            }
            break;
        }
    }
    if (string)
        *string = std::move(text);
    return true;
}

bool LJSONScanner::scanJSONNumberConstant(base::Value* number, LJSONError* error) {
    skipWhitespace();
    if (!scanNumber(number))
        return fail(error, -401, "Could not scan number constant.");
    return true;
}

}
