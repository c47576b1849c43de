// The marketing service's unread-credits reply as the kit reads it. Any bytes give a
// list of credits or "not a list"; a list has at most one credit per element of the
// decoded array, and every credit describes itself.
#include "FuzzSupport.hpp"

#include <serverkit/marketing/CHKQueuedCreditsManager.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto credits = serverkit::CHKQueuedCreditsManager::creditsFromJSON(text);
    auto decoded = toolkit::json::objectFromJSONString(text);
    if (!credits) {
        FUZZ_CHECK(!decoded.isNil() && !decoded.isArray());
        return 0;
    }
    FUZZ_CHECK(decoded.isNil() || decoded.isArray());
    FUZZ_CHECK(credits->size() <= (decoded.isArray() ? decoded.array()->size() : 0));
    for (auto const& credit : *credits)
        FUZZ_CHECK(!credit->description().empty());
    return 0;
}
