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
class RLObjectLoader;

// The declared type of a property, which decides how a mapped value is converted.
// Untyped properties (scalars and plain dynamic values) take values as they come.
// A URL property holds the URL's text; Array and Set properties hold either a
// dynamic array value or, as relationships, a list of model objects; Object
// properties are to-one relationships.
enum class RLPropertyKind {
    Untyped,
    String,
    Number,
    DecimalNumber,
    Date,
    URL,
    Array,
    Set,
    Dictionary,
    Object
};

// Related model objects; a to-one relationship holds none or one.
using RLObjectList = std::vector<base::Ref<RLObject>>;

// One property of a mappable class. Plain values are read and written as dynamic
// values through get and set; relationships hold model objects and are read and
// written through getObjects and setObjects, where nothing stands for nil.
struct RLProperty {
    std::string name;
    std::function<base::Value(RLObject const&)> get;
    std::function<void(RLObject&, base::Value const&)> set;
    RLPropertyKind kind {RLPropertyKind::Untyped};
    // The model class of an Object property or of a relationship's members.
    std::string className {};
    std::function<std::optional<RLObjectList>(RLObject const&)> getObjects {};
    std::function<void(RLObject&, std::optional<RLObjectList>)> setObjects {};
};

// Element key path in a payload -> property name, in the order the class lists them.
using RLMappings = std::vector<std::pair<std::string, std::string>>;

// What a mappable class says about itself: its name, its properties with getter and
// setter (key-value coding goes through them), its element mappings and how to make
// an instance. A class that leaves elementToPropertyMappings out cannot be mapped or
// serialized. Classes register once, at start, on the main thread.
struct RLObjectClass {
    std::string name;
    // The registered class this one derives from; empty for a direct subclass of
    // RLObject. Properties are looked up through it too.
    std::string superclassName;
    std::vector<RLProperty> properties;
    std::optional<RLMappings> elementToPropertyMappings;
    RLMappings elementToRelationshipMappings;
    std::vector<std::string> relationshipsToSerialize;
    std::function<base::Ref<RLObject>()> make;
    // The property that holds the primary key, for classes that have one (managed
    // objects); routers leave out the "id" of an object whose key is nil or 0.
    std::optional<std::string> primaryKeyProperty {};
    // Relationship name -> the property holding the related object's primary key:
    // after mapping, a managed object's relationship is linked to the stored object
    // with that key (found or made).
    RLMappings relationshipToPrimaryKeyPropertyMappings {};

    // The property of this class or, failing that, of its superclasses.
    RLProperty const* property(std::string_view propertyName) const;
    // Whether this class is the named class or derives from it.
    bool isKindOf(std::string_view className) const;
    RLObjectClass const* superclass() const;
    // The element mappings; throws InvalidArgumentException ("unrecognized selector")
    // when the class does not provide them.
    RLMappings const& propertyMappings() const;
    // A new instance ready for mapping; null when the class cannot make one.
    base::Ref<RLObject> object() const;

    // The registry of mappable classes by name. Registering a name again replaces it.
    static void registerClass(RLObjectClass objectClass);
    static RLObjectClass const* classNamed(std::string_view name);
    // Visits every registered class, in name order.
    static void forEachClass(std::function<void(RLObjectClass const&)> const& visit);
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

    // Called by a loader that is about to send a request for this object (as its
    // target), before the request is prepared; does nothing unless overridden.
    virtual void willSendWithObjectLoader(RLObjectLoader&) { }

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

// The objects of one serialized relationship: a collection for an Array or Set
// property, else a to-one.
struct RLRelatedObjects {
    std::string element;
    RLObjectList objects;
    bool isCollection {false};
};
// The related objects of each relationship mapping whose property the class
// serializes and holds objects, in mapping order; nil relationships are left out.
std::vector<RLRelatedObjects> RLRelatedObjectsByElementOfObject(RLObject const& object);

}
