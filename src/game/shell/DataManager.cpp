#include <game/shell/DataManager.hpp>

#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <foundation/UserDefaults.hpp>

namespace game {

namespace {

foundation::UserDefaults& store() {
    return foundation::UserDefaults::standardUserDefaults();
}

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
    return value.isNull() ? defaultValue : value.intValue();
}

float DataManager::getFloatForKey(std::string_view key, float defaultValue) {
    auto value = objectForKey(key);
    return value.isNull() ? defaultValue : value.floatValue();
}

bool DataManager::getBoolForKey(std::string_view key, bool defaultValue) {
    auto value = objectForKey(key);
    return value.isNull() ? defaultValue : value.intValue() != 0;
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
