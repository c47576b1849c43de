// The graphic helpers on the off-screen GL fixture: nodes made hidden at their z, labels
// shrunk to their box (never below a size of 1), fades that stop at their targets, hit tests
// with tolerance and touch points by orientation.

#include <engine/ActionManager.hpp>
#include <engine/AtlasSprite.hpp>
#include <engine/AtlasSpriteManager.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/Label.hpp>
#include <engine/Layer.hpp>
#include <engine/Scheduler.hpp>
#include <engine/Sprite.hpp>
#include <engine/TextureMgr.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <graphics/Font.hpp>
#include <graphics/StringDrawing.hpp>
#include <support/GLFixture.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>

#include <cmath>
#include <functional>

using engine::Point;
using game::GraphicEngine;

namespace {

// A phone screen of 480 x 320 points for the label widths.
class PhoneScreen final : public engine::DirectorServices {
public:
    PhoneScreen() { install(this); }
    ~PhoneScreen() override { install(nullptr); }
    engine::Size displaySize() const override { return {480, 320}; }
    int deviceOrientation() const override { return 1; }
    Point convertCoordinate(Point p) const override { return {p.x, 320 - p.y}; }
};

class GraphicEngineTest : public test::GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        reset();
        parent = engine::Layer::node();
        // Running, so that actions on its children advance.
        parent->onEnter();
    }
    void TearDown() override {
        parent->onExit();
        parent = nullptr;
        reset();
        GLFixture::TearDown();
    }
    static void reset() {
        engine::ActionManager::purgeSharedManager();
        engine::Scheduler::purgeSharedScheduler();
        engine::TextureMgr::purgeSharedTextureMgr();
        ui::Application::reset();
        ui::Device::reset();
    }
    static void tick(float seconds) {
        for (float t = 0; t < seconds; t += 1.0f / 60)
            engine::ActionManager::sharedManager().tick(1.0f / 60);
    }
    static float width(std::string const& text, char const* font, int size) {
        auto measured = graphics::Font::fontWithName(font, float(size));
        return measured ? graphics::sizeWithFont(text, *measured).width : 0;
    }

    PhoneScreen screen;
    base::Ref<engine::Layer> parent;
};

TEST_F(GraphicEngineTest, ASpriteIsMadeHiddenAtItsPlaceWithItsZCut) {
    auto sprite = GraphicEngine::createSprite("missing.png", 12, 34, parent.get(), 2.7f);
    EXPECT_EQ(sprite->parent(), parent.get());
    EXPECT_EQ(sprite->zOrder(), 2);
    EXPECT_FALSE(sprite->visible());
    EXPECT_EQ(sprite->position(), (Point {12, 34}));
}

TEST_F(GraphicEngineTest, AOneLineLabelShrinksToTheLargestSizeThatFitsItsWidth) {
    std::string text = "Grooming for everyone";
    ASSERT_GT(width(text, "Helvetica", 20), 100);
    int expected = 20;
    while (width(text, "Helvetica", expected) > 100)
        --expected;
    auto label = GraphicEngine::createLabel(text, 5, 6, parent.get(), 1, 20, 1, 100);
    EXPECT_FLOAT_EQ(label->fontSize(), float(expected));
    EXPECT_EQ(label->dimensions(), (engine::Size {100, float(expected) * 1.5f}));
    EXPECT_EQ(label->color(), (engine::Color3B {0, 0, 0}));
    EXPECT_EQ(label->alignment(), engine::TextAlignment::Center);
    EXPECT_EQ(label->fontName(), "Helvetica");
    EXPECT_FALSE(label->visible());

    // The bold label finds the same kind of size in its own font.
    int bold = 20;
    while (width(text, "Helvetica-Bold", bold) > 100)
        --bold;
    auto boldLabel = GraphicEngine::createBoldLabel(text, 5, 6, parent.get(), 1, 20, 2, 100);
    EXPECT_FLOAT_EQ(boldLabel->fontSize(), float(bold));
    EXPECT_EQ(boldLabel->dimensions(), (engine::Size {100, float(bold) * 1.5f * 2}));
    EXPECT_EQ(boldLabel->fontName(), "Helvetica-Bold");
}

TEST_F(GraphicEngineTest, WithoutAWidthALabelIsAsWideAsTheScreenAndKeepsItsSize) {
    auto label = GraphicEngine::createLabel("Day 12", 0, 0, parent.get(), 0, 14);
    EXPECT_FLOAT_EQ(label->fontSize(), 14);
    EXPECT_EQ(label->dimensions(), (engine::Size {480, 21}));
    auto bold = GraphicEngine::createBoldLabel("Day 12", 0, 0, parent.get(), 0, 14, 1, 0);
    EXPECT_FLOAT_EQ(bold->fontSize(), 14);
    EXPECT_EQ(bold->dimensions(), (engine::Size {480, 21}));
}

TEST_F(GraphicEngineTest, SeveralLinesShrinkUntilTheWrappedTextIsAtMostTwoAndAHalfXHeightsALine) {
    std::string text = "Wash, dry, trim and brush every pet that comes through the door today";
    auto label = GraphicEngine::createLabel(text, 0, 0, parent.get(), 0, 30, 2, 150);
    int size = int(label->fontSize());
    EXPECT_LT(size, 30);
    auto fits = [&](int s) {
        auto font = graphics::Font::fontWithName("Helvetica", float(s));
        auto wrapped = graphics::sizeWithFont(text, *font, {150, 400});
        return wrapped.height <= font->xHeight() * 2.4f * 2;
    };
    EXPECT_TRUE(fits(size));
    EXPECT_FALSE(fits(size + 1));
}

TEST_F(GraphicEngineTest, TextThatNeverFitsStopsShrinkingAtSizeOne) {
    struct Case {
        std::function<base::Ref<engine::Label>()> make;
        char const* name;
    };
    std::string text = "Unbreakable";
    for (auto const& c :
        {Case {[&] { return GraphicEngine::createLabel(text, 0, 0, parent.get(), 0, 12, 1, 0.5f); },
             "one line"},
            Case {[&] {
                      return GraphicEngine::createLabel(text, 0, 0, parent.get(), 0, 12, 3, 0.5f);
                  },
                "three lines"},
            Case {[&] {
                      return GraphicEngine::createBoldLabel(
                          text, 0, 0, parent.get(), 0, 12, 1, 0.5f);
                  },
                "bold"}}) {
        auto label = c.make();
        EXPECT_FLOAT_EQ(label->fontSize(), 1) << c.name;
    }
}

// One fade family: how to make its node and run its three fades and tests.
struct Family {
    char const* name;
    std::function<base::Ref<engine::SceneNode>(engine::SceneNode*)> make;
    std::function<void(engine::SceneNode*, std::uint8_t)> setOpacity;
    std::function<int(engine::SceneNode*)> opacity;
    std::function<void(engine::SceneNode*, float)> fadeIn, fadeOut;
    std::function<void(engine::SceneNode*, int, float)> fadeTo;
    std::function<bool(engine::SceneNode*)> inDone, outDone;
    std::function<bool(engine::SceneNode*, int)> toDone;
};

template<typename T> T* as(engine::SceneNode* node) {
    return static_cast<T*>(node);
}

std::vector<Family> families() {
    return {
        {"sprite",
            [](auto* parent) { return GraphicEngine::createSprite("x.png", 0, 0, parent, 0); },
            [](auto* n, std::uint8_t o) { as<engine::Sprite>(n)->setOpacity(o); },
            [](auto* n) { return int(as<engine::Sprite>(n)->opacity()); },
            [](auto* n, float t) { GraphicEngine::fadeInSprite(as<engine::Sprite>(n), t); },
            [](auto* n, float t) { GraphicEngine::fadeOutSprite(as<engine::Sprite>(n), t); },
            [](auto* n, int o, float t) {
                GraphicEngine::fadeToSprite(as<engine::Sprite>(n), o, t);
            },
            [](auto* n) { return GraphicEngine::fadeInSpriteDone(as<engine::Sprite>(n)); },
            [](auto* n) { return GraphicEngine::fadeOutSpriteDone(as<engine::Sprite>(n)); },
            [](auto* n, int o) {
                return GraphicEngine::fadeToSpriteDone(as<engine::Sprite>(n), o);
            }},
        {"atlas sprite",
            [](auto* parent) {
                auto manager = engine::AtlasSpriteManager::spriteManagerWithFile("x.png");
                parent->addChild(manager);
                auto sprite = manager->createSpriteWithRect(engine::makeRect(0, 0, 4, 4));
                manager->addChild(sprite);
                return base::Ref<engine::SceneNode>(sprite);
            },
            [](auto* n, std::uint8_t o) { as<engine::AtlasSprite>(n)->setOpacity(o); },
            [](auto* n) { return int(as<engine::AtlasSprite>(n)->opacity()); },
            [](auto* n, float t) {
                GraphicEngine::fadeInAtlasSprite(as<engine::AtlasSprite>(n), t);
            },
            [](auto* n, float t) {
                GraphicEngine::fadeOutAtlasSprite(as<engine::AtlasSprite>(n), t);
            },
            [](auto* n, int o, float t) {
                GraphicEngine::fadeToAtlasSprite(as<engine::AtlasSprite>(n), o, t);
            },
            [](auto* n) {
                return GraphicEngine::fadeInAtlasSpriteDone(as<engine::AtlasSprite>(n));
            },
            [](auto* n) {
                return GraphicEngine::fadeOutAtlasSpriteDone(as<engine::AtlasSprite>(n));
            },
            [](auto* n, int o) {
                return GraphicEngine::fadeToAtlasSpriteDone(as<engine::AtlasSprite>(n), o);
            }},
        {"label",
            [](auto* parent) { return GraphicEngine::createLabel("Hi", 0, 0, parent, 0, 12); },
            [](auto* n, std::uint8_t o) { as<engine::Label>(n)->setOpacity(o); },
            [](auto* n) { return int(as<engine::Label>(n)->opacity()); },
            [](auto* n, float t) { GraphicEngine::fadeInLabel(as<engine::Label>(n), t); },
            [](auto* n, float t) { GraphicEngine::fadeOutLabel(as<engine::Label>(n), t); },
            [](auto* n, int o, float t) { GraphicEngine::fadeToLabel(as<engine::Label>(n), o, t); },
            [](auto* n) { return GraphicEngine::fadeInLabelDone(as<engine::Label>(n)); },
            [](auto* n) { return GraphicEngine::fadeOutLabelDone(as<engine::Label>(n)); },
            [](auto* n, int o) { return GraphicEngine::fadeToLabelDone(as<engine::Label>(n), o); }},
    };
}

TEST_F(GraphicEngineTest, FadesRunOnlyWhenTheNodeIsNotThereAndReachTheirTargets) {
    for (auto const& f : families()) {
        SCOPED_TRACE(f.name);
        auto node = f.make(parent.get());
        auto* n = node.get();

        // Already there: nothing runs.
        f.setOpacity(n, 255);
        EXPECT_TRUE(f.inDone(n));
        f.fadeIn(n, 0.5f);
        f.setOpacity(n, 0);
        EXPECT_TRUE(f.outDone(n));
        f.fadeOut(n, 0.5f);
        f.setOpacity(n, 128);
        EXPECT_TRUE(f.toDone(n, 128));
        EXPECT_TRUE(f.toDone(n, 128 + 256)) << "only the low byte counts";
        f.fadeTo(n, 128, 0.5f);
        EXPECT_EQ(n->numberOfRunningActions(), 0);

        // One short of the target: a whole fade runs and arrives.
        f.setOpacity(n, 254);
        EXPECT_FALSE(f.inDone(n));
        f.fadeIn(n, 0.5f);
        EXPECT_EQ(n->numberOfRunningActions(), 1);
        tick(0.25f);
        EXPECT_LT(f.opacity(n), 200) << "a fade-in starts from 0";
        tick(0.3f);
        EXPECT_TRUE(f.inDone(n));
        EXPECT_EQ(n->numberOfRunningActions(), 0);

        f.fadeOut(n, 0.25f);
        tick(0.3f);
        EXPECT_TRUE(f.outDone(n));

        f.fadeTo(n, 300, 0.25f);
        tick(0.3f);
        EXPECT_EQ(f.opacity(n), 300 & 0xFF);
        EXPECT_TRUE(f.toDone(n, 300));
    }
}

TEST_F(GraphicEngineTest, HitTestsCountTheToleranceWithTheLowerAndLeftEdgesOnly) {
    // A 20 x 10 picture centred on (100, 50) in a parent moved by (30, 40).
    auto picture = graphics::Image(20, 10);
    auto sprite = engine::Sprite::spriteWithTexture(
        engine::TextureMgr::sharedTextureMgr().addCGImage(picture, "box"));
    sprite->setPosition({100, 50});
    parent->setPosition({30, 40});
    parent->addChild(sprite);
    ASSERT_EQ(sprite->contentSize(), (engine::Size {20, 10}));

    struct Case {
        Point world;
        float tolerance;
        bool hit;
    };
    // In the parent's space the box spans x 90..110 and y 45..55, grown by the tolerance.
    for (auto const& c :
        {Case {{130, 90}, 0, true}, Case {{120, 85}, 0, true}, Case {{140, 85}, 0, false},
            Case {{139.9f, 94.9f}, 0, true}, Case {{130, 95}, 0, false}, Case {{115, 90}, 5, true},
            Case {{145, 90}, 5, false}, Case {{114.9f, 90}, 5, false}, Case {{130, 80}, 5, true},
            Case {{130, 100}, 5, false}}) {
        EXPECT_EQ(GraphicEngine::isPointInSprite(sprite.get(), c.world, c.tolerance), c.hit)
            << c.world.x << ", " << c.world.y << " tolerance " << c.tolerance;
    }

    // The anchor moves the box: anchored at its lower-left corner it spans 100..120.
    sprite->setAnchorPoint({0, 0});
    EXPECT_TRUE(GraphicEngine::isPointInSprite(sprite.get(), {145, 95}, 0));
    EXPECT_FALSE(GraphicEngine::isPointInSprite(sprite.get(), {125, 95}, 0));

    // No sprite, or no parent (the point (0, 0) is tested).
    EXPECT_FALSE(GraphicEngine::isPointInSprite(nullptr, {0, 0}, 100));
    auto loose = engine::Sprite::spriteWithTexture(
        engine::TextureMgr::sharedTextureMgr().addCGImage(picture, "box"));
    loose->setPosition({5, 5});
    EXPECT_TRUE(GraphicEngine::isPointInSprite(loose.get(), {500, 500}, 0));
    loose->setPosition({50, 50});
    EXPECT_FALSE(GraphicEngine::isPointInSprite(loose.get(), {50, 50}, 0));

    auto manager = engine::AtlasSpriteManager::spriteManagerWithFile("x.png");
    parent->addChild(manager);
    auto atlasSprite = manager->createSpriteWithRect(engine::makeRect(0, 0, 20, 10));
    manager->addChild(atlasSprite);
    atlasSprite->setPosition({100, 50});
    EXPECT_TRUE(GraphicEngine::isPointInAtlasSpriteSprite(atlasSprite.get(), {120, 85}, 0));
    EXPECT_FALSE(GraphicEngine::isPointInAtlasSpriteSprite(atlasSprite.get(), {140, 85}, 0));
}

TEST_F(GraphicEngineTest, AClickIsNearAPointWithinTheSquareOfTheTolerance) {
    struct Case {
        Point click;
        bool near;
    };
    for (auto const& c : {Case {{10, 10}, true}, Case {{13, 7}, true}, Case {{13.1f, 10}, false},
             Case {{10, 6.9f}, false}, Case {{7, 13}, true}})
        EXPECT_EQ(GraphicEngine::isClickNearPoint({10, 10}, c.click, 3), c.near)
            << c.click.x << ", " << c.click.y;
}

TEST_F(GraphicEngineTest, TouchPointsTurnOverByTheStatusBarsOrientation) {
    using O = ui::InterfaceOrientation;
    struct Case {
        O orientation;
        bool pad;
        Point expected;
    };
    for (auto const& c :
        {Case {O::LandscapeRight, false, {10, 20}}, Case {O::LandscapeLeft, true, {10, 468}},
            Case {O::Portrait, false, {10, 180}}, Case {O::PortraitUpsideDown, true, {10, 724}},
            Case {static_cast<O>(5), false, {10, 300}}}) {
        ui::Device::currentDevice().setUserInterfaceIdiom(
            c.pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        ui::Application::sharedApplication().setStatusBarOrientation(c.orientation);
        EXPECT_EQ(GraphicEngine::convertTouchPoint({10, 300}), c.expected) << int(c.orientation);
    }
}

TEST_F(GraphicEngineTest, DistancesAreStraightOrWalked) {
    EXPECT_FLOAT_EQ(GraphicEngine::getDistanceBetweenPoints({0, 0}, {3, -4}), 5);
    EXPECT_FLOAT_EQ(GraphicEngine::getWalkingDistanceBetweenPoints({0, 0}, {3, -4}), 7);
    EXPECT_FLOAT_EQ(GraphicEngine::getWalkingDistanceBetweenPoints({-2, 5}, {-2, 5}), 0);
}

}
