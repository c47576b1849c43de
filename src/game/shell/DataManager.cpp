#include <game/shell/DataManager.hpp>

#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <foundation/UserDefaults.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace game {

namespace {

foundation::UserDefaults& store() {
    return foundation::UserDefaults::standardUserDefaults();
}

// The integer value of a stored value, saturating at the limits of int whatever
// its kind: text does so by itself, numbers are clamped here rather than cut to
// their low 32 bits (2^32 + 5 would read as 5, 1e300 as -1).
int saturatedInt(base::Value const& value) {
    constexpr auto lowest = std::numeric_limits<int>::min();
    constexpr auto highest = std::numeric_limits<int>::max();
    switch (value.kind()) {
    case base::Value::Kind::Integer:
        return int(std::clamp<std::int64_t>(value.longLongValue(), lowest, highest));
    case base::Value::Kind::Unsigned:
        return int(std::min<std::uint64_t>(value.unsignedLongLongValue(), highest));
    case base::Value::Kind::Real: {
        double real = value.doubleValue();
        if (std::isnan(real))
            return 0;
        return int(std::clamp<double>(std::trunc(real), lowest, highest));
    }
    default:
        return value.intValue();
    }
}

}

DataManager::Batch::Batch()
    : store_(store()) {
    store_.beginBatch();
}

DataManager::Batch::~Batch() {
    store_.endBatch();
}

std::optional<std::string> DataManager::getStringForKey(std::string_view key) {
    return store().stringForKey(key);
}

std::string DataManager::getStringForKey(std::string_view key, std::string_view defaultValue) {
    auto value = getStringForKey(key);
    return value ? *value : std::string(defaultValue);
}

// The text's integer value as the platform reads it (saturating at the limits of
// int), not the store's own coercion: "YES" is not a number here.
int DataManager::getIntForKey(std::string_view key, int defaultValue) {
    auto value = objectForKey(key);
    return value.isNull() ? defaultValue : saturatedInt(value);
}

float DataManager::getFloatForKey(std::string_view key, float defaultValue) {
    auto value = objectForKey(key);
    return value.isNull() ? defaultValue : value.floatValue();
}

bool DataManager::getBoolForKey(std::string_view key, bool defaultValue) {
    auto value = objectForKey(key);
    return value.isNull() ? defaultValue : saturatedInt(value) != 0;
}

void DataManager::setString(std::string_view value, std::string_view key) {
    setObject(base::Value(value), key);
}

void DataManager::setInt(int value, std::string_view key) {
    setObject(foundation::format("%d", value), key);
}

void DataManager::setFloat(float value, std::string_view key) {
    setObject(foundation::format("%f", double(value)), key);
}

void DataManager::setBool(bool value, std::string_view key) {
    setObject(value ? "1" : "0", key);
}

bool DataManager::checkHaveKey(std::string_view text) {
    auto entries = dictionaryRepresentation();
    for (auto const& [key, value] : *entries) {
        if (foundation::containsString(key, text))
            return true;
    }
    return false;
}

void DataManager::removeAllKey(std::string_view text) {
    Batch batch;
    auto entries = dictionaryRepresentation();
    for (auto const& [key, value] : *entries) {
        if (foundation::containsString(key, text))
            setObject(nullptr, key);
    }
}

base::Value DataManager::objectForKey(std::string_view key) {
    return store().objectForKey(key);
}

bool DataManager::setObject(base::Value const& value, std::string_view key) {
    return store().setObject(value, key);
}

base::Ref<base::Dictionary> DataManager::dictionaryRepresentation() {
    return store().dictionaryRepresentation();
}

bool DataManager::synchronize() {
    return store().synchronize();
}

}
