#include "TransitionFixture.hpp"

#include <effects/Grid.hpp>
#include <effects/Transition.hpp>

#include <base/Exception.hpp>
#include <engine/Camera.hpp>

#include <cmath>
#include <functional>

using namespace effects;
using base::Ref;
using engine::Color4B;
using engine::Scene;

namespace {

using Maker = std::function<Ref<TransitionScene>(float, Ref<Scene>)>;

struct Kind {
    char const* name;
    Maker make;
};

template<typename T> Maker plain() {
    return
        [](float d, Ref<Scene> s) { return Ref<TransitionScene>(T::transitionWithDuration(d, s)); };
}

template<typename T> Maker oriented(int orientation) {
    return [orientation](float d, Ref<Scene> s) {
        return Ref<TransitionScene>(T::transitionWithDuration(d, s, orientation));
    };
}

std::vector<Kind> const& kinds() {
    static std::vector<Kind> const all = {
        {"RotoZoom", plain<RotoZoomTransition>()},
        {"JumpZoom", plain<JumpZoomTransition>()},
        {"MoveInL", plain<MoveInLTransition>()},
        {"MoveInR", plain<MoveInRTransition>()},
        {"MoveInT", plain<MoveInTTransition>()},
        {"MoveInB", plain<MoveInBTransition>()},
        {"SlideInL", plain<SlideInLTransition>()},
        {"SlideInR", plain<SlideInRTransition>()},
        {"SlideInT", plain<SlideInTTransition>()},
        {"SlideInB", plain<SlideInBTransition>()},
        {"ShrinkGrow", plain<ShrinkGrowTransition>()},
        {"FlipX", oriented<FlipXTransition>(OrientationRightOver)},
        {"FlipY", oriented<FlipYTransition>(OrientationUpOver)},
        {"FlipAngular", oriented<FlipAngularTransition>(OrientationLeftOver)},
        {"ZoomFlipX", oriented<ZoomFlipXTransition>(OrientationLeftOver)},
        {"ZoomFlipY", oriented<ZoomFlipYTransition>(OrientationDownOver)},
        {"ZoomFlipAngular", oriented<ZoomFlipAngularTransition>(OrientationRightOver)},
        {"Fade", plain<FadeTransition>()},
        {"TurnOffTiles", plain<TurnOffTilesTransition>()},
        {"SplitCols", plain<SplitColsTransition>()},
        {"SplitRows", plain<SplitRowsTransition>()},
        {"FadeTR", plain<FadeTRTransition>()},
        {"FadeBL", plain<FadeBLTransition>()},
        {"FadeUp", plain<FadeUpTransition>()},
        {"FadeDown", plain<FadeDownTransition>()},
    };
    return all;
}

struct Case {
    std::size_t kind;
    int width;
    int height;
};

std::string caseName(::testing::TestParamInfo<Case> const& info) {
    return std::string(kinds()[info.param.kind].name) + "_" + std::to_string(info.param.width);
}

std::vector<Case> allCases() {
    std::vector<Case> cases;
    for (std::size_t k = 0; k < kinds().size(); ++k) {
        cases.push_back({k, 480, 320});
        cases.push_back({k, 1024, 768});
    }
    return cases;
}

using TransitionTest = test::TransitionTest;

class EveryTransition : public test::TransitionTest, public ::testing::WithParamInterface<Case> { };

constexpr Color4B red {255, 0, 0, 255};
constexpr Color4B yellow {255, 255, 0, 255};
constexpr Color4B blue {0, 0, 255, 255};
constexpr Color4B cyan {0, 255, 255, 255};

bool near(graphics::Rgba p, Color4B c) {
    return std::abs(p.r - c.r) <= 3 && std::abs(p.g - c.g) <= 3 && std::abs(p.b - c.b) <= 3;
}

}

TEST_P(EveryTransition, HandsOverAfterItsDurationWithTouchesHeldOff) {
    auto [kind, width, height] = GetParam();
    auto& director = attached(float(width), float(height));
    auto& dispatcher = engine::TouchDispatcher::sharedDispatcher();
    auto out = test::PatternScene::create("A", journal, red, yellow);
    auto in = test::PatternScene::create("B", journal, blue, cyan);
    director.runWithScene(out);
    frame();
    EXPECT_EQ(journal.take(), (std::vector<std::string> {"enter A", "finish A"}));

    constexpr float duration = 0.5f;
    auto transition = kinds()[kind].make(duration, in);
    EXPECT_EQ(transition->outScene(), out.get());
    EXPECT_FALSE(dispatcher.dispatchEvents());
    director.replaceScene(transition);
    frame();
    ASSERT_EQ(director.runningScene(), transition.get());
    // The outgoing scene gets no exit; the incoming one enters inside the transition's enter.
    EXPECT_EQ(journal.take(), (std::vector<std::string> {"enter B"}));
    transition = nullptr;

    int frames = 1;
    while (director.runningScene() != in.get() && frames < 200) {
        EXPECT_FALSE(dispatcher.dispatchEvents()) << "frame " << frames;
        frame();
        ++frames;
    }
    ASSERT_EQ(director.runningScene(), in.get());
    // Thirty frames of actions (the first tick counts no time), the tick that finishes, and
    // the one that hands over.
    EXPECT_GE(frames, 31);
    EXPECT_LE(frames, 34);
    EXPECT_TRUE(dispatcher.dispatchEvents());
    EXPECT_EQ(journal.take(), (std::vector<std::string> {"exit A", "finish B"}));

    EXPECT_TRUE(out->visible());
    EXPECT_FALSE(out->isRunning());
    EXPECT_EQ(out->position(), (engine::Point {0, 0}));
    EXPECT_EQ(out->scale(), 1.0f);
    EXPECT_EQ(out->rotation(), 0.0f);
    EXPECT_FALSE(out->camera()->dirty());
    if (out->grid()) {
        EXPECT_FALSE(out->grid()->active());
    }
    EXPECT_TRUE(in->visible());
    EXPECT_TRUE(in->isRunning());
    EXPECT_EQ(in->position(), (engine::Point {0, 0}));

    // The incoming scene fills the window, drawn plainly.
    frame();
    EXPECT_TRUE(near(pixel(2, 2), blue)) << pixel(2, 2);
    // Cell (3, 2) of the checkerboard is cyan, cell (1, 1) blue.
    EXPECT_TRUE(near(pixel(width - 3, height - 3), cyan)) << pixel(width - 3, height - 3);
    EXPECT_TRUE(near(pixel(width * 3 / 8, height / 2), blue)) << pixel(width * 3 / 8, height / 2);
}

INSTANTIATE_TEST_SUITE_P(Transitions, EveryTransition, ::testing::ValuesIn(allCases()), caseName);

TEST_F(TransitionTest, ATransitionToTheRunningSceneIsRefusedWithTouchesOn) {
    auto& director = attached(480, 320);
    auto scene = test::PatternScene::create("A", journal, red, yellow);
    director.runWithScene(scene);
    frame();
    try {
        FadeTransition::transitionWithDuration(1, scene);
        FAIL() << "no exception";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "TransitionWithInvalidScene");
        EXPECT_EQ(e.reason(), "Incoming scene must be different from the outgoing scene");
    }
    EXPECT_TRUE(engine::TouchDispatcher::sharedDispatcher().dispatchEvents());
}

TEST_F(TransitionTest, TheSlidesAndTheTileTransitionsSetTheScenesUpAsTheirTableSays) {
    auto& director = attached(480, 320);
    auto out = test::PatternScene::create("A", journal, red, yellow);
    director.runWithScene(out);
    frame();

    auto slide = SlideInLTransition::transitionWithDuration(
        1, test::PatternScene::create("B", journal, blue, cyan));
    EXPECT_FALSE(slide->inSceneOnTop());
    director.replaceScene(slide);
    frame();
    EXPECT_EQ(slide->inScene()->position(), (engine::Point {-479.5f, 0}));
    frame(31);
    // Half the time, eased out at rate 2: sqrt(0.5) of the way.
    EXPECT_NEAR(slide->inScene()->position().x, -479.5f * (1 - std::sqrt(0.5f)), 3);
    EXPECT_NEAR(out->position().x, 479.5f * std::sqrt(0.5f), 3);
    frame(40);
    ASSERT_NE(director.runningScene(), slide.get());

    // The tile transitions cut the outgoing scene into 18 x 12 tiles on a phone window.
    auto next = test::PatternScene::create("C", journal, blue, cyan);
    auto tiles = TurnOffTilesTransition::transitionWithDuration(1, next);
    EXPECT_FALSE(tiles->inSceneOnTop());
    EXPECT_EQ(tiles->outScene(), director.runningScene());
    auto* previous = tiles->outScene();
    director.replaceScene(tiles);
    frame(2);
    auto* grid = dynamic_cast<effects::TiledGrid3D*>(previous->grid());
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->gridSize(), (effects::ccGridSize {18, 12}));
    frame(70);
    EXPECT_EQ(director.runningScene(), next.get());
    EXPECT_FALSE(grid->active());
}

TEST_F(TransitionTest, AFadeSwapsTheScenesHalfWayUnderItsColourLayer) {
    auto& director = attached(480, 320);
    auto out = test::PatternScene::create("A", journal, red, yellow);
    director.runWithScene(out);
    frame();
    auto in = test::PatternScene::create("B", journal, blue, cyan);
    auto fade = FadeTransition::transitionWithDuration(1, in, engine::Color3B {255, 255, 255});
    EXPECT_EQ(fade->color(), (Color4B {255, 255, 255, 0}));
    director.replaceScene(fade);
    frame();
    ASSERT_TRUE(fade->getChildByTag(FadeTransition::fadeLayerTag));
    EXPECT_FALSE(in->visible());
    // A quarter of the way: the outgoing scene half covered by white.
    frame(16);
    EXPECT_TRUE(out->visible());
    auto p = pixel(2, 2);
    EXPECT_NEAR(p.r, 255, 3);
    EXPECT_NEAR(p.g, 128, 6);
    // Past half-way the incoming scene shows under the layer.
    frame(16);
    EXPECT_TRUE(in->visible());
    EXPECT_FALSE(out->visible());
    frame(40);
    EXPECT_EQ(director.runningScene(), in.get());
    EXPECT_FALSE(fade->getChildByTag(FadeTransition::fadeLayerTag));
}
