#include "HudFixture.hpp"

#include <engine/Label.hpp>
#include <engine/Layer.hpp>
#include <game/progression/QuestController.hpp>
#include <game/progression/QuestNotification.hpp>
#include <game/progression/QuestReport.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using game::QuestConditionState;
using game::QuestItem;
using game::QuestReport;

// Answers the goals from tables; grants nothing.
class TableEvaluator final : public game::QuestItemProtocol {
public:
    bool questConditionFinished(std::string const& condition) override {
        return held.count(condition) != 0;
    }
    std::vector<QuestConditionState> questConditionState(std::string const& condition) override {
        return records[condition];
    }
    void notifyQuestComplete(QuestItem&) override { }
    void notifyQuestFail(QuestItem&) override { }
    void markQuestComplete(QuestItem& quest) override { rewarded.push_back(quest.rewardcode()); }

    std::set<std::string> held;
    std::map<std::string, std::vector<QuestConditionState>> records;
    std::vector<std::string> rewarded;
};

QuestConditionState record(bool complete, bool failureClause, char const* line) {
    QuestConditionState state;
    state.complete = complete;
    state.reportComplete = !failureClause;
    state.reportFail = failureClause;
    state.fail = failureClause && !complete;
    state.customdata = line;
    return state;
}

class QuestReportTest : public test::HudTest, public game::QuestReportDelegate {
protected:
    void didDismissQuestReport(QuestReport& report) override {
        dismissed.push_back(&report);
        EXPECT_FALSE(report.parent());
    }

    base::Ref<QuestItem> quest(char const* condition, char const* reward) {
        auto item = QuestItem::create();
        item->setQuest_id("q");
        item->setCondition(condition);
        item->setRewardcode(reward);
        item->setQuestDelegate(&evaluator);
        return item;
    }
    base::Ref<QuestReport> open(QuestItem* item) {
        auto report = QuestReport::initWithQuest(item, this);
        layer->addChild(report, 10020);
        return report;
    }
    static std::string text(engine::Label* label) { return label ? label->getText() : "(none)"; }
    static bool shows(engine::Sprite* sprite, char const* file) {
        return sprite && sprite->texture() == texture(file);
    }

    TableEvaluator evaluator;
    std::vector<QuestReport*> dismissed;
};

TEST_F(QuestReportTest, RewardsAndResultSettledAndUnsettled) {
    evaluator.records["service:3"] = {record(true, false, "Successfully serve 3 times (3/3)")};
    enum class Day { unsettled, won, lost };
    struct Case {
        char const* reward;
        Day day;
        char const* title;
        bool coin, petPoints, secondCovered, fullyCovered;
    } const cases[] = {
        {"coin:500,pp:5", Day::unsettled, "Today's Challenge", true, true, false, false},
        {"coin:500,pp:5", Day::won, "Challenge Complete!", true, true, false, false},
        {"coin:500,pp:5", Day::lost, "Challenge Failed", true, true, false, false},
        {"coin:500", Day::unsettled, "Today's Challenge", true, false, true, false},
        {"coin:500", Day::won, "Challenge Complete!", true, false, true, false},
        {"coin:500", Day::lost, "Challenge Failed", true, false, true, false},
        {"", Day::unsettled, "Today's Challenge", false, false, false, true},
        {"", Day::won, "Challenge Complete!", false, false, false, true},
        {"", Day::lost, "Challenge Failed", false, false, false, true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.reward) + " " + c.title);
        auto item = quest("service:3", c.reward);
        if (c.day == Day::won)
            item->markQuestComplete();
        else if (c.day == Day::lost)
            item->markQuestFail();
        auto report = open(item.get());
        EXPECT_EQ(text(report->questTitleLabel()), c.title);
        EXPECT_EQ(text(report->rewardTitleLabel()), "Reward");
        EXPECT_EQ(text(report->req1Label()), "Successfully serve 3 times (3/3)");
        EXPECT_FALSE(report->req2Label());
        EXPECT_EQ(shows(report->reward1Icon(), "money.png"), c.coin);
        EXPECT_EQ(text(report->reward1QuantityLabel()), c.coin ? "500" : "(none)");
        EXPECT_EQ(shows(report->reward2Icon(), "ppoint.png"), c.petPoints);
        EXPECT_EQ(text(report->reward2QuantityLabel()), c.petPoints ? "5" : "(none)");
        EXPECT_EQ(shows(report->reward2Cover(), "Reward_Block.png"), c.secondCovered);
        EXPECT_EQ(shows(report->rewardFullCover(), "RewardFail.png"), c.fullyCovered);
        EXPECT_EQ(text(report->questFailLabel()), c.fullyCovered ? "Challenge Failed" : "(none)");
        if (c.secondCovered) {
            EXPECT_EQ(report->reward2Cover()->position(), (engine::Point {247, 76}));
            EXPECT_EQ(report->reward2Cover()->anchorPoint(), (engine::Point {0, 0}));
        }
        if (c.fullyCovered) {
            EXPECT_EQ(report->rewardFullCover()->position(), (engine::Point {24, 73}));
        }
        layer->removeChild(report.get(), engine::Cleanup::Yes);
    }
    // Every settled report counted its own settlement once.
    EXPECT_EQ(game::DataConrtoller::getChallengeCompleteCount(), 3);
    EXPECT_EQ(game::DataConrtoller::getChallengeFailCount(), 3);
}

TEST_F(QuestReportTest, RewardKindsTheirIconsAndScales) {
    struct Case {
        char const* reward;
        char const* icon;
        float scale;
        char const* quantity;
    } const cases[] = {
        {"coin:500", "money.png", 1, "500"},
        {"pp:5", "ppoint.png", 1, "5"},
        {"tok:2", "Credits_Icon.png", 0.7f, "2"},
        {"tip:1", "sp_instant2.png", 0.875f, "1"},
        {"wild:3", "sp_wildcard.png", 0.875f, "3"},
        {"pow", "sp_power_up.png", 0.875f, "0"},
        {"gems:9", nullptr, 0, "(none)"},
        {"Coin:5", nullptr, 0, "(none)"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.reward);
        auto report = open(quest("service:3", c.reward).get());
        EXPECT_EQ(text(report->reward1QuantityLabel()), c.quantity);
        if (c.icon) {
            ASSERT_TRUE(shows(report->reward1Icon(), c.icon));
            EXPECT_FLOAT_EQ(report->reward1Icon()->scale(), c.scale);
            EXPECT_EQ(report->reward1Icon()->position(), (engine::Point {70, 94}));
            EXPECT_EQ(report->reward1QuantityLabel()->position(), (engine::Point {200, 94}));
            EXPECT_EQ(report->reward1QuantityLabel()->anchorPoint(), (engine::Point {1, 0.5f}));
            EXPECT_EQ(report->reward1QuantityLabel()->color(), (engine::Color3B {12, 59, 90}));
            EXPECT_TRUE(report->reward2Cover());
        } else {
            EXPECT_FALSE(report->reward1Icon());
            EXPECT_TRUE(report->rewardFullCover());
        }
        layer->removeChild(report.get(), engine::Cleanup::Yes);
    }
}

TEST_F(QuestReportTest, StatusIconsFollowTheRecordsAndTheSettlement) {
    evaluator.records["goal"] = {
        record(true, false, "done"), record(false, true, "Finish with < 3 angry customers (3/3)")};
    struct Case {
        char const* what;
        int settle; // 0 unsettled, 1 won, 2 lost
        char const* first;
        char const* second;
    } const cases[] = {
        {"in the day", 0, "MissionIcon.png", "MissionFail.png"},
        {"settled", 2, "MissionComplete.png", "MissionFail.png"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        auto item = quest("goal", "coin:1");
        if (c.settle == 2)
            item->markQuestFail();
        auto report = open(item.get());
        EXPECT_TRUE(shows(report->req1Icon(), c.first));
        EXPECT_TRUE(shows(report->req2Icon(), c.second));
        float w = report->dialogBG()->contentSize().width;
        EXPECT_EQ(report->req1Label()->position(), (engine::Point {w / 2, 220}));
        EXPECT_EQ(report->req2Label()->position(), (engine::Point {w / 2, 184}));
        EXPECT_EQ(
            report->req1Icon()->position().x, 28 + report->req1Icon()->contentSize().width / 2);
        EXPECT_EQ(report->req2Icon()->position().y, 184);
        layer->removeChild(report.get(), engine::Cleanup::Yes);
    }
    // Nothing plain while nothing has failed.
    evaluator.records["goal"] = {record(false, false, "a"), record(true, true, "b")};
    auto report = open(quest("goal", "").get());
    EXPECT_TRUE(shows(report->req1Icon(), "MissionIcon.png"));
    EXPECT_TRUE(shows(report->req2Icon(), "MissionIcon.png"));
}

TEST_F(QuestReportTest, AThreeClauseChallengeIsReportedAsItsRewardSays) {
    // The first two clauses hold; the third does not, so the goal is lost and pays nothing.
    evaluator.records["service:3,maxangry:3,lvl:9"]
        = {record(true, false, "one"), record(true, true, "two"), record(false, false, "")};
    auto controller = game::QuestController::init();
    controller->setQuestDelegate(&evaluator);
    auto list = base::Dictionary::create();
    auto entry = base::Dictionary::create();
    entry->setObject("prerequisite", "");
    entry->setObject("condition", "service:3,maxangry:3,lvl:9");
    entry->setObject("rewardcode", "coin:500,pp:5");
    list->setObject("three", base::Value(entry));
    controller->loadQuestList(*list);
    controller->addToCurrentQuestsById("three");
    controller->markCompletedQuests();
    EXPECT_TRUE(evaluator.rewarded.empty());

    test::LogCapture log;
    auto* item = controller->getQuestById("three");
    auto report = open(item);
    EXPECT_TRUE(log.contains(
        "WARNING: more than two quest conditionals detected. Will only display the first two"));
    EXPECT_EQ(text(report->questTitleLabel()), "Challenge Failed");
    EXPECT_EQ(game::DataConrtoller::getChallengeCompleteCount(), 0);
    EXPECT_EQ(game::DataConrtoller::getChallengeFailCount(), 1);
    layer->removeChild(report.get(), engine::Cleanup::Yes);
    // Built again (the player opens it again): counted once.
    report = open(item);
    EXPECT_EQ(game::DataConrtoller::getChallengeFailCount(), 1);
    layer->removeChild(report.get(), engine::Cleanup::Yes);

    // When the whole goal holds, the reward is paid and the report says so.
    evaluator.held.insert("service:3,maxangry:3,lvl:9");
    controller->markCompletedQuests();
    EXPECT_EQ(evaluator.rewarded, (std::vector<std::string> {"coin:500,pp:5"}));
    report = open(item);
    EXPECT_EQ(text(report->questTitleLabel()), "Challenge Complete!");
    EXPECT_EQ(game::DataConrtoller::getChallengeCompleteCount(), 1);
}

TEST_F(QuestReportTest, OpensTakesEveryTouchAndClosesOnOK) {
    evaluator.records["goal"] = {record(false, false, "x")};
    auto report = open(quest("goal", "coin:5,tok:2").get());
    ASSERT_TRUE(report->dialogBG());
    EXPECT_EQ(report->dialogBG()->position(), (engine::Point {240, 160}));
    EXPECT_EQ(report->dialogBG()->scale(), 0);
    EXPECT_EQ(report->dimBG()->scale(), 2);
    EXPECT_EQ(report->dimBG()->opacity(), 0);
    EXPECT_TRUE(report->dialogBG()->getActionByTag(QuestReport::openingActionTag));
    EXPECT_TRUE(report->isTouchEnabled());
    seconds(0.7f);
    EXPECT_FLOAT_EQ(report->dialogBG()->scale(), 1);
    EXPECT_EQ(report->dimBG()->opacity(), 255);
    float w = report->dialogBG()->contentSize().width;
    EXPECT_EQ(report->buttonOK()->position(), (engine::Point {w / 2, 37}));
    EXPECT_EQ(report->buttonOKLabel()->position(), (engine::Point {w / 2, 37}));
    EXPECT_EQ(text(report->buttonOKLabel()), "OK");
    EXPECT_EQ(report->dimBG()->position(), (engine::Point {240, 160}));
    EXPECT_EQ(report->questTitleLabel()->position(), (engine::Point {w / 2, 257}));
    EXPECT_EQ(report->rewardTitleLabel()->position(), (engine::Point {w / 2, 138}));
    EXPECT_EQ(report->reward2Icon()->position(), (engine::Point {271, 94}));
    EXPECT_EQ(report->reward2QuantityLabel()->position(), (engine::Point {400, 94}));

    // A touch beside the button is taken and does nothing.
    auto ok = report->okButtonRect();
    auto outside = touchAt({ok.midX(), ok.maxY() + 2});
    EXPECT_TRUE(report->ccTouchesBegan(outside, nullptr));
    seconds(1);
    EXPECT_TRUE(dismissed.empty());
    EXPECT_EQ(report->parent(), layer.get());

    auto inside = touchAt({ok.midX(), ok.midY()});
    EXPECT_TRUE(report->ccTouchesBegan(inside, nullptr));
    EXPECT_FALSE(report->isTouchEnabled());
    EXPECT_TRUE(report->dialogBG()->getActionByTag(QuestReport::closingActionTag));
    // A second press while it closes changes nothing.
    EXPECT_TRUE(report->ccTouchesBegan(inside, nullptr));
    seconds(0.4f);
    EXPECT_TRUE(dismissed.empty());
    seconds(0.2f);
    ASSERT_EQ(dismissed.size(), 1u);
    EXPECT_EQ(dismissed.front(), report.get());
    EXPECT_FALSE(report->parent());
    EXPECT_FALSE(report->dialogBG()->parent());
    seconds(1);
    EXPECT_EQ(dismissed.size(), 1u);
}

TEST_F(QuestReportTest, OnTheTabletTheReportIsLaidOutAndTakesTouches) {
    tablet();
    evaluator.records["goal"] = {record(true, false, "x")};
    auto report = open(quest("goal", "coin:5,pp:1").get());
    EXPECT_TRUE(report->isTouchEnabled());
    EXPECT_EQ(report->dialogBG()->position(), (engine::Point {512, 384}));
    seconds(0.7f);
    float s = report->dialogScale();
    EXPECT_FLOAT_EQ(report->dialogBG()->scale(), s);
    // The dialog spans the same share of the screen whatever size its art is drawn at, and
    // its button sits inside it.
    auto dialog = report->dialogBG()->contentSize();
    EXPECT_NEAR(dialog.width * s, 430 * 1.8f, 0.5);
    auto button = report->buttonOK()->position();
    EXPECT_GT(button.y, 0);
    EXPECT_LT(button.y + report->buttonOK()->contentSize().height / 2, dialog.height / 2);
    EXPECT_NEAR(button.x, dialog.width / 2, 0.01);
    // The backdrop covers the whole screen.
    auto backdrop = report->dimBG()->contentSize();
    EXPECT_GE(backdrop.width * report->dimBG()->scale(), 1024);
    EXPECT_GE(backdrop.height * report->dimBG()->scale(), 768);
    // The button's rectangle is where the scaled dialog draws it.
    auto ok = report->okButtonRect();
    auto centre = report->dialogBG()->convertToWorldSpace(report->buttonOK()->position());
    EXPECT_NEAR(ok.midX(), centre.x, 0.01);
    EXPECT_NEAR(ok.midY(), centre.y, 0.01);
    auto inside = touchAt({ok.midX(), ok.midY()});
    EXPECT_TRUE(report->ccTouchesBegan(inside, nullptr));
    seconds(0.6f);
    EXPECT_EQ(dismissed.size(), 1u);
}

TEST_F(QuestReportTest, AReportWithoutClauseRecordsShowsNoLines) {
    auto report = open(quest("nothing", "coin:1").get());
    EXPECT_FALSE(report->req1Icon());
    EXPECT_FALSE(report->req1Label());
    EXPECT_EQ(text(report->questTitleLabel()), "Today's Challenge");
    // Without an evaluator the report still opens and closes.
    auto alone = QuestItem::create();
    auto second = open(alone.get());
    auto ok = second->okButtonRect();
    auto inside = touchAt({ok.midX(), ok.midY()});
    second->ccTouchesBegan(inside, nullptr);
    seconds(0.6f);
    EXPECT_EQ(dismissed.size(), 1u);
}

TEST_F(QuestReportTest, TheBannerSlidesUpForTwoAndAHalfSecondsAndLeaves) {
    for (bool complete : {true, false}) {
        SCOPED_TRACE(complete);
        auto banner = complete ? game::QuestNotification::initComplete()
                               : game::QuestNotification::initFail();
        layer->addChild(banner, 10000);
        auto* bar = banner->bar();
        ASSERT_TRUE(bar);
        EXPECT_EQ(bar->texture(), texture("ChallengaAchieved_PopUp.png"));
        EXPECT_EQ(bar->anchorPoint(), (engine::Point {0.5f, 0}));
        float height = bar->contentSize().height;
        EXPECT_EQ(bar->position(), (engine::Point {240, -height}));
        EXPECT_EQ(text(banner->info()), complete ? "Challenge Complete" : "Challenge Failed");
        EXPECT_EQ(
            banner->info()->position(), (engine::Point {bar->contentSize().width / 2, height / 2}));
        seconds(0.3f);
        EXPECT_NEAR(bar->position().y, 0, 0.01);
        seconds(2);
        EXPECT_EQ(banner->parent(), layer.get());
        seconds(0.3f);
        EXPECT_FALSE(banner->parent());
        EXPECT_FALSE(banner->bar());
    }
}

TEST_F(QuestReportTest, TheCoversAreDrawnOverTheRewardShelf) {
    auto draw = [this] {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        layer->visit();
        glDisable(GL_BLEND);
        glFinish();
    };
    // A point of the second reward place between the lock and the number, in the scene.
    auto secondPlace = [](QuestReport& report) {
        return report.dialogBG()->convertToWorldSpace({247 + 120, 76 + 20});
    };
    auto both = open(quest("goal", "coin:500,pp:5").get());
    seconds(0.7f);
    auto at = secondPlace(*both);
    draw();
    auto open_ = pixel(int(at.x), int(at.y));
    layer->removeChild(both.get(), engine::Cleanup::Yes);

    auto one = open(quest("goal", "coin:500").get());
    seconds(0.7f);
    draw();
    auto covered = pixel(int(at.x), int(at.y));
    // The block is grey: its channels close together, unlike the honey shelf under it.
    EXPECT_LT(std::abs(int(covered.r) - int(covered.b)), 40);
    EXPECT_GT(std::abs(int(open_.r) - int(open_.b)), 40);
}

}
