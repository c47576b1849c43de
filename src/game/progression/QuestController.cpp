#include <game/progression/QuestController.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Random.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/DataConrtoller.hpp>

#include <algorithm>
#include <cmath>

namespace game {

namespace {

// Seconds between 1970 and the clock's reference date of 2001.
constexpr double referenceDateSince1970 = 978307200.0;

}

base::Ref<QuestController> QuestController::init() {
    return base::make<QuestController>();
}

QuestController::QuestController() {
    foundation::srand48(
        long(std::lround(foundation::Clock::current().wallTime() + referenceDateSince1970)));
}

void QuestController::loadQuestListNamed(std::string const& name) {
    _questPool.reset();
    auto dot = name.rfind('.');
    std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    std::string type = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    base::Ref<base::Dictionary> list;
    if (auto path = foundation::Bundle::mainBundle().pathForResource(base, type))
        list = foundation::PropertyList::dictionaryWithContentsOfFile(*path);
    if (!list) {
        foundation::log("Warning: Failed to load quest list. Quest system is unavailable.");
        return;
    }
    loadQuestList(*list);
}

void QuestController::loadQuestList(base::Dictionary const& list) {
    std::vector<base::Ref<QuestItem>> pool;
    for (auto const& [id, value] : list) {
        auto const* entry = value.dictionary();
        if (!entry) {
            foundation::log(
                "quest list format error: entry \"%@\" is not a dictionary; skipped", id);
            continue;
        }
        std::string fields[3];
        char const* const names[3] = {"prerequisite", "condition", "rewardcode"};
        bool complete = true;
        for (int i = 0; i < 3 && complete; ++i) {
            auto field = entry->objectForKey(names[i]);
            complete = field.isString();
            if (complete)
                fields[i] = field.stringValue();
            else
                foundation::log("quest list format error: required field \"%@\" is missing; "
                                "challenge \"%@\" skipped",
                    names[i], id);
        }
        if (!complete)
            continue;
        auto item = QuestItem::create();
        item->setQuest_id(id);
        item->setPrerequisite(std::move(fields[0]));
        item->setCondition(std::move(fields[1]));
        item->setRewardcode(std::move(fields[2]));
        pool.push_back(std::move(item));
    }
    _questPool = std::move(pool);
}

base::Ref<QuestItem> QuestController::getRandomEligibleQuest() {
    if (!_questPool || _questPool->empty())
        return nullptr;
    auto& pool = *_questPool;
    long n = long(pool.size());
    for (long draw = 0; draw < 20 * n; ++draw) {
        auto& item = pool[std::size_t(foundation::lrand48() % n)];
        item->setQuestDelegate(questDelegate_);
        if (item->checkPrerequisite())
            return item;
    }
    return nullptr;
}

QuestItem* QuestController::getQuestById(std::string const& id) const {
    if (!_questPool)
        return nullptr;
    for (auto const& item : *_questPool) {
        if (item->quest_id() == id)
            return item.get();
    }
    return nullptr;
}

void QuestController::addToCurrentQuests(QuestItem* quest) {
    if (!quest)
        return;
    if (!quest->questDelegate())
        quest->setQuestDelegate(questDelegate_);
    quest->setNotified(false);
    _activeQuests.push_back(base::Ref<QuestItem>(quest));
    foundation::log("%@ added, condition:%@", quest->quest_id(), quest->condition());
    saveActiveQuests();
}

void QuestController::addToCurrentQuestsById(std::string const& id) {
    if (auto* quest = getQuestById(id))
        addToCurrentQuests(quest);
}

void QuestController::removeFromCurrentQuests(QuestItem* quest) {
    auto found = std::find_if(_activeQuests.begin(), _activeQuests.end(),
        [quest](base::Ref<QuestItem> const& active) { return active.get() == quest; });
    if (found != _activeQuests.end())
        _activeQuests.erase(found);
    saveActiveQuests();
}

void QuestController::removeFromCurrentQuestsById(std::string const& id) {
    if (auto* quest = getQuestById(id))
        removeFromCurrentQuests(quest);
}

void QuestController::clearCurrentQuests() {
    _activeQuests.clear();
    saveActiveQuests();
}

void QuestController::saveActiveQuests() const {
    auto ids = base::Array::create();
    for (auto const& quest : _activeQuests)
        ids->add(base::Value(quest->quest_id()));
    foundation::UserDefaults::standardUserDefaults().setObject(base::Value(ids), activeQuestsKey);
}

void QuestController::loadActiveQuests() {
    if (!DataConrtoller::getDailyChallengeEnabled())
        return;
    auto ids = foundation::UserDefaults::standardUserDefaults().arrayForKey(activeQuestsKey);
    if (!ids)
        return;
    // Each activation saves the list again; read the saved ids first.
    std::vector<std::string> saved;
    for (auto const& id : *ids) {
        if (id.isString())
            saved.push_back(id.stringValue());
    }
    for (auto const& id : saved)
        addToCurrentQuestsById(id);
}

void QuestController::updateCurrentQuests() {
    // An announcement may change the list; walk a copy.
    auto active = _activeQuests;
    for (auto const& quest : active) {
        if (quest->checkCondition())
            quest->notifyQuestComplete();
        else
            quest->notifyQuestFail();
        quest->setCurrentState(quest->checkConditionState());
    }
}

void QuestController::markCompletedQuests() {
    auto active = _activeQuests;
    for (auto const& quest : active) {
        if (quest->checkCondition()) {
            quest->markQuestComplete();
        } else {
            quest->setCurrentState(quest->checkConditionState());
            quest->markQuestFail();
        }
    }
}

void QuestController::dropDelegate() {
    questDelegate_ = nullptr;
    if (!_questPool)
        return;
    for (auto const& item : *_questPool)
        item->setQuestDelegate(nullptr);
}

}
