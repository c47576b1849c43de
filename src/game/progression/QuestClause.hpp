#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace game {

// One clause of a daily challenge's condition, prerequisite or reward code: a key and
// its number. The one reader of that grammar, shared by the challenges, the salon's
// condition tests and its rewards, so they never disagree on what a string says.
//
// A string is a list of clauses separated by "," with nothing trimmed; an empty string
// (or an empty piece between commas) is one empty clause. In a clause with a ":" the
// text before the first ":" is the key and the text after it is read as the leading
// number that it spells (optional blanks and sign, then digits; none reads as 0; the
// value stops at the limits of int). A clause without ":" is a bare key worth 0. Keys
// are compared as they stand, case and blanks included.
struct QuestClause {
    std::string key;
    int value {0};
    // Whether the clause had a ":" at all.
    bool hasValue {false};

    static QuestClause parse(std::string_view clause);
    static std::vector<QuestClause> parseList(std::string_view text);
};

}
