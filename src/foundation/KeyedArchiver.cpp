#include <foundation/KeyedArchiver.hpp>

#include <base/Log.hpp>
#include <foundation/AtomicFile.hpp>
#include <foundation/KeyedArchiveFormat.hpp>
#include <foundation/PropertyList.hpp>

namespace foundation {

using namespace KeyedArchiveFormat;

KeyedArchiver::KeyedArchiver()
    : keys_(base::Dictionary::create()) {
}

KeyedArchiver::KeyedArchiver(int depth, std::string* failure)
    : keys_(base::Dictionary::create())
    , depth_(depth)
    , failure_(failure) {
}

void KeyedArchiver::fail(std::string reason) {
    if (failure_->empty())
        *failure_ = std::move(reason);
}

void KeyedArchiver::put(std::string_view key, base::Value entry) {
    if (failure_->empty())
        keys_->setObject(key, std::move(entry));
}

void KeyedArchiver::encodeObject(base::Value const& value, std::string_view key) {
    if (value.isNull()) {
        put(key, nullEntry());
        return;
    }
    put(key, base::Dictionary::create({{valueTag, value}}));
}

base::Value KeyedArchiver::entryFor(Coding* object) {
    if (!object)
        return nullEntry();
    if (!failure_->empty())
        return {};
    auto name = Coding::classNameOf(*object);
    if (!name) {
        fail(std::string("an object of an unregistered class (") + typeid(*object).name() + ")");
        return {};
    }
    if (depth_ >= maxObjectDepth) {
        fail("objects nested deeper than " + std::to_string(maxObjectDepth)
            + " levels (an object that contains itself?) at class " + *name);
        return {};
    }
    KeyedArchiver nested(depth_ + 1, failure_);
    object->encodeWithCoder(nested);
    if (!failure_->empty())
        return {};
    return base::Dictionary::create({{classTag, *name}, {keysTag, nested.keys_}});
}

void KeyedArchiver::encodeCoded(Coding* object, std::string_view key) {
    auto entry = entryFor(object);
    if (!entry.isNull())
        put(key, std::move(entry));
}

void KeyedArchiver::beginList() {
    pendingList_ = base::Array::create();
}

void KeyedArchiver::addToList(Coding* object) {
    auto entry = entryFor(object);
    if (!entry.isNull())
        pendingList_->add(std::move(entry));
}

void KeyedArchiver::endList(std::string_view key) {
    put(key, base::Dictionary::create({{listTag, pendingList_}}));
    pendingList_ = nullptr;
}

void KeyedArchiver::beginMap() {
    pendingMap_ = base::Dictionary::create();
}

void KeyedArchiver::addToMap(std::string const& name, Coding* object) {
    auto entry = entryFor(object);
    if (!entry.isNull())
        pendingMap_->setObject(name, std::move(entry));
}

void KeyedArchiver::endMap(std::string_view key) {
    put(key, base::Dictionary::create({{mapTag, pendingMap_}}));
    pendingMap_ = nullptr;
}

void KeyedArchiver::encodeBool(bool value, std::string_view key) {
    encodeObject(base::Value(value), key);
}
void KeyedArchiver::encodeInt(int value, std::string_view key) {
    encodeObject(base::Value(value), key);
}
void KeyedArchiver::encodeInt32(std::int32_t value, std::string_view key) {
    encodeObject(base::Value(value), key);
}
void KeyedArchiver::encodeInt64(std::int64_t value, std::string_view key) {
    encodeObject(base::Value(value), key);
}
void KeyedArchiver::encodeFloat(float value, std::string_view key) {
    encodeObject(base::Value(value), key);
}
void KeyedArchiver::encodeDouble(double value, std::string_view key) {
    encodeObject(base::Value(value), key);
}

std::optional<base::Bytes> KeyedArchiver::encodedData() const {
    if (!failure_->empty()) {
        base::logLine("KeyedArchiver: cannot archive " + *failure_);
        return std::nullopt;
    }
    auto top = base::Dictionary::create(
        {{archiverTag, archiverName}, {versionTag, formatVersion}, {topTag, keys_}});
    std::string reason;
    if (!PropertyList::isValidPropertyList(top, PropertyList::Format::Binary, &reason)) {
        base::logLine("KeyedArchiver: cannot archive a value: " + reason);
        return std::nullopt;
    }
    return PropertyList::dataWithPropertyList(top, PropertyList::Format::Binary);
}

bool KeyedArchiver::writeArchive(base::Bytes const& data, std::string const& path) {
    return AtomicFile::write(path, data);
}

}
