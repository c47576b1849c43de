#include <toolkit/rest/RLRouter.hpp>

#include <base/Exception.hpp>
#include <foundation/Format.hpp>
#include <toolkit/rest/InflectionSupport.hpp>
#include <toolkit/rest/RLClient.hpp>

#include <algorithm>

namespace toolkit::rest {

namespace {

std::string parameterName(std::string const& element) {
    auto name = element;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

// The object's properties by element, as a new mutable dictionary.
base::Ref<base::Dictionary> attributesOf(RLObject const& object) {
    return RLPropertiesByElementOfObject(object)->copy();
}

}

void RLDynamicRouter::routeClass(RLObjectClass const& objectClass, std::string const& resourcePath,
    std::string const& methodName) {
    auto& patterns = routes_[objectClass.name];
    if (patterns.contains(methodName))
        throw base::Exception(base::GenericException,
            foundation::format(
                "A route has already been registered for class '%@' and HTTP method '%@'",
                objectClass.name, methodName));
    patterns.emplace(methodName, resourcePath);
}

void RLDynamicRouter::routeClass(
    RLObjectClass const& objectClass, std::string const& resourcePath) {
    routeClass(objectClass, resourcePath, std::string("ANY"));
}

void RLDynamicRouter::routeClass(
    RLObjectClass const& objectClass, std::string const& resourcePath, std::int32_t method) {
    // A code with no verb registers under an empty name, which no lookup finds.
    routeClass(objectClass, resourcePath, HTTPVerbForMethod(method).value_or(std::string()));
}

std::optional<std::string> RLDynamicRouter::HTTPVerbForMethod(std::int32_t method) {
    switch (method) {
    case 0:
        return "GET";
    case 1:
        return "POST";
    case 2:
        return "PUT";
    case 3:
        return "DELETE";
    default:
        return std::nullopt;
    }
}

std::string RLDynamicRouter::resourcePathForObject(RLObject const& object, std::int32_t method) {
    auto methodName = HTTPVerbForMethod(method);
    auto const& className = object.objectClass().name;
    std::string const* pattern = nullptr;
    auto patterns = routes_.find(className);
    if (patterns != routes_.end()) {
        auto found = methodName ? patterns->second.find(*methodName) : patterns->second.end();
        if (found == patterns->second.end())
            found = patterns->second.find("ANY");
        if (found != patterns->second.end())
            pattern = &found->second;
    }
    if (!pattern)
        throw base::Exception(base::GenericException,
            foundation::format(
                "Unable to find a routable path for object of type '%@' for HTTP Method '%@'",
                className, methodName));
    return RLResourcePathWithObject(*pattern, object);
}

void RLDynamicRouter::handlePrimaryKeyWithClass(
    RLObjectClass const& objectClass, base::Dictionary& attributes, RLObject const& object) {
    if (!objectClass.primaryKeyProperty)
        return;
    auto key = object.valueForKey(*objectClass.primaryKeyProperty);
    if (key.isNull() || foundation::format("%@", key) == "0")
        attributes.removeObjectForKey("id");
}

base::Ref<RLRequestSerializable> RLDynamicRouter::serializationForObject(
    RLObject const& object, std::int32_t method) {
    if (method == 0)
        return nullptr;
    auto result = base::Dictionary::create();
    auto properties = object.propertiesForSerialization();
    for (auto const& [element, value] : *properties) {
        auto name = parameterName(element);
        if (name == "id")
            continue;
        result->setObject(name, value);
    }
    for (auto const& related : RLRelatedObjectsByElementOfObject(object)) {
        if (related.isCollection) {
            auto members = base::Array::create();
            for (auto const& member : related.objects) {
                auto attributes = attributesOf(*member);
                handlePrimaryKeyWithClass(member->objectClass(), *attributes, *member);
                members->add(attributes->copy());
            }
            result->setObject(related.element, members);
        } else if (!related.objects.empty()) {
            auto const& member = related.objects.front();
            auto attributes = attributesOf(*member);
            handlePrimaryKeyWithClass(member->objectClass(), *attributes, *member);
            result->setObject(related.element, attributes);
        }
    }
    return RLFormSerialization::formWithDictionary(result);
}

void RLRailsRouter::setModelName(std::string const& name, RLObjectClass const& objectClass) {
    classToModelMappings_[objectClass.name] = name;
}

base::Ref<RLRequestSerializable> RLRailsRouter::serializationForObject(
    RLObject const& object, std::int32_t method) {
    if (method == 3)
        return nullptr;
    auto const& className = object.objectClass().name;
    auto model = classToModelMappings_.find(className);
    if (model == classToModelMappings_.end())
        throw base::Exception(base::GenericException,
            foundation::format("Unable to find registered modelName for class '%@'", className));
    auto prefix = underscore(model->second);
    auto result = base::Dictionary::create();
    auto properties = object.propertiesForSerialization();
    for (auto const& [element, value] : *properties) {
        auto name = parameterName(element);
        if (name == "id")
            continue;
        result->setObject(prefix + "[" + name + "]", value);
    }
    for (auto const& related : RLRelatedObjectsByElementOfObject(object)) {
        if (!related.isCollection)
            continue;
        try {
            auto members = base::Array::create();
            for (auto const& member : related.objects) {
                auto const& memberClass = member->objectClass();
                if (!memberClass.primaryKeyProperty) {
                    foundation::log("ERROR: expected %@ to respond to primaryKeyProperty", member);
                    continue;
                }
                auto attributes = RLPropertiesByElementOfObject(*member);
                auto key = member->valueForKey(*memberClass.primaryKeyProperty);
                if (key.isNull() || foundation::format("%@", key) == "0") {
                    auto withoutID = attributes->copy();
                    withoutID->removeObjectForKey("id");
                    attributes = withoutID;
                }
                members->add(attributes);
            }
            result->setObject(prefix + "[" + related.element + "_attributes]", members);
        } catch (base::Exception const& failure) {
            foundation::log(
                "Caught exception:%@ when trying valueForKeyPath with path:%@ for object:%@",
                failure.reason(), related.element, &object);
        }
    }
    return RLFormSerialization::formWithDictionary(result);
}

}
