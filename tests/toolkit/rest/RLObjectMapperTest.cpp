#include "MappingModels.hpp"

#include <toolkit/rest/RLError.hpp>
#include <toolkit/rest/RLObjectMapper.hpp>

#include <base/Exception.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace toolkit::rest;
using test::Address;
using test::Groomer;
using test::Owner;
using test::Pet;

namespace {

// 2011-03-04 in seconds since 2001-01-01 00:00:00 GMT.
constexpr double March4th2011 = 320889600;

base::Ref<RLObjectMapper> ownerMapper() {
    auto mapper = RLObjectMapper::create();
    mapper->registerClass(Owner::describedClass(), "owner");
    mapper->registerClass(Pet::describedClass(), "pet");
    mapper->registerClass(Pet::describedClass(), "pets");
    mapper->registerClass(Address::describedClass(), "address");
    return mapper;
}

base::Ref<Owner> mapOwner(RLObjectMapper& mapper, std::string const& json) {
    auto owner = Owner::create();
    mapper.mapObject(*owner, json);
    return owner;
}

std::string exceptionName(std::function<void()> const& body) {
    try {
        body();
    } catch (base::Exception const& failure) {
        return failure.name() + ": " + failure.reason();
    }
    return "none";
}

}

TEST(RLObjectMapper, StartsWithJSONTheTwoDatePatternsAndTheErrorsSettings) {
    auto mapper = RLObjectMapper::create();
    EXPECT_EQ(mapper->format(), 1);
    EXPECT_EQ(mapper->missingElementMappingPolicy(),
        RLObjectMapper::MissingElementMappingPolicy::IgnoreMissingElement);
    EXPECT_EQ(mapper->dateFormats(),
        (std::vector<std::string> {"yyyy-MM-dd'T'HH:mm:ss'Z'", "MM/dd/yyyy"}));
    EXPECT_EQ(mapper->remoteTimeZone().secondsFromGMT(base::Date {}), 0);
    EXPECT_EQ(mapper->errorsKeyPath(), "errors");
    EXPECT_EQ(mapper->errorsConcatenationString(), ", ");
}

TEST(RLObjectMapper, ConvertsElementValuesByTheDeclaredType) {
    struct Case {
        char const* json;
        char const* property;
        base::Value expected;
    };
    auto const decimal = base::Decimal::fromString("42.5");
    std::vector<Case> const cases {
        {R"({"since":"2011-03-04T10:00:00Z"})", "since", base::Date {March4th2011 + 36000}},
        {R"({"since":"03/04/2011"})", "since", base::Date {March4th2011}},
        {R"({"since":"4 March 2011"})", "since", base::Value()},
        {R"({"visits":"42.5"})", "visits", 42.5},
        {R"({"visits":"true"})", "visits", true},
        {R"({"visits":"false"})", "visits", false},
        {R"({"visits":"lots"})", "visits", 0.0},
        {R"({"visits":7})", "visits", 7},
        {R"({"balance":"42.5"})", "balance", decimal},
        {R"({"balance":42.5})", "balance", decimal},
        {R"({"homepage":"https://example.com/ann"})", "homepage", "https://example.com/ann"},
        {R"({"name":null})", "name", base::Value()},
        {R"({"extra":{"note":[1,2]}})", "note", base::Array::create({1, 2})},
        {R"({"nicknames":["Annie"]})", "nicknames", base::Array::create({"Annie"})},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.json);
        auto mapper = ownerMapper();
        // Any local zone reads the wall-clock time of the payload as GMT.
        for (auto zone : {foundation::TimeZone::utc(), foundation::TimeZone::fixed(5 * 3600)}) {
            mapper->setLocalTimeZone(zone);
            auto owner = Owner::create();
            owner->values["name"] = "before";
            mapper->mapObject(*owner, c.json);
            auto value = owner->value(c.property);
            EXPECT_EQ(value, c.expected) << value.description();
            EXPECT_EQ(value.kind(), c.expected.kind());
        }
    }
}

TEST(RLObjectMapper, RaisesForAValueItCannotConvert) {
    struct Case {
        char const* json;
        char const* failure;
    };
    std::vector<Case> const cases {
        {R"({"name":42})",
            "NoElementValueConversionMethod: Don't know how to convert 42 (NSNumber) to NSString"},
        {R"({"visits":[1]})", "NoElementValueConversionMethod"},
        {R"({"settings":"x"})", "NoElementValueConversionMethod"},
        {R"({"homepage":3})", "NoElementValueConversionMethod"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.json);
        auto mapper = ownerMapper();
        auto failure = exceptionName([&] { mapOwner(*mapper, c.json); });
        EXPECT_EQ(failure.rfind(c.failure, 0), 0u) << failure;
    }
}

TEST(RLObjectMapper, AnAbsentElementIsLeftAloneOrSetToNilByThePolicy) {
    auto mapper = ownerMapper();
    auto owner = Owner::create();
    owner->values["name"] = "Ann";
    owner->relations["pets"] = RLObjectList {Pet::create()};
    mapper->mapObject(*owner, R"({"visits":1})");
    EXPECT_EQ(owner->value("name"), "Ann");
    EXPECT_EQ(owner->related("pets")->size(), 1u);

    mapper->setMissingElementMappingPolicy(
        RLObjectMapper::MissingElementMappingPolicy::SetNilForMissingElement);
    mapper->mapObject(*owner, R"({"visits":1})");
    EXPECT_TRUE(owner->value("name").isNil());
    ASSERT_TRUE(owner->relations.contains("pets"));
    EXPECT_FALSE(owner->related("pets"));
}

TEST(RLObjectMapper, WritesAPropertyOnlyWhenItsValueChanged) {
    auto mapper = ownerMapper();
    auto owner
        = mapOwner(*mapper, R"({"name":"Ann","visits":2,"since":"03/04/2011","settings":{"a":1}})");
    mapper->mapObject(
        *owner, R"({"name":"Ann","visits":2.0,"since":"03/04/2011","settings":{"a":1}})");
    for (auto const* name : {"name", "visits", "since", "settings"})
        EXPECT_EQ(owner->writes(name), 1) << name;
    mapper->mapObject(*owner, R"({"name":"Bea","visits":3})");
    EXPECT_EQ(owner->writes("name"), 2);
    EXPECT_EQ(owner->value("name"), "Bea");
    EXPECT_EQ(owner->writes("visits"), 2);
}

TEST(RLObjectMapper, UpdateModelComparesByTheNewValuesKind) {
    auto mapper = ownerMapper();
    auto owner = Owner::create();
    mapper->updateModel(*owner, base::Value(), "name");
    EXPECT_EQ(owner->writes("name"), 0);
    mapper->updateModel(*owner, "Ann", "name");
    mapper->updateModel(*owner, base::Value::nullObject(), "name");
    EXPECT_EQ(owner->writes("name"), 2);
    EXPECT_TRUE(owner->value("name").isNil());
    owner->values["note"] = base::Value(base::Bytes {1});
    EXPECT_EQ(
        exceptionName([&] { mapper->updateModel(*owner, base::Value(base::Bytes {2}), "note"); }),
        "NoComparisonSelectorFound: You need a comparison selector for note (NSData)");
}

TEST(RLObjectMapper, MapsToOneAndToManyRelationships) {
    auto mapper = ownerMapper();
    auto owner = mapOwner(*mapper,
        R"({"name":"Ann","address":{"city":"Leeds"},"pets":[{"name":"Rex"},null,{"name":"Tom"}],)"
        R"("favourites":{"pet":[{"name":"Rex"}]}})");
    auto address = owner->related("address");
    ASSERT_TRUE(address && address->size() == 1);
    EXPECT_EQ(static_cast<Address&>(*address->front()).value("city"), "Leeds");
    auto pets = owner->related("pets");
    ASSERT_TRUE(pets && pets->size() == 2);
    EXPECT_EQ(static_cast<Pet&>(*(*pets)[0]).value("name"), "Rex");
    EXPECT_EQ(static_cast<Pet&>(*(*pets)[1]).value("name"), "Tom");
    EXPECT_EQ(owner->related("favourites")->size(), 1u);

    // An empty list replaces the old collection with an empty one; a to-one that
    // is not a dictionary leaves the property alone.
    mapper->mapObject(*owner, R"({"pets":[],"address":"Leeds"})");
    ASSERT_TRUE(owner->related("pets"));
    EXPECT_TRUE(owner->related("pets")->empty());
    EXPECT_EQ(owner->related("address")->size(), 1u);
}

TEST(RLObjectMapper, ARelationshipOfAnUnregisteredElementStopsTheRelationshipsWithItsWarning) {
    auto mapper = RLObjectMapper::create();
    mapper->registerClass(Owner::describedClass(), "owner");
    mapper->registerClass(Pet::describedClass(), "pets");
    test::LogCapture log;
    auto owner = mapOwner(*mapper, R"({"address":{"city":"Leeds"},"pets":[{"name":"Rex"}]})");
    EXPECT_TRUE(
        log.contains("Warning: could not find a class mapping for relationship 'address':"));
    EXPECT_TRUE(log.contains("   parent class   : Owner"));
    EXPECT_TRUE(log.contains("maybe you want to register your model"));
    EXPECT_FALSE(owner->relations.contains("address"));
    EXPECT_FALSE(owner->relations.contains("pets"));
}

TEST(RLObjectMapper, MapsAPayloadByItsRegisteredElements) {
    auto mapper = ownerMapper();
    auto single = mapper->mapFromString(R"({"owner":{"name":"Ann"}})");
    ASSERT_TRUE(std::holds_alternative<base::Ref<RLObject>>(single));
    EXPECT_EQ(static_cast<Owner&>(*std::get<base::Ref<RLObject>>(single)).value("name"), "Ann");

    auto listed = mapper->mapFromString(R"({"owner":[{"name":"Ann"},null]})");
    ASSERT_TRUE(std::holds_alternative<RLObjectList>(listed));
    EXPECT_EQ(std::get<RLObjectList>(listed).size(), 1u);

    auto mixed = mapper->mapFromString(R"([{"owner":{"name":"Ann"}},null,{"pet":{"name":"Rex"}}])");
    ASSERT_TRUE(std::holds_alternative<RLObjectList>(mixed));
    auto const& objects = std::get<RLObjectList>(mixed);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0]->objectClass().name, "Owner");
    EXPECT_EQ(objects[1]->objectClass().name, "Pet");

    test::LogCapture log;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(mapper->mapFromString(R"({"nobody":{}})")));
    EXPECT_TRUE(
        log.contains("Unable to find registered mapping keyPath in payload, returning nil..."));
}

TEST(RLObjectMapper, TheFirstRegisteredMatchWinsWithAWarning) {
    auto mapper = RLObjectMapper::create();
    mapper->registerClass(Pet::describedClass(), "pet");
    mapper->registerClass(Owner::describedClass(), "owner");
    mapper->registerClass(Owner::describedClass(), "pet");
    test::LogCapture log;
    auto result = mapper->mapFromString(R"({"owner":{"name":"Ann"},"pet":{"name":"Rex"}})");
    ASSERT_TRUE(std::holds_alternative<base::Ref<RLObject>>(result));
    // "pet" was registered first; its later registration replaced its class in place.
    EXPECT_EQ(std::get<base::Ref<RLObject>>(result)->objectClass().name, "Owner");
    EXPECT_EQ(static_cast<Owner&>(*std::get<base::Ref<RLObject>>(result)).value("name"), "Rex");
    EXPECT_TRUE(log.contains("WARNING: Multiple mapping targets match in dictionary, using the "
                             "first match: 'pet' => [Owner class]."));
}

TEST(RLObjectMapper, MapsToAGivenClassAtAKeyPath) {
    auto mapper = ownerMapper();
    auto result = mapper->mapFromString(
        R"({"data":{"people":[{"owner":{"name":"Ann"}},{"name":"Bea"},null]}})",
        &Owner::describedClass(), "data.people");
    ASSERT_TRUE(std::holds_alternative<RLObjectList>(result));
    auto const& objects = std::get<RLObjectList>(result);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(static_cast<Owner&>(*objects[0]).value("name"), "Ann");
    EXPECT_EQ(static_cast<Owner&>(*objects[1]).value("name"), "Bea");
}

TEST(RLObjectMapper, RaisesOrLogsForPayloadsThatAreNotDictionariesOrArrays) {
    auto mapper = ownerMapper();
    test::LogCapture log;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(mapper->mapFromString("not json")));
    EXPECT_TRUE(log.contains("attempted to map from a nil payload. Skipping..."));
    EXPECT_EQ(exceptionName([&] { mapper->mapFromString(R"({"a":"text"})", nullptr, "a"); }),
        "Unable to map from requested string: The object was deserialized into a NSString. A "
        "dictionary or "
        "array of dictionaries was expected.");
    auto owner = Owner::create();
    EXPECT_EQ(exceptionName([&] {
        mapper->mapObject(*owner, "[1]");
    }).rfind("Unable to map from requested string: The object was serialized into a NSArray.", 0),
        0u);
    EXPECT_EQ(exceptionName([&] { mapper->mapFromString(R"([{"stranger":{}}])"); }),
        "NSInternalInconsistencyException: Unable to perform object mapping without a destination "
        "class");
    mapper->setFormat(0);
    EXPECT_EQ(exceptionName([&] { mapper->mapFromString("<owner/>"); }),
        "Unable to find an appropriate parser.: The object mapper attempted to process a payload "
        "via the "
        "'RLXMLParser' parser, but it was not found.");
}

TEST(RLObjectMapper, MapsAnObjectFromItsOwnElementOrTheWholeDictionary) {
    auto mapper = ownerMapper();
    auto owner = mapOwner(*mapper, R"({"owner":{"name":"Ann"},"name":"Bea"})");
    EXPECT_EQ(owner->value("name"), "Ann");
    auto plain = RLObject::object();
    EXPECT_EQ(exceptionName([&] { mapper->mapObject(*plain, R"({"a":1})"); }),
        "Unable to map from requested dictionary: There was no mappable element found for objects "
        "of type "
        "RLObject");
}

TEST(RLObjectMapper, ParsesErrorsJoinedUnderTheErrorsKeyPath) {
    auto mapper = ownerMapper();
    auto error = mapper->parseErrorFromString(R"({"errors":["a","b"]})");
    EXPECT_EQ(error.domain, RLRestKitErrorDomain);
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.localizedDescription, "a, b");
    mapper->setErrorsKeyPath("reply.problems");
    mapper->setErrorsConcatenationString(" / ");
    EXPECT_EQ(mapper->parseErrorFromString(R"({"reply":{"problems":["x","y","z"]}})")
                  .localizedDescription,
        "x / y / z");
    // No messages: the error has the plain description of an error without one.
    EXPECT_EQ(mapper->parseErrorFromString("nonsense").localizedDescription,
        "The operation could not be completed.");
}

TEST(RLObjectPropertyInspector, ListsTypedPropertiesWithTheSuperclassDeclarationWinning) {
    RLObjectPropertyInspector inspector;
    auto const& types = inspector.propertyNamesAndTypesForClass(Groomer::describedClass());
    EXPECT_EQ(types.at("salon"), (RLPropertyType {RLPropertyKind::String, ""}));
    // Groomer declares name untyped; Owner's declaration as a string counts.
    EXPECT_EQ(types.at("name"), (RLPropertyType {RLPropertyKind::String, ""}));
    EXPECT_EQ(types.at("address"), (RLPropertyType {RLPropertyKind::Object, "Address"}));
    EXPECT_FALSE(types.contains("note"));
    EXPECT_EQ(&inspector.propertyNamesAndTypesForClass(Groomer::describedClass()), &types);
}

TEST(RLObjectMapper, MapsASubclassThroughItsSuperclassProperties) {
    auto mapper = ownerMapper();
    auto groomer = Groomer::create();
    mapper->mapObject(*groomer, R"({"salon":"Suds","name":"Cy"})");
    EXPECT_EQ(groomer->value("salon"), "Suds");
    EXPECT_EQ(groomer->value("name"), "Cy");
    EXPECT_EQ(exceptionName([&] {
        mapper->mapObject(*groomer, R"({"name":5})");
    }).rfind("NoElementValueConversionMethod", 0),
        0u);
}
