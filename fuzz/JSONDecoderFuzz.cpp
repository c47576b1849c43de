// JSON as it comes from the game server, directives, content lists and the REST
// toolkit. The first byte picks the parse options, the rest is the text. Any bytes
// decode to a tree or are refused with an error whose offset lies inside the input;
// a decoded tree is written back (raw and with \u escapes), and the text decodes to
// the same tree, in mutable form as well.
#include "FuzzSupport.hpp"

#include <toolkit/json/JSONDecoder.hpp>
#include <toolkit/json/JSONEncoder.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

using namespace toolkit::json;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size == 0)
        return 0;
    unsigned options = data[0] & JCParseOptionValidFlags;
    auto text = data + 1;
    std::size_t length = size - 1;

    auto decoder = JSONDecoder::decoderWithParseOptions(options);
    JCError error;
    auto tree = decoder->objectWithUTF8String(text, length, &error);
    if (tree.isNil()) {
        FUZZ_CHECK(!error.localizedDescription.empty());
        FUZZ_CHECK(error.atIndex && *error.atIndex <= length);
        FUZZ_CHECK(error.lineNumber && *error.lineNumber >= 1 && *error.lineNumber <= length + 1);
        return 0;
    }
    FUZZ_CHECK(tree.isArray() || tree.isDictionary());
    FUZZ_CHECK(decoder->mutableObjectWithUTF8String(text, length) == tree);

    auto strict = JSONDecoder::decoder();
    for (unsigned encodeOptions : {0u, unsigned(JCSerializeFlagEscapeUnicode)}) {
        JCError encodeError;
        auto written = tree.isArray() ? JSONString(*tree.array(), encodeOptions, &encodeError)
                                      : JSONString(*tree.dictionary(), encodeOptions, &encodeError);
        FUZZ_CHECK(written);
        JCError again;
        auto back = strict->objectWithString(*written, &again);
        FUZZ_CHECK(back == tree);
    }
    return 0;
}
