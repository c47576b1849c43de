// Trees that callers build and send as request bodies. The bytes are a little
// program that builds a tree of every kind a value can be (strings of any bytes,
// numbers of every kind including NaN, the null object, data and dates). Writing it
// either succeeds or is refused for a reason of the tree's own (a value JSON cannot
// hold, a string that is not UTF-8); text that was written decodes back to the same
// tree unless a string holds a code point that the reader refuses.
#include "FuzzSupport.hpp"

#include <toolkit/json/JSONDecoder.hpp>
#include <toolkit/json/JSONEncoder.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using base::Value;
using namespace toolkit::json;

namespace {

struct Reader {
    std::uint8_t const* data;
    std::size_t size;
    std::size_t at {0};

    bool done() const { return at >= size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    std::uint64_t word() {
        std::uint64_t w = 0;
        for (int i = 0; i < 8; ++i)
            w = w << 8 | byte();
        return w;
    }
    std::string text() {
        std::size_t n = byte() % 24;
        std::string s;
        while (n-- && !done())
            s.push_back(char(byte()));
        return s;
    }
};

Value build(Reader& in, int depth) {
    switch (in.byte() % (depth > 6 ? 9 : 11)) {
    case 0:
        return Value(std::int64_t(in.word()));
    case 1:
        return Value(in.word());
    case 2: {
        double d;
        auto w = in.word();
        std::memcpy(&d, &w, 8);
        return Value(d);
    }
    case 3:
        return Value(in.text());
    case 4:
        return Value(bool(in.byte() & 1));
    case 5:
        return Value::nullObject();
    case 6:
        return Value(base::Bytes {1, 2});
    case 7:
        return Value(base::Date {1});
    case 8:
        return Value("");
    case 9: {
        auto array = base::Array::create();
        for (int n = in.byte() % 6; n > 0 && !in.done(); --n)
            array->add(build(in, depth + 1));
        return Value(array);
    }
    default: {
        auto dictionary = base::Dictionary::create();
        for (int n = in.byte() % 6; n > 0 && !in.done(); --n) {
            auto key = in.text();
            dictionary->setObject(key, build(in, depth + 1));
        }
        return Value(dictionary);
    }
    }
}

// Whether every value of the final tree is one JSON can hold (a later value of a
// dictionary key may replace one that cannot).
bool holdable(Value const& value) {
    switch (value.kind()) {
    case Value::Kind::Real:
        return std::isfinite(value.doubleValue());
    case Value::Kind::Data:
    case Value::Kind::Date:
        return false;
    case Value::Kind::Array:
        for (auto const& element : *value.array()) {
            if (!holdable(element))
                return false;
        }
        return true;
    case Value::Kind::Dictionary:
        for (auto const& entry : *value.dictionary()) {
            if (!holdable(entry.second))
                return false;
        }
        return true;
    default:
        return true;
    }
}

bool isUTF8Failure(std::string const& message) {
    return message == "An error occurred converting the contents of a NSString to UTF8."
        || message == "Error converting UTF8.";
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    Reader in {data, size};
    unsigned options = in.byte() & 0x03;
    auto tree = base::Array::create();
    while (!in.done())
        tree->add(build(in, 0));
    bool representable = holdable(Value(tree));

    JCError error;
    auto text = JSONString(*tree, options, &error);
    if (!text) {
        FUZZ_CHECK(!representable || isUTF8Failure(error.localizedDescription));
        return 0;
    }
    FUZZ_CHECK(representable);
    JCError decodeError;
    auto back = objectFromJSONString(*text, 0, &decodeError);
    if (back.isNil()) {
        FUZZ_CHECK(decodeError.localizedDescription == "Illegal UTF8 sequence found in \"\" string."
            || decodeError.localizedDescription == "Illegal \\u Unicode escape sequence.");
        return 0;
    }
    FUZZ_CHECK(back == Value(tree));
    return 0;
}
