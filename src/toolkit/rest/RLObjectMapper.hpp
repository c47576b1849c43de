#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/TimeZone.hpp>
#include <foundation/URLError.hpp>
#include <toolkit/rest/RLObject.hpp>
#include <toolkit/rest/RLObjectPropertyInspector.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace toolkit::rest {

// What mapping a payload gives: nothing, one object, or a list of objects.
using RLMappingResult = std::variant<std::monostate, base::Ref<RLObject>, RLObjectList>;

// Turns a parsed payload (dictionaries and arrays) into model objects: finds the
// registered class an element stands for, makes the object, converts each element
// value to the declared type of its property, writes a property only when its value
// changed, and builds related objects. Configured on the main thread, then used by
// object loaders on their worker threads; mapping reads the configuration only.
// Failures are thrown as base::Exception with the names below.
class RLObjectMapper final : public base::Object {
public:
    enum class MissingElementMappingPolicy {
        // An element absent from the payload leaves its property alone.
        IgnoreMissingElement = 0,
        // An element absent from the payload sets its property to nil.
        SetNilForMissingElement = 1,
    };

    static base::Ref<RLObjectMapper> create() { return base::make<RLObjectMapper>(); }

    // Element name -> model class, in the order the names were first registered; a
    // later registration of a name replaces its class in place.
    std::vector<std::pair<std::string, RLObjectClass const*>> const&
    elementToClassMappings() const {
        return elementToClassMappings_;
    }
    void registerClass(RLObjectClass const& objectClass, std::string const& elementName);

    // 0 = XML, 1 = JSON.
    int format() const { return format_; }
    void setFormat(int format) { format_ = format; }
    MissingElementMappingPolicy missingElementMappingPolicy() const {
        return missingElementMappingPolicy_;
    }
    void setMissingElementMappingPolicy(MissingElementMappingPolicy policy) {
        missingElementMappingPolicy_ = policy;
    }
    RLObjectPropertyInspector& inspector() { return inspector_; }
    std::vector<std::string> const& dateFormats() const { return dateFormats_; }
    void setDateFormats(std::vector<std::string> formats) { dateFormats_ = std::move(formats); }
    foundation::TimeZone const& remoteTimeZone() const { return remoteTimeZone_; }
    void setRemoteTimeZone(foundation::TimeZone zone) { remoteTimeZone_ = zone; }
    foundation::TimeZone const& localTimeZone() const { return localTimeZone_; }
    void setLocalTimeZone(foundation::TimeZone zone) { localTimeZone_ = zone; }
    std::string const& errorsKeyPath() const { return errorsKeyPath_; }
    void setErrorsKeyPath(std::string keyPath) { errorsKeyPath_ = std::move(keyPath); }
    std::string const& errorsConcatenationString() const { return errorsConcatenationString_; }
    void setErrorsConcatenationString(std::string text) {
        errorsConcatenationString_ = std::move(text);
    }

    // The parsed tree of the text by the format's parser, or nil when it does not
    // parse. Throws "Unable to find an appropriate parser." when the format has none.
    base::Value parseString(std::string_view string);
    // The messages under errorsKeyPath joined by errorsConcatenationString, as an
    // error of the toolkit's domain with code 1.
    foundation::URLError parseErrorFromString(std::string_view string);

    // The payload (at the key path, when one is given) mapped to objects of the
    // class, or of the classes its registered elements name when there is none.
    RLMappingResult mapFromString(std::string_view string,
        RLObjectClass const* objectClass = nullptr, std::string const& keyPath = {});
    // Updates object from the payload's dictionary (at the key path).
    void mapObject(RLObject& object, std::string_view string, std::string const& keyPath = {});
    void mapObject(RLObject& object, base::Dictionary const& dictionary);
    base::Ref<RLObject> mapObjectFromDictionary(
        base::Dictionary const& dictionary, RLObjectClass const& objectClass);
    // The object of the first registered element found in the dictionary, or the
    // objects when that element holds an array; nothing when no element is found.
    RLMappingResult mapObjectFromDictionary(base::Dictionary const& dictionary);
    RLObjectList mapObjectsFromArrayOfDictionaries(base::Array const& array);
    RLObjectList mapObjectsFromArrayOfDictionaries(
        base::Array const& array, RLObjectClass const& objectClass);
    // The value under the first of the class's registered elements the dictionary
    // holds, else the dictionary itself.
    base::Value mappableElementsForDictionary(
        base::Value const& dictionary, RLObjectClass const& objectClass);
    std::vector<base::Value> mappableElementsForArrayOfDictionaries(
        base::Array const& array, RLObjectClass const& objectClass);

    std::optional<RLPropertyType> typeClassForProperty(
        std::string_view propertyName, RLObjectClass const& objectClass);
    base::Ref<RLObject> findOrCreateInstanceOfModelClass(
        RLObjectClass const& objectClass, base::Dictionary const& elements);
    base::Ref<RLObject> createOrUpdateInstanceOfModelClass(
        RLObjectClass const& objectClass, base::Dictionary const& elements);
    void updateModel(RLObject& model, base::Dictionary const& elements);
    // Writes the property only when the new value differs from the current one.
    void updateModel(RLObject& model, base::Value const& newValue, std::string_view propertyName);

    // The date of the first date format that reads the text in the local time zone.
    std::optional<base::Date> parseDateFromString(std::string_view string) const;
    // The date moved by the local zone's offset less the remote zone's.
    std::optional<base::Date> dateInLocalTime(std::optional<base::Date> date) const;

private:
    friend base::Factory;
    RLObjectMapper();

    void setPropertiesOfModel(RLObject& model, base::Dictionary const& elements);
    void setRelationshipsOfModel(RLObject& model, base::Dictionary const& elements);
    // Sets each to-one relationship of a managed model named in its class's
    // relationshipToPrimaryKeyPropertyMappings to the calling thread's stored object
    // with the key the model holds (made when there is none); nil keys link nothing.
    void linkRelationshipsByPrimaryKey(RLObject& model);
    RLObjectClass const* classForElement(std::string_view elementName) const;
    std::vector<std::string> elementNamesForClass(RLObjectClass const& objectClass) const;
    base::Value payloadAtKeyPath(std::string_view string, std::string const& keyPath);

    std::vector<std::pair<std::string, RLObjectClass const*>> elementToClassMappings_;
    int format_ {1};
    MissingElementMappingPolicy missingElementMappingPolicy_ {
        MissingElementMappingPolicy::IgnoreMissingElement};
    RLObjectPropertyInspector inspector_;
    std::vector<std::string> dateFormats_ {"yyyy-MM-dd'T'HH:mm:ss'Z'", "MM/dd/yyyy"};
    foundation::TimeZone remoteTimeZone_ {foundation::TimeZone::utc()};
    foundation::TimeZone localTimeZone_ {foundation::TimeZone::local()};
    std::string errorsKeyPath_ {"errors"};
    std::string errorsConcatenationString_ {", "};
};

// The value at a dot-separated key path through nested dictionaries; nil when a
// step is missing or is not a dictionary.
base::Value RLValueAtKeyPath(base::Value const& root, std::string_view keyPath);
base::Value RLValueAtKeyPath(base::Dictionary const& root, std::string_view keyPath);

}
