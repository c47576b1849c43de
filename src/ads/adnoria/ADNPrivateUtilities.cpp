#include <ads/adnoria/ADNPrivateUtilities.hpp>

#include <base/WeakRef.hpp>

#include <unordered_map>

namespace ads::adnoria {

namespace {

struct Entry {
    base::WeakRef<base::Object> key;
    base::Ref<base::Object> value;
};

std::unordered_map<base::Object const*, Entry>& table() {
    static std::unordered_map<base::Object const*, Entry> entries;
    return entries;
}

void dropDeadKeys() {
    std::erase_if(table(), [](auto const& entry) { return !entry.second.key.get(); });
}

}

void ADNPrivateUtilities::setPrivateObject(
    base::Ref<base::Object> object, base::Object const& key) {
    dropDeadKeys();
    if (!object) {
        table().erase(&key);
        return;
    }
    table()[&key]
        = Entry {base::WeakRef<base::Object>(const_cast<base::Object*>(&key)), std::move(object)};
}

base::Ref<base::Object> ADNPrivateUtilities::privateObjectForKey(base::Object const& key) {
    auto found = table().find(&key);
    if (found == table().end())
        return {};
    if (found->second.key.get() != &key) {
        table().erase(found);
        return {};
    }
    return found->second.value;
}

void ADNPrivateUtilities::removePrivateObjectForKey(base::Object const& key) {
    table().erase(&key);
}

std::size_t ADNPrivateUtilities::count() {
    dropDeadKeys();
    return table().size();
}

void ADNPrivateUtilities::removeAll() {
    table().clear();
}

}
