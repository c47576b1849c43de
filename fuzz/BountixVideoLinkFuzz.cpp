// The offer page's video links ("btxvideo://video_id=..&click_url=..&amount=..&
// currency_name=.."): any text is read without harm; every value found is a piece of
// the text (the currency name after decoding), so nothing grows beyond the input, and
// a value never holds the "&" that separates pieces.
#include "FuzzSupport.hpp"

#include <ads/bountix/BTXOffers.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using namespace ads::bountix;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto link = BTXVideoLink::parse(text);
    for (auto const* value : {&link.offerID, &link.clickURL, &link.amount, &link.currencyName}) {
        if (!*value)
            continue;
        FUZZ_CHECK((*value)->size() <= size);
        if (value != &link.currencyName)
            FUZZ_CHECK((*value)->find('&') == std::string::npos);
    }
    return 0;
}
