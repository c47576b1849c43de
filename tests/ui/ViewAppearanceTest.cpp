#include <ui/Application.hpp>
#include <ui/Color.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

using graphics::AffineTransform;
using graphics::makeRect;
using graphics::Point;
using graphics::Rect;
using ui::Color;
using ui::View;
using ui::Autoresizing::FlexibleBottomMargin;
using ui::Autoresizing::FlexibleHeight;
using ui::Autoresizing::FlexibleLeftMargin;
using ui::Autoresizing::FlexibleRightMargin;
using ui::Autoresizing::FlexibleTopMargin;
using ui::Autoresizing::FlexibleWidth;

namespace {

constexpr float pi = std::numbers::pi_v<float>;

void expectRectNear(Rect const& actual, Rect const& expected, char const* what) {
    EXPECT_NEAR(actual.origin.x, expected.origin.x, 1e-3) << what;
    EXPECT_NEAR(actual.origin.y, expected.origin.y, 1e-3) << what;
    EXPECT_NEAR(actual.size.width, expected.size.width, 1e-3) << what;
    EXPECT_NEAR(actual.size.height, expected.size.height, 1e-3) << what;
}

}

TEST(Color, NamedColoursHaveThePlatformsComponentsAndKinds) {
    EXPECT_EQ(Color::clearColor().alpha(), 0);
    EXPECT_EQ(Color::blackColor().numberOfComponents(), 2);
    EXPECT_EQ(Color::grayColor().numberOfComponents(), 2);
    EXPECT_EQ(Color::redColor().numberOfComponents(), 4);
    EXPECT_FLOAT_EQ(Color::darkGrayColor().red(), 1.0f / 3);
    EXPECT_FLOAT_EQ(Color::orangeColor().green(), 0.5f);
    auto bytes = Color::colorWithBytes(255, 54, 90);
    EXPECT_FLOAT_EQ(bytes.green(), 54 / 255.0f);
    EXPECT_FLOAT_EQ(Color::colorWithRed(2, -1, 0.5f, 1).red(), 1);
    EXPECT_FLOAT_EQ(Color::colorWithRed(2, -1, 0.5f, 1).green(), 0);
    auto mixed
        = Color::blackColor().interpolated(Color::whiteColor().colorWithAlphaComponent(0), 0.25f);
    EXPECT_FLOAT_EQ(mixed.red(), 0.25f);
    EXPECT_FLOAT_EQ(mixed.alpha(), 0.75f);
}

TEST(ViewAppearance, FrameIsTheBoundingBoxOfTheTransformedBounds) {
    struct Case {
        char const* what;
        AffineTransform transform;
        Rect expected;
    };
    Case const cases[] = {
        {"identity", AffineTransform::identity(), makeRect(50, 75, 100, 50)},
        {"scale 2", AffineTransform::makeScale(2, 2), makeRect(0, 50, 200, 100)},
        {"quarter turn", AffineTransform::makeRotation(pi / 2), makeRect(75, 50, 50, 100)},
        {"eighth turn", AffineTransform::makeRotation(pi / 4),
            makeRect(100 - 75 * std::sqrt(2.0f) / 2 * 1, 100 - 75 * std::sqrt(2.0f) / 2,
                75 * std::sqrt(2.0f), 75 * std::sqrt(2.0f))},
        {"translation", AffineTransform::makeTranslation(10, -5), makeRect(60, 70, 100, 50)},
        {"scale then move", AffineTransform::makeScale(0.5f, 0.5f).translated(20, 0),
            makeRect(85, 87.5f, 50, 25)},
    };
    for (auto const& c : cases) {
        auto view = View::create(makeRect(50, 75, 100, 50));
        view->setTransform(c.transform);
        expectRectNear(view->frame(), c.expected, c.what);
        EXPECT_EQ(view->center(), (Point {100, 100})) << c.what;
        EXPECT_EQ(view->bounds(), makeRect(0, 0, 100, 50)) << c.what;
    }
}

TEST(ViewAppearance, SettingTheFrameOfATransformedViewSizesItsBoundsToFill) {
    auto scaled = View::create(makeRect(0, 0, 100, 50));
    scaled->setTransform(AffineTransform::makeScale(2, 2));
    scaled->setFrame(makeRect(10, 10, 100, 40));
    expectRectNear(scaled->frame(), makeRect(10, 10, 100, 40), "scaled");
    EXPECT_EQ(scaled->bounds().size, (graphics::Size {50, 20}));

    auto turned = View::create(makeRect(0, 0, 100, 50));
    turned->setTransform(AffineTransform::makeRotation(pi / 2));
    turned->setFrame(makeRect(0, 0, 50, 100));
    expectRectNear(turned->frame(), makeRect(0, 0, 50, 100), "turned");
    EXPECT_NEAR(turned->bounds().size.width, 100, 1e-3);
    EXPECT_NEAR(turned->bounds().size.height, 50, 1e-3);
}

TEST(ViewAppearance, HitTestingAndConversionFollowTransforms) {
    auto root = View::create(makeRect(0, 0, 400, 400));
    // A 100 x 20 bar centred at (200, 200), turned a quarter: it stands 20 wide, 100 tall.
    auto bar = View::create(makeRect(150, 190, 100, 20));
    bar->setTag(1);
    bar->setTransform(AffineTransform::makeRotation(pi / 2));
    auto knob = View::create(makeRect(0, 0, 10, 20));
    knob->setTag(2);
    bar->addSubview(knob);
    root->addSubview(bar);

    struct Case {
        char const* what;
        std::function<void()> setUp;
        Point point;
        int expectedTag;
    };
    Case const cases[] = {
        {"inside the turned bar, far down", [] {}, {200, 240}, 1},
        {"where the unturned bar was", [] {}, {240, 200}, 0},
        {"the knob, turned to the top", [] {}, {200, 155}, 2},
        {"scaled up, the bar reaches further",
            [&] { bar->setTransform(AffineTransform::makeScale(3, 1)); }, {330, 200}, 1},
        {"hidden bar", [&] { bar->setHidden(true); }, {200, 240}, 0},
        {"non-interactive bar", [&] { bar->setUserInteractionEnabled(false); }, {200, 240}, 0},
        {"non-interactive knob falls to the bar", [&] { knob->setUserInteractionEnabled(false); },
            {200, 155}, 1},
    };
    root->setTag(0);
    for (auto const& c : cases) {
        bar->setHidden(false);
        bar->setUserInteractionEnabled(true);
        knob->setUserInteractionEnabled(true);
        bar->setTransform(AffineTransform::makeRotation(pi / 2));
        c.setUp();
        View* hit = root->hitTest(c.point, nullptr);
        ASSERT_NE(hit, nullptr) << c.what;
        EXPECT_EQ(hit->tag(), c.expectedTag) << c.what;
    }

    bar->setTransform(AffineTransform::makeRotation(pi / 2));
    auto inRoot = knob->convertPointToView({5, 10}, root.get());
    EXPECT_NEAR(inRoot.x, 200, 1e-3);
    EXPECT_NEAR(inRoot.y, 155, 1e-3);
    auto back = knob->convertPointFromView(inRoot, root.get());
    EXPECT_NEAR(back.x, 5, 1e-3);
    EXPECT_NEAR(back.y, 10, 1e-3);
    expectRectNear(
        bar->convertRectToView(bar->bounds(), root.get()), bar->frame(), "bounds to frame");
}

TEST(ViewAppearance, AutoresizingSharesTheChangeAmongTheFlexibleParts) {
    struct Case {
        char const* what;
        unsigned mask;
        Rect expected;
    };
    // A 40 x 20 view at (20, 10) in a 100 x 50 superview that grows to 200 x 100:
    // margins left 20 / right 40 across, top 10 / bottom 20 down.
    Case const cases[] = {
        {"fixed", 0, makeRect(20, 10, 40, 20)},
        {"flexible width", FlexibleWidth, makeRect(20, 10, 140, 20)},
        {"flexible height", FlexibleHeight, makeRect(20, 10, 40, 70)},
        {"flexible left margin", FlexibleLeftMargin, makeRect(120, 10, 40, 20)},
        {"flexible top margin", FlexibleTopMargin, makeRect(20, 60, 40, 20)},
        {"flexible right margin only", FlexibleRightMargin, makeRect(20, 10, 40, 20)},
        {"both margins", FlexibleLeftMargin | FlexibleRightMargin,
            makeRect(20 + 100 * 20 / 60.0f, 10, 40, 20)},
        {"left margin and width", FlexibleLeftMargin | FlexibleWidth,
            makeRect(20 + 100 * 20 / 60.0f, 10, 40 + 100 * 40 / 60.0f, 20)},
        {"all across", FlexibleLeftMargin | FlexibleWidth | FlexibleRightMargin,
            makeRect(40, 10, 80, 20)},
        {"all down", FlexibleTopMargin | FlexibleHeight | FlexibleBottomMargin,
            makeRect(20, 20, 40, 40)},
        {"width and height", FlexibleWidth | FlexibleHeight, makeRect(20, 10, 140, 70)},
    };
    for (auto const& c : cases) {
        auto parent = View::create(makeRect(0, 0, 100, 50));
        auto child = View::create(makeRect(20, 10, 40, 20));
        child->setAutoresizingMask(c.mask);
        parent->addSubview(child);
        parent->setFrame(makeRect(0, 0, 200, 100));
        expectRectNear(child->frame(), c.expected, c.what);
    }
}

TEST(ViewAppearance, AutoresizingReachesGrandchildrenAndCanBeTurnedOff) {
    auto parent = View::create(makeRect(0, 0, 100, 100));
    auto child = View::create(makeRect(0, 0, 100, 100));
    auto grandchild = View::create(makeRect(10, 10, 80, 80));
    child->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    grandchild->setAutoresizingMask(FlexibleWidth);
    parent->addSubview(child);
    child->addSubview(grandchild);
    parent->setBounds(makeRect(0, 0, 200, 100));
    EXPECT_EQ(child->frame(), makeRect(0, 0, 200, 100));
    EXPECT_EQ(grandchild->frame(), makeRect(10, 10, 180, 80));

    parent->setAutoresizesSubviews(false);
    parent->setBounds(makeRect(0, 0, 50, 50));
    EXPECT_EQ(child->frame(), makeRect(0, 0, 200, 100));

    // A view with zero margins and size shares the change evenly.
    auto empty = View::create(makeRect(0, 0, 0, 0));
    auto dot = View::create(makeRect(0, 0, 0, 0));
    dot->setAutoresizingMask(FlexibleLeftMargin | FlexibleRightMargin);
    empty->addSubview(dot);
    empty->setBounds(makeRect(0, 0, 10, 0));
    EXPECT_EQ(dot->frame(), makeRect(5, 0, 0, 0));
}

TEST(ViewAppearance, DisplayIsAskedForAgainOnRequestAndOnResizeWhenRedrawing) {
    auto view = View::create(makeRect(0, 0, 10, 10));
    auto version = view->contentVersion();
    view->setNeedsDisplay();
    EXPECT_NE(view->contentVersion(), version);
    version = view->contentVersion();
    view->setFrame(makeRect(0, 0, 20, 20));
    EXPECT_EQ(view->contentVersion(), version);
    view->setContentMode(ui::ContentMode::Redraw);
    version = view->contentVersion();
    view->setFrame(makeRect(0, 0, 30, 20));
    EXPECT_NE(view->contentVersion(), version);
    version = view->contentVersion();
    view->setCenter({100, 100});
    EXPECT_EQ(view->contentVersion(), version);
}

TEST(ViewAppearance, LayerPropertiesAreKeptAndShareTheViewsFlags) {
    auto view = View::create(makeRect(0, 0, 10, 10));
    view->layer().setCornerRadius(5);
    view->layer().setBorderWidth(-2);
    view->layer().setMasksToBounds(true);
    view->layer().setOpacity(0.25f);
    EXPECT_EQ(view->layer().cornerRadius(), 5);
    EXPECT_EQ(view->layer().borderWidth(), 0);
    EXPECT_TRUE(view->clipsToBounds());
    EXPECT_FLOAT_EQ(view->alpha(), 0.25f);
    view->setAlpha(3);
    EXPECT_FLOAT_EQ(view->layer().opacity(), 1);
}

TEST(ViewAppearance, ContentModesPlaceContentAsTheirNamesSay) {
    struct Case {
        ui::ContentMode mode;
        Rect expected;
    };
    Rect bounds = makeRect(0, 0, 100, 50);
    graphics::Size content {20, 10};
    Case const cases[] = {
        {ui::ContentMode::ScaleToFill, bounds},
        {ui::ContentMode::ScaleAspectFit, makeRect(0, 0, 100, 50)},
        {ui::ContentMode::Center, makeRect(40, 20, 20, 10)},
        {ui::ContentMode::Top, makeRect(40, 0, 20, 10)},
        {ui::ContentMode::BottomRight, makeRect(80, 40, 20, 10)},
        {ui::ContentMode::Left, makeRect(0, 20, 20, 10)},
    };
    for (auto const& c : cases)
        expectRectNear(ui::rectForContentMode(c.mode, content, bounds), c.expected, "mode");
    expectRectNear(ui::rectForContentMode(ui::ContentMode::ScaleAspectFit, {10, 10}, bounds),
        makeRect(25, 0, 50, 50), "fit square");
    expectRectNear(ui::rectForContentMode(ui::ContentMode::ScaleAspectFill, {10, 10}, bounds),
        makeRect(0, -25, 100, 100), "fill square");
}

TEST(ViewAppearance, SizeToFitKeepsTheTopLeftCorner) {
    auto view = ui::ImageView::create(makeRect(30, 40, 5, 5));
    view->setImage(ui::Image::imageWithBitmap(graphics::Image(16, 8)));
    view->sizeToFit();
    EXPECT_EQ(view->frame(), makeRect(30, 40, 16, 8));
}

namespace {

graphics::Rgba at(graphics::Image const& image, int x, int y) {
    return image.pixel(x, y);
}

}

TEST(GraphicsContext, FillsStrokesAndRoundsWhereAsked) {
    ui::GraphicsContext context({40, 20});
    EXPECT_FALSE(context.hasDrawn());
    context.setFillColor(Color::redColor());
    context.fillRect(makeRect(0, 0, 20, 20));
    context.setFillColor(Color::blueColor());
    context.fillRoundedRect(makeRect(20, 0, 20, 20), 8);
    context.setStrokeColor(Color::greenColor());
    context.setLineWidth(2);
    context.strokeLineSegments({{0, 10}, {10, 10}});
    EXPECT_TRUE(context.hasDrawn());
    auto image = context.makeImage();
    ASSERT_EQ(image.width(), 40);
    EXPECT_EQ(at(image, 15, 3), (graphics::Rgba {255, 0, 0, 255}));
    EXPECT_EQ(at(image, 5, 10), (graphics::Rgba {0, 255, 0, 255}));
    EXPECT_EQ(at(image, 30, 10), (graphics::Rgba {0, 0, 255, 255}));
    // The rounded corner leaves the very corner empty.
    EXPECT_EQ(at(image, 39, 0).a, 0);
    EXPECT_EQ(at(image, 20, 19).a, 0);
}

TEST(GraphicsContext, ScaleGivesMorePixelsForTheSamePoints) {
    ui::GraphicsContext context({10, 5}, 2);
    EXPECT_EQ(context.pixelWidth(), 20);
    EXPECT_EQ(context.pixelHeight(), 10);
    context.setFillColor(Color::whiteColor());
    context.fillRect(makeRect(5, 0, 5, 5));
    auto image = context.makeImage();
    EXPECT_EQ(at(image, 9, 5).a, 0);
    EXPECT_EQ(at(image, 10, 5).a, 255);
}

TEST(GraphicsContext, ArcToPointRoundsACornerTangentToBothLines) {
    ui::GraphicsContext context({20, 20});
    context.setFillColor(Color::blackColor());
    context.beginPath();
    context.moveToPoint(0, 0);
    context.addArcToPoint(20, 0, 20, 20, 10);
    context.addLineToPoint(20, 20);
    context.addLineToPoint(0, 20);
    context.closePath();
    context.fillPath();
    auto image = context.makeImage();
    EXPECT_EQ(at(image, 19, 0).a, 0);
    EXPECT_EQ(at(image, 10, 1).a, 255);
    EXPECT_EQ(at(image, 18, 10).a, 255);
    EXPECT_EQ(at(image, 5, 15).a, 255);
    EXPECT_TRUE(context.isPathEmpty());
}

TEST(GraphicsContext, StretchableImagesKeepTheirCaps) {
    // A 5 x 1 picture: red cap, green middle column, blue cap.
    graphics::Image bitmap(5, 1);
    graphics::Rgba const colours[5] = {
        {255, 0, 0, 255}, {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}};
    for (int x = 0; x < 5; ++x)
        bitmap.setPixel(x, 0, colours[x]);
    auto image = ui::Image::imageWithBitmap(bitmap)->stretchableImageWithLeftCapWidth(2, 0);
    EXPECT_EQ(image->leftCapWidth(), 2);
    ui::GraphicsContext context({40, 4});
    context.drawImage(*image, makeRect(0, 0, 40, 4));
    auto out = context.makeImage();
    EXPECT_EQ(at(out, 0, 2), colours[0]);
    EXPECT_EQ(at(out, 1, 2), colours[0]);
    EXPECT_EQ(at(out, 20, 2), colours[2]);
    EXPECT_EQ(at(out, 30, 2), colours[2]);
    EXPECT_EQ(at(out, 39, 2), colours[4]);
    EXPECT_EQ(at(out, 38, 2), colours[4]);
}

TEST(GraphicsContext, SavedStateComesBackButThePathStays) {
    ui::GraphicsContext context({10, 10});
    context.setFillColor(Color::redColor());
    context.saveGState();
    context.setFillColor(Color::blueColor());
    context.translateCTM(5, 0);
    context.beginPath();
    context.addRect(makeRect(0, 0, 5, 5));
    context.restoreGState();
    EXPECT_EQ(context.fillColor(), Color::redColor());
    EXPECT_FALSE(context.isPathEmpty());
    context.fillPath();
    auto image = context.makeImage();
    EXPECT_EQ(at(image, 7, 2), (graphics::Rgba {255, 0, 0, 255}));
    EXPECT_EQ(at(image, 2, 2).a, 0);
}

TEST(GraphicsContext, AnOverlayDarkensOnlyTheImagesOwnPixels) {
    graphics::Image bitmap(2, 1);
    bitmap.setPixel(0, 0, {255, 255, 255, 255});
    auto image = ui::Image::imageWithBitmap(bitmap);
    ui::GraphicsContext context({2, 1});
    context.drawImage(*image, makeRect(0, 0, 2, 1), Color::colorWithWhite(0, 0.5f));
    auto out = context.makeImage();
    EXPECT_NEAR(out.pixel(0, 0).r, 128, 1);
    EXPECT_EQ(out.pixel(0, 0).a, 255);
    EXPECT_EQ(out.pixel(1, 0).a, 0);
}

TEST(GraphicsContext, AHugeSizeIsCappedNotAllocated) {
    ui::GraphicsContext context({1e9f, 1});
    EXPECT_EQ(context.pixelWidth(), ui::GraphicsContext::maxPixels);
    EXPECT_EQ(context.pixelHeight(), 1);
}
