#include <analytics/KestrelProtocolData.hpp>

#include <foundation/Dates.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

using analytics::KestrelProtocolData;
using base::Bytes;

namespace {

std::string hex(Bytes const& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (auto byte : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

Bytes written(std::function<void(Bytes&)> const& write) {
    Bytes data;
    write(data);
    return data;
}

base::Date unixDate(double seconds) {
    return foundation::dateFromUnixTime(seconds);
}

struct PrimitiveCase {
    char const* name;
    std::function<void(Bytes&)> write;
    char const* bytes;
};

}

TEST(KestrelProtocolData, PrimitivesAreWrittenBigEndian) {
    PrimitiveCase const cases[] = {
        {"true", [](Bytes& d) { KestrelProtocolData::appendBoolean(true, d); }, "01"},
        {"false", [](Bytes& d) { KestrelProtocolData::appendBoolean(false, d); }, "00"},
        {"byte -2", [](Bytes& d) { KestrelProtocolData::appendByte(-2, d); }, "FE"},
        {"ushort 17", [](Bytes& d) { KestrelProtocolData::appendUshort(17, d); }, "00 11"},
        {"ushort 65535", [](Bytes& d) { KestrelProtocolData::appendUshort(65535, d); }, "FF FF"},
        {"int 1", [](Bytes& d) { KestrelProtocolData::appendInt(1, d); }, "00 00 00 01"},
        {"int -2", [](Bytes& d) { KestrelProtocolData::appendInt(-2, d); }, "FF FF FF FE"},
        {"int 0x12345678", [](Bytes& d) { KestrelProtocolData::appendInt(0x12345678, d); },
            "12 34 56 78"},
        {"long -1", [](Bytes& d) { KestrelProtocolData::appendLong(-1, d); },
            "FF FF FF FF FF FF FF FF"},
        {"long 0x0102030405060708",
            [](Bytes& d) { KestrelProtocolData::appendLong(0x0102030405060708, d); },
            "01 02 03 04 05 06 07 08"},
        {"float 1.5", [](Bytes& d) { KestrelProtocolData::appendFloat(1.5f, d); }, "3F C0 00 00"},
        {"float -0", [](Bytes& d) { KestrelProtocolData::appendFloat(-0.0f, d); }, "80 00 00 00"},
        {"double 1.5", [](Bytes& d) { KestrelProtocolData::appendDouble(1.5, d); },
            "3F F8 00 00 00 00 00 00"},
        {"double -2", [](Bytes& d) { KestrelProtocolData::appendDouble(-2.0, d); },
            "C0 00 00 00 00 00 00 00"},
        {"timestamp 1970 + 1.5 s",
            [](Bytes& d) { KestrelProtocolData::appendTimestamp(unixDate(1.5), d); },
            "00 00 00 00 00 00 05 DC"},
        {"timestamp 2001",
            [](Bytes& d) { KestrelProtocolData::appendTimestamp(base::Date {0}, d); },
            "00 00 00 E3 C7 A7 34 00"},
        {"timestamp truncates toward zero",
            [](Bytes& d) { KestrelProtocolData::appendTimestamp(unixDate(-0.0019), d); },
            "FF FF FF FF FF FF FF FF"},
        {"missing timestamp",
            [](Bytes& d) { KestrelProtocolData::appendTimestamp(std::nullopt, d); },
            "00 00 00 00 00 00 00 00"},
        {"string", [](Bytes& d) { KestrelProtocolData::appendString("Hi", d); }, "00 02 48 69"},
        {"two-byte characters count bytes",
            [](Bytes& d) { KestrelProtocolData::appendString("\xC3\xA9", d); }, "00 02 C3 A9"},
        {"empty string", [](Bytes& d) { KestrelProtocolData::appendString("", d); }, "00 00"},
        {"missing string", [](Bytes& d) { KestrelProtocolData::appendString(std::nullopt, d); },
            "00 00"},
        {"short data",
            [](Bytes& d) {
                KestrelProtocolData::appendShortData(Bytes {1, 2, 3}, d);
            },
            "00 03 01 02 03"},
        {"empty short data", [](Bytes& d) { KestrelProtocolData::appendShortData(Bytes {}, d); },
            "00 00"},
        {"tiny data",
            [](Bytes& d) {
                KestrelProtocolData::appendTinyData(Bytes {9, 8}, d);
            },
            "02 09 08"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(hex(written(c.write)), c.bytes) << c.name;
}

TEST(KestrelProtocolData, AppendsAtTheEndOfWhatIsThere) {
    Bytes data {0xAA};
    KestrelProtocolData::appendUshort(0x0102, data);
    KestrelProtocolData::appendBoolean(true, data);
    EXPECT_EQ(hex(data), "AA 01 02 01");
}

TEST(KestrelProtocolData, LongStringsAreCutTo255CharactersAndCountedInBytes) {
    struct Case {
        char const* name;
        std::string text;
        std::string header; // the count
        std::size_t bytes; // bytes after the count
    };
    std::string e = "\xC3\xA9"; // two UTF-8 bytes, one UTF-16 unit
    std::string pair = "\xF0\x9F\x90\xB6"; // four bytes, a surrogate pair
    auto repeat = [](std::string const& piece, int times) {
        std::string text;
        for (int i = 0; i < times; ++i)
            text += piece;
        return text;
    };
    Case const cases[] = {
        {"300 ASCII characters", std::string(300, 'a'), "00 FF", 255},
        {"255 characters whole", std::string(255, 'b'), "00 FF", 255},
        {"256 characters", std::string(256, 'c'), "00 FF", 255},
        {"255 two-byte characters", repeat(e, 255), "01 FE", 510},
        {"300 two-byte characters", repeat(e, 300), "01 FE", 510},
        // Units 254 and 255 would be the two halves of a pair: the cut falls
        // before it, leaving 254 units.
        {"pair across the cut", std::string(254, 'd') + pair + "tail", "00 FE", 254},
        // 127 pairs are 254 units; the 128th pair would straddle unit 255.
        {"only pairs", repeat(pair, 200), "01 FC", 508},
        {"pair ending at unit 255", std::string(253, 'f') + pair + "tail", "01 01", 257},
    };
    for (auto const& c : cases) {
        Bytes data;
        KestrelProtocolData::appendString(c.text, data);
        ASSERT_GE(data.size(), 2u) << c.name;
        EXPECT_EQ(hex(Bytes(data.begin(), data.begin() + 2)), c.header) << c.name;
        EXPECT_EQ(data.size() - 2, c.bytes) << c.name;
        std::string body(data.begin() + 2, data.end());
        EXPECT_EQ(body, c.text.substr(0, c.bytes)) << c.name;
    }
}

TEST(KestrelProtocolData, LimitStringLengthKeepsWholeCharacters) {
    EXPECT_EQ(KestrelProtocolData::limitStringLength("short"), "short");
    std::string text = std::string(254, 'x') + "\xF0\x9F\x90\xB6";
    EXPECT_EQ(KestrelProtocolData::limitStringLength(text), std::string(254, 'x'));
}

TEST(KestrelProtocolData, TinyDataKeepsTheLowEightBitsOfTheLength) {
    Bytes blob(300, 0x5A);
    Bytes data;
    KestrelProtocolData::appendTinyData(blob, data);
    ASSERT_EQ(data.size(), 1u + 44u);
    EXPECT_EQ(data[0], 44);
}

TEST(KestrelProtocolData, ShortDataLongerThanItsCountIsCutAtTheCount) {
    Bytes blob(70000, 0x11);
    Bytes data;
    KestrelProtocolData::appendShortData(blob, data);
    ASSERT_EQ(data.size(), 2u + 65535u);
    EXPECT_EQ(hex(Bytes(data.begin(), data.begin() + 2)), "FF FF");
}

TEST(KestrelProtocolData, TimeIntervalIsMillisecondsTruncatedAndZeroWhenADateIsMissing) {
    struct Case {
        std::optional<base::Date> from;
        std::optional<base::Date> to;
        std::int64_t expected;
    };
    Case const cases[] = {
        {base::Date {10}, base::Date {12.5}, 2500},
        {base::Date {12.5}, base::Date {10}, -2500},
        {base::Date {0}, base::Date {0.0019}, 1},
        {base::Date {0.0019}, base::Date {0}, -1},
        {std::nullopt, base::Date {5}, 0},
        {base::Date {5}, std::nullopt, 0},
        {base::Date {0}, base::Date {std::numeric_limits<double>::quiet_NaN()}, 0},
        {base::Date {0}, base::Date {1e300}, std::numeric_limits<std::int64_t>::max()},
    };
    for (auto const& c : cases)
        EXPECT_EQ(KestrelProtocolData::timeIntervalFrom(c.from, c.to), c.expected);
}
