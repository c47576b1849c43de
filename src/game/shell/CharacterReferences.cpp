#include <game/shell/CharacterReferences.hpp>

#include <foundation/Strings.hpp>

#include <cstdint>
#include <optional>

namespace game {

namespace {

int digitValue(char c, int base) {
    int value = c >= '0' && c <= '9' ? c - '0'
        : c >= 'a' && c <= 'f'       ? c - 'a' + 10
        : c >= 'A' && c <= 'F'       ? c - 'A' + 10
                                     : 99;
    return value < base ? value : -1;
}

// The character of the reference body (what stands between "&#" and ";"): decimal
// digits, or "x" / "X" and hexadecimal digits. None when the body is not that or
// names no character.
std::optional<std::uint32_t> referencedCharacter(std::string_view body) {
    int base = 10;
    if (!body.empty() && (body[0] == 'x' || body[0] == 'X')) {
        base = 16;
        body.remove_prefix(1);
    }
    if (body.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : body) {
        int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * std::uint32_t(base) + std::uint32_t(digit);
        // Past the last character: stop before the number can wrap.
        if (value > 0x10FFFF)
            return std::nullopt;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return value;
}

}

std::string decodeCharacterReferences(std::string_view text) {
    std::string result;
    std::size_t position = 0;
    while (position < text.size()) {
        auto start = text.find("&#", position);
        if (start == std::string_view::npos)
            break;
        result.append(text.substr(position, start - position));
        auto bodyStart = start + 2;
        auto end = text.find(';', bodyStart);
        // A body longer than any character's number is no reference; looking no
        // further keeps the walk linear.
        if (end != std::string_view::npos && end - bodyStart <= 10) {
            if (auto character = referencedCharacter(text.substr(bodyStart, end - bodyStart))) {
                foundation::appendUtf8(result, char32_t(*character));
                position = end + 1;
                continue;
            }
        }
        // Not a reference: its "&#" stays as text and the walk goes on after it.
        result.append("&#");
        position = bodyStart;
    }
    result.append(text.substr(position));
    return result;
}

}
