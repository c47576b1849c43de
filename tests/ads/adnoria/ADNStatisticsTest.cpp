#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNStatistics.hpp>

#include <foundation/UserDefaults.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNStatistics;
using ads::adnoria::ADNStatisticsCore;

namespace {
using ADNStatisticsTest = test::AdnoriaTest;
}

TEST_F(ADNStatisticsTest, CoreStoresOnlyValuesOfTheRightKindAndPersists) {
    {
        auto core = ADNStatisticsCore::initWithIdentifier("t");
        EXPECT_EQ(core->userDefaultsKey(), "adnoria_stats_t");
        core->setNumber(base::Value("3"), "n");
        EXPECT_TRUE(core->numberForKey("n").isNil());
        core->setNumber(3, "n");
        core->setString(4, "s");
        core->setString("four", "s");
        core->setDate(base::Value("x"), "d");
        core->setArray(base::Value(base::Dictionary::create()), "a");
        core->setDictionary(base::Value(base::Dictionary::create()), "dict");
        EXPECT_EQ(core->addValue(2, "n"), 5);
        EXPECT_EQ(core->addValue(1, "fresh"), 1);
        EXPECT_TRUE(core->dateForKey("d").isNil());
        EXPECT_TRUE(core->arrayForKey("a").isNil());
    }
    auto core = ADNStatisticsCore::initWithIdentifier("t");
    EXPECT_EQ(core->numberForKey("n"), base::Value(5));
    EXPECT_EQ(core->stringForKey("s"), base::Value("four"));
    EXPECT_TRUE(core->dictionaryForKey("dict").isDictionary());
}

TEST_F(ADNStatisticsTest, TwoClicksAreReportedOnceThenReset) {
    auto& statistics = ADNStatistics::sharedStatistics();
    statistics.urlForClick("http://ads.adnoria.test/click?x=1");
    statistics.urlForClick("http://ads.adnoria.test/click?x=2");
    auto first = statistics.parameters();
    EXPECT_EQ(first->objectForKey("pcc"), base::Value(2));
    EXPECT_TRUE(first->contains("pcl"));
    auto second = statistics.parameters();
    EXPECT_FALSE(second->contains("pcc"));
    EXPECT_FALSE(second->contains("pcl"));
}

TEST_F(ADNStatisticsTest, BridgeAndBlankURLsCountNothing) {
    auto& statistics = ADNStatistics::sharedStatistics();
    for (char const* url : {"about:blank", "anmsg://ready", "adnoria://open?ai=1"})
        EXPECT_EQ(statistics.urlForClick(url), url);
    EXPECT_TRUE(statistics.parameters()->empty());
}

TEST_F(ADNStatisticsTest, ClickWithAnAdIdCarriesTheClickSignalAndThePaiValue) {
    auto& statistics = ADNStatistics::sharedStatistics();
    auto url = statistics.urlForClick("http://ads.adnoria.test/aclk?ai=ABC&x=1");
    ASSERT_EQ(url.rfind("http://ads.adnoria.test/aclk?ai=ABC&x=1&ms=", 0), 0u);
    EXPECT_EQ(url.size(), std::string("http://ads.adnoria.test/aclk?ai=ABC&x=1&ms=").size() + 342);
    EXPECT_TRUE(statistics.isTimingClick());
    clock->advance(0.5);
    auto report = statistics.parameters();
    EXPECT_EQ(report->objectForKey("pai"), base::Value("ABC"));
    EXPECT_EQ(report->objectForKey("pcl"), base::Value("500"));
    EXPECT_EQ(report->objectForKey("pcrl"), base::Value("0"));
    EXPECT_FALSE(report->contains("date"));
    // A click URL without "ai" is returned unchanged but counted.
    EXPECT_EQ(statistics.urlForClick("http://other.test/c"), "http://other.test/c");
    EXPECT_EQ(statistics.parameters()->objectForKey("pcc"), base::Value(1));
}

TEST_F(ADNStatisticsTest, TimeToClickIsReportedOnlyWithAClick) {
    auto& statistics = ADNStatistics::sharedStatistics();
    statistics.startTimingNamed("ppcl");
    clock->advance(60);
    EXPECT_FALSE(statistics.parameters()->contains("ppcl"));

    statistics.startTimingNamed("ppcl");
    clock->advance(2);
    statistics.urlForClick("http://ads.adnoria.test/c");
    auto report = statistics.parameters();
    EXPECT_EQ(report->objectForKey("ppcl"), base::Value("2000"));
}

TEST_F(ADNStatisticsTest, PtimeStaysInEveryReportOtherTimingsOnce) {
    auto& statistics = ADNStatistics::sharedStatistics();
    statistics.startTimingNamed("ptime");
    statistics.startTimingNamed("prl");
    clock->advance(1);
    statistics.endTimingNamed("prl");
    auto first = statistics.parameters();
    EXPECT_EQ(first->objectForKey("prl"), base::Value("1000"));
    EXPECT_EQ(first->objectForKey("ptime"), base::Value("1000"));
    clock->advance(1);
    auto second = statistics.parameters();
    EXPECT_FALSE(second->contains("prl"));
    EXPECT_EQ(second->objectForKey("ptime"), base::Value("2000"));
}

TEST_F(ADNStatisticsTest, FlagsAndCountersAreReportedAndResetButRequestsKeepCounting) {
    auto& statistics = ADNStatistics::sharedStatistics();
    statistics.incrementAdRequestCount();
    statistics.incrementAdRequestCount();
    statistics.setBreakOutToSafari();
    statistics.setAppOpenInterstitialNoFill();
    statistics.setAppOpenInterstitialTimeOut();
    statistics.incrementPageNavigationCount();
    statistics.incrementSSLPageNavigationCount();
    statistics.incrementSSLPageNavigationCount();
    auto report = statistics.parameters();
    EXPECT_EQ(report->keys(),
        (std::vector<std::string> {
            "preqs", "pcbo", "aoi_timedout", "aoi_nofill", "plpnc", "plpsnc"}));
    EXPECT_EQ(report->objectForKey("plpsnc"), base::Value(2));
    auto next = statistics.parameters();
    EXPECT_EQ(next->keys(), (std::vector<std::string> {"preqs"}));
    EXPECT_EQ(statistics.adRequestCount(), 2);
}

TEST_F(ADNStatisticsTest, BackgroundedClickReportsItsDurationInMilliseconds) {
    auto& statistics = ADNStatistics::sharedStatistics();
    statistics.urlForClick("http://ads.adnoria.test/c");
    statistics.setClickBackgroundedApp();
    clock->advance(3.25);
    auto report = statistics.parameters();
    EXPECT_EQ(report->objectForKey("pcl"), base::Value(3250));
    EXPECT_EQ(report->objectForKey("pclb"), base::Value(1));
}

TEST_F(ADNStatisticsTest, CountersSurviveARestart) {
    ADNStatistics::sharedStatistics().incrementClickCount();
    ADNStatistics::sharedStatistics().synchronize();
    ADNStatistics::releaseSharedStatistics();
    EXPECT_EQ(ADNStatistics::sharedStatistics().parameters()->objectForKey("pcc"), base::Value(1));
}

TEST_F(ADNStatisticsTest, ClickTrackingPathBecomesPitOnlyOnTheAdNetworksHost) {
    struct Case {
        char const* url;
        std::optional<std::string> pit;
    };
    for (auto const& c : {Case {"http://ads.adnoria.test/ads/xyz", "/xyz"},
             Case {"http://ads.adnoria.test/abc", {}}, Case {"http://ads.adnoria.test/abcd", "d"},
             Case {"http://cdn.ads.adnoria.test/pagead/conv", "ead/conv"},
             Case {"http://elsewhere.test/aclk/xyz", {}}}) {
        SCOPED_TRACE(c.url);
        auto& statistics = ADNStatistics::sharedStatistics();
        statistics.urlForClick("http://ads.adnoria.test/c");
        statistics.addClickTrackingURL(c.url);
        auto pit = statistics.timingNamed("pcl")->valueForKey("pit");
        if (c.pit)
            EXPECT_EQ(pit, base::Value(*c.pit));
        else
            EXPECT_TRUE(pit.isNil());
        statistics.parameters();
    }
}
