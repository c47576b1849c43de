#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ads::adnoria {

// Bytes to text and back with an alphabet of 2, 4, 8, 16, 32, 64 or 128 ASCII
// characters, each character carrying log2(size) bits, most significant first.
// Decoding is strict: a foreign character, data after padding or leftover bits
// that are not zero give nothing. Padding is never demanded on input. Each
// predefined encoding is a new object, so callers may change its padding.
class ADNStringEncoding final : public base::Object {
public:
    // Null when the alphabet is not ASCII, not a power of two from 2 to 128 long,
    // or repeats a character.
    static base::Ref<ADNStringEncoding> stringEncodingWithString(std::string_view alphabet);

    static base::Ref<ADNStringEncoding> binaryStringEncoding();
    static base::Ref<ADNStringEncoding> hexStringEncoding();
    static base::Ref<ADNStringEncoding> rfc4648Base32StringEncoding();
    static base::Ref<ADNStringEncoding> rfc4648Base32HexStringEncoding();
    static base::Ref<ADNStringEncoding> crockfordBase32StringEncoding();
    static base::Ref<ADNStringEncoding> rfc4648Base64StringEncoding();
    static base::Ref<ADNStringEncoding> rfc4648Base64WebsafeStringEncoding();

    std::string encode(foundation::ByteView data) const;
    std::string encodeString(std::string_view text) const { return encode(text); }
    std::optional<base::Bytes> decode(std::string_view text) const;
    // The decoded bytes as text; nothing when decoding fails.
    std::optional<std::string> stringByDecoding(std::string_view text) const;

    // Padding needs a padding character: without one, doPad adds nothing.
    bool doPad() const { return doPad_; }
    void setDoPad(bool pad) { doPad_ = pad; }
    void setPaddingChar(char c);
    // Each character not yet mapped takes the value of the mapped character before it.
    void addDecodeSynonyms(std::string_view synonyms);
    // Characters skipped when decoding; each must be unmapped.
    void ignoreCharacters(std::string_view characters);

    int shift() const { return shift_; }
    int padLen() const { return padLen_; }
    std::string description() const;

private:
    friend base::Factory;
    ADNStringEncoding() = default;

    static constexpr int NotMapped = -1;
    static constexpr int Padding = -2;
    static constexpr int Skipped = -3;

    std::string charMapData;
    std::array<int, 128> reverseCharMap {};
    int shift_ {0};
    int mask_ {0};
    bool doPad_ {false};
    char paddingChar_ {0};
    int padLen_ {0};
};

}
