// Zone files as the system's database holds them: any bytes give a zone or
// nothing, and a zone answers for every instant, the extremes included. A text
// line at the start is also read as the closing rule alone.
#include "FuzzSupport.hpp"

#include <foundation/ZoneInfo.hpp>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

using foundation::ZoneInfo;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    constexpr std::int64_t instants[] = {
        std::numeric_limits<std::int64_t>::min(),
        -(std::int64_t(1) << 40),
        -1,
        0,
        1331449200,
        4118083200,
        std::numeric_limits<std::int64_t>::max(),
    };
    if (auto zone = ZoneInfo::parse(foundation::ByteView(data, size))) {
        for (auto at : instants) {
            auto period = zone->periodAt(at);
            FUZZ_CHECK(period.offset > -25 * 3600 && period.offset < 25 * 3600);
        }
    }
    std::string_view text(reinterpret_cast<char const*>(data), size);
    if (auto rule = ZoneInfo::Rule::parse(text.substr(0, text.find('\n')))) {
        for (auto at : instants)
            rule->periodAt(at);
    }
    return 0;
}
