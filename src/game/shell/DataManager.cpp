#include <game/shell/DataManager.hpp>

#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>

namespace game {

namespace {

// Stand-in store until the user defaults land.
base::Ref<base::Dictionary>& store() {
    static base::Ref<base::Dictionary> dictionary = base::Dictionary::create();
    return dictionary;
}

base::Value const* find(std::string_view key) {
    return store()->find(key);
}

}

std::optional<std::string> DataManager::getStringForKey(std::string_view key) {
    auto const* value = find(key);
    if (!value)
        return std::nullopt;
    if (value->isString())
        return *value->string();
    if (value->isNumber() || value->isBoolean())
        return value->stringValue();
    return std::nullopt;
}

std::string DataManager::getStringForKey(std::string_view key, std::string_view defaultValue) {
    auto value = getStringForKey(key);
    return value ? *value : std::string(defaultValue);
}

int DataManager::getIntForKey(std::string_view key, int defaultValue) {
    auto const* value = find(key);
    return value ? value->intValue() : defaultValue;
}

float DataManager::getFloatForKey(std::string_view key, float defaultValue) {
    auto const* value = find(key);
    return value ? value->floatValue() : defaultValue;
}

bool DataManager::getBoolForKey(std::string_view key, bool defaultValue) {
    auto const* value = find(key);
    return value ? value->intValue() != 0 : defaultValue;
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
    auto const* value = find(key);
    return value ? *value : base::Value();
}

void DataManager::setObject(base::Value value, std::string_view key) {
    store()->setObject(key, std::move(value));
}

base::Ref<base::Dictionary> DataManager::dictionaryRepresentation() {
    return store()->copy();
}

}
