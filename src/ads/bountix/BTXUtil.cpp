#include <ads/bountix/BTXUtil.hpp>

#include <foundation/Strings.hpp>
#include <ui/Device.hpp>

#include <array>

namespace ads::bountix {

bool BTXUtil::isPad() {
    return ui::Device::currentDevice().isPad();
}

bool BTXUtil::caseInsenstiveCompare(
    std::optional<std::string_view> string1, std::optional<std::string_view> string2) {
    if (!string1 || !string2)
        return false;
    return foundation::lowercase(*string1) == foundation::lowercase(*string2);
}

base::Bytes BTXUtil::dataWithBase64EncodedString(std::optional<std::string_view> text) {
    base::Bytes out;
    if (!text)
        return out;
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        if (c == '+')
            return 62;
        if (c == '/')
            return 63;
        return -1;
    };
    std::array<unsigned, 4> group {};
    std::size_t pending = 0;
    for (char c : *text) {
        if (c == '=')
            break;
        int symbol = value(c);
        if (symbol < 0)
            continue;
        group[pending++] = static_cast<unsigned>(symbol);
        if (pending == 4) {
            out.push_back(static_cast<std::uint8_t>((group[0] << 2) | (group[1] >> 4)));
            out.push_back(static_cast<std::uint8_t>(((group[1] & 0xF) << 4) | (group[2] >> 2)));
            out.push_back(static_cast<std::uint8_t>(((group[2] & 0x3) << 6) | group[3]));
            pending = 0;
        }
    }
    if (pending >= 2)
        out.push_back(static_cast<std::uint8_t>((group[0] << 2) | (group[1] >> 4)));
    if (pending == 3)
        out.push_back(static_cast<std::uint8_t>(((group[1] & 0xF) << 4) | (group[2] >> 2)));
    return out;
}

}
