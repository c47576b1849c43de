#pragma once

#include <foundation/HTTPHeaderFields.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace ads::mosaic {

// The "X-Nativeparams" reply header: a JSON object that tells a network adapter the
// banner size ("adWidth", "adHeight") and the network's own ad unit id ("adUnitID").
// A missing header, key or null value reads as 0 (sizes) or none (the id).
struct MXNativeParams {
    static constexpr char const* headerName = "X-Nativeparams";
    // The largest side a native banner may ask for, in points.
    static constexpr float maximumSide = 2048;
    // The longest header text read.
    static constexpr std::size_t maximumLength = 4096;

    float adWidth {0};
    float adHeight {0};
    std::optional<std::string> adUnitID;

    // None when the header is there but cannot be trusted: not a JSON object, longer
    // than maximumLength, a size that is not a number from 0 to maximumSide (a number
    // or the text of one), or an id that is not a text. The adapters fail such a load
    // rather than size a banner from it.
    static std::optional<MXNativeParams> fromHeaders(foundation::HTTPHeaderFields const& headers);
    static std::optional<MXNativeParams> fromText(std::string_view text);
};

}
