#pragma once

#include <toolkit/rest/RLManagedObject.hpp>

#include <map>
#include <optional>
#include <string>
#include <vector>

// Managed model classes of the object-store tests: "Kennel" (a to-many "dogs") and
// "Dog" (a to-one "kennel"), both keyed by "key", registered by describeModels().
namespace test::managed {

using namespace toolkit::rest;

// A managed model whose plain properties live in a map and whose relationships
// in another.
class Stored : public RLManagedObject {
public:
    std::map<std::string, base::Value> values;
    std::map<std::string, std::optional<RLObjectList>> relations;

    RLObjectClass const& objectClass() const override { return *RLObjectClass::classNamed(name_); }
    base::Value value(std::string const& key) const {
        auto found = values.find(key);
        return found == values.end() ? base::Value() : found->second;
    }
    static base::Ref<Stored> make(std::string name) {
        auto object = base::make<Stored>();
        object->name_ = std::move(name);
        return object;
    }

private:
    friend base::Factory;
    Stored() = default;
    std::string name_;
};

inline RLProperty property(std::string name, RLPropertyKind kind) {
    RLProperty described;
    described.name = name;
    described.kind = kind;
    described.get
        = [name](RLObject const& object) { return static_cast<Stored const&>(object).value(name); };
    described.set = [name](RLObject& object, base::Value const& value) {
        static_cast<Stored&>(object).values[name] = value;
    };
    return described;
}

inline RLProperty toOne(
    std::string name, std::string className, RLPropertyKind kind = RLPropertyKind::Object) {
    RLProperty described;
    described.name = name;
    described.kind = kind;
    described.className = std::move(className);
    described.getObjects = [name](RLObject const& object) -> std::optional<RLObjectList> {
        auto const& relations = static_cast<Stored const&>(object).relations;
        auto found = relations.find(name);
        return found == relations.end() ? std::nullopt : found->second;
    };
    described.setObjects = [name](RLObject& object, std::optional<RLObjectList> objects) {
        static_cast<Stored&>(object).relations[name] = std::move(objects);
    };
    return described;
}

// Registers a managed class named name with these properties and "key" as its primary
// key; links: relationship -> property holding the related object's key.
inline void describe(
    std::string const& name, std::vector<RLProperty> properties, RLMappings links = {}) {
    RLManagedObject::managedBaseClass();
    RLMappings mappings;
    for (auto const& described : properties)
        mappings.emplace_back(described.name, described.name);
    RLObjectClass::registerClass(
        {name, "RLManagedObject", std::move(properties), std::move(mappings), {}, {},
            [name] { return base::Ref<RLObject>(Stored::make(name)); }, "key", std::move(links)});
}

inline void describeModels() {
    describe("Kennel",
        {property("key", RLPropertyKind::Number), property("town", RLPropertyKind::String),
            toOne("dogs", "Dog", RLPropertyKind::Array)});
    describe("Dog",
        {property("key", RLPropertyKind::Number), property("name", RLPropertyKind::String),
            property("born", RLPropertyKind::Date), property("weight", RLPropertyKind::Untyped),
            property("kennelKey", RLPropertyKind::Number), toOne("kennel", "Kennel")},
        {{"kennel", "kennelKey"}});
}

inline RLObjectClass const& dogClass() {
    return *RLObjectClass::classNamed("Dog");
}
inline RLObjectClass const& kennelClass() {
    return *RLObjectClass::classNamed("Kennel");
}

inline Stored& stored(base::Ref<RLManagedObject> const& object) {
    return static_cast<Stored&>(*object);
}
inline Stored& stored(base::Ref<RLObject> const& object) {
    return static_cast<Stored&>(*object);
}

}
