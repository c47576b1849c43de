#include <ads/meridian/MERColor.hpp>

#include <base/Value.hpp>
#include <foundation/Strings.hpp>

#include <cctype>
#include <string>

namespace ads::meridian {

std::optional<ui::Color> colorFromString(std::string_view text) {
    auto parts = foundation::componentsSeparatedBy(text, ",");
    auto number
        = [&](std::size_t index) { return float(base::Value::doubleFromString(parts[index])); };
    if (parts.size() == 4)
        return ui::Color::colorWithRed(number(0), number(1), number(2), number(3));
    if (parts.size() == 3)
        return ui::Color::colorWithRed(number(0), number(1), number(2));
    if (parts.size() != 1)
        return std::nullopt;

    auto hex = foundation::uppercase(foundation::trimmed(parts[0]));
    if (hex.size() > 5 && hex.front() == '#')
        hex.erase(0, 1);
    if (hex.size() != 6)
        return ui::Color::blackColor();
    int channels[3] {};
    for (std::size_t i = 0; i < hex.size(); ++i) {
        char c = hex[i];
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return ui::Color::blackColor();
        int digit = c <= '9' ? c - '0' : c - 'A' + 10;
        channels[i / 2] = channels[i / 2] * 16 + digit;
    }
    return ui::Color::colorWithBytes(channels[0], channels[1], channels[2]);
}

}
