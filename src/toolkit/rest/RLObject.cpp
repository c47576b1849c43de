#include <toolkit/rest/RLObject.hpp>

#include <base/Exception.hpp>

#include <algorithm>
#include <map>

namespace toolkit::rest {

namespace {

std::map<std::string, RLObjectClass, std::less<>>& registry() {
    static std::map<std::string, RLObjectClass, std::less<>> classes;
    return classes;
}

}

RLProperty const* RLObjectClass::property(std::string_view propertyName) const {
    auto found = std::find_if(properties.begin(), properties.end(),
        [&](RLProperty const& candidate) { return candidate.name == propertyName; });
    if (found != properties.end())
        return &*found;
    auto const* parent = superclass();
    return parent ? parent->property(propertyName) : nullptr;
}

bool RLObjectClass::isKindOf(std::string_view className) const {
    for (auto const* candidate = this; candidate; candidate = candidate->superclass()) {
        if (candidate->name == className)
            return true;
    }
    return className == RLObject::baseClass().name;
}

RLObjectClass const* RLObjectClass::superclass() const {
    if (superclassName.empty() || superclassName == name)
        return nullptr;
    return classNamed(superclassName);
}

RLMappings const& RLObjectClass::propertyMappings() const {
    if (!elementToPropertyMappings)
        throw base::Exception(base::InvalidArgumentException,
            "+[" + name + " elementToPropertyMappings]: unrecognized selector sent to class");
    return *elementToPropertyMappings;
}

base::Ref<RLObject> RLObjectClass::object() const {
    return make ? make() : nullptr;
}

void RLObjectClass::registerClass(RLObjectClass objectClass) {
    auto name = objectClass.name;
    registry().insert_or_assign(std::move(name), std::move(objectClass));
}

RLObjectClass const* RLObjectClass::classNamed(std::string_view name) {
    auto found = registry().find(name);
    return found == registry().end() ? nullptr : &found->second;
}

void RLObjectClass::forEachClass(std::function<void(RLObjectClass const&)> const& visit) {
    for (auto const& [name, objectClass] : registry())
        visit(objectClass);
}

RLObjectClass const& RLObject::baseClass() {
    static RLObjectClass const base {
        "RLObject", {}, {}, std::nullopt, {}, {}, [] { return RLObject::object(); }};
    return base;
}

base::Value RLObject::valueForKey(std::string_view key) const {
    auto const* property = objectClass().property(key);
    if (!property || !property->get)
        throw base::Exception("NSUnknownKeyException",
            "this class is not key value coding-compliant for the key " + std::string(key));
    return property->get(*this);
}

void RLObject::setValueForKey(base::Value const& value, std::string_view key) {
    auto const* property = objectClass().property(key);
    if (!property || !property->set)
        throw base::Exception("NSUnknownKeyException",
            "this class is not key value coding-compliant for the key " + std::string(key));
    property->set(*this, value);
}

base::Ref<base::Dictionary> RLObject::propertiesForSerialization() const {
    return RLPropertiesByElementOfObject(*this);
}

base::Ref<base::Dictionary> RLObject::relationshipsForSerialization() const {
    return RLRelationshipsByElementOfObject(*this);
}

base::Ref<base::Dictionary> RLPropertiesByElementOfObject(RLObject const& object) {
    auto result = base::Dictionary::create();
    for (auto const& [element, property] : object.objectClass().propertyMappings()) {
        auto value = object.valueForKey(property);
        if (!value.isNil())
            result->setObject(element, std::move(value));
    }
    return result->copy();
}

base::Ref<base::Dictionary> RLRelationshipsByElementOfObject(RLObject const& object) {
    auto const& objectClass = object.objectClass();
    auto result = base::Dictionary::create();
    for (auto const& [element, property] : objectClass.elementToRelationshipMappings) {
        auto const& serialized = objectClass.relationshipsToSerialize;
        if (std::find(serialized.begin(), serialized.end(), property) == serialized.end())
            continue;
        auto value = object.valueForKey(property);
        if (!value.isNil())
            result->setObject(element, std::move(value));
    }
    return result->copy();
}

std::vector<RLRelatedObjects> RLRelatedObjectsByElementOfObject(RLObject const& object) {
    auto const& objectClass = object.objectClass();
    auto const& serialized = objectClass.relationshipsToSerialize;
    std::vector<RLRelatedObjects> related;
    for (auto const& [element, propertyName] : objectClass.elementToRelationshipMappings) {
        if (std::find(serialized.begin(), serialized.end(), propertyName) == serialized.end())
            continue;
        auto const* property = objectClass.property(propertyName);
        if (!property || !property->getObjects)
            continue;
        auto objects = property->getObjects(object);
        if (!objects)
            continue;
        bool isCollection
            = property->kind == RLPropertyKind::Array || property->kind == RLPropertyKind::Set;
        related.push_back({element, std::move(*objects), isCollection});
    }
    return related;
}

}
