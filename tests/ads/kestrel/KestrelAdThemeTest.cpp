#include "KestrelFixture.hpp"

#include <ads/kestrel/KestrelAdCoding.hpp>
#include <ads/kestrel/KestrelAdTextStyle.hpp>
#include <ads/kestrel/KestrelAdTheme.hpp>

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <gtest/gtest.h>

using ads::kestrel::KestrelAdTextStyle;
using ads::kestrel::KestrelAdTheme;

namespace {

template<typename T> base::Ref<T> roundTrip(base::Ref<T> const& object) {
    ads::kestrel::registerKestrelAdCoding();
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(object);
    EXPECT_TRUE(data);
    return data ? foundation::KeyedUnarchiver::unarchiveObjectWithData<T>(*data) : nullptr;
}

std::vector<KestrelAdTextStyle*> stylesOf(KestrelAdTheme const& theme) {
    return {theme.portraitAppNameTextStyle().get(), theme.portraitSellMessageTextStyle().get(),
        theme.portraitAdvertiserTextStyle().get(), theme.landscapeAppNameTextStyle().get(),
        theme.landscapeSellMessageTextStyle().get(), theme.landscapeAdvertiserTextStyle().get()};
}

TEST(KestrelAdTheme, FreshThemeOwnsEmptyStylesAndGeometry) {
    auto theme = KestrelAdTheme::create();
    for (auto* style : stylesOf(*theme)) {
        ASSERT_TRUE(style);
        ASSERT_TRUE(style->location());
        ASSERT_TRUE(style->dimension());
        EXPECT_FALSE(style->font());
        EXPECT_FALSE(style->fontSize());
        EXPECT_FALSE(style->fontColor());
        EXPECT_EQ(style->frame(), (graphics::Rect {{0, 0}, {0, 0}}));
    }
    EXPECT_TRUE(theme->portraitAdDimension());
    EXPECT_TRUE(theme->landscapeAppImageLocation());
    EXPECT_FALSE(theme->themeId());
    EXPECT_FALSE(theme->portraitAdImage());
}

TEST(KestrelAdTheme, ArchiveKeepsTheSixteenValuesAndDropsTheImages) {
    auto theme = KestrelAdTheme::create();
    theme->setThemeId(9);
    theme->setSellMessage("Get it");
    theme->setPortraitAdImageId(21);
    theme->setLandscapeAdImageId(22);
    int n = 0;
    for (auto* style : stylesOf(*theme)) {
        ++n;
        style->setFont("Font" + std::to_string(n));
        style->setFontSize(std::int16_t(10 + n));
        style->setFontColor(ui::Color::colorWithRed(0.2f * float(n % 5), 0.5f, 1));
        style->location()->setX(n);
        style->location()->setY(-n);
        style->dimension()->setWidth(100 + n);
        style->dimension()->setHeight(20 + n);
    }
    theme->portraitAdDimension()->setWidth(320);
    theme->portraitAdDimension()->setHeight(50);
    theme->portraitAppImageDimension()->setWidth(40);
    theme->portraitAppImageLocation()->setX(5);
    theme->landscapeAdDimension()->setWidth(480);
    theme->landscapeAppImageDimension()->setHeight(44);
    theme->landscapeAppImageLocation()->setY(6);
    theme->setPortraitAdImage(ui::Image::imageWithData(test::pngOf(1, 1, 1)));
    theme->setLandscapeAdImage(ui::Image::imageWithData(test::pngOf(1, 1, 1)));

    auto back = roundTrip(theme);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->themeId(), 9);
    EXPECT_EQ(back->sellMessage(), "Get it");
    EXPECT_EQ(back->portraitAdImageId(), 21);
    EXPECT_EQ(back->landscapeAdImageId(), 22);
    auto before = stylesOf(*theme);
    auto after = stylesOf(*back);
    for (std::size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(after[i]);
        EXPECT_EQ(after[i]->font(), before[i]->font());
        EXPECT_EQ(after[i]->fontSize(), before[i]->fontSize());
        EXPECT_EQ(after[i]->fontColor(), before[i]->fontColor());
        EXPECT_EQ(after[i]->frame(), before[i]->frame());
    }
    EXPECT_EQ(back->portraitAdDimension()->width(), 320);
    EXPECT_EQ(back->portraitAdDimension()->height(), 50);
    EXPECT_EQ(back->portraitAppImageDimension()->width(), 40);
    EXPECT_FALSE(back->portraitAppImageDimension()->height());
    EXPECT_EQ(back->portraitAppImageLocation()->x(), 5);
    EXPECT_EQ(back->landscapeAdDimension()->width(), 480);
    EXPECT_EQ(back->landscapeAppImageDimension()->height(), 44);
    EXPECT_EQ(back->landscapeAppImageLocation()->y(), 6);
    EXPECT_FALSE(back->portraitAdImage());
    EXPECT_FALSE(back->landscapeAdImage());
}

TEST(KestrelAdTheme, MissingKeysStayEmpty) {
    auto style = KestrelAdTextStyle::create();
    style->setLocation(nullptr);
    style->dimension()->setWidth(30);
    auto back = roundTrip(style);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->location()) << "no empty location is made for a missing one";
    EXPECT_EQ(back->frame(), (graphics::Rect {{0, 0}, {30, 0}}));
}

}
