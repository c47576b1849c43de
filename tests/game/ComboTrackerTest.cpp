#include <foundation/Clock.hpp>
#include <game/salon/ComboTracker.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using game::ComboTracker;

class ComboTrackerTest : public ::testing::Test {
protected:
    ComboTrackerTest() {
        ComboTracker::purgeSharedTracker();
        tracker().setClock([this] { return now; });
    }
    ~ComboTrackerTest() override { ComboTracker::purgeSharedTracker(); }

    static ComboTracker& tracker() { return ComboTracker::sharedTracker(); }

    double now {1000};
};

TEST_F(ComboTrackerTest, GroupCountersAddReadAndReset) {
    EXPECT_EQ(tracker().getComboCountForGroup("PET_COMBO_1"), 0);
    tracker().addComboCount(1, "PET_COMBO_1");
    tracker().addComboCount(1, "PET_COMBO_1");
    tracker().addComboCount(5, "PET_COMBO_2");
    EXPECT_EQ(tracker().getComboCountForGroup("PET_COMBO_1"), 2);
    EXPECT_EQ(tracker().getComboCountForGroup("PET_COMBO_2"), 5);
    tracker().resetComboCountForGroup("PET_COMBO_1");
    EXPECT_EQ(tracker().getComboCountForGroup("PET_COMBO_1"), 0);
    EXPECT_EQ(tracker().getComboCountForGroup("PET_COMBO_2"), 5);
}

TEST_F(ComboTrackerTest, SharedTrackerIsOneInstance) {
    EXPECT_EQ(&ComboTracker::sharedTracker(), &ComboTracker::sharedTracker());
}

TEST_F(ComboTrackerTest, OrderedCombosByEventsAndTimes) {
    struct Step {
        char const* event;
        double advance;
        std::optional<std::string> answer;
    };
    struct Case {
        char const* name;
        std::vector<Step> steps;
        int completionAfter;
    };
    using std::nullopt;
    Case const cases[] = {
        {"in order within the time-out", {{"A", 0, nullopt}, {"B", 5, "AB"}}, 0},
        {"too late", {{"A", 0, nullopt}, {"B", 6, nullopt}}, 0},
        {"out of order resets and does not restart",
            {{"A", 0, nullopt}, {"A", 1, nullopt}, {"B", 1, nullopt}}, 0},
        {"a wrong event ends the run", {{"A", 0, nullopt}, {"C", 1, nullopt}, {"B", 1, nullopt}},
            0},
        {"half way", {{"A", 0, nullopt}}, 1},
        {"again after finishing",
            {{"A", 0, nullopt}, {"B", 1, "AB"}, {"A", 1, nullopt}, {"B", 1, "AB"}}, 0},
    };
    for (auto const& c : cases) {
        tracker().createOrderedCombo("AB", 5);
        tracker().setEventOrder({"A", "B"}, "AB");
        for (auto const& step : c.steps) {
            now += step.advance;
            EXPECT_EQ(tracker().triggerOrderedComboEvent(step.event), step.answer)
                << c.name << " at " << step.event;
        }
        EXPECT_EQ(tracker().completion("AB"), c.completionAfter) << c.name;
    }
}

TEST_F(ComboTrackerTest, LogsEachStepAndTheFinish) {
    tracker().createOrderedCombo("RINSE_REPEAT", 10);
    tracker().setEventOrder({"EVT_BATH", "EVT_DRYING"}, "RINSE_REPEAT");
    test::LogCapture log;
    tracker().triggerOrderedComboEvent("EVT_BATH");
    EXPECT_TRUE(log.contains("Combo Advanced: RINSE_REPEAT - EVT_BATH"));
    EXPECT_FALSE(log.contains("Combo finished"));
    tracker().triggerOrderedComboEvent("EVT_DRYING");
    EXPECT_TRUE(log.contains("Combo finished: RINSE_REPEAT"));
}

TEST_F(ComboTrackerTest, TwoCombosEndingAlikeAnswerTheLastOne) {
    tracker().createOrderedCombo("first", 5);
    tracker().setEventOrder({"X"}, "first");
    tracker().createOrderedCombo("second", 5);
    tracker().setEventOrder({"Y", "X"}, "second");
    tracker().triggerOrderedComboEvent("Y");
    EXPECT_EQ(tracker().triggerOrderedComboEvent("X"), "second");
    // "first" finished on the same event and is idle again as well.
    EXPECT_EQ(tracker().completion("first"), 0);
    EXPECT_EQ(tracker().triggerOrderedComboEvent("X"), "first");
}

TEST_F(ComboTrackerTest, ComboWithoutOrderNeverAdvances) {
    tracker().createOrderedCombo("empty", 5);
    EXPECT_EQ(tracker().triggerOrderedComboEvent("A"), std::nullopt);
    EXPECT_EQ(tracker().completion("empty"), 0);
}

TEST_F(ComboTrackerTest, RecreatingAComboResetsIt) {
    tracker().createOrderedCombo("AB", 5);
    tracker().setEventOrder({"A", "B"}, "AB");
    tracker().triggerOrderedComboEvent("A");
    tracker().createOrderedCombo("AB", 5);
    // The new state has no order until one is set.
    EXPECT_EQ(tracker().triggerOrderedComboEvent("B"), std::nullopt);
}

TEST_F(ComboTrackerTest, DefaultClockIsThePlatformsAbsoluteTime) {
    ComboTracker::purgeSharedTracker();
    foundation::ScopedManualClock clock;
    tracker().createOrderedCombo("AB", 5);
    tracker().setEventOrder({"A", "B"}, "AB");
    tracker().triggerOrderedComboEvent("A");
    clock->advance(6);
    EXPECT_EQ(tracker().triggerOrderedComboEvent("B"), std::nullopt);
    tracker().triggerOrderedComboEvent("A");
    clock->advance(4);
    EXPECT_EQ(tracker().triggerOrderedComboEvent("B"), "AB");
}

TEST(ComboTrackerDeathTest, OrderForAnUnknownComboIsABrokenInvariant) {
    ComboTracker::purgeSharedTracker();
    EXPECT_DEATH(ComboTracker::sharedTracker().setEventOrder({"A"}, "missing"),
        "Ordered Combo missing must be created prior to use");
}

}
