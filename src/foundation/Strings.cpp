#include <foundation/CharacterSet.hpp>
#include <foundation/Hex.hpp>
#include <foundation/Strings.hpp>

#include <cstdint>

namespace foundation {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}

char32_t decodeUtf8(std::string_view text, std::size_t& position) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(position);
    if (lead < 0x80) {
        ++position;
        return lead;
    }
    std::size_t length;
    char32_t codePoint;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++position;
        return replacementCharacter;
    }
    if (text.size() - position < length) {
        ++position;
        return replacementCharacter;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(byte(position + i))) {
            ++position;
            return replacementCharacter;
        }
        codePoint = (codePoint << 6) | (byte(position + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past the last code point are not text.
    if (codePoint < minimum || (codePoint >= 0xD800 && codePoint <= 0xDFFF)
        || codePoint > 0x10FFFF) {
        ++position;
        return replacementCharacter;
    }
    position += length;
    return codePoint;
}

void appendUtf8(std::string& out, char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        c = replacementCharacter;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t start = i;
        // Invalid bytes decode one at a time; a real U+FFFD takes three.
        if (decodeUtf8(text, i) == replacementCharacter && i - start == 1)
            return false;
    }
    return true;
}

char32_t decodeUtf16(std::u16string_view text, std::size_t& position) {
    char32_t unit = text[position++];
    if (isHighSurrogate(unit) && position < text.size() && isLowSurrogate(text[position]))
        return combineSurrogates(unit, text[position++]);
    return unit;
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c > 0x10FFFF)
        c = replacementCharacter;
    if (c >= 0x10000) {
        c -= 0x10000;
        out += char16_t(0xD800 + (c >> 10));
        out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
        out += char16_t(c);
    }
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        appendUtf16(out, decodeUtf8(text, i));
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        appendUtf8(out, decodeUtf16(text, i));
    return out;
}

std::size_t utf16Length(std::string_view text) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size();)
        length += decodeUtf8(text, i) >= 0x10000 ? 2 : 1;
    return length;
}

std::size_t byteOffsetOfUtf16Index(std::string_view text, std::size_t index) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t start = i;
        std::size_t width = decodeUtf8(text, i) >= 0x10000 ? 2 : 1;
        if (units + width > index)
            return start;
        units += width;
    }
    return text.size();
}

std::string substringToUtf16Index(std::string_view text, std::size_t index) {
    return std::string(text.substr(0, byteOffsetOfUtf16Index(text, index)));
}

std::string substringFromUtf16Index(std::string_view text, std::size_t index) {
    return std::string(text.substr(byteOffsetOfUtf16Index(text, index)));
}

std::string substringWithUtf16Range(
    std::string_view text, std::size_t location, std::size_t length) {
    std::size_t start = byteOffsetOfUtf16Index(text, location);
    std::size_t end = length > SIZE_MAX - location
        ? text.size()
        : byteOffsetOfUtf16Index(text, location + length);
    return std::string(text.substr(start, end - start));
}

namespace {

// A key that orders code points as their UTF-16 encodings order: a character past
// U+FFFF sorts by its high surrogate, below U+E000.
std::uint32_t utf16SortKey(char32_t c) {
    if (c < 0x10000)
        return std::uint32_t(c) << 16;
    c -= 0x10000;
    return (std::uint32_t(0xD800 + (c >> 10)) << 16) | std::uint32_t(0xDC00 + (c & 0x3FF));
}

char32_t foldAscii(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Compares the digit runs that start at a[i] and b[j] by value, moving both past them.
int compareDigitRuns(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
    auto run = [](std::string_view text, std::size_t& position) {
        while (position < text.size() && text[position] == '0' && position + 1 < text.size()
            && isDigit(text[position + 1]))
            ++position;
        std::size_t start = position;
        while (position < text.size() && isDigit(text[position]))
            ++position;
        return text.substr(start, position - start);
    };
    std::string_view x = run(a, i);
    std::string_view y = run(b, j);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    int order = x.compare(y);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

}

int compare(std::string_view a, std::string_view b, CompareOptions options) {
    bool numeric = options & CompareOptions::Numeric;
    bool caseless = options & CompareOptions::CaseInsensitive;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (numeric && isDigit(a[i]) && isDigit(b[j])) {
            if (int order = compareDigitRuns(a, i, b, j))
                return order;
            continue;
        }
        char32_t x = decodeUtf8(a, i);
        char32_t y = decodeUtf8(b, j);
        if (caseless) {
            x = foldAscii(x);
            y = foldAscii(y);
        }
        if (x != y)
            return utf16SortKey(x) < utf16SortKey(y) ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

int caseInsensitiveCompare(std::string_view a, std::string_view b) {
    return compare(a, b, CompareOptions::CaseInsensitive);
}

int numericCompare(std::string_view a, std::string_view b) {
    return compare(a, b, CompareOptions::Numeric);
}

bool hasPrefix(std::string_view text, std::string_view prefix) {
    return text.starts_with(prefix);
}

bool hasSuffix(std::string_view text, std::string_view suffix) {
    return text.ends_with(suffix);
}

bool containsString(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::vector<std::string> componentsSeparatedBy(std::string_view text, std::string_view separator) {
    if (separator.empty())
        return {std::string(text)};
    std::vector<std::string> components;
    std::size_t start = 0;
    for (;;) {
        std::size_t found = text.find(separator, start);
        if (found == std::string_view::npos)
            break;
        components.emplace_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    components.emplace_back(text.substr(start));
    return components;
}

std::vector<std::string> componentsSeparatedByCharacters(
    std::string_view text, CharacterSet const& set) {
    std::vector<std::string> components;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t at = i;
        if (set.contains(decodeUtf8(text, i))) {
            components.emplace_back(text.substr(start, at - start));
            start = i;
        }
    }
    components.emplace_back(text.substr(start));
    return components;
}

std::string componentsJoinedBy(
    std::vector<std::string> const& components, std::string_view separator) {
    std::string out;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i)
            out += separator;
        out += components[i];
    }
    return out;
}

std::string trimmed(std::string_view text) {
    return trimmed(text, CharacterSet::whitespaceAndNewline());
}

std::string trimmed(std::string_view text, CharacterSet const& set) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t next = start;
        if (!set.contains(decodeUtf8(text, next)))
            break;
        start = next;
    }
    // Walk forwards to find the end of the last character outside the set, so that
    // multi-byte characters are never cut.
    std::size_t end = start;
    for (std::size_t i = start; i < text.size();) {
        if (!set.contains(decodeUtf8(text, i)))
            end = i;
    }
    return std::string(text.substr(start, end - start));
}

std::string replaceOccurrences(
    std::string_view text, std::string_view target, std::string_view replacement) {
    if (target.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (;;) {
        std::size_t found = text.find(target, start);
        if (found == std::string_view::npos)
            break;
        out.append(text.substr(start, found - start));
        out.append(replacement);
        start = found + target.size();
    }
    out.append(text.substr(start));
    return out;
}

std::string uppercase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return out;
}

std::string lowercase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
        || c == '.' || c == '_' || c == '~';
}

bool isUrlLegal(unsigned char c) {
    if (isUnreserved(c))
        return true;
    static constexpr std::string_view reserved = ":/?#[]@!$&'()*+,;=";
    return reserved.find(char(c)) != std::string_view::npos;
}

template<typename Keep> std::string escapeBytes(std::string_view text, Keep keep) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (keep(c)) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}

std::string addingPercentEscapes(std::string_view text) {
    return escapeBytes(text, isUrlLegal);
}

std::optional<std::string> addingPercentEscapes(std::string_view text, StringEncoding encoding) {
    if (encoding == StringEncoding::Ascii) {
        for (char c : text) {
            if (static_cast<unsigned char>(c) >= 0x80)
                return std::nullopt;
        }
    }
    return addingPercentEscapes(text);
}

std::string addingStrictPercentEscapes(std::string_view text) {
    return escapeBytes(text, isUnreserved);
}

std::optional<std::string> replacingPercentEscapes(std::string_view text, StringEncoding encoding) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (text.size() - i < 3)
            return std::nullopt;
        int high = Hex::digitValue(text[i + 1]);
        int low = Hex::digitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        auto byte = static_cast<unsigned char>(high * 16 + low);
        if (encoding == StringEncoding::Ascii && byte >= 0x80)
            return std::nullopt;
        out += char(byte);
        i += 2;
    }
    if (encoding == StringEncoding::Utf8 && !isValidUtf8(out))
        return std::nullopt;
    return out;
}

}
