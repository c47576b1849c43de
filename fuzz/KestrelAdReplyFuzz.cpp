// The ad section of the analytics reply: any bytes parse without reading outside the
// buffer, answer a position inside it (or none), and leave either a complete reply
// (phase 1, every map consistent) or nothing served. The same bytes read as the
// parser's archive give no parser or a consistent one.
#include "FuzzSupport.hpp"

#include <ads/kestrel/KestrelAdCoding.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>

#include <foundation/KeyedUnarchiver.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>

using ads::kestrel::KestrelAdParser;

namespace {

void checkConsistent(KestrelAdParser const& parser) {
    for (auto const& [name, hook] : parser.hookMap()) {
        FUZZ_CHECK(hook);
        FUZZ_CHECK(hook->name() == name);
    }
    for (auto const& [id, block] : parser.adBlockMap()) {
        FUZZ_CHECK(block);
        for (auto const& ad : block->ads())
            FUZZ_CHECK(ad && ad->adCookie() && ad->adCookie()->size() == *ad->adCookieSize());
    }
    for (auto const& [id, image] : parser.imageMap())
        FUZZ_CHECK(id > 0 && image && image->image());
    for (auto const& [key, callbacks] : parser.adStateCallbackMap()) {
        FUZZ_CHECK(callbacks);
        for (auto const& callback : callbacks->callbacks())
            FUZZ_CHECK(callback->mapKey() == key);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    ads::kestrel::registerKestrelAdCoding();

    // A copy of exactly the input's length, so any read past it is reported.
    auto bytes = std::make_unique<std::uint8_t[]>(size ? size : 1);
    std::copy(data, data + size, bytes.get());
    auto parser = KestrelAdParser::create();
    auto const* stop = parser->parseData(bytes.get(), size);
    FUZZ_CHECK(!stop || (stop >= bytes.get() && stop <= bytes.get() + size));
    if (parser->adParsingPhase() == 1) {
        FUZZ_CHECK(stop != nullptr);
        checkConsistent(*parser);
    } else {
        FUZZ_CHECK(parser->hookMap().empty() && parser->adBlockMap().empty());
    }

    if (auto archived = foundation::KeyedUnarchiver::unarchiveObjectWithData<KestrelAdParser>(
            foundation::ByteView(data, size)))
        checkConsistent(*archived);
    return 0;
}
