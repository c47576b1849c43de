// The byte scanner under the mediation client's JSON reader, driven by the input
// itself: the first bytes choose a sequence of operations, the rest is the data. Every
// operation keeps the position inside the data, one that fails leaves it where it was,
// and the comment scanners raise only their named exception.
#include "FuzzSupport.hpp"

#include <toolkit/json/CDataScanner.hpp>

#include <base/Exception.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

using toolkit::json::CDataScanner;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size < 4)
        return 0;
    std::uint8_t const* ops = data;
    constexpr std::size_t opCount = 4;
    auto scanner = CDataScanner::scannerWithData(base::Bytes(data + opCount, data + size));
    std::size_t const length = size - opCount;
    for (std::size_t step = 0; step < 64; ++step) {
        std::uint8_t op = ops[step % opCount] >> (step / opCount % 2 * 4);
        std::size_t before = scanner->scanLocation();
        bool moved = true;
        std::string text;
        base::Value number;
        switch (op % 12) {
        case 0:
            moved = scanner->scanNumber(&number);
            if (moved)
                FUZZ_CHECK(number.isNumber());
            break;
        case 1: {
            base::Decimal decimal;
            moved = scanner->scanDecimalNumber(&decimal);
            break;
        }
        case 2:
            moved = scanner->scanUpToString("*/", &text);
            break;
        case 3:
            moved = scanner->scanCharactersFromSet([](char32_t c) { return c < 0x80; }, &text);
            break;
        case 4:
            moved = scanner->scanUpToCharactersFromSet([](char32_t c) { return c == ','; }, &text);
            break;
        case 5:
            try {
                moved = scanner->scanCStyleComment(&text);
            } catch (base::Exception const& e) {
                FUZZ_CHECK(e.name() == base::GenericException);
                moved = scanner->scanLocation() != before;
            }
            break;
        case 6:
            moved = scanner->scanCPlusPlusStyleComment(&text);
            break;
        case 7:
            scanner->skipWhitespace();
            break;
        case 8:
            moved = scanner->scanCharacter().has_value();
            break;
        case 9: {
            auto info = scanner->userInfoForScanLocation();
            FUZZ_CHECK(info->objectForKey("location").unsignedLongLongValue() == before);
            FUZZ_CHECK(info->objectForKey("line").unsignedLongLongValue() <= before);
            FUZZ_CHECK(info->objectForKey("snippet").isString());
            break;
        }
        case 10:
            (void)scanner->remainingString();
            FUZZ_CHECK(scanner->remainingData().size() == length - before);
            break;
        default:
            moved = scanner->scanDataOfLength(op % 7, nullptr);
            break;
        }
        FUZZ_CHECK(scanner->scanLocation() <= length);
        if (!moved)
            FUZZ_CHECK(scanner->scanLocation() == before);
    }
    return 0;
}
