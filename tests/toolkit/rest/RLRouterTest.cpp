#include "MappingModels.hpp"

#include <toolkit/rest/InflectionSupport.hpp>
#include <toolkit/rest/RLRouter.hpp>

#include <base/Exception.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace toolkit::rest;
using test::DescribedModel;
using test::modelProperty;
using test::relationshipProperty;

namespace {

// A tag with a primary key, sent as a member of a profile's tags.
class Tag final : public DescribedModel<Tag> {
public:
    static RLObjectClass describe() {
        RLObjectClass made;
        made.name = "Tag";
        made.properties = {modelProperty("tagID", RLPropertyKind::Number),
            modelProperty("label", RLPropertyKind::String)};
        made.elementToPropertyMappings = RLMappings {{"id", "tagID"}, {"label", "label"}};
        made.primaryKeyProperty = "tagID";
        return made;
    }

private:
    friend base::Factory;
    Tag() = default;
};

// A note without a primary key.
class Note final : public DescribedModel<Note> {
public:
    static RLObjectClass describe() {
        RLObjectClass made;
        made.name = "Note";
        made.properties = {modelProperty("text", RLPropertyKind::String)};
        made.elementToPropertyMappings = RLMappings {{"text", "text"}};
        return made;
    }

private:
    friend base::Factory;
    Note() = default;
};

// A user profile with an id, a dashed element, a to-one and two to-many relationships.
class Profile final : public DescribedModel<Profile> {
public:
    static RLObjectClass describe() {
        RLObjectClass made;
        made.name = "Profile";
        made.properties = {modelProperty("userID", RLPropertyKind::Number),
            modelProperty("userName", RLPropertyKind::String),
            relationshipProperty("tags", RLPropertyKind::Array, "Tag"),
            relationshipProperty("notes", RLPropertyKind::Array, "Note"),
            relationshipProperty("best", RLPropertyKind::Object, "Tag")};
        made.elementToPropertyMappings = RLMappings {{"id", "userID"}, {"user-name", "userName"}};
        made.elementToRelationshipMappings
            = {{"tags", "tags"}, {"notes", "notes"}, {"best", "best"}};
        made.relationshipsToSerialize = {"tags", "notes", "best"};
        return made;
    }

private:
    friend base::Factory;
    Profile() = default;
};

base::Ref<Tag> tag(base::Value key, char const* label) {
    auto made = Tag::create();
    made->values["tagID"] = std::move(key);
    made->values["label"] = label;
    return made;
}

base::Ref<Profile> profile() {
    auto made = Profile::create();
    made->values["userID"] = 7;
    made->values["userName"] = "ann";
    made->relations["tags"]
        = RLObjectList {tag(3, "red"), tag(0, "new"), tag(base::Value(), "blank")};
    return made;
}

std::string failureOf(std::function<void()> const& body) {
    try {
        body();
    } catch (base::Exception const& failure) {
        return failure.reason();
    }
    return "none";
}

base::Value parameters(base::Ref<RLRequestSerializable> const& body) {
    if (!body)
        return {};
    auto const* form = dynamic_cast<RLFormSerialization const*>(body.get());
    return form ? base::Value(form->dictionary().copy()) : base::Value();
}

base::Value tagAttributes(base::Value id, char const* label) {
    auto attributes = base::Dictionary::create();
    if (!id.isNil())
        attributes->setObject("id", std::move(id));
    attributes->setObject("label", label);
    return attributes;
}

}

TEST(RLDynamicRouter, FindsPatternsByMethodThenAny) {
    auto router = RLDynamicRouter::create();
    auto const& profileClass = Profile::describedClass();
    router->routeClass(profileClass, "/users/(userID)");
    router->routeClass(profileClass, "/users/(userID)/show", std::string("GET"));
    router->routeClass(profileClass, "/users", 1);
    auto object = profile();
    struct Case {
        std::int32_t method;
        char const* path;
    };
    for (auto const& c : std::vector<Case> {{0, "/users/7/show"}, {1, "/users"}, {2, "/users/7"},
             {3, "/users/7"}, {4, "/users/7"}}) {
        SCOPED_TRACE(c.method);
        EXPECT_EQ(router->resourcePathForObject(*object, c.method), c.path);
    }
}

TEST(RLDynamicRouter, RaisesForADuplicateRouteAndForAnUnroutableObject) {
    auto router = RLDynamicRouter::create();
    auto const& profileClass = Profile::describedClass();
    router->routeClass(profileClass, "/a", 2);
    EXPECT_EQ(failureOf([&] { router->routeClass(profileClass, "/b", std::string("PUT")); }),
        "A route has already been registered for class 'Profile' and HTTP method 'PUT'");
    EXPECT_EQ(router->routes().at("Profile").at("PUT"), "/a");
    auto object = profile();
    EXPECT_EQ(failureOf([&] { router->resourcePathForObject(*object, 0); }),
        "Unable to find a routable path for object of type 'Profile' for HTTP Method 'GET'");
    EXPECT_EQ(failureOf([&] { router->resourcePathForObject(*object, 4); }),
        "Unable to find a routable path for object of type 'Profile' for HTTP Method '(null)'");
    EXPECT_EQ(failureOf([&] { router->resourcePathForObject(*Tag::create(), 2); }),
        "Unable to find a routable path for object of type 'Tag' for HTTP Method 'PUT'");
}

TEST(RLDynamicRouter, NamesHTTPVerbs) {
    EXPECT_EQ(RLDynamicRouter::HTTPVerbForMethod(0), "GET");
    EXPECT_EQ(RLDynamicRouter::HTTPVerbForMethod(1), "POST");
    EXPECT_EQ(RLDynamicRouter::HTTPVerbForMethod(2), "PUT");
    EXPECT_EQ(RLDynamicRouter::HTTPVerbForMethod(3), "DELETE");
    EXPECT_FALSE(RLDynamicRouter::HTTPVerbForMethod(4));
    EXPECT_FALSE(RLDynamicRouter::HTTPVerbForMethod(-1));
}

TEST(RLDynamicRouter, SerializesPropertiesWithoutIDAndRelatedObjectsWithTheirKeysHandled) {
    auto router = RLDynamicRouter::create();
    auto object = profile();
    auto best = tag(0, "top");
    object->relations["best"] = RLObjectList {best};
    EXPECT_FALSE(router->serializationForObject(*object, 0));
    auto sent = parameters(router->serializationForObject(*object, 1));
    ASSERT_TRUE(sent.isDictionary());
    EXPECT_EQ(sent.dictionary()->keys(), (std::vector<std::string> {"user_name", "tags", "best"}));
    EXPECT_EQ(sent.dictionary()->objectForKey("user_name"), "ann");
    EXPECT_EQ(sent.dictionary()->objectForKey("tags"),
        base::Value(base::Array::create(
            {tagAttributes(3, "red"), tagAttributes({}, "new"), tagAttributes({}, "blank")})));
    EXPECT_EQ(sent.dictionary()->objectForKey("best"), tagAttributes({}, "top"));
}

TEST(RLRailsRouter, WrapsParametersInTheModelName) {
    auto router = RLRailsRouter::create();
    router->setModelName("UserProfile", Profile::describedClass());
    auto object = profile();
    object->relations["best"] = RLObjectList {tag(1, "top")};
    EXPECT_FALSE(router->serializationForObject(*object, 3));
    for (std::int32_t method : {0, 1, 2}) {
        SCOPED_TRACE(method);
        auto sent = parameters(router->serializationForObject(*object, method));
        ASSERT_TRUE(sent.isDictionary());
        // The to-one relationship is left out; a member whose key is 0 or nil loses its id.
        EXPECT_EQ(sent.dictionary()->keys(),
            (std::vector<std::string> {
                "user_profile[user_name]", "user_profile[tags_attributes]"}));
        EXPECT_EQ(sent.dictionary()->objectForKey("user_profile[tags_attributes]"),
            base::Value(base::Array::create(
                {tagAttributes(3, "red"), tagAttributes({}, "new"), tagAttributes({}, "blank")})));
    }
}

TEST(RLRailsRouter, LeavesOutMembersWithoutAPrimaryKeyAndRaisesWithoutAModelName) {
    auto router = RLRailsRouter::create();
    EXPECT_EQ(failureOf([&] { router->serializationForObject(*profile(), 1); }),
        "Unable to find registered modelName for class 'Profile'");
    router->setModelName("Profile", Profile::describedClass());
    auto object = profile();
    auto note = Note::create();
    note->values["text"] = "hi";
    object->relations["notes"] = RLObjectList {note};
    test::LogCapture log;
    auto sent = parameters(router->serializationForObject(*object, 1));
    EXPECT_TRUE(log.contains("ERROR: expected "));
    EXPECT_TRUE(log.contains(" to respond to primaryKeyProperty"));
    EXPECT_EQ(sent.dictionary()->objectForKey("profile[notes_attributes]"),
        base::Value(base::Array::create()));
    EXPECT_EQ(sent.dictionary()->objectForKey("profile[tags_attributes]").array()->size(), 3u);
}

TEST(InflectionSupport, ConvertsBetweenCamelCaseAndDelimitedNames) {
    struct Case {
        char const* text;
        char const* underscored;
        char const* dasherized;
        char const* camelized;
        char const* className;
    };
    std::vector<Case> const cases {
        {"userName", "user_name", "user-name", "userName", "UserName"},
        {"URLString", "u_r_l_string", "u-r-l-string", "URLString", "URLString"},
        {"user_name", "user_name", "user_name", "userName", "UserName"},
        {"user-name", "user-name", "user-name", "userName", "UserName"},
        {"user__name", "user__name", "user__name", "userName", "UserName"},
        {"_name", "_name", "_name", "Name", "Name"},
        {"user_profile", "user_profile", "user_profile", "userProfile", "UserProfile"},
        {"name_", "name_", "name_", "name", "Name"},
        {"", "", "", "", ""},
        {"caf\xc3\xa9"
         "Bar",
            "caf\xc3\xa9_bar", "caf\xc3\xa9-bar",
            "caf\xc3\xa9"
            "Bar",
            "Caf\xc3\xa9"
            "Bar"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(underscore(c.text), c.underscored);
        EXPECT_EQ(dasherize(c.text), c.dasherized);
        EXPECT_EQ(camelize(c.text), c.camelized);
        EXPECT_EQ(toClassName(c.text), c.className);
    }
    EXPECT_EQ(deCamelizeWith("someLongName", "::"), "some::long::name");
}

TEST(InflectionSupport, TitleizesEachWordKeepingEveryBlank) {
    struct Case {
        char const* text;
        char const* title;
    };
    for (auto const& c :
        std::vector<Case> {{"hello WORLD", "Hello World"}, {"a", "A"}, {"", ""}, {" lead", " Lead"},
            {"trail ", "Trail "}, {"two  blanks", "Two  Blanks"}, {"x1 2y", "X1 2y"}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(titleize(c.text), c.title);
    }
}
