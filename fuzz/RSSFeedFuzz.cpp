// The news feed reader over feeds from the server: no crash, leak or undefined
// behaviour, and reading the same bytes twice gives the same items.
#include "FuzzSupport.hpp"

#include <serverkit/RSSParser.hpp>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    base::Bytes bytes(data, data + size);
    auto items = serverkit::RSSParser::parserWithData(bytes)->getNewsItems();
    FUZZ_CHECK(serverkit::RSSParser::parserWithData(bytes)->getNewsItems() == items);
    return 0;
}
