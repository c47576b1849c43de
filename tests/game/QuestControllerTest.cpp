#include "ShellFixture.hpp"

#include <foundation/PropertyList.hpp>
#include <foundation/Random.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/progression/QuestController.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using game::QuestConditionState;
using game::QuestController;
using game::QuestItem;

// An evaluator that answers from tables and records every question and announcement.
class RecordingEvaluator final : public game::QuestItemProtocol {
public:
    bool questConditionFinished(std::string const& condition) override {
        calls.push_back("finished " + condition);
        return held.count(condition) != 0;
    }
    std::vector<QuestConditionState> questConditionState(std::string const& condition) override {
        calls.push_back("state " + condition);
        auto found = records.find(condition);
        return found == records.end() ? std::vector<QuestConditionState> {} : found->second;
    }
    void notifyQuestComplete(QuestItem& quest) override {
        calls.push_back("complete " + quest.quest_id());
    }
    void notifyQuestFail(QuestItem& quest) override { calls.push_back("fail " + quest.quest_id()); }
    void markQuestComplete(QuestItem& quest) override {
        calls.push_back("reward " + quest.rewardcode());
    }

    std::vector<std::string> only(std::string const& prefix) const {
        std::vector<std::string> found;
        for (auto const& call : calls) {
            if (call.rfind(prefix, 0) == 0)
                found.push_back(call);
        }
        return found;
    }

    std::set<std::string> held;
    std::map<std::string, std::vector<QuestConditionState>> records;
    std::vector<std::string> calls;
};

base::Value entry(char const* prerequisite, char const* condition, char const* reward) {
    auto quest = base::Dictionary::create();
    quest->setObject("prerequisite", prerequisite);
    quest->setObject("condition", condition);
    quest->setObject("rewardcode", reward);
    return base::Value(quest);
}

class QuestControllerTest : public test::ShellFixture {
protected:
    QuestControllerTest() { controller->setQuestDelegate(&evaluator); }

    // A list of challenges "q0".."q(n-1)", each with the prerequisite "pre<i>" and the
    // goal "goal<i>".
    void loadNumbered(int n) {
        auto list = base::Dictionary::create();
        for (int i = 0; i < n; ++i) {
            auto id = std::to_string(i);
            list->setObject("q" + id,
                entry(("pre" + id).c_str(), ("goal" + id).c_str(), ("coin:" + id).c_str()));
        }
        controller->loadQuestList(*list);
    }
    std::vector<std::string> savedIds() const {
        std::vector<std::string> ids;
        if (auto saved = defaults().arrayForKey(QuestController::activeQuestsKey)) {
            for (auto const& id : *saved)
                ids.push_back(id.stringValue());
        }
        return ids;
    }
    std::vector<std::string> activeIds() const {
        std::vector<std::string> ids;
        for (auto const& quest : controller->getActiveQuests())
            ids.push_back(quest->quest_id());
        return ids;
    }
    static foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }

    RecordingEvaluator evaluator;
    base::Ref<QuestController> controller = QuestController::init();
};

TEST_F(QuestControllerTest, LoadsTheBundleListInItsOrderAndSkipsBrokenEntries) {
    auto list = base::Dictionary::create();
    list->setObject("b_first", entry("", "service:3", "coin:5"));
    list->setObject("no_condition", entry("", "", ""));
    list->objectForKey("no_condition").dictionary()->removeObjectForKey("condition");
    auto numeric = entry("", "service:1", "");
    numeric.dictionary()->setObject("rewardcode", 5);
    list->setObject("numeric_reward", numeric);
    list->setObject("not_a_dictionary", "service:1");
    list->setObject("a_last", entry("lvl:2", "maxangry:3", "pp:1"));
    std::filesystem::create_directories(sandbox / "bundle");
    ASSERT_TRUE(foundation::PropertyList::writeToFile(
        base::Value(list), sandboxPath("bundle/questList.plist")));

    test::LogCapture log;
    controller->loadQuestListNamed("questList.plist");
    ASSERT_TRUE(controller->questPool());
    std::vector<std::string> ids;
    for (auto const& quest : *controller->questPool())
        ids.push_back(quest->quest_id());
    EXPECT_EQ(ids, (std::vector<std::string> {"b_first", "a_last"}));
    auto* quest = controller->getQuestById("a_last");
    ASSERT_TRUE(quest);
    EXPECT_EQ(quest->prerequisite(), "lvl:2");
    EXPECT_EQ(quest->condition(), "maxangry:3");
    EXPECT_EQ(quest->rewardcode(), "pp:1");
    EXPECT_FALSE(quest->questDelegate());
    EXPECT_FALSE(quest->currentState());
    EXPECT_TRUE(log.contains("required field \"condition\" is missing"));
    EXPECT_TRUE(log.contains("required field \"rewardcode\" is missing"));
    EXPECT_TRUE(log.contains("not_a_dictionary"));
    EXPECT_FALSE(controller->getQuestById("no_condition"));
}

TEST_F(QuestControllerTest, WithoutAListNothingIsEverPicked) {
    test::LogCapture log;
    controller->loadQuestListNamed("questList.plist");
    EXPECT_TRUE(log.contains("Warning: Failed to load quest list. Quest system is unavailable."));
    EXPECT_FALSE(controller->questPool());
    EXPECT_FALSE(controller->getRandomEligibleQuest());
    EXPECT_FALSE(controller->getQuestById("q0"));
    controller->addToCurrentQuestsById("q0");
    controller->updateCurrentQuests();
    controller->markCompletedQuests();
    EXPECT_TRUE(controller->getActiveQuests().empty());
    EXPECT_TRUE(evaluator.calls.empty());

    // A list loaded before is dropped by a failed load.
    loadNumbered(2);
    controller->loadQuestListNamed("missing.plist");
    EXPECT_FALSE(controller->questPool());
}

TEST_F(QuestControllerTest, SeededPicksFollowTheFortyEightBitGenerator) {
    struct Case {
        long seed;
        int poolSize;
        std::set<int> eligible;
    } const cases[] = {
        {1, 5, {0, 1, 2, 3, 4}},
        {42, 5, {0, 1, 2, 3, 4}},
        {1234567, 7, {3}},
        {99, 4, {2, 3}},
        {2026, 1, {0}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.seed);
        loadNumbered(c.poolSize);
        evaluator.held.clear();
        evaluator.calls.clear();
        for (int i : c.eligible)
            evaluator.held.insert("pre" + std::to_string(i));
        // The same draws, made apart from the game's generator.
        foundation::Rand48 expected(c.seed);
        std::vector<std::string> tested;
        int pick = -1;
        while (pick < 0) {
            int index = int(expected.lrand48() % c.poolSize);
            tested.push_back("finished pre" + std::to_string(index));
            if (c.eligible.count(index))
                pick = index;
        }
        foundation::srand48(c.seed);
        auto quest = controller->getRandomEligibleQuest();
        ASSERT_TRUE(quest);
        EXPECT_EQ(quest->quest_id(), "q" + std::to_string(pick));
        EXPECT_EQ(evaluator.calls, tested);
        EXPECT_EQ(quest->questDelegate(), &evaluator);
    }
}

TEST_F(QuestControllerTest, NoEligibleChallengeAfterTwentyDrawsPerEntry) {
    for (int n : {1, 3, 6}) {
        loadNumbered(n);
        evaluator.calls.clear();
        foundation::srand48(5);
        EXPECT_FALSE(controller->getRandomEligibleQuest());
        EXPECT_EQ(evaluator.calls.size(), std::size_t(20 * n));
        // Every drawn entry keeps the evaluator it was given.
        for (auto const& quest : *controller->questPool()) {
            auto tested = "finished " + quest->prerequisite();
            bool drawn = std::find(evaluator.calls.begin(), evaluator.calls.end(), tested)
                != evaluator.calls.end();
            EXPECT_EQ(quest->questDelegate() == &evaluator, drawn) << quest->quest_id();
        }
    }
    controller->loadQuestList(*base::Dictionary::create());
    EXPECT_FALSE(controller->getRandomEligibleQuest());
}

TEST_F(QuestControllerTest, TheActiveListIsSavedAfterEveryChange) {
    loadNumbered(3);
    auto* q0 = controller->getQuestById("q0");
    auto* q2 = controller->getQuestById("q2");
    q0->setNotified(true);
    controller->addToCurrentQuests(q0);
    EXPECT_FALSE(q0->notified());
    EXPECT_EQ(q0->questDelegate(), &evaluator);
    controller->addToCurrentQuestsById("q1");
    controller->addToCurrentQuestsById("unknown");
    controller->addToCurrentQuests(q0);
    EXPECT_EQ(activeIds(), (std::vector<std::string> {"q0", "q1", "q0"}));
    EXPECT_EQ(savedIds(), activeIds());

    controller->removeFromCurrentQuestsById("q1");
    EXPECT_EQ(savedIds(), (std::vector<std::string> {"q0", "q0"}));
    // Removing one that is not active still writes the list.
    defaults().setObject(base::Value("stale"), QuestController::activeQuestsKey);
    controller->removeFromCurrentQuests(q2);
    EXPECT_EQ(savedIds(), (std::vector<std::string> {"q0", "q0"}));
    controller->clearCurrentQuests();
    EXPECT_TRUE(controller->getActiveQuests().empty());
    EXPECT_TRUE(defaults().arrayForKey(QuestController::activeQuestsKey));
    EXPECT_TRUE(savedIds().empty());

    // An item of its own keeps its evaluator.
    RecordingEvaluator other;
    q2->setQuestDelegate(&other);
    controller->addToCurrentQuests(q2);
    EXPECT_EQ(q2->questDelegate(), &other);
}

TEST_F(QuestControllerTest, RestoringActivatesTheSavedChallengesOnlyWhenSwitchedOn) {
    loadNumbered(3);
    auto saved = base::Array::create();
    for (char const* id : {"q2", "gone", "q0"})
        saved->add(base::Value(id));
    defaults().setObject(base::Value(saved), QuestController::activeQuestsKey);

    game::DataConrtoller::setDailyChallengeEnabled(false);
    controller->loadActiveQuests();
    EXPECT_TRUE(controller->getActiveQuests().empty());

    game::DataConrtoller::setDailyChallengeEnabled(true);
    controller->addToCurrentQuestsById("q1");
    // The list saved before q1 was added.
    defaults().setObject(base::Value(saved), QuestController::activeQuestsKey);
    auto* q2 = controller->getQuestById("q2");
    q2->setNotified(true);
    controller->loadActiveQuests();
    EXPECT_EQ(activeIds(), (std::vector<std::string> {"q1", "q2", "q0"}));
    EXPECT_EQ(savedIds(), activeIds());
    EXPECT_FALSE(q2->notified());
    EXPECT_FALSE(q2->marked());
    EXPECT_EQ(q2->questDelegate(), &evaluator);
}

TEST_F(QuestControllerTest, UpdatesJudgeEveryActiveChallengeOnThePreviousRecords) {
    loadNumbered(2);
    QuestConditionState done;
    done.complete = true;
    done.reportComplete = true;
    QuestConditionState open = done;
    open.complete = false;
    evaluator.records["goal0"] = {open};
    evaluator.records["goal1"] = {open};
    controller->addToCurrentQuestsById("q1");
    controller->addToCurrentQuestsById("q0");
    evaluator.calls.clear();
    controller->updateCurrentQuests();
    // Both, first to last: judged, then their records stored.
    EXPECT_EQ(evaluator.calls,
        (std::vector<std::string> {"finished goal1", "state goal1", "state goal1", "finished goal0",
            "state goal0", "state goal0"}));

    // q1's goal becomes met: announced at the update after.
    evaluator.held.insert("goal1");
    evaluator.records["goal1"] = {done};
    controller->updateCurrentQuests();
    EXPECT_TRUE(evaluator.only("complete").empty());
    controller->updateCurrentQuests();
    controller->updateCurrentQuests();
    EXPECT_EQ(evaluator.only("complete"), (std::vector<std::string> {"complete q1"}));
    EXPECT_TRUE(evaluator.only("fail").empty());
}

TEST_F(QuestControllerTest, SettlingRewardsTheMetGoalsAndRecordsTheOthers) {
    loadNumbered(2);
    QuestConditionState lost;
    lost.fail = true;
    lost.reportFail = true;
    evaluator.records["goal1"] = {lost};
    evaluator.held.insert("goal0");
    controller->addToCurrentQuestsById("q0");
    controller->addToCurrentQuestsById("q1");
    evaluator.calls.clear();
    controller->markCompletedQuests();
    EXPECT_EQ(evaluator.only("reward"), (std::vector<std::string> {"reward coin:0"}));
    auto* q0 = controller->getQuestById("q0");
    auto* q1 = controller->getQuestById("q1");
    EXPECT_TRUE(q0->marked());
    EXPECT_TRUE(q0->completed());
    EXPECT_TRUE(q1->marked());
    EXPECT_FALSE(q1->completed());
    ASSERT_TRUE(q1->currentState());
    EXPECT_TRUE(q1->currentState()->front().fail);
    // Each settlement is counted once.
    EXPECT_TRUE(q1->takeResultToCount());
    EXPECT_FALSE(q1->takeResultToCount());
    q1->setMarked(false);
    EXPECT_FALSE(q1->completed());
    EXPECT_FALSE(q1->takeResultToCount());
}

TEST_F(QuestControllerTest, AnItemWithoutAnEvaluatorIsEligibleNeverMetAndSilent) {
    auto quest = QuestItem::create();
    quest->setPrerequisite("lvl:99");
    EXPECT_TRUE(quest->checkPrerequisite());
    EXPECT_FALSE(quest->checkCondition());
    EXPECT_FALSE(quest->checkConditionState());
    EXPECT_FALSE(quest->checkPrerequisiteState());
    quest->notifyQuestComplete();
    quest->notifyQuestFail();
    EXPECT_FALSE(quest->notified());
    quest->markQuestComplete();
    EXPECT_TRUE(quest->marked());
}

TEST_F(QuestControllerTest, BannerRulesOfAnItem) {
    QuestConditionState announced;
    announced.complete = true;
    announced.reportComplete = true;
    QuestConditionState silent;
    silent.complete = true;
    QuestConditionState failed;
    failed.fail = true;
    failed.reportFail = true;
    QuestConditionState failedQuietly;
    failedQuietly.fail = true;
    struct Case {
        char const* what;
        std::vector<QuestConditionState> records;
        char const* completion;
        char const* failure;
    } const cases[] = {
        {"every record announced and complete", {announced, announced}, "complete q", ""},
        {"a record not announced on completion", {announced, silent}, "", ""},
        {"no records at all", {}, "complete q", ""},
        {"an announced failure", {announced, failed}, "", "fail q"},
        {"a failure not announced", {failedQuietly}, "", ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool complete : {true, false}) {
            evaluator.calls.clear();
            evaluator.records["goal"] = c.records;
            auto quest = QuestItem::create();
            quest->setQuest_id("q");
            quest->setCondition("goal");
            quest->setQuestDelegate(&evaluator);
            // Twice: one banner at most.
            for (int i = 0; i < 2; ++i) {
                if (complete)
                    quest->notifyQuestComplete();
                else
                    quest->notifyQuestFail();
            }
            auto expected = complete ? c.completion : c.failure;
            auto calls = evaluator.only(complete ? "complete" : "fail");
            EXPECT_EQ(calls,
                *expected ? std::vector<std::string> {expected} : std::vector<std::string> {});
            EXPECT_EQ(quest->notified(), *expected != 0);
        }
    }
}

}
