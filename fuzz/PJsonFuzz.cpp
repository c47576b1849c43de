// The Meridian and Marquee clients' strict JSON reader over any text. The first byte
// picks object or fragment reading, the writer's sorted keys and human-readable form,
// and the nesting limit (512, or none, which still stops at the hard cap). A refused
// input leaves a trace of errors with codes 1 to 12, each chained to the one before;
// a read value is written and the text reads back to the same value.
#include "FuzzSupport.hpp"

#include <toolkit/json/PJsonParser.hpp>
#include <toolkit/json/PJsonWriter.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

using base::Value;
using namespace toolkit::json;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size == 0)
        return 0;
    bool fragment = data[0] & 1;
    unsigned maxDepth = data[0] & 8 ? 0 : PJsonBase::PJsonDefaultMaximumDepth;
    std::string_view text(reinterpret_cast<char const*>(data + 1), size - 1);

    auto parser = PJsonParser::parser();
    parser->setMaxDepth(maxDepth);
    Value value = fragment ? parser->fragmentWithString(text) : parser->objectWithString(text);
    auto trace = parser->errorTrace();
    if (value.isNil()) {
        FUZZ_CHECK(!trace.empty());
        for (std::size_t i = 0; i < trace.size(); ++i) {
            FUZZ_CHECK(trace[i].code >= 1 && trace[i].code <= 12);
            FUZZ_CHECK(!trace[i].localizedDescription.empty());
            FUZZ_CHECK(bool(trace[i].underlyingError) == (i > 0));
            if (i > 0)
                FUZZ_CHECK(trace[i].underlyingError->code == trace[i - 1].code);
        }
        return 0;
    }
    FUZZ_CHECK(trace.empty());
    FUZZ_CHECK(fragment || value.isArray() || value.isDictionary());

    auto writer = PJsonWriter::writer();
    writer->setMaxDepth(maxDepth);
    writer->setSortKeys(data[0] & 2);
    writer->setHumanReadable(data[0] & 4);
    auto written = writer->stringWithFragment(value);
    FUZZ_CHECK(written);
    auto reader = PJsonParser::parser();
    reader->setMaxDepth(maxDepth);
    FUZZ_CHECK(reader->fragmentWithString(*written) == value);
    return 0;
}
