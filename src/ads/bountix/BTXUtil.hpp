#pragma once

#include <base/Value.hpp>

#include <optional>
#include <string_view>

namespace ads::bountix {

// Small helpers of the offer-wall client.
class BTXUtil {
public:
    // Whether the game plays as the tablet.
    static bool isPad();
    // True when both strings are present and equal once lower-cased.
    static bool caseInsenstiveCompare(
        std::optional<std::string_view> string1, std::optional<std::string_view> string2);
    // Lenient Base64 of the standard alphabet: characters outside it are skipped, the
    // first "=" (or the end of the text) ends the decoding, and two or three pending
    // symbols give one or two more bytes. Never fails; a missing text gives no bytes.
    static base::Bytes dataWithBase64EncodedString(std::optional<std::string_view> text);
};

}
