// The Adnoria client's JSON reader over any text. The first byte picks object or
// fragment reading, sorted keys, indented output and the nesting setting (512, or 0,
// which still stops at the hard cap). A refused input leaves an error with a code
// from 1 to 12 and a message, and every wrapped error is one too; a read value is
// written and the text reads back to the same value.
#include "FuzzSupport.hpp"

#include <ads/adnoria/ADN_PJSON.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

using ads::adnoria::ADN_PJSON;
using ads::adnoria::ADN_PJSONError;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size == 0)
        return 0;
    bool fragment = data[0] & 1;
    std::string_view text(reinterpret_cast<char const*>(data + 1), size - 1);

    auto reader = ADN_PJSON::create();
    reader->setMaxDepth(data[0] & 8 ? 0 : 512);
    ADN_PJSONError error;
    auto value = fragment ? reader->fragmentWithString(text, &error)
                          : reader->objectWithString(text, &error);
    if (value.isNil()) {
        unsigned chain = 0;
        for (ADN_PJSONError const* at = &error; at; at = at->underlyingError.get()) {
            FUZZ_CHECK(at->code >= 1 && at->code <= 12);
            FUZZ_CHECK(!at->localizedDescription.empty());
            FUZZ_CHECK(++chain <= 2 * ADN_PJSON::HardMaximumDepth + 8);
        }
        return 0;
    }
    FUZZ_CHECK(fragment || value.isArray() || value.isDictionary());

    auto writer = ADN_PJSON::create();
    writer->setSortKeys(data[0] & 2);
    writer->setHumanReadable(data[0] & 4);
    auto written = writer->stringWithFragment(value);
    FUZZ_CHECK(written);
    auto again = ADN_PJSON::create()->fragmentWithString(*written);
    FUZZ_CHECK(again == value);
    return 0;
}
