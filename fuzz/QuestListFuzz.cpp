// The daily challenges' list and the clause grammar of its strings. Whatever the
// property list holds, the pool keeps exactly the entries that have their three strings,
// in the list's order, and every string splits into one clause more than it has commas,
// with keys that hold no comma and end before the first colon.
#include "FuzzSupport.hpp"

#include <foundation/PropertyList.hpp>
#include <game/progression/QuestClause.hpp>
#include <game/progression/QuestController.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void checkGrammar(std::string const& text) {
    auto clauses = game::QuestClause::parseList(text);
    FUZZ_CHECK(clauses.size() == std::size_t(std::count(text.begin(), text.end(), ',')) + 1);
    for (auto const& clause : clauses) {
        FUZZ_CHECK(clause.key.find(',') == std::string::npos);
        FUZZ_CHECK(clause.key.find(':') == std::string::npos);
        FUZZ_CHECK(clause.hasValue || clause.value == 0);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    checkGrammar(std::string(reinterpret_cast<char const*>(data), size));
    auto value = foundation::PropertyList::propertyListWithData({data, size});
    auto const* list = value.dictionary();
    if (!list)
        return 0;
    auto controller = game::QuestController::init();
    controller->loadQuestList(*list);
    FUZZ_CHECK(controller->questPool().has_value());
    std::size_t next = 0;
    auto const& pool = *controller->questPool();
    for (auto const& [id, entry] : *list) {
        auto const* fields = entry.dictionary();
        bool whole = fields && fields->objectForKey("prerequisite").isString()
            && fields->objectForKey("condition").isString()
            && fields->objectForKey("rewardcode").isString();
        if (!whole)
            continue;
        FUZZ_CHECK(next < pool.size());
        auto const& item = *pool[next++];
        FUZZ_CHECK(item.quest_id() == id.str());
        FUZZ_CHECK(item.condition() == fields->objectForKey("condition").stringValue());
        checkGrammar(item.prerequisite());
        checkGrammar(item.condition());
        checkGrammar(item.rewardcode());
    }
    FUZZ_CHECK(next == pool.size());
    // Without an evaluator every prerequisite holds: a non-empty pool always yields a pick.
    auto pick = controller->getRandomEligibleQuest();
    FUZZ_CHECK(bool(pick) == !pool.empty());
    return 0;
}
