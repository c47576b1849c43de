#include <game/progression/QuestClause.hpp>

#include <base/Value.hpp>

namespace game {

QuestClause QuestClause::parse(std::string_view clause) {
    QuestClause parsed;
    auto colon = clause.find(':');
    parsed.key = std::string(clause.substr(0, colon));
    if (colon != std::string_view::npos) {
        parsed.hasValue = true;
        parsed.value = base::Value(std::string(clause.substr(colon + 1))).intValue();
    }
    return parsed;
}

std::vector<QuestClause> QuestClause::parseList(std::string_view text) {
    std::vector<QuestClause> clauses;
    std::size_t start = 0;
    for (;;) {
        auto comma = text.find(',', start);
        clauses.push_back(parse(text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
        if (comma == std::string_view::npos)
            return clauses;
        start = comma + 1;
    }
}

}
