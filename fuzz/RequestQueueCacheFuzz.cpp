// A request queue cache file as the REST toolkit reads it back: any bytes are read
// as a property list, and each dictionary in its array makes a request or nothing.
// A request that is made has one of the four methods and a URL, carries "BODY" as
// its body exactly, and written again comes back to the same URL.
#include "FuzzSupport.hpp"

#include <toolkit/rest/RLParamsDeserialised.hpp>
#include <toolkit/rest/RLRequestQueueCache.hpp>

#include <foundation/PropertyList.hpp>

#include <cstddef>
#include <cstdint>

using namespace toolkit::rest;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto file = foundation::PropertyList::propertyListWithData(foundation::ByteView(data, size));
    auto const* entries = file.array();
    if (!entries)
        return 0;
    for (auto const& entry : *entries) {
        auto const* dictionary = entry.dictionary();
        if (!dictionary)
            continue;
        auto request = RLRequestQueueCache::requestFromDictionary(*dictionary, nullptr);
        if (!request)
            continue;
        FUZZ_CHECK(dictionary->objectForKey("HTTPMethod").string());
        FUZZ_CHECK(request->HTTPMethod().has_value());
        FUZZ_CHECK(request->URL());
        FUZZ_CHECK(!request->delegate());
        if (auto const* body = dictionary->objectForKey("BODY").data()) {
            auto const* params = dynamic_cast<RLParamsDeserialised const*>(request->params().get());
            FUZZ_CHECK(params && params->data() == *body);
        } else {
            FUZZ_CHECK(!request->params());
        }
        auto again = RLRequestQueueCache::serialize(*request);
        FUZZ_CHECK(again);
        auto restored = RLRequestQueueCache::requestFromDictionary(*again, nullptr);
        FUZZ_CHECK(restored && restored->URL());
        FUZZ_CHECK(restored->URL()->absoluteString() == request->URL()->absoluteString());
        FUZZ_CHECK(restored->method() == request->method());
    }
    return 0;
}
