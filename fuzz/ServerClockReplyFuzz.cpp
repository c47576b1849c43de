// The server clock's reply reader over any body: the codec never reads outside its
// table or its text, a reply that reads as a date gives a finite one, and encoding
// then decoding gives the bytes back.
#include "FuzzSupport.hpp"

#include <game/progression/Base64.hpp>
#include <game/progression/NetworkTime.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view body(reinterpret_cast<char const*>(data), size);
    if (auto date = game::NetworkTime::dateFromReply(body))
        FUZZ_CHECK(std::isfinite(date->seconds));
    base::Bytes bytes(data, data + size);
    FUZZ_CHECK(game::Base64::decode(game::Base64::encode(bytes)).value_or(base::Bytes {}) == bytes);
    return 0;
}
