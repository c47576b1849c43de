#include <toolkit/json/JCDictionary.hpp>

#include <toolkit/json/JCUTF8.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>

#include <algorithm>
#include <utility>

namespace toolkit::json {

namespace {

constexpr std::size_t Capacities[] = {0, 3, 7, 13, 23, 41, 71, 127, 191, 251, 383, 631, 1087, 1723,
    2803, 4523, 7351, 11959, 19447, 31231, 50683, 81919, 132607, 214519, 346607, 561109, 907759,
    1468927, 2376191, 3845119, 6221311, 10066421, 16287743, 26354171, 42641881, 68996069, 111638519,
    180634607, 292272623, 472907251};

// Keys that share one text object are equal without reading it.
bool sameKey(base::DictionaryKey const& a, base::DictionaryKey const& b) {
    auto sharedA = a.shared();
    auto sharedB = b.shared();
    if (sharedA && sharedB && sharedA->get() == sharedB->get())
        return true;
    return a.str() == b.str();
}

}

std::size_t JCDictionary::capacityForCount(std::size_t count) {
    auto target = std::size_t(double(count) * 1.33);
    auto found = std::lower_bound(std::begin(Capacities), std::end(Capacities), target);
    VERIFY(found != std::end(Capacities));
    return *found;
}

base::Ref<JCDictionary> JCDictionaryCreate(base::DictionaryKey* keys,
    std::uint32_t const* keyHashes, base::Value* objects, std::size_t count,
    bool mutableCollection) {
    base::Ref<JCDictionary> dictionary = mutableCollection
        ? base::Ref<JCDictionary>(base::make<JCMutableDictionary>())
        : base::make<JCDictionary>();
    dictionary->allocateTable(JCDictionary::capacityForCount(count));
    dictionary->fill(keys, keyHashes, objects, count);
    return dictionary;
}

// The insertions of a new table in one loop over a table that stays where it is. The
// capacity is never below the count, so every pair finds its entry; a probe that
// found none would still go through addObject, which grows the table.
void JCDictionary::fill(base::DictionaryKey* keys, std::uint32_t const* keyHashes,
    base::Value* objects, std::size_t count) {
    Entry* table = slots_.data();
    std::size_t const capacity = slots_.size();
    std::size_t empty = emptySlots_;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t index = keyHashes[i] % capacity;
        std::size_t probes = 0;
        for (; probes < capacity; ++probes) {
            auto& entry = table[index];
            if (entry.second.isNil()) {
                entry.first = std::move(keys[i]);
                entry.second = std::move(objects[i]);
                --empty;
                break;
            }
            if (sameKey(entry.first, keys[i])) {
                entry.second = std::move(objects[i]);
                break;
            }
            if (++index == capacity)
                index = 0;
        }
        if (probes == capacity) {
            emptySlots_ = empty;
            for (; i < count; ++i)
                addObject(keyHashes[i], std::move(keys[i]), std::move(objects[i]));
            return;
        }
    }
    emptySlots_ = empty;
}

void JCDictionary::allocateTable(std::size_t capacity) {
    slots_.clear();
    slots_.resize(capacity);
    emptySlots_ = capacity;
}

std::size_t JCDictionary::entryForKey(std::string_view key, std::uint32_t hash) const {
    std::size_t capacity = slots_.size();
    if (capacity == 0)
        return npos;
    std::size_t index = hash % capacity;
    for (std::size_t i = 0; i < capacity; ++i) {
        auto const& entry = slots_[index];
        if (entry.second.isNil())
            return npos;
        if (entry.first == key)
            return index;
        if (++index == capacity)
            index = 0;
    }
    return npos;
}

base::Value const* JCDictionary::find(std::string_view key) const {
    auto index = entryForKey(key, JCKeyHash(key));
    return index == npos ? nullptr : &slots_[index].second;
}

// Stores the pair at the entry of an equal key, else at the first empty entry of the
// probe run. A table with no empty entry grows first, so nothing is ever dropped.
void JCDictionary::addObject(std::uint32_t hash, base::DictionaryKey key, base::Value object) {
    std::size_t capacity = slots_.size();
    if (capacity > 0) {
        std::size_t index = hash % capacity;
        for (std::size_t i = 0; i < capacity; ++i) {
            auto& entry = slots_[index];
            if (entry.second.isNil()) {
                entry.first = std::move(key);
                entry.second = std::move(object);
                --emptySlots_;
                return;
            }
            if (sameKey(entry.first, key)) {
                entry.second = std::move(object);
                return;
            }
            if (++index == capacity)
                index = 0;
        }
    }
    // Full: move to the next capacity up and insert again.
    auto old = std::move(slots_);
    std::size_t bigger = capacityForCount(old.size() + 1);
    if (bigger <= old.size())
        bigger = capacityForCount(old.size() * 2 + 1);
    allocateTable(bigger);
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (!old[i].second.isNil())
            reinsert(std::move(old[i]));
    }
    addObject(hash, std::move(key), std::move(object));
}

// Clears the entry, then takes out every later entry of its probe run and inserts it
// again, so that lookups, which stop at the first empty entry, still reach them.
void JCDictionary::removeEntry(std::size_t index) {
    std::size_t capacity = slots_.size();
    slots_[index] = Entry();
    ++emptySlots_;
    for (std::size_t next = (index + 1) % capacity; !slots_[next].second.isNil();
         next = (next + 1) % capacity) {
        Entry moved = std::move(slots_[next]);
        slots_[next] = Entry();
        ++emptySlots_;
        reinsert(std::move(moved));
    }
}

void JCDictionary::reinsert(Entry entry) {
    std::uint32_t hash = JCKeyHash(entry.first);
    addObject(hash, std::move(entry.first), std::move(entry.second));
}

void JCDictionary::resizeIfNecessary() {
    std::size_t wanted = capacityForCount(count() + 1);
    if (slots_.size() >= wanted)
        return;
    auto old = std::move(slots_);
    allocateTable(wanted);
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (!old[i].second.isNil())
            reinsert(std::move(old[i]));
    }
}

void JCDictionary::mutated() {
    if (++mutations_ == 0)
        mutations_ = 1;
}

void JCDictionary::setObject(std::string_view key, base::Value value) {
    if (value.isNil())
        throw base::Exception(base::InvalidArgumentException,
            std::string("*** -[") + className()
                + " setObject:forKey:]: attempt to insert nil value (key: " + std::string(key)
                + ")");
    resizeIfNecessary();
    addObject(JCKeyHash(key), base::DictionaryKey(key), std::move(value));
    mutated();
}

void JCDictionary::removeObjectForKey(std::string_view key) {
    auto index = entryForKey(key, JCKeyHash(key));
    if (index == npos)
        return;
    removeEntry(index);
    mutated();
}

void JCDictionary::removeAll() {
    if (count() == 0)
        return;
    for (auto& entry : slots_)
        entry = Entry();
    emptySlots_ = slots_.size();
    mutated();
}

std::vector<base::Dictionary::Entry> const& JCDictionary::entries() const {
    listed_.assign(begin(), end());
    return listed_;
}

void JCDictionary::getObjectsAndKeys(
    std::vector<base::Value>* objects, std::vector<std::string>* keys) const {
    for (auto const& entry : slots_) {
        if (entry.second.isNil())
            continue;
        if (objects)
            objects->push_back(entry.second);
        if (keys)
            keys->push_back(entry.first.str());
    }
}

base::Ref<JCDictionaryEnumerator> JCDictionary::keyEnumerator() const {
    return JCDictionaryEnumerator::initWithJKDictionary(base::Ref<JCDictionary const>(this));
}

base::Ref<base::Dictionary> JCDictionary::copy() const {
    return base::Ref<base::Dictionary>(const_cast<JCDictionary*>(this));
}

base::Ref<JCDictionaryEnumerator> JCDictionaryEnumerator::initWithJKDictionary(
    base::Ref<JCDictionary const> dictionary) {
    VERIFY(dictionary);
    return base::make<JCDictionaryEnumerator>(std::move(dictionary));
}

std::optional<std::string> JCDictionaryEnumerator::nextObject() {
    while (nextObject_ < collection->capacity()) {
        if (auto entry = collection->entryAtIndex(nextObject_++))
            return entry->first.str();
    }
    return std::nullopt;
}

base::Ref<base::Array> JCDictionaryEnumerator::allObjects() {
    auto keys = base::Array::create();
    while (auto key = nextObject())
        keys->add(std::move(*key));
    return keys;
}

}
