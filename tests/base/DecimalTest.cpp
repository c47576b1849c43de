#include <base/Decimal.hpp>
#include <base/Value.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using base::Decimal;
using base::Value;

TEST(Decimal, ReadsTheExactTextOfANumber) {
    struct Case {
        char const* text;
        char const* string;
        int exponent;
    };
    Case const cases[] = {
        {"12.50", "12.5", -1},
        {"-7", "-7", 0},
        {"0.001", "0.001", -3},
        {"1e3", "1000", 3},
        {"1.5E-2", "0.015", -3},
        {"-0", "0", 0},
        {".5", "0.5", -1},
        {"5.", "5", 0},
        {"  42abc", "42", 0},
        {"1.2.3", "1.2", -1},
        {"12345678901234567890123456789012345678", "12345678901234567890123456789012345678", 0},
        // Digits past 38 are cut.
        {"1234567890123456789012345678901234567899", "1234567890123456789012345678901234567800", 2},
        {"1e127", nullptr, 127},
        {"", "NaN", 0},
        {"-.", "NaN", 0},
        {"1e128000", "NaN", 0},
        {"1e-200", "0", 0},
        // Cut at the smallest exponent, then the zeros left at the end are folded.
        {"23030e-130", nullptr, -127},
    };
    for (auto const& c : cases) {
        auto d = Decimal::fromString(c.text);
        if (c.string) {
            EXPECT_EQ(d.stringValue(), c.string) << c.text;
        }
        EXPECT_EQ(d.exponent(), c.exponent) << c.text;
    }
    // Written and read again, a number cut at the small end is the same number.
    auto cut = Decimal::fromString("23030e-130");
    EXPECT_EQ(Decimal::fromString(cut.stringValue()), cut);
    EXPECT_TRUE(Decimal::fromString("1e128").isNaN() == false);
    EXPECT_TRUE(Decimal::fromString("1e200").isNaN());
}

TEST(Decimal, ConvertsAndComparesAsANumberValue) {
    Value tenth(Decimal::fromString("0.1"));
    EXPECT_TRUE(tenth.isNumber());
    EXPECT_TRUE(tenth.isDecimal());
    EXPECT_EQ(tenth, Value(0.1));
    EXPECT_EQ(tenth.doubleValue(), 0.1);
    EXPECT_EQ(Value(Decimal::fromString("3.9")).intValue(), 3);
    EXPECT_EQ(Value(Decimal::fromString("-3.9")).longLongValue(), -3);
    EXPECT_EQ(Value(Decimal::fromString("1e30")).longLongValue(),
        std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Value(Decimal::fromString("12.50")).stringValue(), "12.5");
    EXPECT_EQ(Value(Decimal::fromString("12.50")).description(), "12.5");
    EXPECT_EQ(Value(Decimal::fromString("5")), Value(5));
    EXPECT_EQ(Value(Decimal::fromString("18446744073709551615")),
        Value(std::numeric_limits<std::uint64_t>::max()));
    EXPECT_FALSE(Value(Decimal::fromString("5.5")) == Value(5));
    EXPECT_TRUE(Value(Decimal::fromString("2")).boolValue());
    EXPECT_FALSE(Value(Decimal()).boolValue());
    EXPECT_TRUE(std::isnan(Decimal::notANumber().doubleValue()));
    EXPECT_EQ(Decimal::fromInteger(std::numeric_limits<std::int64_t>::min()).longLongValue(),
        std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Decimal::fromParts(1500, -2, true).stringValue(), "-15");
}

TEST(Decimal, KeepsBothHalvesOfAWideMantissa) {
    using Mantissa = Decimal::Mantissa;
    // 2^64 + 1 and 2^64 + 3 share their low half's high bits and differ only in digits
    // that need both halves.
    Mantissa wide = (Mantissa(1) << 64) + 1;
    auto d = Decimal::fromParts(wide, 0, false);
    EXPECT_EQ(d.mantissa(), wide);
    EXPECT_FALSE(d.isZero());
    EXPECT_EQ(d.stringValue(), "18446744073709551617");
    EXPECT_NE(d, Decimal::fromParts(wide + 2, 0, false));
    EXPECT_NE(d, Decimal::fromParts(1, 0, false));
    // Only the high half set: a multiple of 2^64 that ends in no zero.
    auto high = Decimal::fromParts(Mantissa(1) << 64, 0, true);
    EXPECT_FALSE(high.isZero());
    EXPECT_EQ(high.stringValue(), "-18446744073709551616");
    EXPECT_EQ(Decimal::fromString(high.stringValue()), high);
    // A decimal sits inside values, so it keeps to 8-byte alignment and 24 bytes.
    static_assert(alignof(Decimal) == 8 && sizeof(Decimal) == 24);
    static_assert(sizeof(Value) <= 40);
}
