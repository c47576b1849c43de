// The mediation client's JSON reader over any bytes (its encoding detection included).
// The first byte picks the settings: strict escapes, and nulls dropped or kept. A
// refused input carries a scanner or deserializer error whose position lies inside the
// text; a read value is written back by the serializer and reads back equal, unless it
// holds a number the text cannot carry back (not-a-number, or a decimal past the
// integer range).
#include "FuzzSupport.hpp"

#include <toolkit/json/LJSONDeserializer.hpp>
#include <toolkit/json/LJSONSerializer.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

using base::Value;
using namespace toolkit::json;

namespace {

bool carriesBack(Value const& value) {
    std::vector<Value const*> pending {&value};
    while (!pending.empty()) {
        auto current = pending.back();
        pending.pop_back();
        if (auto decimal = current->decimal()) {
            if (decimal->isNaN()
                || (decimal->exponent() >= 0 && decimal->stringValue().size() > 19))
                return false;
        } else if (current->isArray()) {
            for (auto const& element : *current->array())
                pending.push_back(&element);
        } else if (current->isDictionary()) {
            for (auto const& entry : *current->dictionary())
                pending.push_back(&entry.second);
        }
    }
    return true;
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size == 0)
        return 0;
    bool strict = data[0] & 1;
    bool dropNulls = data[0] & 2;
    base::Bytes text(data + 1, data + size);

    auto deserializer = LJSONDeserializer::deserializer();
    deserializer->scanner().setStrictEscapeCodes(strict);
    if (dropNulls)
        deserializer->setNullObject(Value());
    LJSONError error;
    Value value = deserializer->deserialize(text, &error);
    if (value.isNil()) {
        if (error.code == 0)
            return 0; // a literal that did not match: no value and no error
        if (error.domain == LJSONDeserializer::LJSONDeserializerErrorDomain) {
            FUZZ_CHECK(error.code == -11 && text.empty());
            return 0;
        }
        FUZZ_CHECK(error.domain == LJSONScanner::kJSONScannerErrorDomain);
        FUZZ_CHECK(error.code <= -12 && error.code >= -401);
        FUZZ_CHECK(!error.localizedDescription().empty());
        auto location = error.userInfo->objectForKey("location").unsignedLongLongValue();
        FUZZ_CHECK(location <= deserializer->scanner().data().size());
        FUZZ_CHECK(error.userInfo->objectForKey("snippet").isString());
        return 0;
    }

    auto serializer = LJSONSerializer::serializer();
    LJSONError writeError;
    auto written = serializer->serializeObject(value, &writeError);
    if (!carriesBack(value))
        return 0;
    FUZZ_CHECK(written);
    auto strictReader = LJSONDeserializer::deserializer();
    if (dropNulls)
        strictReader->setNullObject(Value());
    Value back = strictReader->deserialize(*written);
    FUZZ_CHECK(back == value);
    return 0;
}
