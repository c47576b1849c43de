#include <foundation/KeyedUnarchiver.hpp>

#include <base/Log.hpp>
#include <foundation/AtomicFile.hpp>
#include <foundation/KeyedArchiveFormat.hpp>
#include <foundation/PropertyList.hpp>

#include <exception>

namespace foundation {

using namespace KeyedArchiveFormat;

std::unique_ptr<KeyedUnarchiver> KeyedUnarchiver::createForReadingWithData(ByteView data) {
    auto top = PropertyList::propertyListWithData(data).dictionaryRef();
    if (!top || top->objectForKey(archiverTag) != base::Value(archiverName)
        || !top->objectForKey(topTag).isDictionary()) {
        base::logLine("KeyedUnarchiver: the data is not a keyed archive");
        return nullptr;
    }
    auto version = top->objectForKey(versionTag);
    if (!version.isNumber() || version.longLongValue() != formatVersion) {
        base::logLine("KeyedUnarchiver: unknown archive version " + version.description());
        return nullptr;
    }
    return std::make_unique<KeyedUnarchiver>(top->objectForKey(topTag).dictionaryRef());
}

std::unique_ptr<KeyedUnarchiver> KeyedUnarchiver::createForReadingWithFile(
    std::string const& path) {
    auto data = AtomicFile::read(path);
    if (!data)
        return nullptr;
    auto reader = createForReadingWithData(*data);
    if (!reader)
        base::logLine("KeyedUnarchiver: cannot read the archive " + path);
    return reader;
}

base::Value KeyedUnarchiver::unarchiveObjectWithData(ByteView data) {
    auto reader = createForReadingWithData(data);
    return reader ? reader->decodeObjectForKey(KeyedArchiver::rootKey) : base::Value();
}

base::Value KeyedUnarchiver::unarchiveObjectWithFile(std::string const& path) {
    auto reader = createForReadingWithFile(path);
    return reader ? reader->decodeObjectForKey(KeyedArchiver::rootKey) : base::Value();
}

KeyedUnarchiver::KeyedUnarchiver(base::Ref<base::Dictionary> keys)
    : keys_(keys ? std::move(keys) : base::Dictionary::create()) {
}

base::Dictionary const* KeyedUnarchiver::entryForKey(std::string_view key) const {
    auto entry = keys_->find(key);
    return entry ? entry->dictionary() : nullptr;
}

bool KeyedUnarchiver::containsValueForKey(std::string_view key) const {
    return entryForKey(key) != nullptr;
}

base::Value KeyedUnarchiver::decodeObjectForKey(std::string_view key) const {
    auto entry = entryForKey(key);
    if (!entry)
        return {};
    auto value = entry->find(valueTag);
    return value ? *value : base::Value();
}

base::Value const* KeyedUnarchiver::numberForKey(std::string_view key) const {
    auto entry = entryForKey(key);
    if (!entry)
        return nullptr;
    auto value = entry->find(valueTag);
    return value && (value->isNumber() || value->isBoolean()) ? value : nullptr;
}

bool KeyedUnarchiver::decodeBoolForKey(std::string_view key) const {
    auto value = numberForKey(key);
    return value && value->boolValue();
}

int KeyedUnarchiver::decodeIntForKey(std::string_view key) const {
    auto value = numberForKey(key);
    return value ? value->intValue() : 0;
}

std::int32_t KeyedUnarchiver::decodeInt32ForKey(std::string_view key) const {
    return decodeIntForKey(key);
}

std::int64_t KeyedUnarchiver::decodeInt64ForKey(std::string_view key) const {
    auto value = numberForKey(key);
    return value ? value->longLongValue() : 0;
}

float KeyedUnarchiver::decodeFloatForKey(std::string_view key) const {
    return float(decodeDoubleForKey(key));
}

double KeyedUnarchiver::decodeDoubleForKey(std::string_view key) const {
    auto value = numberForKey(key);
    return value ? value->doubleValue() : 0.0;
}

base::Ref<base::Object> KeyedUnarchiver::decodeCoded(base::Dictionary const* entry) const {
    if (!entry)
        return nullptr;
    auto name = entry->find(classTag);
    auto keys = entry->find(keysTag);
    if (!name || !name->isString() || !keys || !keys->isDictionary())
        return nullptr;
    auto factory = Coding::factoryFor(*name->string());
    if (!factory) {
        base::logLine("KeyedUnarchiver: no class is registered as " + *name->string());
        return nullptr;
    }
    KeyedUnarchiver nested(keys->dictionaryRef());
    try {
        return factory(nested);
    } catch (std::exception const& exception) {
        base::logLine(
            "KeyedUnarchiver: cannot decode " + *name->string() + ": " + exception.what());
        return nullptr;
    }
}

std::vector<base::Ref<base::Object>> KeyedUnarchiver::decodeList(std::string_view key) const {
    std::vector<base::Ref<base::Object>> objects;
    auto entry = entryForKey(key);
    auto list = entry ? entry->find(listTag) : nullptr;
    if (!list || !list->isArray())
        return objects;
    for (auto const& element : *list->array()) {
        if (auto object = decodeCoded(element.dictionary()))
            objects.push_back(std::move(object));
    }
    return objects;
}

std::vector<std::pair<std::string, base::Ref<base::Object>>> KeyedUnarchiver::decodeMap(
    std::string_view key) const {
    std::vector<std::pair<std::string, base::Ref<base::Object>>> objects;
    auto entry = entryForKey(key);
    auto map = entry ? entry->find(mapTag) : nullptr;
    if (!map || !map->isDictionary())
        return objects;
    for (auto const& [name, element] : *map->dictionary()) {
        if (auto object = decodeCoded(element.dictionary()))
            objects.emplace_back(name, std::move(object));
    }
    return objects;
}

}
