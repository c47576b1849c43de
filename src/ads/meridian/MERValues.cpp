#include <ads/meridian/MERValues.hpp>

namespace ads::meridian {

std::optional<std::string> textOf(base::Value const& value) {
    if (auto const* text = value.string())
        return *text;
    return std::nullopt;
}

float floatOf(base::Value const& value, float absent) {
    return value.isNumber() || value.isString() ? value.floatValue() : absent;
}

bool flagOf(base::Value const& value) {
    return (value.isBoolean() || value.isNumber()) && value.boolValue();
}

base::Value withoutNulls(base::Value const& value) {
    if (auto const* dictionary = value.dictionary()) {
        auto copy = base::Dictionary::create();
        for (auto const& [key, member] : *dictionary) {
            if (!member.isNull())
                copy->setObject(key, withoutNulls(member));
        }
        return copy;
    }
    if (auto const* array = value.array()) {
        auto copy = base::Array::create();
        for (auto const& member : array->values()) {
            if (!member.isNull())
                copy->add(withoutNulls(member));
        }
        return copy;
    }
    return value;
}

}
