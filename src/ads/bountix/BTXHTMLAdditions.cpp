#include <ads/bountix/BTXHTMLEntities.hpp>

#include <foundation/Strings.hpp>

#include <algorithm>
#include <cstring>

namespace ads::bountix::BTXNSStringHTMLAdditions {

namespace {

template<std::size_t N>
HTMLEntity const* find(std::array<HTMLEntity, N> const& table, char16_t unit) {
    auto it = std::lower_bound(table.begin(), table.end(), unit,
        [](HTMLEntity const& entity, char16_t value) { return entity.unit < value; });
    if (it == table.end() || it->unit != unit)
        return nullptr;
    return &*it;
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int hexValue(char16_t c) {
    if (isDigit(c))
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The unit a numeric entity "&#...;" stands for, or nothing when the digits do not
// fill it exactly or the value is 0 or above 0xFFFE.
std::optional<char16_t> numericEntity(std::u16string_view candidate) {
    if (candidate.size() < 4 || candidate[1] != u'#')
        return std::nullopt;
    auto digits = candidate.substr(2, candidate.size() - 3);
    bool hex = digits[0] == u'x' || digits[0] == u'X';
    if (hex)
        digits.remove_prefix(1);
    if (digits.empty())
        return std::nullopt;
    unsigned long value = 0;
    for (char16_t c : digits) {
        int digit = hex ? hexValue(c) : (isDigit(c) ? c - u'0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
    }
    if (value < 1 || value > 0xFFFE)
        return std::nullopt;
    return static_cast<char16_t>(value);
}

}

template<std::size_t N>
std::string CHW_stringByEscapingHTMLUsingTable(
    std::string_view text, std::array<HTMLEntity, N> const& table, EscapeUnicode escapeUnicode) {
    if (text.empty())
        return std::string(text);
    auto units = foundation::utf8ToUtf16(text);
    std::u16string kept;
    std::string out;
    auto flush = [&] {
        out += foundation::utf16ToUtf8(kept);
        kept.clear();
    };
    for (char16_t unit : units) {
        if (auto const* entity = find(table, unit)) {
            flush();
            out += entity->text;
        } else if (unit < 128 || escapeUnicode == EscapeUnicode::No) {
            kept.push_back(unit);
        } else {
            flush();
            out += "&#" + std::to_string(static_cast<unsigned>(unit)) + ";";
        }
    }
    flush();
    return out;
}

template std::string CHW_stringByEscapingHTMLUsingTable(
    std::string_view, std::array<HTMLEntity, 253> const&, EscapeUnicode);
template std::string CHW_stringByEscapingHTMLUsingTable(
    std::string_view, std::array<HTMLEntity, 33> const&, EscapeUnicode);

std::string CHW_stringByEscapingForHTML(std::string_view text) {
    return CHW_stringByEscapingHTMLUsingTable(text, shortHTMLEntityTable, EscapeUnicode::No);
}

std::string CHW_stringByEscapingForAsciiHTML(std::string_view text) {
    return CHW_stringByEscapingHTMLUsingTable(text, fullHTMLEntityTable, EscapeUnicode::Yes);
}

std::string CHW_stringByUnescapingFromHTML(std::string_view text) {
    if (text.find('&') == std::string_view::npos)
        return std::string(text);
    auto units = foundation::utf8ToUtf16(text);
    // Visit the ampersands from the end, so a replacement never shifts a candidate
    // still to be looked at; each candidate ends at the next ';' before the part
    // already visited.
    std::size_t end = units.size();
    std::size_t position = units.size();
    while (position > 0) {
        auto amp = units.rfind(u'&', position - 1);
        if (amp == std::u16string::npos)
            break;
        auto semicolon = units.find(u';', amp);
        if (semicolon != std::u16string::npos && semicolon < end) {
            auto length = semicolon - amp + 1;
            if (length >= 4 && length <= 10) {
                std::u16string_view candidate(units.data() + amp, length);
                std::optional<char16_t> replacement = numericEntity(candidate);
                if (!replacement && candidate[1] != u'#') {
                    auto name = foundation::utf16ToUtf8(candidate);
                    for (auto const& entity : fullHTMLEntityTable) {
                        if (name == entity.text) {
                            replacement = entity.unit;
                            break;
                        }
                    }
                }
                if (replacement)
                    units.replace(amp, length, 1, *replacement);
            }
        }
        end = amp;
        position = amp;
    }
    return foundation::utf16ToUtf8(units);
}

}
