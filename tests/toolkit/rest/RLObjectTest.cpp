#include <toolkit/rest/RLAdditions.hpp>
#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLJSONParser.hpp>
#include <toolkit/rest/RLObject.hpp>

#include <base/Exception.hpp>

#include <gtest/gtest.h>

using namespace toolkit::rest;

namespace {

// A small mappable class: a user with an id, a name and a serialized relationship.
class User final : public RLObject {
public:
    static base::Ref<User> create() { return base::make<User>(); }

    static RLObjectClass const& describedClass() {
        static RLObjectClass const described = [] {
            RLObjectClass made;
            made.name = "User";
            auto property = [](char const* name, base::Value User::*field) {
                return RLProperty {name,
                    [field](
                        RLObject const& object) { return static_cast<User const&>(object).*field; },
                    [field](RLObject& object, base::Value const& value) {
                        static_cast<User&>(object).*field = value;
                    }};
            };
            made.properties = {property("userID", &User::userID), property("name", &User::name),
                property("posts", &User::posts), property("friends", &User::friends)};
            made.elementToPropertyMappings = RLMappings {{"id", "userID"}, {"full_name", "name"}};
            made.elementToRelationshipMappings = {{"posts", "posts"}, {"friends", "friends"}};
            made.relationshipsToSerialize = {"posts"};
            made.make = [] { return base::Ref<RLObject>(create()); };
            return made;
        }();
        return described;
    }
    RLObjectClass const& objectClass() const override { return describedClass(); }

    base::Value userID;
    base::Value name;
    base::Value posts;
    base::Value friends;

private:
    friend base::Factory;
    User() = default;
};

}

TEST(RLJSONParser, WritesCompactTextAndGivesNilForTextThatDoesNotDecode) {
    RLJSONParser parser;
    auto dictionary = base::Dictionary::create();
    dictionary->setObject("a", 1);
    dictionary->setObject("b", base::Array::create({"x", true}));
    EXPECT_EQ(parser.stringFromObject(base::Value(dictionary)), R"({"a":1,"b":["x",true]})");
    EXPECT_FALSE(parser.stringFromObject(base::Value("text")));

    auto decoded = parser.objectFromString(R"({"a":1,"b":["x",true]})");
    ASSERT_TRUE(decoded.isDictionary());
    EXPECT_EQ(decoded.dictionary()->objectForKey("a").intValue(), 1);
    for (auto text : {"", "{", "not json", "[1,]"})
        EXPECT_TRUE(parser.objectFromString(text).isNil()) << text;
}

TEST(RLAdditions, DictionaryWithKeysAndObjectsTakesPairsUpToTheFirstNilKey) {
    EXPECT_TRUE(dictionaryWithKeysAndObjects({nullptr})->empty());
    EXPECT_TRUE(dictionaryWithKeysAndObjects({})->empty());

    auto table = dictionaryWithKeysAndObjects({"id", "identifier", "credits", "value", "reason",
        "reason", "timePosted", "timePosted", nullptr, "ignored", "after nil"});
    EXPECT_EQ(table->keys(), std::vector<std::string>({"id", "credits", "reason", "timePosted"}));
    EXPECT_EQ(table->objectForKey("credits").stringValue(), "value");

    try {
        dictionaryWithKeysAndObjects({"ios:deviceId", nullptr});
        FAIL() << "a nil value was taken";
    } catch (base::Exception const& refused) {
        EXPECT_EQ(refused.name(), base::InvalidArgumentException);
    }
    EXPECT_THROW(dictionaryWithKeysAndObjects({"lonely"}), base::Exception);
}

TEST(RLObject, SerializesMappedPropertiesLeavingNilOnesOutAndOnlyListedRelationships) {
    auto user = User::create();
    user->userID = 42;
    user->posts = base::Array::create({"p1"});
    user->friends = base::Array::create({"f1"});
    auto properties = user->propertiesForSerialization();
    EXPECT_EQ(properties->keys(), std::vector<std::string>({"id"})) << "a nil name was kept";
    EXPECT_EQ(properties->objectForKey("id").intValue(), 42);
    user->setValueForKey("Ann", "name");
    EXPECT_EQ(RLPropertiesByElementOfObject(*user)->objectForKey("full_name").stringValue(), "Ann");

    auto relationships = user->relationshipsForSerialization();
    EXPECT_EQ(relationships->keys(), std::vector<std::string>({"posts"}));

    auto made = User::describedClass().object();
    ASSERT_TRUE(made);
    EXPECT_EQ(&made->objectClass(), &User::describedClass());
    EXPECT_THROW(user->valueForKey("missing"), base::Exception);
}

TEST(RLObject, TheBaseClassHasNoPropertyMappingsAndRefusesToSerialize) {
    auto plain = RLObject::object();
    EXPECT_TRUE(RLRelationshipsByElementOfObject(*plain)->empty());
    EXPECT_TRUE(plain->objectClass().relationshipsToSerialize.empty());
    try {
        plain->propertiesForSerialization();
        FAIL() << "a class without mappings was serialized";
    } catch (base::Exception const& refused) {
        EXPECT_EQ(refused.name(), base::InvalidArgumentException);
        EXPECT_NE(refused.reason().find("unrecognized selector"), std::string::npos);
    }
}

TEST(RLObject, ClassesRegisterByName) {
    RLObjectClass::registerClass(User::describedClass());
    auto const* found = RLObjectClass::classNamed("User");
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->property("userID"));
    EXPECT_FALSE(RLObjectClass::classNamed("Nobody"));
}

TEST(RLResourcePath, PlaceholdersAreReplacedByTheObjectsValues) {
    auto user = User::create();
    user->userID = 42;
    user->name = "ann";
    struct Case {
        char const* path;
        char const* expected;
    };
    Case const cases[] = {
        {"/users/(userID)/posts", "/users/42/posts"},
        {"(userID)/posts", "42/posts"},
        {"/users/(userID)/(name)/(userID)", "/users/42/ann/42"},
        {"/users/plain", "/users/plain"},
        {"/users/(posts)", "/users/(null)"},
        {"/users/(userID", "/users/(userID"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(RLResourcePathWithObject(c.path, *user), c.expected) << c.path;

    auto query = base::Dictionary::create();
    query->setObject("q", "a b");
    EXPECT_EQ(RLResourcePathWithQueryParams("/search", *query), "/search?q=a%20b");
}
