#include <game/salon/PictureName.hpp>

#include <algorithm>

namespace game {

std::string formatPictureName(std::string_view pic, int value) {
    std::string out;
    out.reserve(pic.size() + 8);
    bool substituted = false;
    std::size_t i = 0;
    while (i < pic.size()) {
        char c = pic[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < pic.size() && pic[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // Read "%[-0+ ]*[width][h|hh|l|ll|q]conversion" without acting on it yet.
        std::size_t j = i + 1;
        bool leftAlign = false, zeroPad = false, plus = false, space = false;
        while (j < pic.size() && std::string_view("-0+ ").find(pic[j]) != std::string_view::npos) {
            leftAlign |= pic[j] == '-';
            zeroPad |= pic[j] == '0';
            plus |= pic[j] == '+';
            space |= pic[j] == ' ';
            ++j;
        }
        int width = 0;
        while (j < pic.size() && pic[j] >= '0' && pic[j] <= '9') {
            width = std::min(width * 10 + (pic[j] - '0'), 64);
            ++j;
        }
        while (j < pic.size() && std::string_view("hlq").find(pic[j]) != std::string_view::npos)
            ++j;
        bool integer = j < pic.size() && (pic[j] == 'd' || pic[j] == 'i' || pic[j] == 'u');
        if (!integer || substituted) {
            // Not the placeholder: the text stays as it is.
            out += c;
            ++i;
            continue;
        }
        long long number = pic[j] == 'u' ? (long long)(unsigned(value)) : value;
        std::string digits = std::to_string(number < 0 ? -number : number);
        std::string sign = number < 0 ? "-" : plus ? "+" : space ? " " : "";
        std::size_t length = sign.size() + digits.size();
        std::size_t pad = std::size_t(width) > length ? std::size_t(width) - length : 0;
        if (leftAlign)
            out += sign + digits + std::string(pad, ' ');
        else if (zeroPad)
            out += sign + std::string(pad, '0') + digits;
        else
            out += std::string(pad, ' ') + sign + digits;
        substituted = true;
        i = j + 1;
    }
    return out;
}

}
