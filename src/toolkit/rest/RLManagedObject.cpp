#include <toolkit/rest/RLManagedObject.hpp>

#include <toolkit/rest/RLManagedObjectContext.hpp>
#include <toolkit/rest/RLManagedObjectStore.hpp>
#include <toolkit/rest/RLObjectManager.hpp>

#include <foundation/Format.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>

#include <cmath>
#include <cstdlib>

namespace toolkit::rest {

namespace {

[[noreturn]] void unrecognized(RLObjectClass const& objectClass, char const* selector) {
    throw base::Exception(base::InvalidArgumentException,
        "+[" + objectClass.name + " " + selector + "]: unrecognized selector sent to class");
}

}

RLObjectClass const& RLManagedObject::managedBaseClass() {
    static RLObjectClass const base = [] {
        RLObjectClass description {"RLManagedObject", {}, {}, std::nullopt, {}, {}, {}};
        RLObjectClass::registerClass(description);
        return description;
    }();
    return base;
}

RLManagedObjectContext& RLManagedObject::managedObjectContext() {
    auto manager = RLObjectManager::sharedManager();
    VERIFY(manager && manager->objectStore());
    return manager->objectStore()->managedObjectContext();
}

RLFetchRequest RLManagedObject::fetchRequest(RLObjectClass const& objectClass) {
    return RLFetchRequest {objectClass.name};
}

std::optional<RLObjectList> RLManagedObject::objectsWithFetchRequest(
    RLFetchRequest const& request) {
    std::string error;
    auto results = managedObjectContext().executeFetchRequest(request, &error);
    if (!results)
        foundation::log("Error: %@", error);
    return results;
}

RLObjectList RLManagedObject::objectsWithFetchRequests(
    std::vector<RLFetchRequest> const& requests) {
    RLObjectList all;
    for (auto const& request : requests)
        if (auto results = objectsWithFetchRequest(request))
            all.insert(all.end(), results->begin(), results->end());
    return all;
}

base::Ref<RLManagedObject> RLManagedObject::objectWithFetchRequest(RLFetchRequest request) {
    request.fetchLimit = 1;
    auto results = objectsWithFetchRequest(request);
    if (!results || results->empty())
        return nullptr;
    return base::Ref<RLManagedObject>(dynamic_cast<RLManagedObject*>(results->front().get()));
}

std::optional<RLObjectList> RLManagedObject::objectsWithPredicate(RLObjectClass const& objectClass,
    std::optional<std::pair<std::string, base::Value>> predicate) {
    auto request = fetchRequest(objectClass);
    request.predicate = std::move(predicate);
    return objectsWithFetchRequest(request);
}

base::Ref<RLManagedObject> RLManagedObject::objectWithPredicate(
    RLObjectClass const& objectClass, std::pair<std::string, base::Value> predicate) {
    auto request = fetchRequest(objectClass);
    request.predicate = std::move(predicate);
    return objectWithFetchRequest(std::move(request));
}

std::optional<RLObjectList> RLManagedObject::allObjects(RLObjectClass const& objectClass) {
    return objectsWithPredicate(objectClass, std::nullopt);
}

std::size_t RLManagedObject::count(RLObjectClass const& objectClass) {
    std::string error;
    return managedObjectContext()
        .countForFetchRequest(fetchRequest(objectClass), &error)
        .value_or(0);
}

base::Ref<RLManagedObject> RLManagedObject::object(RLObjectClass const& objectClass) {
    return managedObjectContext().insertNewObject(objectClass);
}

std::string const& RLManagedObject::primaryKeyProperty(RLObjectClass const& objectClass) {
    for (auto const* c = &objectClass; c; c = c->superclass())
        if (c->primaryKeyProperty)
            return *c->primaryKeyProperty;
    unrecognized(objectClass, "primaryKeyProperty");
}

std::string const& RLManagedObject::primaryKeyElement(RLObjectClass const& objectClass) {
    auto const& property = primaryKeyProperty(objectClass);
    for (auto const& [element, mapped] : objectClass.propertyMappings())
        if (mapped == property)
            return element;
    unrecognized(objectClass, "primaryKeyElement");
}

base::Ref<RLManagedObject> RLManagedObject::objectWithPrimaryKeyValue(
    RLObjectClass const& objectClass, base::Value value) {
    if (auto const* text = value.string())
        value = static_cast<long long>(std::strtoll(text->c_str(), nullptr, 10));
    return objectWithPredicate(objectClass, {primaryKeyProperty(objectClass), std::move(value)});
}

base::Value RLManagedObject::primaryKeyValue() const {
    return valueForKey(primaryKeyProperty(objectClass()));
}

bool RLManagedObject::hasChanges() const {
    return !committedValues_ || *committedValues_ != RLStoredValuesOfObject(*this);
}

std::optional<std::string> RLPrimaryKeyCacheKey(base::Value const& value) {
    if (value.isNull())
        return std::nullopt;
    if (auto const* text = value.string())
        return "s:" + *text;
    if (value.isNumber() || value.isBoolean()) {
        double number = value.doubleValue();
        if (value.kind() == base::Value::Kind::Unsigned || number == std::floor(number))
            return "n:" + std::to_string(value.longLongValue());
        return foundation::format("n:%@", value);
    }
    return foundation::format("o:%@", value);
}

}
