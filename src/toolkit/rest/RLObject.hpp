#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace toolkit::rest {

class RLObject;

// One property of a mappable class, read and written as a dynamic value.
struct RLProperty {
    std::string name;
    std::function<base::Value(RLObject const&)> get;
    std::function<void(RLObject&, base::Value const&)> set;
};

// Element key path in a payload -> property name, in the order the class lists them.
using RLMappings = std::vector<std::pair<std::string, std::string>>;

// What a mappable class says about itself: its name, its properties with getter and
// setter (key-value coding goes through them), its element mappings and how to make
// an instance. A class that leaves elementToPropertyMappings out cannot be mapped or
// serialized. Classes register once, at start, on the main thread.
struct RLObjectClass {
    std::string name;
    std::vector<RLProperty> properties;
    std::optional<RLMappings> elementToPropertyMappings;
    RLMappings elementToRelationshipMappings;
    std::vector<std::string> relationshipsToSerialize;
    std::function<base::Ref<RLObject>()> make;

    RLProperty const* property(std::string_view propertyName) const;
    // The element mappings; throws InvalidArgumentException ("unrecognized selector")
    // when the class does not provide them.
    RLMappings const& propertyMappings() const;
    // A new instance ready for mapping; null when the class cannot make one.
    base::Ref<RLObject> object() const;

    // The registry of mappable classes by name. Registering a name again replaces it.
    static void registerClass(RLObjectClass objectClass);
    static RLObjectClass const* classNamed(std::string_view name);
};

// The base of objects that are mapped from a payload and serialized back to one.
// Its own class names no properties and provides no element mappings, so a subclass
// must describe itself through objectClass().
class RLObject : public base::Object {
public:
    // The description of the base class: no properties, no element mappings, empty
    // relationship mappings and none to serialize.
    static RLObjectClass const& baseClass();
    virtual RLObjectClass const& objectClass() const { return baseClass(); }

    // Key-value coding through the class's properties; an unknown key throws
    // "NSUnknownKeyException".
    base::Value valueForKey(std::string_view key) const;
    void setValueForKey(base::Value const& value, std::string_view key);

    virtual base::Ref<base::Dictionary> propertiesForSerialization() const;
    virtual base::Ref<base::Dictionary> relationshipsForSerialization() const;

    static base::Ref<RLObject> object() { return base::make<RLObject>(); }

protected:
    friend base::Factory;
    RLObject() = default;
};

// Element -> value of each mapped property of object; a nil value leaves its element
// out. Throws as propertyMappings() does when the class has no mappings.
base::Ref<base::Dictionary> RLPropertiesByElementOfObject(RLObject const& object);
// Element -> value of each relationship mapping whose property the class serializes.
base::Ref<base::Dictionary> RLRelationshipsByElementOfObject(RLObject const& object);

}
