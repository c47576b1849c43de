#include "GoldenReply.hpp"
#include "KestrelFixture.hpp"

#include <ads/kestrel/KestrelAdAssignment.hpp>
#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdProperties.hpp>
#include <ads/kestrel/KestrelAdState.hpp>

#include <gtest/gtest.h>

using ads::kestrel::KestrelAdAssignment;
using ads::kestrel::KestrelAdImpression;
using ads::kestrel::KestrelAdLoop;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdProperties;
using ads::kestrel::KestrelAdState;
using ads::kestrel::KestrelOffer;

namespace {

class KestrelAdLookupsTest : public test::KestrelTest {
protected:
    // A reply of one hook "h" over a block of ads named by the texts, all with the
    // icon 11, and a theme 1 with the given background ids.
    static base::Bytes replyWithAds(std::vector<std::string> const& texts,
        std::int64_t portraitId = 0, std::int64_t landscapeId = 0, bool withIcon = true) {
        test::ReplyWriter ads;
        ads.u8(1).u16(std::uint16_t(texts.size()));
        std::int64_t id = 1;
        for (auto const& text : texts)
            ads.i64(id++).i64(0).str(text).str("adv").i64(0).i64(11).u8(0);
        auto png = test::pngOf(2, 2, 9);
        test::ReplyWriter images;
        images.u16(withIcon ? 2 : 1);
        images.i64(21).i32(2).i32(2).str("image/png").u32(std::uint32_t(png.size())).raw(png);
        if (withIcon)
            images.i64(11).i32(2).i32(2).str("image/png").u32(std::uint32_t(png.size())).raw(png);
        return test::ReplyWriter()
            .block(0x0106, images)
            .block(0x0103, ads)
            .block(0x0107, test::ReplyWriter().u32(1).str("h").u8(1).u8(1))
            .block(0x010A,
                test::ReplyWriter()
                    .u8(1)
                    .u8(1)
                    .str("sell")
                    .i64(portraitId)
                    .i64(landscapeId)
                    .style("A", 1, 0)
                    .style("B", 1, 0)
                    .style("C", 1, 0))
            .end()
            .bytes;
    }

    static std::string textOf(base::Ref<ads::kestrel::KestrelAd> const& ad) {
        return ad ? ad->adText().value_or("?") : "none";
    }
};

TEST_F(KestrelAdLookupsTest, UnknownHookNamesGetTheDefaultHook) {
    parse(test::goldenReply().bytes);
    auto parser = KestrelAdParser::instance();
    auto hook = parser->hookWithName("no such hook");
    ASSERT_TRUE(hook);
    EXPECT_EQ(hook->name(), "");
    EXPECT_EQ(parser->hookWithName(std::nullopt), hook);
    ASSERT_TRUE(hook->adTheme());
    EXPECT_TRUE(hook->adTheme()->portraitAdImage());
    EXPECT_FALSE(hook->adTheme()->landscapeAdImage()) << "landscape id 0: no image, accepted";
}

TEST_F(KestrelAdLookupsTest, ThemesNamingMissingImagesHideTheirHook) {
    struct Case {
        char const* name;
        std::int64_t portrait;
        std::int64_t landscape;
        bool found;
    };
    for (auto const& c : std::vector<Case> {
             {"no backgrounds", 0, -3, true},
             {"portrait present", 21, 0, true},
             {"landscape missing", 21, 99, false},
             {"portrait missing", 98, 0, false},
         }) {
        SCOPED_TRACE(c.name);
        parse(replyWithAds({"a"}, c.portrait, c.landscape));
        EXPECT_EQ(KestrelAdParser::instance()->hookWithName("h") != nullptr, c.found);
        EXPECT_EQ(KestrelAdParser::instance()->getAppAdCount("h"), c.found ? 1 : 0);
    }
}

TEST_F(KestrelAdLookupsTest, AdsRotateAndSkipTheOnesAlreadyOnTheParent) {
    parse(replyWithAds({"a", "b"}));
    auto parser = KestrelAdParser::instance();
    EXPECT_EQ(textOf(parser->adWithHook("h", std::nullopt)), "a");
    EXPECT_EQ(textOf(parser->adWithHook("h", std::nullopt)), "b");
    EXPECT_EQ(textOf(parser->adWithHook("h", std::nullopt)), "a");
    EXPECT_TRUE(parser->adWithHook("h", std::nullopt)->adImage());

    // On one parent each ad shows once; the rotation still advances.
    EXPECT_EQ(textOf(parser->adWithHook("h", "view")), "a");
    EXPECT_EQ(textOf(parser->adWithHook("h", "view")), "b");
    EXPECT_EQ(textOf(parser->adWithHook("h", "view")), "none");
    // Five tries over [a, b] leave b at the head.
    EXPECT_EQ(textOf(parser->adWithHook("h", "other view")), "b");
    KestrelAdAssignment::instance()->removeAdsOnParentName("view");
    EXPECT_EQ(textOf(parser->adWithHook("h", "view")), "a");
}

TEST_F(KestrelAdLookupsTest, FiveTriesAtMost) {
    parse(replyWithAds({"a", "b", "c", "d", "e", "f"}));
    auto parser = KestrelAdParser::instance();
    auto assignment = KestrelAdAssignment::createInstance();
    for (int i = 0; i < 5; ++i)
        assignment->assignAd(parser->adBlockMap().at(1)->ads()[std::size_t(i)], "v");
    EXPECT_EQ(textOf(parser->adWithHook("h", "v")), "none") << "f is free but sixth in line";
    EXPECT_EQ(textOf(parser->adWithHook("h", "v")), "f");
}

TEST_F(KestrelAdLookupsTest, AdsWithoutAnIconAreNotReturned) {
    parse(replyWithAds({"a"}, 0, 0, false));
    EXPECT_FALSE(KestrelAdParser::instance()->adWithHook("h", std::nullopt));
    EXPECT_EQ(KestrelAdParser::instance()->getOfferCount("h"), 1);
}

TEST_F(KestrelAdLookupsTest, OffersPeekOrTakeTheHeadOfTheBlock) {
    startSession();
    KestrelAdLoop::setAdServiceBaseURL("http://ads.test");
    parse(replyWithAds({"a", "b"}));

    auto offer = KestrelOffer::create();
    EXPECT_TRUE(KestrelAdParser::fastOfferWithHook("h", nullptr, offer.get()));
    EXPECT_EQ(offer->appName, "a");
    EXPECT_TRUE(offer->appIcon);
    EXPECT_FALSE(offer->referralUrl) << "a peek has no click-through URL";
    EXPECT_TRUE(KestrelAdParser::fastOfferWithHook("h", nullptr, offer.get()));
    EXPECT_EQ(offer->appName, "a") << "a peek leaves the order alone";

    auto impression = KestrelAdImpression::initWithHook("h", 3, KestrelAdParser::instance());
    EXPECT_TRUE(KestrelAdParser::fastOfferWithHook("h", impression.get(), offer.get()));
    EXPECT_EQ(offer->appName, "a");
    ASSERT_TRUE(offer->referralUrl);
    EXPECT_EQ(offer->referralUrl->rfind(
                  "http://ads.test/getIPhoneApp.do?apik=APIKEY&cid=0&adid=1&pid=IPHONE", 0),
        0u)
        << *offer->referralUrl;
    EXPECT_NE(offer->referralUrl->find("&hid=h&ac=&ats="), std::string::npos)
        << *offer->referralUrl;
    EXPECT_EQ(impression->currentState(), 2);
    EXPECT_EQ(impression->adId(), 1);
    EXPECT_TRUE(KestrelAdParser::fastOfferWithHook("h", nullptr, offer.get()));
    EXPECT_EQ(offer->appName, "b") << "a request rotates the block";

    EXPECT_FALSE(KestrelAdParser::fastOfferWithHook("h", nullptr, nullptr));
}

TEST_F(KestrelAdLookupsTest, FrontEndsChooseTheAnsweringParser) {
    // Nothing parsed, nothing archived.
    EXPECT_EQ(KestrelAdParser::instance()->getAppAdCount("banner"), 0);
    EXPECT_FALSE(KestrelAdParser::fastHookWithName("banner"));
    EXPECT_FALSE(KestrelAdParser::fastAdWithHook("banner", std::nullopt));
    auto offer = KestrelOffer::create();
    EXPECT_FALSE(KestrelAdParser::fastOfferWithHook("banner", nullptr, offer.get()));
    EXPECT_FALSE(KestrelAdParser::fastImageWithCode(5));

    parse(test::goldenReply().bytes);
    EXPECT_TRUE(KestrelAdParser::fastAdWithHook("banner", std::nullopt));
    relaunch();
    // No reply yet in this run: the archive answers hooks, offers and images, ads need
    // a connection.
    EXPECT_TRUE(KestrelAdParser::fastHookWithName("banner"));
    EXPECT_TRUE(KestrelAdParser::fastImageWithCode(5));
    EXPECT_FALSE(KestrelAdParser::fastOfferWithHook("banner", nullptr, offer.get()))
        << "no connection yet";
    EXPECT_FALSE(KestrelAdParser::fastAdWithHook("banner", std::nullopt));

    // A reply that breaks off: connected, but still parsing.
    auto golden = test::goldenReply();
    base::Bytes cut(golden.bytes.begin(), golden.bytes.begin() + 40);
    parse(cut);
    EXPECT_TRUE(KestrelAdParser::instance()->internetAvailable());
    EXPECT_FALSE(KestrelAdParser::fastAdWithHook("banner", std::nullopt));
    EXPECT_TRUE(KestrelAdParser::fastOfferWithHook("banner", nullptr, offer.get()));
    EXPECT_EQ(offer->appName, "Puppy Spa");
    EXPECT_TRUE(KestrelAdParser::fastHookWithName("banner"));
}

TEST_F(KestrelAdLookupsTest, AdPropertiesHaveDefaults) {
    EXPECT_EQ(KestrelAdProperties::getBannerRefreshInSeconds(), 20u);
    EXPECT_EQ(KestrelAdProperties::getCacheUpdateTimestamp(), 0);
    EXPECT_EQ(KestrelAdProperties::getPortraitAdsMaxShown(), 5);
    EXPECT_EQ(KestrelAdProperties::getLandscapeAdsMaxShown(), 3);
    EXPECT_FLOAT_EQ(KestrelAdProperties::getPortraitAdsShownAtStart(), 2.5f);
    EXPECT_FLOAT_EQ(KestrelAdProperties::getLandscapeAdsShownAtStart(), 0.75f);
    KestrelAdProperties::setPortraitAdsShownAtStart(1.5);
    EXPECT_FLOAT_EQ(KestrelAdProperties::getPortraitAdsShownAtStart(), 1.5f);
    KestrelAdProperties::setPortraitAdsShownAtStart(std::nullopt);
    EXPECT_FLOAT_EQ(KestrelAdProperties::getPortraitAdsShownAtStart(), 2.5f);
}

TEST_F(KestrelAdLookupsTest, LegacyStatesTranslate) {
    std::vector<std::pair<int, int>> table
        = {{0, 1}, {1, 3}, {2, 4}, {3, 5}, {4, 8}, {5, 0}, {7, 0}, {-1, 0}};
    for (auto [old, now] : table)
        EXPECT_EQ(KestrelAdState::translateAdStateFromOldToNew(old), now) << old;
}

}
