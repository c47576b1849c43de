// The Marquee client's reading of a page's "marquee://" action URL: the split into
// parts and the more-apps link's escaped JSON part. Splitting loses nothing (the parts
// joined with "/" give the URL back); the link fields are only the five click keys,
// and a deep URL is never empty.
#include "FuzzSupport.hpp"

#include <ads/marquee/Marquee.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string url(reinterpret_cast<char const*>(data), size);
    auto parts = ads::marquee::Marquee::actionURLParts(url);
    FUZZ_CHECK(!parts.empty());
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        FUZZ_CHECK(parts[i].find('/') == std::string::npos);
        joined += (i ? "/" : "") + parts[i];
    }
    FUZZ_CHECK(joined == url);

    auto fields = ads::marquee::Marquee::linkFieldsFromJSONPart(parts.back());
    for (auto const& [key, value] : fields.click.entries()) {
        FUZZ_CHECK(key == "to" || key == "cgn" || key == "creative" || key == "type"
            || key == "more_type");
    }
    FUZZ_CHECK(fields.click.entries().size() <= 5);
    FUZZ_CHECK(!fields.deepURL || !fields.deepURL->empty());
    return 0;
}
