#pragma once

#include <base/Value.hpp>
#include <foundation/Coding.hpp>

#include <concepts>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace foundation {

// Writes keyed archives: property-list values, objects that implement Coding,
// and lists and string-keyed maps of such objects, each under a string key (kept
// exactly as given, misspellings included). Only this program reads the archives
// back, so the container is our own: a binary property list whose dictionaries
// name each object's class ("$class") and hold its keys ("$keys").
//
// Objects are written as a tree: an object reached twice is written twice and
// read back as two objects, and an object that contains itself (or nesting
// deeper than maxObjectDepth) fails the archive. An unregistered class also fails
// it. A failed archive gives no data and one log line.
//
// One archiver writes one archive, on one thread.
class KeyedArchiver {
public:
    static constexpr char const* rootKey = "root";
    static constexpr int maxObjectDepth = 100;

    KeyedArchiver();

    void encodeObject(base::Value const& value, std::string_view key);
    // A null object is recorded as null and decodes as null.
    template<typename T>
    requires std::derived_from<T, Coding>
    void encodeObject(base::Ref<T> const& object, std::string_view key) {
        encodeCoded(object.get(), key);
    }
    template<typename T>
    requires std::derived_from<T, Coding>
    void encodeObject(std::vector<base::Ref<T>> const& objects, std::string_view key) {
        beginList();
        for (auto const& object : objects)
            addToList(object.get());
        endList(key);
    }
    template<typename T>
    requires std::derived_from<T, Coding>
    void encodeObject(
        std::vector<std::pair<std::string, base::Ref<T>>> const& objects, std::string_view key) {
        beginMap();
        for (auto const& [name, object] : objects)
            addToMap(name, object.get());
        endMap(key);
    }
    template<typename T>
    requires std::derived_from<T, Coding>
    void encodeObject(std::map<std::string, base::Ref<T>> const& objects, std::string_view key) {
        beginMap();
        for (auto const& [name, object] : objects)
            addToMap(name, object.get());
        endMap(key);
    }

    void encodeBool(bool value, std::string_view key);
    void encodeInt(int value, std::string_view key);
    void encodeInt32(std::int32_t value, std::string_view key);
    void encodeInt64(std::int64_t value, std::string_view key);
    void encodeFloat(float value, std::string_view key);
    void encodeDouble(double value, std::string_view key);

    // The archive of everything encoded so far, or nullopt (logged) when encoding failed.
    std::optional<base::Bytes> encodedData() const;

    // The archive of root, encoded under rootKey; a file written atomically.
    template<typename Root>
    static std::optional<base::Bytes> archivedDataWithRootObject(Root const& root) {
        KeyedArchiver archiver;
        archiver.encodeObject(root, rootKey);
        return archiver.encodedData();
    }
    template<typename Root>
    static bool archiveRootObject(Root const& root, std::string const& path) {
        auto data = archivedDataWithRootObject(root);
        return data && writeArchive(*data, path);
    }

private:
    KeyedArchiver(int depth, std::string* failure);

    void put(std::string_view key, base::Value entry);
    base::Value entryFor(Coding* object);
    void encodeCoded(Coding* object, std::string_view key);
    void beginList();
    void addToList(Coding* object);
    void endList(std::string_view key);
    void beginMap();
    void addToMap(std::string const& name, Coding* object);
    void endMap(std::string_view key);
    void fail(std::string reason);
    static bool writeArchive(base::Bytes const& data, std::string const& path);

    base::Ref<base::Dictionary> keys_;
    base::Ref<base::Array> pendingList_;
    base::Ref<base::Dictionary> pendingMap_;
    int depth_ {0};
    // The first failure of this archive, shared with the archivers of nested objects.
    std::string ownFailure_;
    std::string* failure_ {&ownFailure_};
};

}
