#include <toolkit/json/JCUTF8.hpp>

namespace toolkit::json {

namespace {

bool isContinuation(std::uint8_t b) {
    return b >= 0x80 && b <= 0xBF;
}

bool isIllegalCodePoint(std::uint32_t c) {
    return (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

}

namespace {

enum class Decoded { Ok, Malformed, Exhausted };

Decoded decode(std::uint8_t const* source, std::uint8_t const* sourceEnd, std::uint8_t const** next,
    std::uint32_t* codePoint) {
    std::uint8_t lead = source[0];
    if (lead < 0x80) {
        *codePoint = lead;
        *next = source + 1;
        return Decoded::Ok;
    }
    // The one bits after the top bit announce the continuation bytes.
    int announced = 0;
    for (std::uint8_t bit = 0x40; bit && (lead & bit); bit >>= 1)
        ++announced;

    bool wellFormed = lead >= 0xC2 && lead <= 0xF4;
    std::uint32_t c = lead & (0x3Fu >> announced);
    int taken = 0;
    auto p = source + 1;
    while (taken < announced && p < sourceEnd && isContinuation(*p)) {
        std::uint8_t b = *p;
        if (taken == 0) {
            if ((lead == 0xE0 && b < 0xA0) || (lead == 0xED && b >= 0xA0)
                || (lead == 0xF0 && b < 0x90) || (lead == 0xF4 && b > 0x8F))
                wellFormed = false;
        }
        c = (c << 6) | (b & 0x3Fu);
        ++taken;
        ++p;
    }
    *next = p;
    if (!wellFormed || taken < announced) {
        *codePoint = ReplacementCharacter;
        bool ranOut = taken < announced && p == sourceEnd;
        return ranOut ? Decoded::Exhausted : Decoded::Malformed;
    }
    *codePoint = c;
    return Decoded::Ok;
}

}

ConversionResult ConvertSingleCodePointInUTF8(std::uint8_t const* source,
    std::uint8_t const* sourceEnd, std::uint8_t const** next, std::uint32_t* codePoint) {
    switch (decode(source, sourceEnd, next, codePoint)) {
    case Decoded::Exhausted:
        return sourceExhausted;
    case Decoded::Malformed:
        return sourceIllegal;
    case Decoded::Ok:
        break;
    }
    if (isIllegalCodePoint(*codePoint)) {
        *codePoint = ReplacementCharacter;
        return sourceIllegal;
    }
    return conversionOK;
}

bool JCIsWellFormedUTF8(std::uint8_t const* source, std::uint8_t const* sourceEnd,
    std::uint8_t const** next, std::uint32_t* codePoint) {
    return decode(source, sourceEnd, next, codePoint) == Decoded::Ok;
}

std::size_t JCWriteUTF8(std::uint32_t c, std::uint8_t* out) {
    if (c < 0x80) {
        out[0] = std::uint8_t(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = std::uint8_t(0xC0 | (c >> 6));
        out[1] = std::uint8_t(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = std::uint8_t(0xE0 | (c >> 12));
        out[1] = std::uint8_t(0x80 | ((c >> 6) & 0x3F));
        out[2] = std::uint8_t(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = std::uint8_t(0xF0 | (c >> 18));
    out[1] = std::uint8_t(0x80 | ((c >> 12) & 0x3F));
    out[2] = std::uint8_t(0x80 | ((c >> 6) & 0x3F));
    out[3] = std::uint8_t(0x80 | (c & 0x3F));
    return 4;
}

}
