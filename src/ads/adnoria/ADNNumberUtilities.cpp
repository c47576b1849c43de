#include <ads/adnoria/ADNNumberUtilities.hpp>

#include <cstdio>

namespace ads::adnoria {

std::string ADNNumberUtilities::stringWithFloat(double value) {
    char text[512];
    std::snprintf(text, sizeof text, "%f", value);
    std::string result = text;
    if (result.find('.') != std::string::npos) {
        while (!result.empty() && result.back() == '0')
            result.pop_back();
        if (!result.empty() && result.back() == '.')
            result.pop_back();
    }
    return result;
}

}
