#include <toolkit/rest/RLObjectMapper.hpp>

#include <base/Exception.hpp>
#include <foundation/DateFormatter.hpp>
#include <foundation/Format.hpp>
#include <toolkit/rest/RLError.hpp>
#include <toolkit/rest/RLJSONParser.hpp>
#include <toolkit/rest/RLManagedObjectStore.hpp>
#include <toolkit/rest/RLObjectManager.hpp>

#include <algorithm>
#include <memory>

namespace toolkit::rest {

namespace {

constexpr char const* UnableToMapFromString = "Unable to map from requested string";
constexpr char const* NilPayloadLine = "[RestLink] RLModelMapper: mapObject:fromString: attempted "
                                       "to map from a nil payload. Skipping...";

// The platform's class name of a payload value, for failure texts.
std::string className(base::Value const& value) {
    using Kind = base::Value::Kind;
    if (value.isNullObject())
        return "NSNull";
    switch (value.kind()) {
    case Kind::Null:
        return "nil";
    case Kind::Boolean:
    case Kind::Integer:
    case Kind::Unsigned:
    case Kind::Real:
        return "NSNumber";
    case Kind::Decimal:
        return "NSDecimalNumber";
    case Kind::String:
        return "NSString";
    case Kind::Data:
        return "NSData";
    case Kind::Date:
        return "NSDate";
    case Kind::Array:
        return "NSArray";
    case Kind::Dictionary:
        return "NSDictionary";
    }
    return "NSObject";
}

std::string typeName(RLPropertyType const& type) {
    switch (type.kind) {
    case RLPropertyKind::Untyped:
        return "id";
    case RLPropertyKind::String:
        return "NSString";
    case RLPropertyKind::Number:
        return "NSNumber";
    case RLPropertyKind::DecimalNumber:
        return "NSDecimalNumber";
    case RLPropertyKind::Date:
        return "NSDate";
    case RLPropertyKind::URL:
        return "NSURL";
    case RLPropertyKind::Array:
        return "NSArray";
    case RLPropertyKind::Set:
        return "NSSet";
    case RLPropertyKind::Dictionary:
        return "NSDictionary";
    case RLPropertyKind::Object:
        return type.className;
    }
    return "id";
}

// Whether the value already is of the declared type, as an instance test would say.
bool isInstanceOf(base::Value const& value, RLPropertyKind kind) {
    switch (kind) {
    case RLPropertyKind::Untyped:
        return true;
    case RLPropertyKind::String:
        return value.isString();
    case RLPropertyKind::Number:
        return value.isNumber() || value.isBoolean();
    case RLPropertyKind::DecimalNumber:
        return value.isDecimal();
    case RLPropertyKind::Date:
        return value.isDate();
    case RLPropertyKind::Array:
        return value.isArray();
    case RLPropertyKind::Dictionary:
        return value.isDictionary();
    case RLPropertyKind::URL:
    case RLPropertyKind::Set:
    case RLPropertyKind::Object:
        return false;
    }
    return false;
}

bool isToMany(RLPropertyKind kind) {
    return kind == RLPropertyKind::Array || kind == RLPropertyKind::Set;
}

std::string lastComponent(std::string const& keyPath) {
    auto dot = keyPath.rfind('.');
    return dot == std::string::npos ? keyPath : keyPath.substr(dot + 1);
}

}

base::Value RLValueAtKeyPath(base::Dictionary const& root, std::string_view keyPath) {
    auto const* dictionary = &root;
    while (true) {
        auto dot = keyPath.find('.');
        auto const* found = dictionary->find(keyPath.substr(0, dot));
        if (!found)
            return {};
        if (dot == std::string_view::npos)
            return *found;
        dictionary = found->dictionary();
        if (!dictionary)
            return {};
        keyPath.remove_prefix(dot + 1);
    }
}

base::Value RLValueAtKeyPath(base::Value const& root, std::string_view keyPath) {
    auto const* dictionary = root.dictionary();
    return dictionary ? RLValueAtKeyPath(*dictionary, keyPath) : base::Value();
}

RLObjectMapper::RLObjectMapper() = default;

void RLObjectMapper::registerClass(
    RLObjectClass const& objectClass, std::string const& elementName) {
    for (auto& [name, registered] : elementToClassMappings_) {
        if (name == elementName) {
            registered = &objectClass;
            return;
        }
    }
    elementToClassMappings_.emplace_back(elementName, &objectClass);
}

RLObjectClass const* RLObjectMapper::classForElement(std::string_view elementName) const {
    for (auto const& [name, registered] : elementToClassMappings_) {
        if (name == elementName)
            return registered;
    }
    return nullptr;
}

std::vector<std::string> RLObjectMapper::elementNamesForClass(
    RLObjectClass const& objectClass) const {
    std::vector<std::string> names;
    for (auto const& [name, registered] : elementToClassMappings_) {
        if (registered == &objectClass)
            names.push_back(name);
    }
    return names;
}

base::Value RLObjectMapper::parseString(std::string_view string) {
    char const* parserName = format_ == 1 ? "RLJSONParser" : format_ == 0 ? "RLXMLParser" : "";
    // Only the JSON parser exists; an XML payload has no reader here.
    std::unique_ptr<RLParser> parser;
    if (format_ == 1)
        parser = std::make_unique<RLJSONParser>();
    if (!parser)
        throw base::Exception("Unable to find an appropriate parser.",
            foundation::format("The object mapper attempted to process a payload via the '%@' "
                               "parser, but it was not found.",
                parserName));
    try {
        return parser->objectFromString(string);
    } catch (base::Exception const& failure) {
        foundation::log(
            "[RestLink] RLObjectMapper:parseString: Exception (%@) parsing error from string: %@",
            failure.reason(), string);
        return {};
    }
}

foundation::URLError RLObjectMapper::parseErrorFromString(std::string_view string) {
    auto messages = RLValueAtKeyPath(parseString(string), errorsKeyPath_);
    std::string joined;
    if (auto const* array = messages.array()) {
        for (std::size_t i = 0; i < array->size(); ++i) {
            if (i)
                joined += errorsConcatenationString_;
            joined += array->at(i).stringValue();
        }
    } else if (messages.isString()) {
        // A single message, not in a list.
        joined = *messages.string();
    }
    return foundation::URLError::withDomain(
        RLRestKitErrorDomain, RLObjectLoaderRemoteSystemError, joined);
}

base::Value RLObjectMapper::payloadAtKeyPath(std::string_view string, std::string const& keyPath) {
    auto payload = parseString(string);
    if (!keyPath.empty())
        payload = RLValueAtKeyPath(payload, keyPath);
    return payload;
}

RLMappingResult RLObjectMapper::mapFromString(
    std::string_view string, RLObjectClass const* objectClass, std::string const& keyPath) {
    auto payload = payloadAtKeyPath(string, keyPath);
    if (auto const* dictionary = payload.dictionary()) {
        if (objectClass)
            return mapObjectFromDictionary(*dictionary, *objectClass);
        return mapObjectFromDictionary(*dictionary);
    }
    if (auto const* array = payload.array()) {
        if (objectClass)
            return mapObjectsFromArrayOfDictionaries(*array, *objectClass);
        return mapObjectsFromArrayOfDictionaries(*array);
    }
    if (payload.isNil()) {
        foundation::log(NilPayloadLine);
        return {};
    }
    throw base::Exception(UnableToMapFromString,
        foundation::format("The object was deserialized into a %@. A dictionary or array of "
                           "dictionaries was expected.",
            className(payload)));
}

void RLObjectMapper::mapObject(
    RLObject& object, std::string_view string, std::string const& keyPath) {
    auto payload = payloadAtKeyPath(string, keyPath);
    if (auto const* dictionary = payload.dictionary())
        return mapObject(object, *dictionary);
    if (payload.isNil()) {
        foundation::log(NilPayloadLine);
        return;
    }
    throw base::Exception(UnableToMapFromString,
        foundation::format("The object was serialized into a %@. A dictionary of elements was "
                           "expected. (Object: %@) [Payload: %@]",
            className(payload), object.objectClass().name, string));
}

void RLObjectMapper::mapObject(RLObject& object, base::Dictionary const& dictionary) {
    auto const& objectClass = object.objectClass();
    auto names = elementNamesForClass(objectClass);
    if (!names.empty()) {
        for (auto const& name : names) {
            if (auto const* found = dictionary.find(name)) {
                // The element's value must itself be a dictionary of elements.
                auto const* elements = found->dictionary();
                if (!elements)
                    throw base::Exception("Unable to map from requested dictionary",
                        foundation::format(
                            "The element '%@' of %@ holds no dictionary", name, objectClass.name));
                return updateModel(object, *elements);
            }
        }
        return updateModel(object, dictionary);
    }
    if (objectClass.elementToPropertyMappings)
        return updateModel(object, dictionary);
    throw base::Exception("Unable to map from requested dictionary",
        foundation::format(
            "There was no mappable element found for objects of type %@", objectClass.name));
}

base::Ref<RLObject> RLObjectMapper::mapObjectFromDictionary(
    base::Dictionary const& dictionary, RLObjectClass const& objectClass) {
    return createOrUpdateInstanceOfModelClass(objectClass, dictionary);
}

RLMappingResult RLObjectMapper::mapObjectFromDictionary(base::Dictionary const& dictionary) {
    auto const& root = dictionary;
    std::string const* taken = nullptr;
    RLObjectClass const* takenClass = nullptr;
    base::Value value;
    for (auto const& [name, registered] : elementToClassMappings_) {
        foundation::log("Checking for keyPath %@ in %@", name, &root);
        auto found = RLValueAtKeyPath(root, name);
        if (found.isNil())
            continue;
        if (taken) {
            foundation::log("WARNING: Multiple mapping targets match in dictionary, using the "
                            "first match: '%@' => [%@ class]. [Dictionary: %@]",
                *taken, takenClass->name, &root);
            continue;
        }
        taken = &name;
        takenClass = registered;
        value = std::move(found);
    }
    if (!taken) {
        foundation::log("Unable to find registered mapping keyPath in payload, returning nil...");
        return {};
    }
    if (auto const* elements = value.dictionary())
        return createOrUpdateInstanceOfModelClass(*takenClass, *elements);
    if (auto const* array = value.array())
        return mapObjectsFromArrayOfDictionaries(*array, *takenClass);
    return {};
}

RLObjectList RLObjectMapper::mapObjectsFromArrayOfDictionaries(base::Array const& array) {
    RLObjectList objects;
    for (auto const& member : array) {
        if (member.isNull())
            continue;
        auto const* dictionary = member.dictionary();
        RLObjectClass const* objectClass = nullptr;
        base::Value elements;
        if (dictionary && !dictionary->empty()) {
            auto const& [key, value] = *dictionary->begin();
            objectClass = classForElement(key);
            elements = value;
        }
        if (!objectClass)
            throw base::Exception(base::InternalInconsistencyException,
                "Unable to perform object mapping without a destination class");
        if (auto const* found = elements.dictionary())
            objects.push_back(createOrUpdateInstanceOfModelClass(*objectClass, *found));
    }
    return objects;
}

RLObjectList RLObjectMapper::mapObjectsFromArrayOfDictionaries(
    base::Array const& array, RLObjectClass const& objectClass) {
    RLObjectList objects;
    for (auto const& elements : mappableElementsForArrayOfDictionaries(array, objectClass)) {
        // Nulls, and members that hold no dictionary of elements, make no object.
        if (auto const* dictionary = elements.dictionary())
            objects.push_back(createOrUpdateInstanceOfModelClass(objectClass, *dictionary));
    }
    return objects;
}

base::Value RLObjectMapper::mappableElementsForDictionary(
    base::Value const& dictionary, RLObjectClass const& objectClass) {
    if (auto const* elements = dictionary.dictionary()) {
        for (auto const& name : elementNamesForClass(objectClass)) {
            if (auto const* found = elements->find(name))
                return *found;
        }
    }
    return dictionary;
}

std::vector<base::Value> RLObjectMapper::mappableElementsForArrayOfDictionaries(
    base::Array const& array, RLObjectClass const& objectClass) {
    std::vector<base::Value> elements;
    elements.reserve(array.size());
    for (auto const& member : array)
        elements.push_back(mappableElementsForDictionary(member, objectClass));
    return elements;
}

std::optional<RLPropertyType> RLObjectMapper::typeClassForProperty(
    std::string_view propertyName, RLObjectClass const& objectClass) {
    auto const& types = inspector_.propertyNamesAndTypesForClass(objectClass);
    auto found = types.find(propertyName);
    if (found == types.end())
        return std::nullopt;
    return found->second;
}

base::Ref<RLObject> RLObjectMapper::findOrCreateInstanceOfModelClass(
    RLObjectClass const& objectClass, base::Dictionary const& elements) {
    // A managed object is the calling thread's object with the payload's primary
    // key, or a new one in its context; every other class gets a new instance.
    auto manager = RLObjectManager::sharedManager();
    if (objectClass.isKindOf("RLManagedObject") && manager && manager->objectStore()) {
        auto& store = *manager->objectStore();
        auto key = RLValueAtKeyPath(elements, RLManagedObject::primaryKeyElement(objectClass));
        if (auto found = store.findOrCreateInstanceOfManagedObject(objectClass, key))
            return found;
        return store.managedObjectContext().insertNewObject(objectClass);
    }
    auto object = objectClass.object();
    if (!object)
        throw base::Exception(base::InvalidArgumentException,
            foundation::format("The class %@ cannot make an instance", objectClass.name));
    return object;
}

base::Ref<RLObject> RLObjectMapper::createOrUpdateInstanceOfModelClass(
    RLObjectClass const& objectClass, base::Dictionary const& elements) {
    auto object = findOrCreateInstanceOfModelClass(objectClass, elements);
    updateModel(*object, elements);
    return object;
}

void RLObjectMapper::updateModel(RLObject& model, base::Dictionary const& elements) {
    setPropertiesOfModel(model, elements);
    setRelationshipsOfModel(model, elements);
}

void RLObjectMapper::setPropertiesOfModel(RLObject& model, base::Dictionary const& elements) {
    auto const& objectClass = model.objectClass();
    auto const& root = elements;
    bool mappedAny = false;
    for (auto const& [keyPath, propertyName] : objectClass.propertyMappings()) {
        auto value = RLValueAtKeyPath(root, keyPath);
        if (value.isNil()
            && missingElementMappingPolicy_ != MissingElementMappingPolicy::SetNilForMissingElement)
            continue;
        auto type = typeClassForProperty(propertyName, objectClass);
        if (!value.isNull() && type) {
            if (type->kind == RLPropertyKind::Date && value.isString()) {
                auto date = dateInLocalTime(parseDateFromString(*value.string()));
                value = date ? base::Value(*date) : base::Value();
            } else if (type->kind == RLPropertyKind::DecimalNumber
                && (value.isString() || value.isNumber())) {
                auto text = value.isString() ? *value.string() : value.stringValue();
                value = base::Decimal::fromString(text);
            }
        }
        if (type && !value.isNull() && !isInstanceOf(value, type->kind)) {
            if (type->kind == RLPropertyKind::Number && value.isString()) {
                auto const& text = *value.string();
                if (text == "true" || text == "false")
                    value = text == "true";
                else
                    value = value.doubleValue();
            } else if (type->kind == RLPropertyKind::URL && value.isString()) {
                // A URL property keeps the URL's text.
            } else {
                throw base::Exception("NoElementValueConversionMethod",
                    foundation::format("Don't know how to convert %@ (%@) to %@", value,
                        className(value), typeName(*type)));
            }
        }
        updateModel(model, value, propertyName);
        mappedAny = true;
    }
    if (!mappedAny)
        foundation::log("WARNING: RestLink did not find any mappable values for the specified "
                        "object. If you have specified an explicit objectClass for mapping, be "
                        "sure that the keyPath has been set to target your mappable data.");
}

void RLObjectMapper::updateModel(
    RLObject& model, base::Value const& newValue, std::string_view propertyName) {
    auto current = model.valueForKey(propertyName);
    if (current.isNil() && newValue.isNil())
        return;
    if (newValue.isNull()) {
        model.setValueForKey({}, propertyName);
        return;
    }
    if (current.isNull()) {
        model.setValueForKey(newValue, propertyName);
        return;
    }
    using Kind = base::Value::Kind;
    bool equal = false;
    switch (newValue.kind()) {
    case Kind::String:
        equal = current.isString() && *current.string() == *newValue.string();
        break;
    case Kind::Boolean:
    case Kind::Integer:
    case Kind::Unsigned:
    case Kind::Real:
    case Kind::Decimal:
        equal = (current.isNumber() || current.isBoolean()) && current == newValue;
        break;
    case Kind::Date:
    case Kind::Array:
    case Kind::Dictionary:
        equal = current == newValue;
        break;
    default:
        throw base::Exception("NoComparisonSelectorFound",
            foundation::format(
                "You need a comparison selector for %@ (%@)", propertyName, className(newValue)));
    }
    if (!equal)
        model.setValueForKey(newValue, propertyName);
}

void RLObjectMapper::setRelationshipsOfModel(RLObject& model, base::Dictionary const& elements) {
    auto const& objectClass = model.objectClass();
    auto const& root = elements;
    for (auto const& [keyPath, propertyName] : objectClass.elementToRelationshipMappings) {
        auto const* property = objectClass.property(propertyName);
        if (!property || !property->setObjects)
            throw base::Exception("NSUnknownKeyException",
                "this class is not key value coding-compliant for the key " + propertyName);
        auto value = RLValueAtKeyPath(root, keyPath);
        if (value.isNil()) {
            if (missingElementMappingPolicy_
                == MissingElementMappingPolicy::SetNilForMissingElement)
                property->setObjects(model, std::nullopt);
            continue;
        }
        auto elementName = lastComponent(keyPath);
        auto const* childClass = classForElement(elementName);
        if (!childClass) {
            foundation::log(
                "Warning: could not find a class mapping for relationship '%@':", elementName);
            foundation::log("   parent class   : %@", objectClass.name);
            foundation::log("   elements to map: %@", &root);
            foundation::log("maybe you want to register your model with the object mapper or you "
                            "want to pluralize the keypath?");
            break;
        }
        auto type = typeClassForProperty(propertyName, objectClass);
        if (!type || !isToMany(type->kind)) {
            if (auto const* child = value.dictionary())
                property->setObjects(
                    model, RLObjectList {createOrUpdateInstanceOfModelClass(*childClass, *child)});
            continue;
        }
        RLObjectList children;
        if (auto const* members = value.array()) {
            children.reserve(members->size());
            for (auto const& member : *members) {
                auto const* child = member.dictionary();
                if (!child)
                    continue;
                auto made = createOrUpdateInstanceOfModelClass(*childClass, *child);
                // A set holds each object once.
                if (type->kind == RLPropertyKind::Set
                    && std::find(children.begin(), children.end(), made) != children.end())
                    continue;
                children.push_back(std::move(made));
            }
        }
        property->setObjects(model, std::move(children));
    }
    linkRelationshipsByPrimaryKey(model);
}

void RLObjectMapper::linkRelationshipsByPrimaryKey(RLObject& model) {
    auto const& objectClass = model.objectClass();
    if (!objectClass.isKindOf("RLManagedObject"))
        return;
    auto manager = RLObjectManager::sharedManager();
    auto store = manager ? manager->objectStore() : nullptr;
    for (auto const& [relationshipName, keyProperty] :
        objectClass.relationshipToPrimaryKeyPropertyMappings) {
        base::Value key;
        try {
            key = model.valueForKey(keyProperty);
        } catch (std::exception const& failure) {
            foundation::log(
                "Caught exception:%@ when trying valueForKeyPath with path:%@ for object:%@",
                failure.what(), keyProperty, &model);
        }
        // Without a store, or for a property that is not a to-one relationship to a
        // registered class, there is nothing to link to.
        auto const* relationship = objectClass.property(relationshipName);
        auto const* destination = relationship && relationship->kind == RLPropertyKind::Object
            ? RLObjectClass::classNamed(relationship->className)
            : nullptr;
        if (!store || !destination || !relationship->setObjects)
            continue;
        auto related = store->findOrCreateInstanceOfManagedObject(*destination, key);
        if (!related)
            continue;
        // An object made here takes the key it was made for; else it would be saved
        // without one, and every later load would make another.
        if (related->isNew() && related->primaryKeyValue().isNull())
            related->setValueForKey(key, RLManagedObject::primaryKeyProperty(*destination));
        relationship->setObjects(model, RLObjectList {std::move(related)});
    }
}

std::optional<base::Date> RLObjectMapper::parseDateFromString(std::string_view string) const {
    for (auto const& pattern : dateFormats_) {
        foundation::DateFormatter formatter(pattern, localTimeZone_);
        if (auto date = formatter.dateFromString(string))
            return date;
    }
    return std::nullopt;
}

std::optional<base::Date> RLObjectMapper::dateInLocalTime(std::optional<base::Date> date) const {
    if (!date)
        return std::nullopt;
    auto shift = localTimeZone_.secondsFromGMT(*date) - remoteTimeZone_.secondsFromGMT(*date);
    return base::Date {date->seconds + shift};
}

}
