#include <ads/meridian/MERJSONAd.hpp>

#include "MeridianTestSupport.hpp"

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <string_view>

using ads::meridian::MERJSONAd;

namespace {

constexpr std::string_view imageAd = R"({"type":"image","meta-data":{"campaign":"c1"},
    "image":{"content-url":"http://img.test/a.png","tap-through":"http://shop.test/",
    "will-open":"safari","expands":true,"interstitial":false}})";

// Building a button starts its image download: the image lies on a closed loopback
// port, so the download fails at once without looking up any name.
constexpr std::string_view videoAd = R"({"type":"video","meta-data":{"campaign":"v9"},
    "video":{"id":"vid-42","content-url":"http://cdn.test/v/42.mp4",
    "expiration":"2027-03-01 12:30:00 +0100",
    "buttons":[{"image":"http://127.0.0.1:9/close.png","url":"http://t.test/close",
                "component":"close","activity":["http://p.test/close"]},
               {"title":"More","url":"http://t.test/more","fontSize":12}],
    "showVideoPlayerControls":true,"showCountdownHUD":true,"height":320,"width":480,
    "duration":15.5,"startActivity":["http://p.test/start"],"endActivity":["http://p.test/end"],
    "log":[{"time":5,"url":"http://p.test/5s"}],"onCompletion":{"action":"replay"}}})";

base::Ref<MERJSONAd> parse(std::string_view json) {
    return MERJSONAd::initWithJSONAd(
        foundation::ByteView(reinterpret_cast<std::uint8_t const*>(json.data()), json.size()),
        nullptr);
}

using MERJSONAdTest = test::MeridianTest;

}

TEST_F(MERJSONAdTest, AnImageAdGivesItsURLsAndFlags) {
    auto ad = parse(imageAd);
    EXPECT_EQ(ad->adType(), MERJSONAd::Image);
    EXPECT_EQ(ad->imageContentURL(), "http://img.test/a.png");
    EXPECT_EQ(ad->imageTapThroughURL(), "http://shop.test/");
    EXPECT_EQ(ad->imageWillOpenApp(), "safari");
    EXPECT_TRUE(ad->doesImageExpand());
    EXPECT_FALSE(ad->isImageInterstitial());
    EXPECT_EQ(ad->logMetaData().dictionary()->objectForKey("campaign"), base::Value("c1"));
    // The fixed answers of a JSON ad.
    EXPECT_EQ(ad->overlayTitle(), "Advertisement");
    EXPECT_FALSE(ad->showTitlebar());
    EXPECT_TRUE(ad->shouldAccelerate());
    EXPECT_EQ(ad->overlayTransition(), "SlideUp");
    EXPECT_FLOAT_EQ(ad->transitionDuration(), 0.6f);
    EXPECT_EQ(ad->titlebarColor(), ui::Color::blackColor());
    EXPECT_EQ(ad->openURL(), std::nullopt);
}

TEST_F(MERJSONAdTest, AVideoAdGivesItsFieldsButtonsAndExpiry) {
    auto ad = parse(videoAd);
    EXPECT_EQ(ad->adType(), MERJSONAd::Video);
    EXPECT_EQ(ad->videoId(), "vid-42");
    EXPECT_EQ(ad->videoContentURL(), "http://cdn.test/v/42.mp4");
    ASSERT_TRUE(ad->videoExpirationDate());
    // 2027-03-01 11:30:00 UTC.
    EXPECT_EQ(ad->videoExpirationDate()->seconds,
        MERJSONAd::expirationDateFromString("2027-03-01 11:30:00 +0000")->seconds);
    ASSERT_EQ(ad->videoButtons().size(), 2u);
    EXPECT_EQ(ad->videoButtons()[0]->component(), "close");
    EXPECT_EQ(ad->videoButtons()[1]->title(), "More");
    EXPECT_TRUE(ad->showControls());
    EXPECT_TRUE(ad->showCountdownHUD());
    EXPECT_EQ(ad->videoHeight(), 320);
    EXPECT_EQ(ad->videoWidth(), 480);
    EXPECT_FLOAT_EQ(ad->videoDuration(), 15.5f);
    EXPECT_TRUE(ad->startActivity().isArray());
    EXPECT_TRUE(ad->endActivity().isArray());
    EXPECT_TRUE(ad->logs().isArray());
    EXPECT_EQ(ad->onCompletion().dictionary()->objectForKey("action"), base::Value("replay"));
}

TEST_F(MERJSONAdTest, ExpiryDatesNeedTheInternationalForm) {
    EXPECT_TRUE(MERJSONAd::expirationDateFromString("2027-03-01 12:30:00 -0930"));
    for (auto text : {"2027-03-01", "2027-03-01T12:30:00Z", "2027-03-01 12:30:00", "tomorrow",
             "2027-13-01 12:30:00 +0000", ""})
        EXPECT_EQ(MERJSONAd::expirationDateFromString(text), std::nullopt) << text;
}

TEST_F(MERJSONAdTest, MalformedRepliesGiveTypeFourOrEmptyFieldsAndNeverCrash) {
    struct Case {
        char const* json;
        int type;
    };
    for (auto const& c : std::initializer_list<Case> {
             {"", MERJSONAd::Other},
             {"not json", MERJSONAd::Other},
             {"[1,2]", MERJSONAd::Other},
             {"{}", MERJSONAd::Other},
             {R"({"type":5})", MERJSONAd::Other},
             {R"({"type":"banner"})", MERJSONAd::Other},
             {R"({"type":"image"})", MERJSONAd::Image},
             {R"({"type":"image","image":"x"})", MERJSONAd::Image},
             {R"({"type":"image","image":{"content-url":5,"expands":"yes"}})", MERJSONAd::Image},
             {R"({"type":"video","video":[]})", MERJSONAd::Video},
             {R"({"type":"video","video":{"id":1,"buttons":{"a":1},"startActivity":"x",
                 "expiration":7,"onCompletion":"x","height":"tall"}})",
                 MERJSONAd::Video},
             {R"({"type":"video","meta-data":[1],"video":{"buttons":[1,"x",null]}})",
                 MERJSONAd::Video},
         }) {
        auto ad = parse(c.json);
        EXPECT_EQ(ad->adType(), c.type) << c.json;
        EXPECT_EQ(ad->imageContentURL(), std::nullopt) << c.json;
        EXPECT_EQ(ad->videoId(), std::nullopt) << c.json;
        EXPECT_EQ(ad->videoExpirationDate(), std::nullopt) << c.json;
        EXPECT_FALSE(ad->startActivity().isArray()) << c.json;
        EXPECT_TRUE(ad->onCompletion().isNull()) << c.json;
    }
    // Entries of a buttons array that are not objects still make (empty) buttons.
    EXPECT_EQ(
        parse(R"({"type":"video","video":{"buttons":[1,"x",null]}})")->videoButtons().size(), 3u);
}

TEST_F(MERJSONAdTest, AnArchivedVideoAdDecodesEqualAndBuildsItsButtonsAgain) {
    auto ad = parse(videoAd);
    ad->downloadButtons();
    ASSERT_TRUE(ad->buttonsHaveBeenDownloaded());
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(ad);
    ASSERT_TRUE(data);
    auto back = foundation::KeyedUnarchiver::unarchiveObjectWithData<MERJSONAd>(*data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->adType(), MERJSONAd::Video);
    EXPECT_EQ(back->videoId(), ad->videoId());
    EXPECT_EQ(back->videoContentURL(), ad->videoContentURL());
    EXPECT_EQ(back->videoExpirationDate(), ad->videoExpirationDate());
    EXPECT_EQ(back->videoButtons().size(), 2u);
    EXPECT_TRUE(back->videoButtons()[0]->isEqualToVideoButton(*ad->videoButtons()[0]));
    EXPECT_EQ(back->showControls(), ad->showControls());
    EXPECT_EQ(back->showCountdownHUD(), ad->showCountdownHUD());
    EXPECT_EQ(back->videoWidth(), ad->videoWidth());
    EXPECT_EQ(back->videoHeight(), ad->videoHeight());
    EXPECT_EQ(back->videoDuration(), ad->videoDuration());
    EXPECT_EQ(back->onCompletion(), ad->onCompletion());
    EXPECT_EQ(back->logMetaData(), ad->logMetaData());
    EXPECT_EQ(back->startActivity(), ad->startActivity());
    EXPECT_EQ(back->endActivity(), ad->endActivity());
    EXPECT_EQ(back->logs(), ad->logs());
    EXPECT_FALSE(back->buttonsHaveBeenDownloaded());
}

TEST_F(MERJSONAdTest, ButtonsAreBuiltOnce) {
    auto ad = parse(videoAd);
    ad->downloadButtons();
    auto* first = &ad->videoButtons()[1]->button();
    ad->downloadButtons();
    EXPECT_EQ(&ad->videoButtons()[1]->button(), first);
}

TEST_F(MERJSONAdTest, AnUpdateTakesTheOtherAdsButtonsWithThisAdsTracking) {
    auto older = parse(videoAd);
    auto newer = parse(R"({"type":"video","video":{"id":"vid-42","buttons":[
        {"image":"http://127.0.0.1:9/close.png","url":"http://t.test/close","component":"x",
         "activity":["http://p.test/new"]}]}})");
    auto fresh = newer->videoButtons()[0];
    auto kept = older->videoButtons()[0];
    // newer takes older's (already built) buttons, with its own tracking on the equal one.
    newer->updateAdWithAd(*older);
    ASSERT_EQ(newer->videoButtons().size(), 2u);
    EXPECT_EQ(newer->videoButtons()[0].get(), kept.get());
    EXPECT_EQ(kept->component(), "x");
    EXPECT_EQ(kept->activity(), fresh->activity());
}

// Bytes that are not UTF-8 are no reply (and so no text that an archive cannot hold).
TEST_F(MERJSONAdTest, AReplyThatIsNotUTF8IsNoReply) {
    auto ad = parse("{\"type\":\"video\",\"video\":{\"id\":\"\xd9\x31\"}}");
    EXPECT_EQ(ad->adType(), MERJSONAd::Other);
    EXPECT_EQ(ad->videoId(), std::nullopt);
}
