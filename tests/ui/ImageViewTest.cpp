#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <support/TempDir.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/Device.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/ProgressView.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
#include <string>

using graphics::makeRect;
using ui::Image;
using ui::ImageView;

namespace {

void writePicture(std::filesystem::path const& path, int width) {
    std::filesystem::create_directories(path.parent_path());
    graphics::Image picture(width, 1);
    picture.setPixel(0, 0, {255, 255, 255, 255});
    ASSERT_TRUE(picture.writePNG(path));
}

// A bundle and its tablet folder side by side, each picture told apart by its width.
class NamedImages : public ::testing::Test {
protected:
    void SetUp() override {
        writePicture(folder / "bundle/plain.png", 1);
        writePicture(folder / "bundle/both.png", 2);
        writePicture(folder / "bundle/both_iPad.png", 3);
        writePicture(folder / "bundle-ipad/both.png", 4);
        writePicture(folder / "bundle-ipad/tabletonly.png", 5);
        writePicture(folder / "bundle/sub/nested.png", 6);
        writePicture(folder / "bundle-ipad/tablet_iPad.png", 7);
        writePicture(folder / "bundle/tablet_iPad.png", 8);
        std::ofstream(folder / "bundle/broken.png") << "not a picture";
        foundation::Bundle::setMainBundlePath((folder / "bundle").string());
        Image::purgeCache();
    }
    void TearDown() override {
        ui::Device::reset();
        Image::purgeCache();
        foundation::Bundle::setMainBundlePath({});
    }

    static std::optional<int> widthOf(std::string const& name) {
        auto image = Image::imageNamed(name);
        return image ? std::optional<int>(image->bitmap().width()) : std::nullopt;
    }

    test::TempDir folder;
};

}

TEST_F(NamedImages, PhonesAndTabletsLookInTheirOwnOrder) {
    struct Case {
        char const* name;
        std::optional<int> phone;
        std::optional<int> tablet;
    };
    Case const cases[] = {
        {"plain.png", 1, 1},
        {"plain", 1, 1},
        {"both.png", 2, 3},
        {"tabletonly.png", std::nullopt, 5},
        {"tablet.png", std::nullopt, 7},
        {"both_iPad.png", 3, 3},
        {"sub/nested.png", 6, 6},
        {"../bundle/plain.png", std::nullopt, std::nullopt},
        {"broken.png", std::nullopt, std::nullopt},
        {"missing.png", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    for (auto const& c : cases) {
        ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Phone);
        EXPECT_EQ(widthOf(c.name), c.phone) << "phone " << c.name;
        ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
        EXPECT_EQ(widthOf(c.name), c.tablet) << "tablet " << c.name;
    }
}

TEST_F(NamedImages, NamedImagesAreCachedUntilPurged) {
    auto first = Image::imageNamed("plain.png");
    ASSERT_TRUE(first);
    EXPECT_EQ(Image::imageNamed("plain.png").get(), first.get());
    Image::purgeCache();
    EXPECT_NE(Image::imageNamed("plain.png").get(), first.get());

    // A picture that appears later is found: misses are not cached.
    EXPECT_FALSE(Image::imageNamed("late.png"));
    writePicture(folder / "bundle/late.png", 9);
    EXPECT_TRUE(Image::imageNamed("late.png"));
}

TEST(Image, BitmapsBecomePremultipliedAndMasksTurnBlack) {
    graphics::Image straight(
        1, 1, graphics::Image::Format::RGBA8, graphics::AlphaInfo::Last, {200, 100, 0, 128});
    auto image = Image::imageWithBitmap(straight);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->bitmap().isPremultiplied());
    EXPECT_NEAR(image->bitmap().pixel(0, 0).r, 100, 1);

    graphics::Image mask(2, 1, graphics::Image::Format::A8);
    mask.setPixel(1, 0, {0, 0, 0, 255});
    auto masked = Image::imageWithBitmap(mask);
    EXPECT_EQ(masked->bitmap().format(), graphics::Image::Format::RGBA8);
    EXPECT_EQ(masked->bitmap().pixel(1, 0), (graphics::Rgba {0, 0, 0, 255}));
    EXPECT_FALSE(Image::imageWithBitmap(graphics::Image()));
    EXPECT_EQ(Image::imageWithBitmap(graphics::Image(8, 4), 2)->size(), (graphics::Size {4, 2}));
    std::uint8_t const junk[] = {1, 2, 3};
    EXPECT_FALSE(Image::imageWithData(junk));
}

TEST(ImageView, ShowsItsImageSizedToItAndItsHighlightedImageWhenHighlighted) {
    auto normal = Image::imageWithBitmap(graphics::Image(30, 20));
    auto lit = Image::imageWithBitmap(graphics::Image(30, 20));
    auto view = ImageView::imageViewWithImage(normal, lit);
    EXPECT_EQ(view->frame(), makeRect(0, 0, 30, 20));
    EXPECT_FALSE(view->isUserInteractionEnabled());
    EXPECT_EQ(view->displayedImage(), normal.get());
    auto version = view->contentVersion();
    view->setHighlighted(true);
    EXPECT_EQ(view->displayedImage(), lit.get());
    EXPECT_NE(view->contentVersion(), version);
}

TEST(ImageView, CyclesItsAnimationImagesByTheClockForItsRepeatCount) {
    foundation::ScopedManualClock clock;
    auto still = Image::imageWithBitmap(graphics::Image(1, 1));
    std::vector<base::Ref<Image>> frames;
    for (int i = 0; i < 3; ++i)
        frames.push_back(Image::imageWithBitmap(graphics::Image(1, 1)));
    auto view = ImageView::imageViewWithImage(still);
    view->setAnimationImages(frames);
    view->setAnimationDuration(0.3);
    view->setAnimationRepeatCount(2);
    view->startAnimating();
    EXPECT_TRUE(view->isAnimating());

    struct Step {
        double advance;
        Image* expected;
    };
    Step const steps[] = {{0.05, frames[0].get()}, {0.1, frames[1].get()}, {0.1, frames[2].get()},
        {0.1, frames[0].get()}, {0.3, still.get()}};
    std::optional<std::uint64_t> version;
    for (auto const& step : steps) {
        clock->advance(step.advance);
        EXPECT_EQ(view->displayedImage(), step.expected);
        // Each frame is a drawing of its own.
        if (version) {
            EXPECT_NE(view->contentVersion(), *version);
        }
        version = view->contentVersion();
    }
    EXPECT_FALSE(view->isAnimating());

    // Without a repeat count it cycles until stopped; a default duration is 1/30 s a frame.
    view->setAnimationRepeatCount(0);
    view->setAnimationDuration(0);
    view->startAnimating();
    clock->advance(100.0 + 1.5 / 30);
    EXPECT_EQ(view->displayedImage(), frames[1].get());
    view->stopAnimating();
    EXPECT_EQ(view->displayedImage(), still.get());
}

TEST(ImageView, DrawsItsImageWhereTheContentModeSays) {
    graphics::Image red(4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            red.setPixel(x, y, {255, 0, 0, 255});
    }
    auto view = ImageView::imageViewWithImage(Image::imageWithBitmap(red));
    view->setFrame(makeRect(0, 0, 10, 10));
    view->setContentMode(ui::ContentMode::Center);
    ui::GraphicsContext context({10, 10});
    view->drawRect(context, view->bounds());
    auto out = context.makeImage();
    EXPECT_EQ(out.pixel(5, 5), (graphics::Rgba {255, 0, 0, 255}));
    EXPECT_EQ(out.pixel(1, 1).a, 0);
}

TEST(ActivityIndicatorView, HidesWhileStoppedAndTurnsByTheClock) {
    foundation::ScopedManualClock clock;
    auto spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
    EXPECT_EQ(spinner->frame().size, (graphics::Size {37, 37}));
    EXPECT_TRUE(spinner->isHidden());
    spinner->startAnimating();
    EXPECT_FALSE(spinner->isHidden());
    auto version = spinner->contentVersion();
    clock->advance(1.5 / 12);
    EXPECT_NE(spinner->contentVersion(), version);
    spinner->stopAnimating();
    EXPECT_TRUE(spinner->isHidden());
    spinner->setHidesWhenStopped(false);
    EXPECT_FALSE(spinner->isHidden());
    EXPECT_EQ(ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::Gray)->color(),
        ui::Color::grayColor());
}

TEST(ProgressView, KeepsItsProgressBetweenZeroAndOne) {
    auto bar = ui::ProgressView::create();
    struct Case {
        float set;
        float expected;
    };
    Case const cases[]
        = {{0.5f, 0.5f}, {2, 1}, {-1, 0}, {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (auto const& c : cases) {
        bar->setProgress(c.set);
        EXPECT_EQ(bar->progress(), c.expected) << c.set;
    }
    EXPECT_EQ(bar->sizeThatFits({200, 0}), (graphics::Size {200, 9}));
}
