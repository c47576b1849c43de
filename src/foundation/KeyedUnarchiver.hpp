#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>
#include <foundation/Coding.hpp>
#include <foundation/KeyedArchiver.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace foundation {

// Reads the keyed archives that KeyedArchiver writes. A reader holds the keys of
// one object (the archive's top level at first) and gives each to the class's
// initWithCoder as it decodes nested objects.
//
// Never trusts the archive: a missing key, or one holding something else than
// asked for, decodes as null, 0 or false; a class that nobody registered, and an
// object whose initWithCoder throws, decode as null with a log line; an archive
// that is damaged gives no reader (or a null root) and a log line. One reader is
// used on one thread.
class KeyedUnarchiver {
public:
    // A reader of the archive's top level, or null (logged) when the data is not one
    // of our archives.
    static std::unique_ptr<KeyedUnarchiver> createForReadingWithData(ByteView data);
    // As above for a file; null without a log line when the file is missing.
    static std::unique_ptr<KeyedUnarchiver> createForReadingWithFile(std::string const& path);

    // The object archived as the root (archiveRootObject), or null.
    template<typename T> static base::Ref<T> unarchiveObjectWithData(ByteView data) {
        auto reader = createForReadingWithData(data);
        return reader ? reader->decodeObjectForKey<T>(KeyedArchiver::rootKey) : nullptr;
    }
    template<typename T> static base::Ref<T> unarchiveObjectWithFile(std::string const& path) {
        auto reader = createForReadingWithFile(path);
        return reader ? reader->decodeObjectForKey<T>(KeyedArchiver::rootKey) : nullptr;
    }
    // The property-list value archived as the root, or null.
    static base::Value unarchiveObjectWithData(ByteView data);
    static base::Value unarchiveObjectWithFile(std::string const& path);

    bool containsValueForKey(std::string_view key) const;

    // A property-list value; null when the key holds an object or nothing.
    base::Value decodeObjectForKey(std::string_view key) const;
    // An object of class T (or of a class derived from it); null otherwise.
    template<typename T> base::Ref<T> decodeObjectForKey(std::string_view key) const {
        return base::ref_cast<T>(decodeCoded(entryForKey(key)));
    }
    // The objects of a list, in order, leaving out those that do not decode as a T.
    template<typename T> std::vector<base::Ref<T>> decodeObjectsForKey(std::string_view key) const {
        std::vector<base::Ref<T>> objects;
        for (auto const& object : decodeList(key)) {
            if (auto typed = base::ref_cast<T>(object))
                objects.push_back(std::move(typed));
        }
        return objects;
    }
    // The entries of a map, in the order they were written, leaving out those that
    // do not decode as a T.
    template<typename T>
    std::vector<std::pair<std::string, base::Ref<T>>> decodeObjectMapForKey(
        std::string_view key) const {
        std::vector<std::pair<std::string, base::Ref<T>>> objects;
        for (auto const& [name, object] : decodeMap(key)) {
            if (auto typed = base::ref_cast<T>(object))
                objects.emplace_back(name, std::move(typed));
        }
        return objects;
    }

    // Numbers and booleans as the type asks (a real is truncated toward zero);
    // 0 or false for a missing key or another kind of value.
    bool decodeBoolForKey(std::string_view key) const;
    int decodeIntForKey(std::string_view key) const;
    std::int32_t decodeInt32ForKey(std::string_view key) const;
    std::int64_t decodeInt64ForKey(std::string_view key) const;
    float decodeFloatForKey(std::string_view key) const;
    double decodeDoubleForKey(std::string_view key) const;

    explicit KeyedUnarchiver(base::Ref<base::Dictionary> keys);

private:
    base::Dictionary const* entryForKey(std::string_view key) const;
    base::Value const* numberForKey(std::string_view key) const;
    base::Ref<base::Object> decodeCoded(base::Dictionary const* entry) const;
    std::vector<base::Ref<base::Object>> decodeList(std::string_view key) const;
    std::vector<std::pair<std::string, base::Ref<base::Object>>> decodeMap(
        std::string_view key) const;

    base::Ref<base::Dictionary> keys_;
};

}
