#include "MappingModels.hpp"

#include <toolkit/rest/RLSearchEngine.hpp>

#include <base/Exception.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace toolkit::rest;

namespace {

// A searchable note: its text and a title.
class Note final : public test::DescribedModel<Note> {
public:
    static RLObjectClass describe() {
        RLObjectClass made;
        made.name = "Note";
        made.properties = {test::modelProperty("searchableText", RLPropertyKind::String),
            test::modelProperty("title", RLPropertyKind::String)};
        made.elementToPropertyMappings = RLMappings {};
        return made;
    }

    static base::Ref<Note> with(base::Value text, base::Value title = {}) {
        auto note = create();
        note->values["searchableText"] = std::move(text);
        note->values["title"] = std::move(title);
        return note;
    }

private:
    friend base::Factory;
    Note() = default;
};

// The texts of the found notes, in order; "nil" for no answer.
std::string found(std::optional<RLObjectList> const& objects) {
    if (!objects)
        return "nil";
    std::string texts;
    for (auto const& object : *objects) {
        auto const& note = static_cast<Note const&>(*object);
        texts += (texts.empty() ? "" : "|") + note.value("searchableText").stringValue();
    }
    return texts;
}

}

TEST(RLSearchEngine, StartsInAnyTermModeTokenizingTrimmingAndIgnoringCase) {
    auto engine = RLSearchEngine::searchEngine();
    EXPECT_EQ(engine->mode(), RLSearchEngine::RLSearchModeOr);
    EXPECT_TRUE(engine->tokenizeQuery());
    EXPECT_TRUE(engine->stripWhitespace());
    EXPECT_FALSE(engine->caseSensitive());
}

TEST(RLSearchEngine, TrimsTheQueryAndSplitsItAtEveryBlank) {
    struct Case {
        char const* query;
        bool strip;
        bool tokenize;
        std::vector<std::string> terms;
    };
    Case const cases[] = {
        {"  red  Car ", true, true, {"red", "", "Car"}},
        {"  red  Car ", false, true, {"", "", "red", "", "Car", ""}},
        {"  red  Car ", true, false, {"red  Car"}},
        {"\t red\tCar\u3000", true, true, {"red\tCar"}},
        {"\nred\n", true, true, {"\nred\n"}},
        {"", true, true, {""}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.query);
        auto engine = RLSearchEngine::searchEngine();
        engine->setStripWhitespace(c.strip);
        engine->setTokenizeQuery(c.tokenize);
        EXPECT_EQ(engine->tokenizeOrCollect(engine->stripWhitespaceIfNecessary(c.query)), c.terms);
    }
}

TEST(RLSearchEngine, MatchesAPropertyContainingAllOrAnyTermsIgnoringCaseAndDiacritics) {
    RLObjectList const notes = {Note::with("Red car in the salon"), Note::with("a blue café"),
        Note::with("CAFE RED"), Note::with("Crème brûlée"), Note::with(base::Value()),
        Note::with(42), Note::with("Straße")};
    struct Case {
        char const* query;
        std::int32_t mode;
        bool caseSensitive;
        bool tokenize;
        char const* expected;
    };
    Case const cases[] = {
        {"  red  Car ", 1, false, true, "Red car in the salon|CAFE RED"},
        {"  red  Car ", 0, false, true, "Red car in the salon"},
        {"cafe", 1, false, true, "a blue café|CAFE RED"},
        {"café", 1, false, true, "a blue café|CAFE RED"},
        {"CREME BRULEE", 0, false, true, "Crème brûlée"},
        {"strasse", 1, false, true, "Straße"},
        {"cafe red", 0, false, true, "CAFE RED"},
        {"cafe red", 1, false, true, "Red car in the salon|a blue café|CAFE RED"},
        {"red car", 1, false, false, "Red car in the salon"},
        {"car red", 1, false, false, ""},
        {"café", 1, true, true, "a blue café"},
        {"cafe", 1, true, true, ""},
        {"RED", 1, true, true, "CAFE RED"},
        {"Red car", 0, true, true, "Red car in the salon"},
        {"", 1, false, true, ""},
        {"   ", 0, false, true, ""},
        {"42", 1, false, true, ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.query) + " mode " + std::to_string(c.mode)
            + (c.caseSensitive ? " case-sensitive" : "") + (c.tokenize ? "" : " whole"));
        auto engine = RLSearchEngine::searchEngine();
        engine->setMode(c.mode);
        engine->setCaseSensitive(c.caseSensitive);
        engine->setTokenizeQuery(c.tokenize);
        EXPECT_EQ(found(engine->searchFor(c.query, notes)), c.expected);
    }
}

TEST(RLSearchEngine, AnotherModeAnswersNil) {
    auto engine = RLSearchEngine::searchEngine();
    RLObjectList const notes = {Note::with("red")};
    auto dictionaries = base::Array::create();
    for (auto mode : {2, -1}) {
        engine->setMode(mode);
        EXPECT_EQ(found(engine->searchFor("red", notes)), "nil");
        EXPECT_FALSE(engine->searchFor("red", *dictionaries));
    }
}

TEST(RLSearchEngine, SearchesTheChosenPropertiesWhereAnyOneMustMatch) {
    RLObjectList const notes
        = {Note::with("groom", "Poodle day"), Note::with("poodle", "wash"), Note::with("wash")};
    auto engine = RLSearchEngine::searchEngine();
    engine->setMode(RLSearchEngine::RLSearchModeAnd);
    EXPECT_EQ(found(engine->searchFor("poodle", {"title"}, notes)), "groom");
    EXPECT_EQ(
        found(engine->searchFor("poodle", {"title", "searchableText"}, notes)), "groom|poodle");
    // Both terms must sit in one property.
    EXPECT_EQ(found(engine->searchFor("poodle wash", {"title", "searchableText"}, notes)), "");
    EXPECT_EQ(found(engine->searchFor("poodle", {}, notes)), "");
    try {
        engine->searchFor("poodle", {"colour"}, notes);
        ADD_FAILURE() << "an unknown property was searched";
    } catch (base::Exception const& failure) {
        EXPECT_EQ(failure.name(), "NSUnknownKeyException");
    }
}

TEST(RLSearchEngine, SearchesDictionariesByTheirKeys) {
    auto make = [](char const* text) {
        auto dictionary = base::Dictionary::create();
        dictionary->setObject("searchableText", text);
        return base::Value(dictionary);
    };
    auto collection = base::Array::create({make("Café au lait"), base::Value("café"), make("tea"),
        base::Value(base::Dictionary::create()), make("CAFE")});
    auto engine = RLSearchEngine::searchEngine();
    auto result = engine->searchFor("cafe", *collection);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->size(), 2u);
    EXPECT_EQ(result->at(0).dictionary()->objectForKey("searchableText"), "Café au lait");
    EXPECT_EQ(result->at(1).dictionary()->objectForKey("searchableText"), "CAFE");
}
