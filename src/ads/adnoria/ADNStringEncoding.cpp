#include <ads/adnoria/ADNStringEncoding.hpp>

#include <base/Verify.hpp>

#include <numeric>

namespace ads::adnoria {

base::Ref<ADNStringEncoding> ADNStringEncoding::stringEncodingWithString(
    std::string_view alphabet) {
    auto n = alphabet.size();
    if (n < 2 || n > 128 || (n & (n - 1)) != 0)
        return {};
    auto encoding = base::make<ADNStringEncoding>();
    encoding->reverseCharMap.fill(NotMapped);
    for (std::size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(alphabet[i]);
        if (c >= 128 || encoding->reverseCharMap[c] != NotMapped)
            return {};
        encoding->reverseCharMap[c] = int(i);
    }
    encoding->charMapData = std::string(alphabet);
    int shift = 0;
    while ((std::size_t(1) << shift) < n)
        ++shift;
    encoding->shift_ = shift;
    encoding->mask_ = (1 << shift) - 1;
    encoding->padLen_ = std::lcm(8, shift) / shift;
    return encoding;
}

namespace {
base::Ref<ADNStringEncoding> padded(std::string_view alphabet) {
    auto encoding = ADNStringEncoding::stringEncodingWithString(alphabet);
    encoding->setPaddingChar('=');
    encoding->setDoPad(true);
    return encoding;
}
}

base::Ref<ADNStringEncoding> ADNStringEncoding::binaryStringEncoding() {
    return stringEncodingWithString("01");
}

base::Ref<ADNStringEncoding> ADNStringEncoding::hexStringEncoding() {
    auto encoding = stringEncodingWithString("0123456789ABCDEF");
    encoding->addDecodeSynonyms("AaBbCcDdEeFf");
    return encoding;
}

base::Ref<ADNStringEncoding> ADNStringEncoding::rfc4648Base32StringEncoding() {
    return padded("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567");
}

base::Ref<ADNStringEncoding> ADNStringEncoding::rfc4648Base32HexStringEncoding() {
    return padded("0123456789ABCDEFGHIJKLMNOPQRSTUV");
}

base::Ref<ADNStringEncoding> ADNStringEncoding::crockfordBase32StringEncoding() {
    auto encoding = stringEncodingWithString("0123456789ABCDEFGHJKMNPQRSTVWXYZ");
    encoding->addDecodeSynonyms("0oO1iIlLAaBbCcDdEeFfGgHhJjKkMmNnPpQqRrSsTtVvWwXxYyZz");
    return encoding;
}

base::Ref<ADNStringEncoding> ADNStringEncoding::rfc4648Base64StringEncoding() {
    return padded("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
}

base::Ref<ADNStringEncoding> ADNStringEncoding::rfc4648Base64WebsafeStringEncoding() {
    return padded("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_");
}

void ADNStringEncoding::setPaddingChar(char c) {
    paddingChar_ = c;
    auto index = static_cast<unsigned char>(c);
    if (index < 128)
        reverseCharMap[index] = Padding;
}

void ADNStringEncoding::addDecodeSynonyms(std::string_view synonyms) {
    int current = 0;
    for (char c : synonyms) {
        auto index = static_cast<unsigned char>(c);
        if (index >= 128)
            continue;
        if (reverseCharMap[index] >= 0)
            current = reverseCharMap[index];
        else
            reverseCharMap[index] = current;
    }
}

void ADNStringEncoding::ignoreCharacters(std::string_view characters) {
    for (char c : characters) {
        auto index = static_cast<unsigned char>(c);
        VERIFY_MSG(index < 128 && reverseCharMap[index] == NotMapped, "Character already mapped");
        reverseCharMap[index] = Skipped;
    }
}

std::string ADNStringEncoding::encode(foundation::ByteView data) const {
    std::string out;
    if (data.size() == 0)
        return out;
    std::size_t length = (data.size() * 8 + std::size_t(shift_) - 1) / std::size_t(shift_);
    std::size_t padded = length;
    // Without a padding character there is nothing to pad with: padding NUL
    // characters would make text that no decoder reads back.
    bool pad = doPad_ && paddingChar_ != 0;
    if (pad)
        padded = (length + std::size_t(padLen_) - 1) / std::size_t(padLen_) * std::size_t(padLen_);
    out.reserve(padded);
    std::uint32_t buffer = 0;
    int bits = 0;
    std::size_t next = 0;
    while (out.size() < length) {
        if (bits < shift_) {
            if (next < data.size()) {
                buffer = (buffer << 8) | data.data()[next++];
                bits += 8;
            } else {
                buffer <<= (shift_ - bits);
                bits = shift_;
            }
        }
        bits -= shift_;
        out.push_back(charMapData[(buffer >> bits) & std::uint32_t(mask_)]);
        buffer &= (std::uint32_t(1) << bits) - 1;
    }
    if (pad)
        out.append(padded - length, paddingChar_);
    return out;
}

std::optional<base::Bytes> ADNStringEncoding::decode(std::string_view text) const {
    base::Bytes out;
    out.reserve(text.size() * std::size_t(shift_) / 8);
    std::uint32_t buffer = 0;
    int bits = 0;
    bool paddingSeen = false;
    for (char c : text) {
        auto index = static_cast<unsigned char>(c);
        if (index >= 128)
            return std::nullopt;
        int value = reverseCharMap[index];
        if (value == Padding) {
            paddingSeen = true;
            continue;
        }
        if (value == Skipped)
            continue;
        if (value == NotMapped || paddingSeen)
            return std::nullopt;
        buffer = (buffer << shift_) | std::uint32_t(value);
        bits += shift_;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(std::uint8_t(buffer >> bits));
            buffer &= (std::uint32_t(1) << bits) - 1;
        }
    }
    if (buffer != 0)
        return std::nullopt;
    return out;
}

std::optional<std::string> ADNStringEncoding::stringByDecoding(std::string_view text) const {
    auto bytes = decode(text);
    if (!bytes)
        return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

std::string ADNStringEncoding::description() const {
    return "<Base" + std::to_string(1 << shift_) + " StringEncoder: " + charMapData + ">";
}

}
