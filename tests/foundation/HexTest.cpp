#include <foundation/Hex.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using foundation::Hex;
using foundation::HexCase;

TEST(Hex, EncodesTwoDigitsPerByteInTheAskedCase) {
    base::Bytes bytes {0x0a, 0xff, 0x00, 0x5c};
    EXPECT_EQ(Hex::encode(bytes), "0aff005c");
    EXPECT_EQ(Hex::encode(bytes, HexCase::Upper), "0AFF005C");
    EXPECT_EQ(Hex::encode(base::Bytes()), "");
}

TEST(Hex, DecodesEitherCaseAndRefusesAnythingElse) {
    struct Case {
        char const* text;
        std::optional<base::Bytes> bytes;
    };
    std::vector<Case> const cases = {
        {"", base::Bytes()},
        {"0aff", base::Bytes {0x0a, 0xff}},
        {"0AfF", base::Bytes {0x0a, 0xff}},
        {"0af", std::nullopt},
        {"0g", std::nullopt},
        {" 0a", std::nullopt},
        {"0a\n", std::nullopt},
        {"0x0a", std::nullopt},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Hex::decode(c.text), c.bytes);
    }
}

TEST(Hex, ReadsOneDigitOfEitherCase) {
    struct Case {
        char32_t character;
        int value;
    };
    Case const cases[] = {
        {U'0', 0}, {U'9', 9}, {U'a', 10}, {U'f', 15}, {U'A', 10}, {U'F', 15}, {U'g', -1},
        {U'G', -1}, {U'/', -1}, {U':', -1}, {U'@', -1}, {U'`', -1}, {U' ', -1},
        {0xFF10, -1}, // a full-width zero
        {char32_t(char(0xE9)), -1}, // a byte above 0x7F read from a signed char
    };
    for (auto const& c : cases)
        EXPECT_EQ(Hex::digitValue(c.character), c.value) << std::uint32_t(c.character);
}

TEST(Hex, EveryByteValueSurvivesARoundTrip) {
    base::Bytes all;
    for (int b = 0; b < 256; ++b)
        all.push_back(std::uint8_t(b));
    EXPECT_EQ(Hex::decode(Hex::encode(all)), all);
    EXPECT_EQ(Hex::decode(Hex::encode(all, HexCase::Upper)), all);
}
