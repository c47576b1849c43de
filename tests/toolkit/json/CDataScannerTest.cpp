#include <toolkit/json/CDataScanner.hpp>

#include <base/Exception.hpp>

#include "ValuePrinter.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using base::Value;
using toolkit::json::CDataScanner;

namespace {

base::Ref<CDataScanner> scannerOf(std::string_view text) {
    return CDataScanner::scannerWithData(base::Bytes(text.begin(), text.end()));
}

}

TEST(CDataScanner, ScansNumbersByTheirText) {
    struct Case {
        char const* text;
        Value number;
        std::size_t location;
    };
    Case const cases[] = {
        {"12.50,", Value(base::Decimal::fromString("12.5")), 5},
        {"-7]", Value(-7), 2},
        {"18446744073709551615", Value(std::numeric_limits<std::uint64_t>::max()), 20},
        {"1e5", Value(std::uint64_t(1)), 3},
        {"012", Value(std::uint64_t(10)), 3},
        {"-1e5", Value(-1), 4},
        {"42 ", Value(std::uint64_t(42)), 2},
        {"-99999999999999999999", Value(std::numeric_limits<std::int64_t>::min()), 21},
    };
    for (auto const& c : cases) {
        auto scanner = scannerOf(c.text);
        Value number;
        ASSERT_TRUE(scanner->scanNumber(&number)) << c.text;
        EXPECT_EQ(number, c.number) << c.text;
        EXPECT_EQ(number.kind(), c.number.kind()) << c.text;
        EXPECT_EQ(scanner->scanLocation(), c.location) << c.text;
    }
    auto scanner = scannerOf("x1");
    EXPECT_FALSE(scanner->scanNumber());
    EXPECT_EQ(scanner->scanLocation(), 0u);
    base::Decimal decimal;
    EXPECT_TRUE(scannerOf("0.25x")->scanDecimalNumber(&decimal));
    EXPECT_EQ(decimal.stringValue(), "0.25");
}

TEST(CDataScanner, ScansBytesTextsAndRuns) {
    auto scanner = scannerOf("ab  cd*/ef");
    EXPECT_EQ(scanner->currentCharacter(), std::uint8_t('a'));
    EXPECT_FALSE(scanner->scanCharacter(std::uint8_t('b')));
    EXPECT_TRUE(scanner->scanCharacter(std::uint8_t('a')));
    EXPECT_EQ(scanner->scanCharacter(), std::uint8_t('b'));
    scanner->skipWhitespace();
    std::string text;
    EXPECT_FALSE(scanner->scanString("cx", &text));
    EXPECT_TRUE(scanner->scanUpToString("cd", &text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(scanner->scanUpToString("*/", &text));
    EXPECT_EQ(text, "cd");
    EXPECT_FALSE(scanner->scanUpToString("zz", &text));
    EXPECT_TRUE(scanner->scanUTF8String("*/", &text));
    EXPECT_EQ(text, "*/");
    EXPECT_TRUE(scanner->scanCharactersFromSet([](char32_t c) { return c == 'e'; }, &text));
    EXPECT_EQ(text, "e");
    EXPECT_FALSE(scanner->scanUpToCharactersFromSet([](char32_t c) { return c == 'f'; }));
    EXPECT_EQ(scanner->remainingString(), "f");
    base::Bytes bytes;
    EXPECT_FALSE(scanner->scanDataOfLength(2, &bytes));
    EXPECT_TRUE(scanner->scanDataOfLength(1, &bytes));
    EXPECT_EQ(bytes, base::Bytes {'f'});
    EXPECT_TRUE(scanner->isAtEnd());
    EXPECT_EQ(scanner->currentCharacter(), std::nullopt);
    EXPECT_EQ(scanner->scanCharacter(), std::nullopt);
    EXPECT_FALSE(scanner->scanCharacter(std::uint8_t(0)));
    EXPECT_THROW(scanner->setScanLocation(11), base::Exception);
    scanner->setScanLocation(2);
    EXPECT_EQ(scanner->bytesRemaining(), 8u);
    // Byte values are character codes: 0x85 tests as U+0085.
    auto latin = scannerOf("\x85x");
    EXPECT_TRUE(latin->scanCharactersFromSet([](char32_t c) { return c == 0x85; }));
    EXPECT_EQ(latin->remainingData(), base::Bytes {'x'});
    EXPECT_EQ(scannerOf("\xFF")->remainingString(), std::nullopt);
}

TEST(CDataScanner, ScansCommentsAndRaisesOnBrokenOnes) {
    auto scanner = scannerOf("/* a */x");
    std::string text;
    EXPECT_TRUE(scanner->scanCStyleComment(&text));
    EXPECT_EQ(text, " a ");
    EXPECT_EQ(scanner->currentCharacter(), std::uint8_t('x'));
    EXPECT_FALSE(scanner->scanCStyleComment(&text));

    struct Case {
        char const* text;
        char const* reason;
    };
    Case const broken[] = {
        {"/* a /* b */", "C style comments should not be nested."},
        {"/* open", "Started to scan a C style comment but it wasn't terminated."},
    };
    for (auto const& c : broken) {
        try {
            scannerOf(c.text)->scanCStyleComment();
            ADD_FAILURE() << c.text;
        } catch (base::Exception const& e) {
            EXPECT_EQ(e.name(), base::GenericException);
            EXPECT_EQ(e.reason(), c.reason);
        }
    }

    scanner = scannerOf("// x\r\ny");
    EXPECT_TRUE(scanner->scanCPlusPlusStyleComment(&text));
    EXPECT_EQ(text, " x");
    EXPECT_EQ(scanner->currentCharacter(), std::uint8_t('y'));
    scanner = scannerOf("//end");
    EXPECT_TRUE(scanner->scanCPlusPlusStyleComment(&text));
    EXPECT_EQ(text, "end");
    EXPECT_TRUE(scanner->isAtEnd());
}

TEST(CDataScanner, ReportsItsPosition) {
    auto scanner = scannerOf("ab\ncd");
    scanner->setScanLocation(4);
    EXPECT_EQ(scanner->lineOfScanLocation(), 1u);
    auto info = scanner->userInfoForScanLocation();
    EXPECT_EQ(info->objectForKey("line"), Value(1));
    EXPECT_EQ(info->objectForKey("character"), Value(1));
    EXPECT_EQ(info->objectForKey("location"), Value(4));
    EXPECT_EQ(info->objectForKey("snippet"), Value("ab\nc!HERE>!d"));

    scanner = scannerOf("0123456789012345678901234567890123456789ABC");
    scanner->setScanLocation(21);
    info = scanner->userInfoForScanLocation();
    EXPECT_EQ(info->objectForKey("character"), Value(21));
    EXPECT_EQ(
        info->objectForKey("snippet"), Value("12345678901234567890!HERE>!1234567890123456789A"));
    scanner = scannerOf("\r\n\xC3\xA9");
    scanner->setScanLocation(3);
    info = scanner->userInfoForScanLocation();
    EXPECT_EQ(info->objectForKey("line"), Value(2));
    EXPECT_EQ(info->objectForKey("snippet"), Value("(null)!HERE>!(null)"));
}
