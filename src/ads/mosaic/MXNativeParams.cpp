#include <ads/mosaic/MXNativeParams.hpp>

#include <toolkit/json/LJSONDeserializer.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace ads::mosaic {

namespace {

// A size from a number or the whole text of one; none when it is anything else or
// outside 0 to maximumSide.
std::optional<float> sideValue(base::Value const& value) {
    if (value.isNull())
        return 0.0f;
    double side = 0;
    if (value.isNumber()) {
        side = value.doubleValue();
    } else if (value.isString()) {
        auto const text = value.stringValue();
        if (text.empty())
            return std::nullopt;
        char* end = nullptr;
        errno = 0;
        side = std::strtod(text.c_str(), &end);
        if (errno != 0 || end != text.c_str() + text.size())
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(side) || side < 0 || side > MXNativeParams::maximumSide)
        return std::nullopt;
    return float(side);
}

}

std::optional<MXNativeParams> MXNativeParams::fromHeaders(
    foundation::HTTPHeaderFields const& headers) {
    auto const* text = headers.find(headerName);
    if (!text)
        return MXNativeParams {};
    return fromText(*text);
}

std::optional<MXNativeParams> MXNativeParams::fromText(std::string_view text) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return MXNativeParams {};
    if (text.size() > maximumLength)
        return std::nullopt;
    auto deserializer = toolkit::json::LJSONDeserializer::deserializer();
    auto const decoded
        = deserializer->deserializeAsDictionary(base::Bytes(text.begin(), text.end()));
    auto const* dictionary = decoded.dictionary();
    if (!dictionary)
        return std::nullopt;

    MXNativeParams params;
    auto const width = sideValue(dictionary->objectForKey("adWidth"));
    auto const height = sideValue(dictionary->objectForKey("adHeight"));
    if (!width || !height)
        return std::nullopt;
    params.adWidth = *width;
    params.adHeight = *height;
    auto const& id = dictionary->objectForKey("adUnitID");
    if (id.isString())
        params.adUnitID = id.stringValue();
    else if (!id.isNull())
        return std::nullopt;
    return params;
}

}
