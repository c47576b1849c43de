#include "GoldenReply.hpp"
#include "KestrelFixture.hpp"

#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdProperties.hpp>

#include <gtest/gtest.h>

using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdProperties;

namespace {

class KestrelAdParserTest : public test::KestrelTest {
protected:
    KestrelAdParserTest() { KestrelAdParser::instance()->setAdDelegate(&delegate); }
    ~KestrelAdParserTest() override { KestrelAdParser::instance()->setAdDelegate(nullptr); }

    static base::Ref<KestrelAdParser> current() { return KestrelAdParser::instance(); }

    test::RecordingAdDelegate delegate;
};

TEST_F(KestrelAdParserTest, GoldenReplyFillsEveryMap) {
    auto reply = test::goldenReply();
    auto const* stop = parse(reply.bytes);

    EXPECT_EQ(stop, reply.bytes.data() + reply.endOfMessage);
    EXPECT_TRUE(KestrelAdParser::isAdParserFinished());
    EXPECT_EQ(delegate.calls, std::vector<std::string> {"dataAvailable"});
    auto parser = current();
    EXPECT_EQ(parser->versionId(), 7) << "the block after the end of the message is not read";
    EXPECT_TRUE(parser->internetAvailable());

    ASSERT_EQ(parser->adBlockMap().size(), 1u);
    auto const& ads = parser->adBlockMap().at(1)->ads();
    ASSERT_EQ(ads.size(), 2u);
    EXPECT_EQ(ads[0]->adId(), 101);
    EXPECT_EQ(ads[0]->projectId(), 9001);
    EXPECT_EQ(ads[0]->adText(), "Puppy Spa");
    EXPECT_EQ(ads[0]->advertiser(), "Kestrel Games");
    EXPECT_EQ(ads[0]->canvasId(), 0);
    EXPECT_EQ(ads[0]->imageId(), 11);
    EXPECT_EQ(ads[0]->adCookieSize(), 5);
    EXPECT_EQ(ads[0]->adCookieString(), "0a1b2c3d4e");
    EXPECT_EQ(ads[0]->appDescription(), "Spa for pets");
    EXPECT_EQ(ads[0]->appPrice(), 199);
    EXPECT_EQ(ads[1]->adText(), "Cat Cafe");
    EXPECT_EQ(ads[1]->canvasId(), 77);
    EXPECT_EQ(ads[1]->adCookie(), base::Bytes {});
    EXPECT_FALSE(ads[1]->appDescription());

    ASSERT_EQ(parser->imageMap().size(), 2u);
    auto const& icon = parser->imageMap().at(11);
    EXPECT_EQ(icon->width(), 40);
    EXPECT_EQ(icon->height(), 40);
    EXPECT_EQ(icon->mimeFormat(), "image/png");
    ASSERT_TRUE(icon->image());
    EXPECT_EQ(icon->image()->bitmap().width(), 4);

    ASSERT_EQ(parser->hookMap().size(), 2u);
    auto const& hook = parser->hookMap().at("banner");
    EXPECT_EQ(hook->adBlockId(), 1);
    EXPECT_EQ(hook->themeId(), 3);
    EXPECT_EQ(hook->clickAction(), 2) << "only property 0x0701 sets the click action";
    EXPECT_FALSE(parser->hookMap().at("")->clickAction());

    ASSERT_EQ(parser->themeMap().size(), 1u);
    auto const& theme = parser->themeMap().at(3);
    EXPECT_EQ(theme->sellMessage(), "Play now!");
    EXPECT_EQ(theme->portraitAdImageId(), 21);
    EXPECT_EQ(theme->landscapeAdImageId(), 0);
    EXPECT_EQ(theme->portraitSellMessageTextStyle()->font(), "Arial");
    EXPECT_EQ(theme->portraitSellMessageTextStyle()->fontSize(), 14);
    EXPECT_EQ(theme->portraitAppNameTextStyle()->font(), "Helvetica");
    EXPECT_EQ(theme->portraitAdvertiserTextStyle()->fontColor(), ui::Color::colorWithRed(0, 0, 1));
    EXPECT_EQ(theme->landscapeSellMessageTextStyle()->fontSize(), 16);
    EXPECT_EQ(theme->landscapeAppNameTextStyle()->fontSize(), 17);
    EXPECT_EQ(theme->landscapeAdvertiserTextStyle()->fontSize(), 18);
    // The eighteen geometry records in their order.
    auto frame = [](auto const& location, auto const& dimension) {
        return ads::kestrel::frameOf(location.get(), dimension.get());
    };
    EXPECT_EQ(theme->portraitAdDimension()->width(), 1);
    EXPECT_EQ(theme->portraitAdDimension()->height(), 2);
    EXPECT_EQ(frame(theme->portraitAppImageLocation(), theme->portraitAppImageDimension()),
        (graphics::Rect {{5, 6}, {3, 4}}));
    EXPECT_EQ(theme->landscapeAdDimension()->width(), 7);
    EXPECT_EQ(frame(theme->landscapeAppImageLocation(), theme->landscapeAppImageDimension()),
        (graphics::Rect {{11, 12}, {9, 10}}));
    EXPECT_EQ(
        theme->portraitSellMessageTextStyle()->frame(), (graphics::Rect {{13, 14}, {19, 20}}));
    EXPECT_EQ(theme->portraitAppNameTextStyle()->frame(), (graphics::Rect {{15, 16}, {21, 22}}));
    EXPECT_EQ(theme->portraitAdvertiserTextStyle()->frame(), (graphics::Rect {{17, 18}, {23, 24}}));
    EXPECT_EQ(
        theme->landscapeSellMessageTextStyle()->frame(), (graphics::Rect {{25, 26}, {31, 32}}));
    EXPECT_EQ(theme->landscapeAppNameTextStyle()->frame(), (graphics::Rect {{27, 28}, {33, 34}}));
    EXPECT_EQ(
        theme->landscapeAdvertiserTextStyle()->frame(), (graphics::Rect {{29, 30}, {35, 36}}));

    EXPECT_EQ(parser->imageCodeMap(), (std::map<std::int16_t, std::int64_t> {{5, 11}}));

    ASSERT_EQ(parser->adStateCallbackMap().size(), 2u);
    EXPECT_EQ(parser->adStateCallbackMap().at("3_101")->count(), 1u);
    EXPECT_EQ(parser->adStateCallbackMap().at("4_0_2")->callbacks()[0]->callbackUrlBase(),
        "http://tracker.example.org/t");

    EXPECT_EQ(KestrelAdProperties::getBannerRefreshInSeconds(), 30u);
    EXPECT_EQ(KestrelAdProperties::getCacheUpdateTimestamp(), 1234567);
    EXPECT_EQ(analytics::KestrelImageCache::instance()->cacheUpdateTimestamp(), 1234567);
    EXPECT_EQ(KestrelAdProperties::getPortraitAdsMaxShown(), 4);
    EXPECT_EQ(KestrelAdProperties::getLandscapeAdsMaxShown(), 2);
    EXPECT_FLOAT_EQ(KestrelAdProperties::getPortraitAdsShownAtStart(), 1.5f);
    EXPECT_FLOAT_EQ(KestrelAdProperties::getLandscapeAdsShownAtStart(), 0.75f)
        << "a text that is not a number leaves the default";
}

TEST_F(KestrelAdParserTest, ArchivedReplyAnswersTheSameLookUpsAfterARelaunch) {
    auto reply = test::goldenReply();
    parse(reply.bytes);
    auto before = KestrelAdParser::fastHookWithName("banner");
    ASSERT_TRUE(before);
    ASSERT_TRUE(before->adTheme()->portraitAdImage());
    int countBefore = current()->getAppAdCount("banner");

    relaunch();

    EXPECT_FALSE(KestrelAdParser::isAdParserFinished());
    EXPECT_FALSE(KestrelAdParser::instance()->internetAvailable());
    auto old = KestrelAdParser::oldInstance();
    ASSERT_TRUE(old);
    EXPECT_FALSE(old->internetAvailable()) << "a decoded parser has had no reply";
    EXPECT_TRUE(old->imageMap().empty()) << "images come back through the image cache";

    auto hook = KestrelAdParser::fastHookWithName("banner");
    ASSERT_TRUE(hook);
    EXPECT_EQ(hook->clickAction(), 2);
    EXPECT_EQ(hook->adTheme()->sellMessage(), "Play now!");
    ASSERT_TRUE(hook->adTheme()->portraitAdImage());
    EXPECT_EQ(hook->adTheme()->portraitAdImage()->bitmap(),
        before->adTheme()->portraitAdImage()->bitmap());
    EXPECT_EQ(hook->adTheme()->landscapeSellMessageTextStyle()->frame(),
        (graphics::Rect {{25, 26}, {31, 32}}));
    EXPECT_EQ(old->getAppAdCount("banner"), countBefore);
    EXPECT_EQ(old->adBlockMap().at(1)->ads()[0]->adCookieString(), "0a1b2c3d4e");
    EXPECT_EQ(old->adBlockMap().at(1)->ads()[0]->appPrice(), 199);
    auto icon = KestrelAdParser::fastImageWithCode(5);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->bitmap().width(), 4);
    EXPECT_EQ(old->adStateCallbackMap().size(), 2u);
    EXPECT_EQ(old->versionId(), 7);
}

TEST_F(KestrelAdParserTest, ShortBuffersAndTheEdgesOfTheBlockLoop) {
    struct Case {
        char const* name;
        base::Bytes bytes;
        bool scanned;
        std::optional<std::int32_t> version;
    };
    auto version = test::ReplyWriter().block(0x0102, test::ReplyWriter().i32(42)).bytes;
    auto withSpare = version;
    withSpare.insert(withSpare.end(), {0x01, 0x09});
    auto elevenBytes = version;
    elevenBytes.push_back(0x01);
    // A block whose handler reads fewer bytes than its length: the next one is found by
    // the length.
    auto longer = test::ReplyWriter()
                      .block(0x0102, test::ReplyWriter().i32(5).i32(-1).i32(-1))
                      .block(0x0102, test::ReplyWriter().i32(6))
                      .bytes;
    std::vector<Case> cases = {
        {"eleven bytes", elevenBytes, false, 1},
        {"one version block and two spare bytes (a tag without a length)", withSpare, true, 42},
        {"handler reads less than the block", longer, true, 6},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        delegate.calls.clear();
        auto const* stop = parse(c.bytes);
        EXPECT_EQ(stop != nullptr, c.scanned);
        if (stop) {
            EXPECT_EQ(stop, c.bytes.data() + c.bytes.size());
        }
        EXPECT_EQ(delegate.calls, std::vector<std::string> {"dataUnavailable"});
        EXPECT_FALSE(KestrelAdParser::isAdParserFinished());
    }
    delegate.calls.clear();
    EXPECT_EQ(current()->parseData(nullptr, 100), nullptr);
    EXPECT_EQ(delegate.calls, std::vector<std::string> {"dataUnavailable"});
}

TEST_F(KestrelAdParserTest, UnknownTagsAreSkippedByTheirLength) {
    std::vector<std::uint16_t> tags
        = {0x0100, 0x0101, 0x0104, 0x0105, 0x010B, 0x0123, 0x8102, 0xFFFF};
    for (std::uint16_t tag = 0x0111; tag <= 0x0121; ++tag)
        tags.push_back(tag);
    for (auto tag : tags) {
        SCOPED_TRACE(tag);
        // The payload would be a version block if it were read.
        auto reply = test::ReplyWriter()
                         .block(tag, test::ReplyWriter().u16(0x0102).u32(4).i32(13))
                         .end()
                         .bytes;
        parse(reply);
        EXPECT_TRUE(KestrelAdParser::isAdParserFinished());
        EXPECT_EQ(current()->versionId(), 1);
    }
}

TEST_F(KestrelAdParserTest, RepeatedAdBlocksAndHooksReplaceTheEarlierOnes) {
    auto ad = [](std::int64_t id, std::string const& text) {
        return test::ReplyWriter().i64(id).i64(0).str(text).str("").i64(0).i64(0).u8(0);
    };
    auto first = ad(1, "first");
    auto second = ad(2, "second");
    auto reply
        = test::ReplyWriter()
              .block(0x0103, test::ReplyWriter().u8(4).u16(1).raw(first.bytes))
              .block(0x0103, test::ReplyWriter().u8(4).u16(1).raw(second.bytes))
              .block(0x0107, test::ReplyWriter().u32(2).str("h").u8(4).u8(1).str("h").u8(9).u8(2))
              .end()
              .bytes;
    parse(reply);
    auto parser = current();
    ASSERT_EQ(parser->adBlockMap().at(4)->ads().size(), 1u);
    EXPECT_EQ(parser->adBlockMap().at(4)->ads()[0]->adText(), "second");
    ASSERT_EQ(parser->hookMap().size(), 1u);
    EXPECT_EQ(parser->hookMap().at("h")->adBlockId(), 9);
    EXPECT_EQ(parser->hookMap().at("h")->themeId(), 2);
}

TEST_F(KestrelAdParserTest, ColoursStringsAndImageIds) {
    struct Colour {
        std::uint32_t value;
        ui::Color expected;
    };
    for (auto const& c : std::vector<Colour> {
             {0x00FF8000, ui::Color::colorWithRed(1, 128 / 255.0f, 0)},
             {0xFF000000, ui::Color::colorWithRed(0, 0, 0)},
             {0x12345678, ui::Color::colorWithRed(0x34 / 255.0f, 0x56 / 255.0f, 0x78 / 255.0f)},
         }) {
        auto color = KestrelAdParser::parseColor(c.value);
        EXPECT_FLOAT_EQ(color.red(), c.expected.red());
        EXPECT_FLOAT_EQ(color.green(), c.expected.green());
        EXPECT_FLOAT_EQ(color.blue(), c.expected.blue());
        EXPECT_FLOAT_EQ(color.alpha(), 1);
    }

    // Empty texts, a text cut at its zero byte, a text that is not UTF-8; images with
    // ids 0 (dropped) and -1 (the rest of the block is not read), then one that does
    // not decode (left out).
    auto png = test::pngOf(2, 2, 50);
    auto reply = test::ReplyWriter()
                     .block(0x0107,
                         test::ReplyWriter()
                             .u32(3)
                             .str("")
                             .u8(1)
                             .u8(1)
                             .str(std::string("cut\0here", 8))
                             .u8(2)
                             .u8(2)
                             .str("\xff\xfe")
                             .u8(3)
                             .u8(3))
                     .block(0x0106,
                         test::ReplyWriter()
                             .u16(3)
                             .i64(0)
                             .i32(2)
                             .i32(2)
                             .str("image/png")
                             .u32(std::uint32_t(png.size()))
                             .raw(png)
                             .i64(-1)
                             .i32(2)
                             .i32(2)
                             .str("image/png")
                             .u32(std::uint32_t(png.size()))
                             .raw(png)
                             .i64(31)
                             .i32(2)
                             .i32(2)
                             .str("image/png")
                             .u32(std::uint32_t(png.size()))
                             .raw(png))
                     .block(0x0106,
                         test::ReplyWriter()
                             .u16(2)
                             .i64(32)
                             .i32(2)
                             .i32(2)
                             .str("image/png")
                             .u32(4)
                             .raw({1, 2, 3, 4})
                             .i64(33)
                             .i32(2)
                             .i32(2)
                             .str("image/png")
                             .u32(std::uint32_t(png.size()))
                             .raw(png))
                     .end()
                     .bytes;
    parse(reply);
    auto parser = current();
    EXPECT_TRUE(KestrelAdParser::isAdParserFinished());
    EXPECT_EQ(parser->hookMap().size(), 2u);
    EXPECT_EQ(parser->hookMap().at("")->adBlockId(), 1);
    EXPECT_EQ(parser->hookMap().at("cut")->adBlockId(), 2);
    std::vector<std::int64_t> ids;
    for (auto const& entry : parser->imageMap())
        ids.push_back(entry.first);
    EXPECT_EQ(ids, (std::vector<std::int64_t> {33}));
    EXPECT_EQ(
        analytics::KestrelImageCache::instance()->storedIds(), (std::vector<std::string> {"33"}));
}

TEST_F(KestrelAdParserTest, ErrorBlockTellsTheDelegateAndParsingGoesOn) {
    auto reply = test::ReplyWriter()
                     .block(0x0109, test::ReplyWriter().u16(17).str("no ads today"))
                     .block(0x0102, test::ReplyWriter().i32(3))
                     .end()
                     .bytes;
    parse(reply);
    EXPECT_EQ(delegate.calls, (std::vector<std::string> {"dataUnavailable", "dataAvailable"}));
    EXPECT_EQ(current()->versionId(), 3);
}

TEST_F(KestrelAdParserTest, ThemeExtensionOfAnIdAbove127ChangesNothing) {
    test::ReplyWriter extension;
    extension.u8(1).u8(200);
    for (int i = 0; i < 3; ++i)
        extension.style("Arial", 30, 0);
    for (int i = 0; i < 36; ++i)
        extension.i32(9);
    auto reply = test::ReplyWriter()
                     .block(0x010A,
                         test::ReplyWriter()
                             .u8(1)
                             .u8(200)
                             .str("s")
                             .i64(0)
                             .i64(0)
                             .style("A", 1, 0)
                             .style("B", 2, 0)
                             .style("C", 3, 0))
                     .block(0x010F, extension)
                     .end()
                     .bytes;
    parse(reply);
    EXPECT_TRUE(KestrelAdParser::isAdParserFinished());
    auto const& theme = current()->themeMap().at(200);
    EXPECT_FALSE(theme->landscapeAppNameTextStyle()->fontSize());
    EXPECT_FALSE(theme->portraitAdDimension()->width());
}

// Hostile replies: each parses safely, leaves the current parser unfinished and the
// last complete reply (the old instance) answering.
TEST_F(KestrelAdParserTest, HostileRepliesKeepTheOldInstance) {
    auto golden = test::goldenReply();
    parse(golden.bytes);
    ASSERT_TRUE(KestrelAdParser::isAdParserFinished());

    std::vector<std::pair<std::string, base::Bytes>> hostile;
    // Truncated at every block boundary, inside every header, and one byte short of
    // the end-of-message block.
    for (auto start : golden.blockStarts) {
        for (std::size_t extra : {0, 1, 3, 6, 7}) {
            auto length = start + extra;
            if (length < golden.endOfMessage)
                hostile.emplace_back("cut at " + std::to_string(length),
                    base::Bytes(
                        golden.bytes.begin(), golden.bytes.begin() + std::ptrdiff_t(length)));
        }
    }
    hostile.emplace_back("cut before the end block's last byte",
        base::Bytes(
            golden.bytes.begin(), golden.bytes.begin() + std::ptrdiff_t(golden.endOfMessage - 1)));
    auto withEnd = [](test::ReplyWriter block) { return block.end().bytes; };
    hostile.emplace_back("block length past the buffer",
        withEnd(test::ReplyWriter().u16(0x0102).u32(0xFFFFFFF0).i32(1)));
    hostile.emplace_back("ad count past its block",
        withEnd(test::ReplyWriter().block(0x0103, test::ReplyWriter().u8(1).u16(60000))));
    hostile.emplace_back("hook count past its block",
        withEnd(test::ReplyWriter().block(
            0x0107, test::ReplyWriter().u32(0xFFFFFFFF).str("h").u8(1).u8(1))));
    hostile.emplace_back("image count past its block",
        withEnd(test::ReplyWriter().block(0x0106, test::ReplyWriter().u16(3))));
    hostile.emplace_back("image data past its block",
        withEnd(test::ReplyWriter().block(0x0106,
            test::ReplyWriter().u16(1).i64(5).i32(1).i32(1).str("p").u32(0x7FFFFFFF).raw({1, 2}))));
    hostile.emplace_back("string length past its block (the reply goes on)",
        withEnd(test::ReplyWriter()
                    .block(0x0109, test::ReplyWriter().u16(1).u16(500).raw({'a'}))
                    .block(0x0102, test::ReplyWriter().i32(1))));
    hostile.emplace_back("string length past the end of the reply",
        test::ReplyWriter().u16(0x0110).u32(14).i64(1).u16(0xFFFF).u32(0).bytes);
    hostile.emplace_back("cookie past its block",
        withEnd(test::ReplyWriter().block(0x0103,
            test::ReplyWriter().u8(1).u16(1).i64(1).i64(1).str("").str("").i64(0).i64(0).u8(200))));
    hostile.emplace_back("property count past its block",
        withEnd(
            test::ReplyWriter().block(0x010E, test::ReplyWriter().u16(1).str("banner").u16(5000))));
    hostile.emplace_back("theme extension short of its geometry",
        withEnd(
            test::ReplyWriter().block(0x010F, test::ReplyWriter().u8(1).u8(3).style("A", 1, 0))));
    hostile.emplace_back("callback count past its block",
        withEnd(test::ReplyWriter().block(
            0x0122, test::ReplyWriter().u16(9).i64(1).u8(1).str("u").u8(1))));
    hostile.emplace_back("image codes past their block",
        withEnd(test::ReplyWriter().block(0x010C, test::ReplyWriter().u32(2).i64(1).i16(1))));
    hostile.emplace_back("property block cut short",
        withEnd(test::ReplyWriter().block(0x010D, test::ReplyWriter().u16(0).u16(1).u32(30))));
    hostile.emplace_back("theme count past its block",
        withEnd(test::ReplyWriter().block(0x010A, test::ReplyWriter().u8(255).u8(1))));
    hostile.emplace_back("no end-of-message block",
        test::ReplyWriter()
            .block(0x0102, test::ReplyWriter().i32(8))
            .block(0x0999, test::ReplyWriter().u32(1))
            .bytes);

    for (auto const& [name, bytes] : hostile) {
        SCOPED_TRACE(name);
        delegate.calls.clear();
        // Exactly the reply's bytes, so a read past them is a sanitizer error.
        auto exact = std::make_unique<std::uint8_t[]>(bytes.size() + 1);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        current()->parseData(exact.get(), bytes.size());
        EXPECT_FALSE(KestrelAdParser::isAdParserFinished());
        EXPECT_EQ(delegate.calls.back(), "dataUnavailable");
        EXPECT_TRUE(current()->hookMap().empty()) << "a partial reply is never served";
        auto hook = KestrelAdParser::fastHookWithName("banner");
        ASSERT_TRUE(hook) << "the old instance answers";
        EXPECT_EQ(hook->clickAction(), 2);
        EXPECT_EQ(KestrelAdParser::oldInstance()->versionId(), 7);
    }
    EXPECT_EQ(KestrelAdProperties::getBannerRefreshInSeconds(), 30u)
        << "a property block cut short sets nothing";
}

TEST_F(KestrelAdParserTest, AnImageThatDoesNotDecodeIsLeftOut) {
    auto reply = test::ReplyWriter()
                     .block(0x0106,
                         test::ReplyWriter()
                             .u16(1)
                             .i64(8)
                             .i32(1)
                             .i32(1)
                             .str("image/png")
                             .u32(8)
                             .raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
                     .end()
                     .bytes;
    parse(reply);
    EXPECT_TRUE(KestrelAdParser::isAdParserFinished());
    EXPECT_TRUE(current()->imageMap().empty());
    EXPECT_TRUE(analytics::KestrelImageCache::instance()->storedIds().empty());
}

TEST_F(KestrelAdParserTest, TheAgentHandsItsRepliesToTheParser) {
    analytics::KestrelAnalytics::setAdLoopEnabled(true);
    analytics::KestrelSession::setAdLoopAdParser(current().get());
    auto golden = test::goldenReply();
    // Only the ad section: the agent hands every section that starts with the ad tag to
    // the parser from the reply's first byte.
    base::Bytes reply(
        golden.bytes.begin(), golden.bytes.begin() + std::ptrdiff_t(golden.endOfMessage));
    analytics::KestrelSession::handOffToParsers(reply);
    EXPECT_TRUE(KestrelAdParser::isAdParserFinished());
    EXPECT_TRUE(KestrelAdParser::fastHookWithName("banner"));
    EXPECT_EQ(delegate.calls, std::vector<std::string> {"dataAvailable"});
}

}
