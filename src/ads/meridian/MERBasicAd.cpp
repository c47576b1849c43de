#include <ads/meridian/MERBasicAd.hpp>

namespace ads::meridian {

int MERBasicAd::transitionFromHeader(std::string_view header) {
    if (header == "FlipLeft")
        return 1;
    if (header == "FlipRight")
        return 2;
    if (header == "CurlUp")
        return 3;
    if (header == "CurlDown")
        return 4;
    return 0;
}

}
