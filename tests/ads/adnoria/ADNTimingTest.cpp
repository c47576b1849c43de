#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNTimingManager.hpp>

#include <foundation/NotificationCenter.hpp>
#include <foundation/UserDefaults.hpp>
#include <ui/Application.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNTiming;
using ads::adnoria::ADNTimingManager;

namespace {
using ADNTimingTest = test::AdnoriaTest;
}

TEST_F(ADNTimingTest, EndWithoutStartLeavesTheTimingNotStarted) {
    auto timing = ADNTiming::initWithCategory("prl");
    timing->end();
    EXPECT_EQ(timing->startSeconds(), 0);
    EXPECT_EQ(timing->endSeconds(), 0);
    EXPECT_FALSE(timing->isActive());
    EXPECT_EQ(timing->elapsedMillisecondsString(), "0");
}

TEST_F(ADNTimingTest, RunningTimingGrowsWithTheClockAndStopsAtItsEnd) {
    auto timing = ADNTiming::initWithCategory("prl");
    timing->start();
    EXPECT_TRUE(timing->isActive());
    clock->advance(0.25);
    EXPECT_EQ(timing->elapsedMilliseconds(), 250u);
    clock->advance(1.0);
    EXPECT_EQ(timing->elapsedMilliseconds(), 1250u);
    timing->end();
    EXPECT_FALSE(timing->isActive());
    clock->advance(5);
    EXPECT_EQ(timing->elapsedMillisecondsString(), "1250");
    timing->start();
    EXPECT_TRUE(timing->isActive());
    EXPECT_EQ(timing->elapsedMilliseconds(), 0u);
    timing->reset();
    EXPECT_FALSE(timing->isActive());
}

TEST_F(ADNTimingTest, DictionaryRoundTripKeepsNameTimesAndValues) {
    auto timing = ADNTiming::initWithCategory("pcl");
    timing->start();
    clock->advance(2);
    timing->end();
    timing->setValue("abc", "pai");
    timing->setValue(base::Value(), "ignored");
    auto copy = timing->copy();
    EXPECT_EQ(copy->category(), "pcl");
    EXPECT_DOUBLE_EQ(copy->startSeconds(), timing->startSeconds());
    EXPECT_DOUBLE_EQ(copy->endSeconds(), timing->endSeconds());
    EXPECT_EQ(copy->valueForKey("pai"), base::Value("abc"));
    EXPECT_EQ(copy->keysAndValues()->size(), 1u);

    auto plain = ADNTiming::initWithCategory("prl");
    EXPECT_FALSE(plain->dictionaryRepresentation()->contains("userData"));
    EXPECT_TRUE(plain->keysAndValues()->empty());
}

TEST_F(ADNTimingTest, ManagerKeepsTimingsAcrossInstancesInTheUserDefaults) {
    {
        auto manager = ADNTimingManager::initWithIdentifier("test");
        EXPECT_EQ(manager->userDefaultsKey(), "adnoria_timing_test");
        manager->addTimingWithCategory("a")->start();
        manager->addTimingWithCategory("b");
        manager->addTiming(nullptr);
        EXPECT_EQ(manager->categories(), (std::vector<std::string> {"a", "b"}));
        manager->addTimingWithCategory("a");
        EXPECT_FALSE(manager->timingForCategory("a")->isActive());
        manager->timingForCategory("a")->start();
        manager->synchronize();
    }
    auto stored
        = foundation::UserDefaults::standardUserDefaults().dictionaryForKey("adnoria_timing_test");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), 2u);
    auto manager = ADNTimingManager::initWithIdentifier("test");
    ASSERT_TRUE(manager->timingForCategory("a"));
    EXPECT_TRUE(manager->timingForCategory("a")->isActive());
    manager->removeTimingsForCategories({"a", "missing"});
    EXPECT_EQ(manager->categories(), (std::vector<std::string> {"b"}));
    manager->removeAllTimings();
    EXPECT_TRUE(manager->timings().empty());
}

TEST_F(ADNTimingTest, ManagerSavesWhenTheApplicationTerminates) {
    auto manager = ADNTimingManager::initWithIdentifier("term");
    manager->addTimingWithCategory("x");
    foundation::NotificationCenter::defaultCenter().postNotification(
        ui::Application::WillTerminateNotification);
    auto stored
        = foundation::UserDefaults::standardUserDefaults().dictionaryForKey("adnoria_timing_term");
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->contains("x"));
}
