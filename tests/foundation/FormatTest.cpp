#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/Format.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>

using foundation::format;

namespace {

class Described final : public base::Object {
public:
    std::string description() const { return "<Described 7>"; }

private:
    friend base::Factory;

    Described() = default;
};

class Plain final : public base::Object {
    friend base::Factory;

    Plain() = default;
};

struct Point {
    int x;
    int y;
    std::string description() const {
        return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    }
};

enum class Colour { Red = 2 };

}

TEST(Format, WritesEachConversionAsThePlatformDoes) {
    struct Case {
        std::string got;
        char const* expected;
    };
    Case const cases[] = {
        {format("plain text"), "plain text"},
        {format("%d coins", 42), "42 coins"},
        {format("%i|%5d|%-5d|%05d|%+d|% d", -3, 42, 42, 42, 7, 7), "-3|   42|42   |00042|+7| 7"},
        {format("%.3d|%.0d|%8.3d", 5, 0, -5), "005||    -005"},
        {format("%u %lu %llu %qd", 3u, 4ul, 5ull, 6ll), "3 4 5 6"},
        {format("%ld %lld", LONG_MIN, LLONG_MAX), "-9223372036854775808 9223372036854775807"},
        {format("%x %X %#x %#X %o %#o", 255, 255, 255, 255, 8, 8), "ff FF 0xff 0XFF 10 010"},
        {format("%08X", 0xBEEFu), "0000BEEF"},
        {format("%02x%02x", 10, 11), "0a0b"},
        {format("%c%c%C", 'O', 'K', char16_t(0x00E9)), "OK\xC3\xA9"},
        {format("%s and %s", "this", std::string("that")), "this and that"},
        {format("%@ = %@", std::string_view("key"), "value"), "key = value"},
        {format("[%10s|%-6@|%.2s]", "right", "left", "cut"), "[     right|left  |cu]"},
        {format("%f %.2f %.0f %1.0f", 1.5, 3.14159, 2.5, 3.5), "1.500000 3.14 2 4"},
        {format("%e %g %G %.17g", 12345.678, 0.0001, 1e-10, 0.1),
            "1.234568e+04 0.0001 1E-10 0.10000000000000001"},
        {format("%8.3f|%-8.1f|%+.1f", 3.14159, 2.0, 2.0), "   3.142|2.0     |+2.0"},
        {format("%a", 1.0), "0x1p+0"},
        {format("100%% sure"), "100% sure"},
        {format("%*d|%-*d|%.*f", 4, 7, 3, 8, 2, 1.0), "   7|8  |1.00"},
        {format("%*.*s|", 6, 2, "abcdef"), "    ab|"},
        {format("%2$@ %1$@", "world", "hello"), "hello world"},
        {format("%1$d-%1$d", 9), "9-9"},
        {format("%hd %hhd %hu %hhx", 70000, 300, -1, 511), "4464 44 65535 ff"},
        {format("%zu %td %jd", std::size_t(12), std::ptrdiff_t(-3), std::intmax_t(5)), "12 -3 5"},
        {format("%d %d", true, false), "1 0"},
        {format("%d", Colour::Red), "2"},
        {format("%@", 0.1f), "0.1"},
        {format("%@ %@ %@", 0.5, -3, 18446744073709551615ull), "0.5 -3 18446744073709551615"},
        {format("%d %u", 4294967295u, -1), "4294967295 4294967295"},
        {format("%x %lx", -1, -1), "ffffffff ffffffffffffffff"},
        {format("%llx", std::int64_t(-2)), "fffffffffffffffe"},
        {format("%d", INT64_MIN), "-9223372036854775808"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(Format, DescribesValuesObjectsAndNulls) {
    auto dictionary = base::Dictionary::create({{"a", 1}});
    auto array = base::Array::create({base::Value("x"), base::Value(2)});
    base::Ref<Described> described = base::make<Described>();
    base::Ref<Described> none;
    Point point {1, 2};
    std::optional<std::string> missing;
    std::optional<std::string> present = "here";

    EXPECT_EQ(format("%@", base::Value("text")), "text");
    EXPECT_EQ(format("%@", base::Value(12)), "12");
    EXPECT_EQ(format("%@", base::Value()), "(null)");
    EXPECT_EQ(format("%@", dictionary), "{\n    a = 1;\n}");
    EXPECT_EQ(format("%@", array), "(\n    x,\n    2\n)");
    EXPECT_EQ(format("%@", base::Value(dictionary)), "{\n    a = 1;\n}");
    EXPECT_EQ(format("%@", described), "<Described 7>");
    EXPECT_EQ(format("%@", described.get()), "<Described 7>");
    EXPECT_EQ(format("%@|%s", none, none), "(null)|(null)");
    EXPECT_EQ(format("%@ %s", nullptr, static_cast<char const*>(nullptr)), "(null) (null)");
    EXPECT_EQ(format("%@", point), "(1, 2)");
    EXPECT_EQ(format("%@/%@", missing, present), "(null)/here");
    EXPECT_EQ(format("%@", base::Date {0}), "2001-01-01 00:00:00 +0000");

    auto plain = base::make<Plain>();
    std::string text = format("%@", plain);
    EXPECT_EQ(text.rfind("<(anonymous namespace)::Plain: 0x", 0), 0u) << text;
}

TEST(Format, PrintsAddressesWithP) {
    int value = 0;
    char expected[32];
    std::snprintf(expected, sizeof expected, "0x%llx",
        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&value)));
    EXPECT_EQ(format("%p", &value), expected);
    EXPECT_EQ(format("%p", static_cast<void*>(nullptr)), "0x0");
    EXPECT_EQ(format("[%6p]", static_cast<void*>(nullptr)), "[   0x0]");
    auto described = base::make<Described>();
    EXPECT_EQ(format("PET_COMBO_%p", described),
        format("PET_COMBO_%p", static_cast<void const*>(described.get())));
    // An address given to %X prints its number, as the engine's cache keys do.
    auto address = reinterpret_cast<std::uintptr_t>(described.get());
    EXPECT_EQ(
        format("%08X", described), format("%08llX", static_cast<unsigned long long>(address)));
}

TEST(Format, MismatchedArgumentsGiveSensibleText) {
    struct Case {
        std::string got;
        char const* expected;
    };
    Case const cases[] = {
        // A string given to a number conversion reads its leading number.
        {format("%d", "12 apples"), "12"},
        {format("%d", "apples"), "0"},
        {format("%d", std::string("99999999999")), "2147483647"},
        {format("%lld", "99999999999"), "99999999999"},
        {format("%.1f", "2.75"), "2.8"},
        // A Value gives its intValue, or its longLongValue with a long modifier.
        {format("%d", base::Value("42")), "42"},
        {format("%d", base::Value(3.9)), "3"},
        {format("%d|%lld", base::Value(5000000000ll), base::Value(5000000000ll)),
            "705032704|5000000000"},
        {format("%f", base::Value(2)), "2.000000"},
        {format("%d", base::Value()), "0"},
        // A number given to %@ or %s prints as its description.
        {format("%@ %s", 7, 2.5), "7 2.5"},
        {format("%@", true), "1"},
        {format("%s", 'x'), "x"},
        // A real given to %d is cut toward zero; an integer given to %f converts.
        {format("%d %d", 2.9, -2.9), "2 -2"},
        {format("%d", 1e300), "9223372036854775807"},
        {format("%.1f", 3), "3.0"},
        {format("%c", "Yes"), "Y"},
        {format("%c", nullptr), ""},
        {format("%d %f", nullptr, nullptr), "0 0.000000"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(Format, BadFormatsNeverReadMissingArgumentsAndStandAsWritten) {
    struct Case {
        std::string got;
        char const* expected;
    };
    Case const cases[] = {
        {format("Level %d"), "Level %d"},
        {format("%@ and %@", "one"), "one and %@"},
        {format("%5.2f%%", 1.0), " 1.00%"},
        {format("50% off"), "50% off"},
        // "% o" is a conversion (octal with a space flag): with an argument it takes it.
        {format("50% off", 3), "503ff"},
        {format("trailing %"), "trailing %"},
        {format("trailing %5"), "trailing %5"},
        {format("trailing %-#l"), "trailing %-#l"},
        {format("%y unknown %d", 1), "%y unknown 1"},
        {format("%k%w%v", 1), "%k%w%v"},
        {format("count%n", 5), "count%n"},
        {format("%3$@ %1$@", "a", "b"), "%3$@ a"},
        {format("%0$d", 1), "%0$d"},
        {format("%*d", 5), "%*d"},
        {format("%.*s", "text"), "%.*s"},
        {format("%d %s %@ %f %c %p %x"), "%d %s %@ %f %c %p %x"},
        {format("caf\xC3\xA9 %\xC3\xA9", 1), "caf\xC3\xA9 %\xC3\xA9"},
        {format(static_cast<char const*>(nullptr), 1), ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(Format, KeepsNulBytesOfTheFormat) {
    EXPECT_EQ(format(std::string_view("a%\0d", 4), 1), std::string("a%\0d", 4));
}

TEST(Format, CapsHugeWidthsAndPrecisions) {
    EXPECT_EQ(format("%999999999999d", 1).size(), 1024u);
    EXPECT_EQ(format("%.99999999f", 1.0).size(), 1026u);
    EXPECT_EQ(format("%*d", INT_MIN, 1).size(), 1024u);
    EXPECT_EQ(format("%*d|", -3, 1), "1  |");
    EXPECT_EQ(format("%.*s|", -1, "all"), "all|");
}

TEST(Format, CountsWidthAndPrecisionInUtf16Units) {
    // U+00E9 is one unit, U+1F600 two; a cut never splits a character.
    EXPECT_EQ(format("[%4@]", "\xC3\xA9"), "[   \xC3\xA9]");
    EXPECT_EQ(format("[%.1@]", "\xF0\x9F\x98\x80x"), "[]");
    EXPECT_EQ(format("[%.2@]", "\xF0\x9F\x98\x80x"), "[\xF0\x9F\x98\x80]");
    EXPECT_EQ(format("[%3s]", "\xF0\x9F\x98\x80"), "[ \xF0\x9F\x98\x80]");
}

TEST(Format, LogWritesTheFormattedLine) {
    test::LogCapture capture;
    foundation::log("KestrelAnalytics: set age to [%@]", 31);
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0], "KestrelAnalytics: set age to [31]");
}
