#include <toolkit/rest/RLObjectPropertyInspector.hpp>

#include <algorithm>
#include <vector>

namespace toolkit::rest {

RLObjectPropertyInspector::PropertyTypes const&
RLObjectPropertyInspector::propertyNamesAndTypesForClass(RLObjectClass const& objectClass) {
    std::lock_guard guard(lock_);
    auto cached = cache_.find(&objectClass);
    if (cached != cache_.end())
        return cached->second;
    PropertyTypes types;
    // A class chain that loops back on itself is walked once.
    std::vector<RLObjectClass const*> seen;
    for (auto const* current = &objectClass; current; current = current->superclass()) {
        if (std::find(seen.begin(), seen.end(), current) != seen.end())
            break;
        seen.push_back(current);
        for (auto const& property : current->properties) {
            if (property.kind == RLPropertyKind::Untyped)
                continue;
            types.insert_or_assign(
                property.name, RLPropertyType {property.kind, property.className});
        }
    }
    // Entries of a std::map stay where they are, so the reference outlives the lock.
    return cache_.emplace(&objectClass, std::move(types)).first->second;
}

}
