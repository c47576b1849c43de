#pragma once

#include <toolkit/rest/RLObject.hpp>

#include <map>
#include <mutex>
#include <string>

namespace toolkit::rest {

// The declared type of one property: its kind and, for model objects and
// relationships, the model class's name.
struct RLPropertyType {
    RLPropertyKind kind {RLPropertyKind::Untyped};
    std::string className;
    bool operator==(RLPropertyType const&) const = default;
};

// Reads the declared property types of mappable classes from their descriptions and
// keeps them, so each class is read once. Owned by an object mapper; its lookups may
// run on the mapper's worker threads, so the cache is locked.
class RLObjectPropertyInspector {
public:
    using PropertyTypes = std::map<std::string, RLPropertyType, std::less<>>;

    // Property name -> declared type for the class and its superclasses; a
    // superclass's declaration of a name replaces the subclass's. Untyped
    // properties are left out.
    PropertyTypes const& propertyNamesAndTypesForClass(RLObjectClass const& objectClass);

private:
    std::mutex lock_;
    std::map<RLObjectClass const*, PropertyTypes> cache_;
};

}
