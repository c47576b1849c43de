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

// The types the mapper converts element values to: for a model class, the kind (and
// model class) of every typed property that the class and its ancestors register.
// Each class is gathered once and kept. Owned by an object mapper, whose mapping runs
// on worker threads too, so the cache is locked.
class RLObjectPropertyInspector {
public:
    using PropertyTypes = std::map<std::string, RLPropertyType, std::less<>>;

    // Property name -> type. The walk goes from the class up its ancestors, so when
    // a name is registered at several levels the ancestor's type is the one kept.
    // Properties registered without a kind are not listed.
    PropertyTypes const& propertyNamesAndTypesForClass(RLObjectClass const& objectClass);

private:
    std::mutex lock_;
    std::map<RLObjectClass const*, PropertyTypes> cache_;
};

}
