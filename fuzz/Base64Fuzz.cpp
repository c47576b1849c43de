// Base64 decoding of text from servers, in both alphabets: any text decodes or is
// refused, and what decodes encodes back to text that decodes to the same bytes.
#include "FuzzSupport.hpp"

#include <foundation/Base64.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

using foundation::Base64;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    for (auto alphabet : {Base64::Alphabet::Standard, Base64::Alphabet::URLSafe}) {
        auto bytes = Base64::decode(text, alphabet);
        if (!bytes)
            continue;
        FUZZ_CHECK(bytes->size() <= size * 3 / 4 + 3);
        for (auto padding : {Base64::Padding::Yes, Base64::Padding::No}) {
            auto again = Base64::decode(Base64::encode(*bytes, alphabet, padding), alphabet);
            FUZZ_CHECK(again && *again == *bytes);
        }
    }
    // Any bytes survive a round trip.
    foundation::ByteView input(data, size);
    for (auto alphabet : {Base64::Alphabet::Standard, Base64::Alphabet::URLSafe}) {
        auto back = Base64::decode(Base64::encode(input, alphabet, Base64::Padding::No), alphabet);
        FUZZ_CHECK(back && *back == input.bytes());
    }
    return 0;
}
