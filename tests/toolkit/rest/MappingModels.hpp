#pragma once

#include <toolkit/rest/RLObject.hpp>

#include <map>
#include <optional>
#include <string>

namespace test {

// Model classes for mapping tests. Every plain property is a dynamic value kept in
// one map, and every write through a setter is counted, so tests can tell whether a
// setter ran. Classes register with the class registry on first use.
class MappedModel : public toolkit::rest::RLObject {
public:
    base::Value value(std::string const& name) const {
        auto found = values.find(name);
        return found == values.end() ? base::Value() : found->second;
    }
    std::optional<toolkit::rest::RLObjectList> related(std::string const& name) const {
        auto found = relations.find(name);
        return found == relations.end() ? std::nullopt : found->second;
    }
    int writes(std::string const& name) const {
        auto found = writeCounts.find(name);
        return found == writeCounts.end() ? 0 : found->second;
    }

    std::map<std::string, base::Value> values;
    std::map<std::string, std::optional<toolkit::rest::RLObjectList>> relations;
    std::map<std::string, int> writeCounts;

protected:
    MappedModel() = default;
};

inline toolkit::rest::RLProperty modelProperty(
    std::string name, toolkit::rest::RLPropertyKind kind, std::string className = {}) {
    toolkit::rest::RLProperty property;
    property.name = name;
    property.kind = kind;
    property.className = std::move(className);
    property.get = [name](toolkit::rest::RLObject const& object) {
        return static_cast<MappedModel const&>(object).value(name);
    };
    property.set = [name](toolkit::rest::RLObject& object, base::Value const& value) {
        auto& model = static_cast<MappedModel&>(object);
        model.values[name] = value;
        ++model.writeCounts[name];
    };
    return property;
}

inline toolkit::rest::RLProperty relationshipProperty(
    std::string name, toolkit::rest::RLPropertyKind kind, std::string className) {
    auto property = modelProperty(name, kind, std::move(className));
    property.getObjects = [name](toolkit::rest::RLObject const& object) {
        return static_cast<MappedModel const&>(object).related(name);
    };
    property.setObjects = [name](toolkit::rest::RLObject& object,
                              std::optional<toolkit::rest::RLObjectList> objects) {
        auto& model = static_cast<MappedModel&>(object);
        model.relations[name] = std::move(objects);
        ++model.writeCounts[name];
    };
    return property;
}

// A model class described by a name; Describe fills in its description.
template<typename Derived> class DescribedModel : public MappedModel {
public:
    static base::Ref<Derived> create() { return base::make<Derived>(); }
    static toolkit::rest::RLObjectClass const& describedClass() {
        static toolkit::rest::RLObjectClass const* described = [] {
            auto made = Derived::describe();
            made.make = [] { return base::Ref<toolkit::rest::RLObject>(create()); };
            auto name = made.name;
            toolkit::rest::RLObjectClass::registerClass(std::move(made));
            return toolkit::rest::RLObjectClass::classNamed(name);
        }();
        return *described;
    }
    toolkit::rest::RLObjectClass const& objectClass() const override { return describedClass(); }
};

// A pet: a name and a kind.
class Pet final : public DescribedModel<Pet> {
public:
    static toolkit::rest::RLObjectClass describe() {
        using toolkit::rest::RLPropertyKind;
        toolkit::rest::RLObjectClass made;
        made.name = "Pet";
        made.properties = {modelProperty("name", RLPropertyKind::String),
            modelProperty("species", RLPropertyKind::String)};
        made.elementToPropertyMappings
            = toolkit::rest::RLMappings {{"name", "name"}, {"species", "species"}};
        return made;
    }

private:
    friend base::Factory;
    Pet() = default;
};

// An address, the to-one relationship of an owner.
class Address final : public DescribedModel<Address> {
public:
    static toolkit::rest::RLObjectClass describe() {
        using toolkit::rest::RLPropertyKind;
        toolkit::rest::RLObjectClass made;
        made.name = "Address";
        made.properties = {modelProperty("city", RLPropertyKind::String)};
        made.elementToPropertyMappings = toolkit::rest::RLMappings {{"city", "city"}};
        return made;
    }

private:
    friend base::Factory;
    Address() = default;
};

// A pet owner with a property of every declared kind and three relationships: an
// address (to-one), pets (a list) and a set of favourite pets.
class Owner final : public DescribedModel<Owner> {
public:
    static toolkit::rest::RLObjectClass describe() {
        using toolkit::rest::RLPropertyKind;
        toolkit::rest::RLObjectClass made;
        made.name = "Owner";
        made.properties = {modelProperty("ownerID", RLPropertyKind::Number),
            modelProperty("name", RLPropertyKind::String),
            modelProperty("visits", RLPropertyKind::Number),
            modelProperty("balance", RLPropertyKind::DecimalNumber),
            modelProperty("since", RLPropertyKind::Date),
            modelProperty("homepage", RLPropertyKind::URL),
            modelProperty("nicknames", RLPropertyKind::Array),
            modelProperty("settings", RLPropertyKind::Dictionary),
            modelProperty("note", RLPropertyKind::Untyped),
            relationshipProperty("address", RLPropertyKind::Object, "Address"),
            relationshipProperty("pets", RLPropertyKind::Array, "Pet"),
            relationshipProperty("favourites", RLPropertyKind::Set, "Pet")};
        made.elementToPropertyMappings
            = toolkit::rest::RLMappings {{"id", "ownerID"}, {"name", "name"}, {"visits", "visits"},
                {"balance", "balance"}, {"since", "since"}, {"homepage", "homepage"},
                {"nicknames", "nicknames"}, {"settings", "settings"}, {"extra.note", "note"}};
        made.elementToRelationshipMappings
            = {{"address", "address"}, {"pets", "pets"}, {"favourites.pet", "favourites"}};
        return made;
    }

private:
    friend base::Factory;
    Owner() = default;
};

// A class that derives from Owner and adds one property.
class Groomer final : public DescribedModel<Groomer> {
public:
    static toolkit::rest::RLObjectClass describe() {
        using toolkit::rest::RLPropertyKind;
        Owner::describedClass();
        toolkit::rest::RLObjectClass made;
        made.name = "Groomer";
        made.superclassName = "Owner";
        made.properties = {modelProperty("salon", RLPropertyKind::String),
            modelProperty("name", RLPropertyKind::Untyped)};
        made.elementToPropertyMappings
            = toolkit::rest::RLMappings {{"salon", "salon"}, {"name", "name"}};
        return made;
    }

private:
    friend base::Factory;
    Groomer() = default;
};

}
