// The Adnoria client's strict text decoders over any text: each of the seven
// encodings either refuses the text or gives bytes that encode back to the same
// characters (padding aside, and after hex and Crockford synonyms are read as the
// characters they stand for). Bytes encoded with any encoding always decode back.
#include "FuzzSupport.hpp"

#include <ads/adnoria/ADNStringEncoding.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using ads::adnoria::ADNStringEncoding;

namespace {

using Maker = base::Ref<ADNStringEncoding> (*)();

std::array<Maker, 7> const makers {ADNStringEncoding::binaryStringEncoding,
    ADNStringEncoding::hexStringEncoding, ADNStringEncoding::rfc4648Base32StringEncoding,
    ADNStringEncoding::rfc4648Base32HexStringEncoding,
    ADNStringEncoding::crockfordBase32StringEncoding,
    ADNStringEncoding::rfc4648Base64StringEncoding,
    ADNStringEncoding::rfc4648Base64WebsafeStringEncoding};

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size == 0)
        return 0;
    auto encoding = makers[data[0] % makers.size()]();
    bool synonyms = data[0] % makers.size() == 1 || data[0] % makers.size() == 4;
    std::string_view text(reinterpret_cast<char const*>(data + 1), size - 1);

    if (auto bytes = encoding->decode(text)) {
        FUZZ_CHECK(bytes->size() <= text.size());
        encoding->setDoPad(false);
        auto encoded = encoding->encode(*bytes);
        if (!synonyms) {
            std::string stripped;
            for (char c : text) {
                if (c != '=')
                    stripped.push_back(c);
            }
            // Characters beyond the encoded bits may only be zero-valued ones.
            FUZZ_CHECK(stripped.compare(0, encoded.size(), encoded) == 0);
        }
        FUZZ_CHECK(encoding->decode(encoded) == bytes);
    }

    base::Bytes raw(data + 1, data + size);
    encoding->setDoPad(data[0] & 0x80);
    FUZZ_CHECK(encoding->decode(encoding->encode(raw)) == raw);
    return 0;
}
