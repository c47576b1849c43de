#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// The platform's decimal number: a sign, a mantissa of up to 38 decimal digits and a
// power of ten from -128 to 127, or "not a number". It holds numbers written in text
// exactly (0.1 is one tenth, not the nearest double), which is why JSON readers make
// them from a number's text. Kept compact: trailing zeros of the mantissa move into
// the exponent, so equal numbers have equal parts. A plain value.
class Decimal {
public:
    using Mantissa = unsigned __int128;

    static constexpr int MaximumDigits = 38;
    static constexpr int MinimumExponent = -128;
    static constexpr int MaximumExponent = 127;

    // Zero.
    Decimal() = default;
    static Decimal notANumber();
    static Decimal fromInteger(std::int64_t value);
    static Decimal fromUnsigned(std::uint64_t value);
    // mantissa x 10^exponent, negated when negative. Digits past 38 are cut (rounding
    // toward zero); a power of ten above the range gives not-a-number, one below it
    // loses digits and may give zero.
    static Decimal fromParts(Mantissa mantissa, int exponent, bool negative);
    // Reads the longest start of the text that spells a number: an optional sign,
    // digits with an optional point (".5" and "5." count), and an optional exponent
    // ("e" or "E", an optional sign, digits). Leading white space is skipped. Text
    // without a digit, or a number out of range, gives not-a-number.
    static Decimal fromString(std::string_view text);

    bool isNaN() const { return nan_; }
    bool isZero() const { return !nan_ && (mantissaLow_ | mantissaHigh_) == 0; }
    bool isNegative() const { return negative_; }
    Mantissa mantissa() const { return Mantissa(mantissaHigh_) << 64 | mantissaLow_; }
    int exponent() const { return exponent_; }

    // Plain decimal text without an exponent: "12.5", "-7", "0.001", "NaN".
    std::string stringValue() const;
    // The nearest double.
    double doubleValue() const;
    // Toward zero, saturating at the limits; 0 for not-a-number.
    std::int64_t longLongValue() const;

    bool operator==(Decimal const&) const = default;

private:
    // The mantissa in two halves, so that a decimal needs no 16-byte alignment and
    // takes 24 bytes rather than 32 inside the values that hold it.
    std::uint64_t mantissaLow_ {0};
    std::uint64_t mantissaHigh_ {0};
    int exponent_ {0};
    bool negative_ {false};
    bool nan_ {false};
};

}
