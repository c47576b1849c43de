#include "KestrelFixture.hpp"

#include <ads/kestrel/KestrelAd.hpp>
#include <ads/kestrel/KestrelAdAssignment.hpp>
#include <ads/kestrel/KestrelAdCoding.hpp>
#include <ads/kestrel/KestrelAdHook.hpp>
#include <ads/kestrel/KestrelAdImage.hpp>

#include <support/LogCapture.hpp>

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <gtest/gtest.h>

using ads::kestrel::KestrelAd;
using ads::kestrel::KestrelAdAssignment;
using ads::kestrel::KestrelAdHook;
using ads::kestrel::KestrelAdImage;

namespace {

using KestrelAdTest = test::KestrelTest;

template<typename T> base::Ref<T> roundTrip(base::Ref<T> const& object) {
    ads::kestrel::registerKestrelAdCoding();
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(object);
    EXPECT_TRUE(data);
    return data ? foundation::KeyedUnarchiver::unarchiveObjectWithData<T>(*data) : nullptr;
}

TEST_F(KestrelAdTest, CookieStringIsLowerCaseHexOfTheBytes) {
    std::vector<std::pair<std::optional<base::Bytes>, std::string>> table = {
        {std::nullopt, ""},
        {base::Bytes {}, ""},
        {base::Bytes {0x0A, 0x1B, 0x2C, 0x3D, 0x4E}, "0a1b2c3d4e"},
        {base::Bytes {0x00, 0xFF, 0x10, 0x01, 0xAB, 0xCD, 0xEF, 0x99, 0x42}, "00ff1001abcdef9942"},
    };
    for (auto const& [cookie, text] : table) {
        auto ad = KestrelAd::create();
        ad->setAdCookie(cookie);
        EXPECT_EQ(ad->adCookieString(), text);
    }
}

TEST_F(KestrelAdTest, AdArchiveKeepsEverythingButTheIcon) {
    auto ad = KestrelAd::create();
    ad->setAdId(101);
    ad->setProjectId(-5);
    ad->setAdText("Puppy Spa");
    ad->setAdvertiser("Kestrel");
    ad->setCanvasId(7);
    ad->setImageId(11);
    ad->setAdCookieSize(2);
    ad->setAdCookie(base::Bytes {1, 2});
    ad->setAdImage(ui::Image::imageWithData(test::pngOf(1, 1, 1)));
    ad->setAppDescription("d");
    ad->setAppPrice(99);
    auto back = roundTrip(ad);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->adId(), 101);
    EXPECT_EQ(back->projectId(), -5);
    EXPECT_EQ(back->adText(), "Puppy Spa");
    EXPECT_EQ(back->advertiser(), "Kestrel");
    EXPECT_EQ(back->canvasId(), 7);
    EXPECT_EQ(back->imageId(), 11);
    EXPECT_EQ(back->adCookieSize(), 2);
    EXPECT_EQ(back->adCookie(), (base::Bytes {1, 2}));
    EXPECT_EQ(back->appDescription(), "d");
    EXPECT_EQ(back->appPrice(), 99);
    EXPECT_FALSE(back->adImage());

    auto empty = roundTrip(KestrelAd::create());
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->adId());
    EXPECT_FALSE(empty->adCookie());
}

TEST_F(KestrelAdTest, ImagesComeBackFromPNGWhateverTheReplyCarried) {
    graphics::Image bitmap(3, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            bitmap.setPixel(x, y, {200, 100, 50, 255});
    }
    auto jpeg = bitmap.encodeJPEG(1.0f);
    ASSERT_TRUE(jpeg);
    auto image = KestrelAdImage::create();
    image->setImageId(11);
    image->setWidth(3);
    image->setHeight(2);
    image->setMimeFormat("image/jpeg");
    image->setImageDataSize(std::int32_t(jpeg->size()));
    image->setImage(ui::Image::imageWithData(*jpeg));
    image->setFileName("icon.jpg");
    auto back = roundTrip(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->imageId(), 11);
    EXPECT_EQ(back->width(), 3);
    EXPECT_EQ(back->height(), 2);
    EXPECT_EQ(back->mimeFormat(), "image/jpeg");
    EXPECT_EQ(back->imageDataSize(), std::int32_t(jpeg->size()));
    EXPECT_EQ(back->fileName(), "icon.jpg");
    ASSERT_TRUE(back->image());
    EXPECT_EQ(back->image()->bitmap(), image->image()->bitmap());

    auto noPicture = roundTrip(KestrelAdImage::create());
    ASSERT_TRUE(noPicture);
    EXPECT_FALSE(noPicture->image());
    EXPECT_FALSE(KestrelAdImage::fromArchivedData(base::Value(base::Bytes {1, 2, 3})));
    EXPECT_FALSE(KestrelAdImage::fromArchivedData(base::Value("text")));
}

TEST_F(KestrelAdTest, HookArchiveHoldsItsTheme) {
    auto hook = KestrelAdHook::create();
    hook->setName("banner");
    hook->setAdBlockId(3);
    hook->setThemeId(4);
    hook->setClickAction(2);
    auto theme = ads::kestrel::KestrelAdTheme::create();
    theme->setSellMessage("go");
    hook->setAdTheme(theme);
    auto back = roundTrip(hook);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name(), "banner");
    EXPECT_EQ(back->adBlockId(), 3);
    EXPECT_EQ(back->themeId(), 4);
    EXPECT_EQ(back->clickAction(), 2);
    ASSERT_TRUE(back->adTheme());
    EXPECT_EQ(back->adTheme()->sellMessage(), "go");
}

TEST_F(KestrelAdTest, AnAdShowsOnceOnAParent) {
    auto registry = KestrelAdAssignment::createInstance();
    EXPECT_EQ(KestrelAdAssignment::instance(), registry);
    auto ad = KestrelAd::create();
    ad->setAdId(5);
    auto same = KestrelAd::create();
    same->setAdId(5);

    EXPECT_EQ(registry->assignAd(ad, "view A"), ad);
    EXPECT_FALSE(registry->assignAd(same, "view A")) << "ids compare by value";
    EXPECT_EQ(registry->assignAd(ad, "view B"), ad);
    EXPECT_EQ(registry->assignAd(ad, std::nullopt), ad);
    EXPECT_EQ(registry->assignAd(ad, std::nullopt), ad);
    EXPECT_EQ(registry->assignedAdIds("view A"), std::set<std::int64_t> {5});

    registry->removeAd(ad.get(), "view A");
    EXPECT_EQ(registry->assignAd(ad, "view A"), ad);
    registry->removeAdsOnParentName("view A");
    EXPECT_EQ(registry->assignAd(ad, "view A"), ad);
    registry->removeAd(nullptr, "view A");
    registry->removeAd(ad.get(), std::nullopt);
    registry->removeAd(ad.get(), "never seen");
    registry->removeAdsOnParentName(std::nullopt);
    EXPECT_EQ(registry->assignedAdIds("view A"), std::set<std::int64_t> {5});

    auto fresh = KestrelAdAssignment::recreateInstance();
    EXPECT_NE(fresh, registry);
    EXPECT_TRUE(fresh->assignedAdIds("view A").empty());
}

TEST_F(KestrelAdTest, TheFirstBannerOfAHookStays) {
    auto registry = KestrelAdAssignment::createInstance();
    auto first = ui::View::create();
    auto second = ui::View::create();
    registry->assignBanner(first, "banner", "view");
    registry->assignBanner(second, "banner", "view");
    EXPECT_EQ(registry->assignedBanner("banner", "view"), first);
    registry->assignBanner(second, "banner", "other view");
    EXPECT_EQ(registry->assignedBanner("banner", "other view"), second);
    registry->assignBanner(second, std::nullopt, "view");
    registry->assignBanner(second, "top", std::nullopt);
    EXPECT_FALSE(registry->assignedBanner("top", "view"));
    EXPECT_FALSE(registry->assignedBanner(std::nullopt, "view"));
    registry->unassignBanner("banner", "view");
    EXPECT_FALSE(registry->assignedBanner("banner", "view"));
    registry->assignBanner(second, "banner", "view");
    EXPECT_EQ(registry->assignedBanner("banner", "view"), second);
}

TEST_F(KestrelAdTest, MD5GoesOnlyToTheDebugLog) {
    test::LogCapture log;
    std::uint8_t const bytes[] = {'a', 'b', 'c'};
    KestrelAd::md5(bytes, 3);
    EXPECT_TRUE(log.lines().empty());
    analytics::KestrelUtil::setDebugLogEnabled(true);
    KestrelAd::md5(bytes, 3);
    EXPECT_TRUE(log.contains("KestrelAdLoop: Image data MD5: 900150983CD24FB0D6963F7D28E17F72"));
}

}
