#include <base/Decimal.hpp>

#include <cstdlib>
#include <limits>

namespace base {

namespace {

constexpr Decimal::Mantissa powerOfTen(int n) {
    Decimal::Mantissa value = 1;
    for (int i = 0; i < n; ++i)
        value *= 10;
    return value;
}

constexpr Decimal::Mantissa DigitLimit = powerOfTen(Decimal::MaximumDigits);

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void appendDigits(std::string& out, Decimal::Mantissa value) {
    char digits[48];
    int count = 0;
    do {
        digits[count++] = char('0' + int(value % 10));
        value /= 10;
    } while (value);
    while (count)
        out += digits[--count];
}

}

Decimal Decimal::notANumber() {
    Decimal d;
    d.nan_ = true;
    return d;
}

Decimal Decimal::fromInteger(std::int64_t value) {
    bool negative = value < 0;
    auto magnitude = negative ? std::uint64_t(0) - std::uint64_t(value) : std::uint64_t(value);
    return fromParts(magnitude, 0, negative);
}

Decimal Decimal::fromUnsigned(std::uint64_t value) {
    return fromParts(value, 0, false);
}

Decimal Decimal::fromParts(Mantissa mantissa, int exponent, bool negative) {
    // Exponents far outside the range are folded first, so the loops below stay short.
    while (mantissa >= DigitLimit) {
        mantissa /= 10;
        ++exponent;
    }
    Decimal d;
    if (mantissa == 0)
        return d;
    while (mantissa % 10 == 0) {
        mantissa /= 10;
        ++exponent;
    }
    while (exponent > MaximumExponent && mantissa < DigitLimit / 10) {
        mantissa *= 10;
        --exponent;
    }
    if (exponent > MaximumExponent)
        return notANumber();
    while (exponent < MinimumExponent && mantissa) {
        mantissa /= 10;
        ++exponent;
    }
    if (mantissa == 0)
        return d;
    // Digits cut at the small end can leave zeros at the end of the mantissa; one
    // number has one form, so they are folded into the exponent again.
    while (mantissa % 10 == 0 && exponent < MaximumExponent) {
        mantissa /= 10;
        ++exponent;
    }
    d.mantissaLow_ = std::uint64_t(mantissa);
    d.mantissaHigh_ = std::uint64_t(mantissa >> 64);
    d.exponent_ = exponent;
    d.negative_ = negative;
    return d;
}

Decimal Decimal::fromString(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    Mantissa mantissa = 0;
    int digits = 0;
    long exponent = 0;
    bool sawDigit = false;
    for (; at < text.size() && isDigit(text[at]); ++at) {
        sawDigit = true;
        if (digits < MaximumDigits) {
            mantissa = mantissa * 10 + Mantissa(text[at] - '0');
            if (mantissa)
                ++digits;
        } else {
            ++exponent;
        }
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        for (; at < text.size() && isDigit(text[at]); ++at) {
            sawDigit = true;
            if (digits < MaximumDigits) {
                mantissa = mantissa * 10 + Mantissa(text[at] - '0');
                if (mantissa)
                    ++digits;
                --exponent;
            }
        }
    }
    if (!sawDigit)
        return notANumber();
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t e = at + 1;
        bool negativeExponent = false;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) {
            negativeExponent = text[e] == '-';
            ++e;
        }
        if (e < text.size() && isDigit(text[e])) {
            long power = 0;
            for (; e < text.size() && isDigit(text[e]); ++e) {
                if (power < 100000)
                    power = power * 10 + (text[e] - '0');
            }
            exponent += negativeExponent ? -power : power;
        }
    }
    if (mantissa == 0)
        return Decimal();
    // Far out of range either way: too large is not a number, too small is zero.
    if (exponent > MaximumExponent + MaximumDigits)
        return notANumber();
    if (exponent < MinimumExponent - MaximumDigits)
        return Decimal();
    return fromParts(mantissa, int(exponent), negative);
}

std::string Decimal::stringValue() const {
    if (nan_)
        return "NaN";
    std::string digits;
    appendDigits(digits, mantissa());
    std::string out = negative_ ? "-" : "";
    if (exponent_ >= 0) {
        out += digits;
        if (mantissa())
            out.append(std::size_t(exponent_), '0');
        return out;
    }
    auto fraction = std::size_t(-exponent_);
    if (digits.size() > fraction) {
        out += digits.substr(0, digits.size() - fraction);
        out += '.';
        out += digits.substr(digits.size() - fraction);
    } else {
        out += "0.";
        out.append(fraction - digits.size(), '0');
        out += digits;
    }
    return out;
}

double Decimal::doubleValue() const {
    if (nan_)
        return std::numeric_limits<double>::quiet_NaN();
    std::string text = negative_ ? "-" : "";
    appendDigits(text, mantissa());
    text += 'e';
    text += std::to_string(exponent_);
    return std::strtod(text.c_str(), nullptr);
}

std::int64_t Decimal::longLongValue() const {
    if (nan_)
        return 0;
    Mantissa magnitude = mantissa();
    if (exponent_ < 0) {
        for (int i = exponent_; i < 0 && magnitude; ++i)
            magnitude /= 10;
    } else {
        for (int i = 0; i < exponent_ && magnitude; ++i) {
            if (magnitude > Mantissa(std::numeric_limits<std::uint64_t>::max()))
                break;
            magnitude *= 10;
        }
    }
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    if (negative_) {
        if (magnitude > Mantissa(max) + 1)
            return std::numeric_limits<std::int64_t>::min();
        return std::int64_t(Mantissa(0) - magnitude);
    }
    return magnitude > Mantissa(max) ? max : std::int64_t(magnitude);
}

}
