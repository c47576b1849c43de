#include <game/progression/QuestClause.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using game::QuestClause;

TEST(QuestClause, ClauseGrammar) {
    struct Case {
        char const* clause;
        char const* key;
        int value;
        bool hasValue;
    } const cases[] = {
        {"lvl:5", "lvl", 5, true},
        {"lvl", "lvl", 0, false},
        {"", "", 0, false},
        {"lvl:", "lvl", 0, true},
        {"lvl:x", "lvl", 0, true},
        // The number is what the leading characters spell.
        {"lvl:12abc", "lvl", 12, true},
        {"lvl:-3", "lvl", -3, true},
        {"lvl:+4", "lvl", 4, true},
        {"lvl: 7", "lvl", 7, true},
        {"lvl:1.9", "lvl", 1, true},
        // The first ":" splits; the rest is the number's text.
        {"a:3:4", "a", 3, true},
        {":9", "", 9, true},
        // Nothing is trimmed from keys, and case counts.
        {" lvl:5", " lvl", 5, true},
        {"lvl :5", "lvl ", 5, true},
        {"LVL:5", "LVL", 5, true},
        // Numbers past the limits of int stop there.
        {"coin:99999999999999999999", "coin", INT_MAX, true},
        {"coin:-99999999999", "coin", INT_MIN, true},
    };
    for (auto const& c : cases) {
        auto clause = QuestClause::parse(c.clause);
        EXPECT_EQ(clause.key, c.key) << c.clause;
        EXPECT_EQ(clause.value, c.value) << c.clause;
        EXPECT_EQ(clause.hasValue, c.hasValue) << c.clause;
    }
}

TEST(QuestClause, ListsSplitOnEveryComma) {
    struct Case {
        char const* text;
        std::vector<std::string> keys;
    } const cases[] = {
        {"", {""}},
        {",", {"", ""}},
        {"lvl:5", {"lvl"}},
        {"coin:500,pp:5", {"coin", "pp"}},
        {"coin:500, pp:5", {"coin", " pp"}},
        {"a,,b,", {"a", "", "b", ""}},
    };
    for (auto const& c : cases) {
        std::vector<std::string> keys;
        for (auto const& clause : QuestClause::parseList(c.text))
            keys.push_back(clause.key);
        EXPECT_EQ(keys, c.keys) << c.text;
    }
}

}
