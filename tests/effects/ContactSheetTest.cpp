// Draws a frame half-way through every transition and every grid and tile effect, and writes
// each as a PNG and all of them as one contact sheet (contact-sheet.png) into the test
// output folder ($QUILLABY_TEST_OUTPUT, else test-output/), for a person to look at.

#include "TransitionFixture.hpp"

#include <effects/GridAction.hpp>
#include <effects/GridEffects.hpp>
#include <effects/TiledGridEffects.hpp>
#include <effects/Transition.hpp>

#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace effects;
using base::Ref;
using engine::Color4B;

namespace {

class ContactSheet : public test::TransitionTest {
protected:
    static std::filesystem::path folder() {
        auto const* configured = std::getenv("QUILLABY_TEST_OUTPUT");
        std::filesystem::path base = configured && *configured ? configured : "test-output";
        auto path = base / "contact-sheet";
        std::filesystem::create_directories(path);
        return path;
    }

    // Keeps the frame as a half-size thumbnail and writes it whole.
    void keep(std::string const& name) {
        auto frame = screen();
        ASSERT_FALSE(frame.isEmpty());
        EXPECT_TRUE(frame.writePNG(folder() / (name + ".png")));
        graphics::Image thumbnail(frame.width() / 2, frame.height() / 2);
        for (int y = 0; y < thumbnail.height(); ++y)
            for (int x = 0; x < thumbnail.width(); ++x)
                thumbnail.setPixel(x, y, frame.pixel(x * 2, y * 2));
        thumbnails.push_back(std::move(thumbnail));
    }

    void writeSheet() {
        constexpr int columns = 6;
        ASSERT_FALSE(thumbnails.empty());
        int w = thumbnails[0].width() + 4, h = thumbnails[0].height() + 4;
        int rows = int((thumbnails.size() + columns - 1) / columns);
        graphics::Image sheet(w * columns, h * rows);
        for (std::size_t k = 0; k < thumbnails.size(); ++k) {
            int ox = int(k % columns) * w + 2, oy = int(k / columns) * h + 2;
            for (int y = 0; y < thumbnails[k].height(); ++y)
                for (int x = 0; x < thumbnails[k].width(); ++x)
                    sheet.setPixel(ox + x, oy + y, thumbnails[k].pixel(x, y));
        }
        EXPECT_TRUE(sheet.writePNG(folder() / "contact-sheet.png"));
    }

    Ref<test::PatternScene> scene(char const* name, Color4B one, Color4B two) {
        return test::PatternScene::create(name, journal, one, two, 8, 6);
    }

    std::vector<graphics::Image> thumbnails;
};

constexpr Color4B red {220, 40, 40, 255};
constexpr Color4B yellow {250, 220, 60, 255};
constexpr Color4B blue {40, 60, 220, 255};
constexpr Color4B cyan {80, 220, 230, 255};

// Half-way, or a little before for those whose middle frame shows nothing of interest: the
// zooms and splits are off screen, the fade all black, the twirl and the jumps flat. The
// flips are a little past the middle, where the incoming scene turns in.
int framesTo(std::string const& name) {
    for (char const* early :
        {"RotoZoom", "JumpZoom", "Fade", "SplitCols", "SplitRows", "Twirl", "JumpTiles3D"}) {
        if (name == early)
            return 21;
    }
    return name.find("Flip") != std::string::npos && name.find("3D") == std::string::npos ? 38 : 30;
}

using TransitionMaker = std::function<Ref<TransitionScene>(float, Ref<engine::Scene>)>;
using EffectMaker = std::function<Ref<engine::FiniteTimeAction>()>;

}

TEST_F(ContactSheet, HalfWayThroughEveryTransitionAndEffect) {
    auto& director = attached(480, 320);
    auto first = scene("A", red, yellow);
    director.runWithScene(first);
    frame();

    std::vector<std::pair<char const*, TransitionMaker>> transitions = {
        {"RotoZoom",
            [](float d, auto s) {
                return Ref<TransitionScene>(RotoZoomTransition::transitionWithDuration(d, s));
            }},
        {"JumpZoom",
            [](float d, auto s) {
                return Ref<TransitionScene>(JumpZoomTransition::transitionWithDuration(d, s));
            }},
        {"MoveInL",
            [](float d, auto s) {
                return Ref<TransitionScene>(MoveInLTransition::transitionWithDuration(d, s));
            }},
        {"MoveInR",
            [](float d, auto s) {
                return Ref<TransitionScene>(MoveInRTransition::transitionWithDuration(d, s));
            }},
        {"MoveInT",
            [](float d, auto s) {
                return Ref<TransitionScene>(MoveInTTransition::transitionWithDuration(d, s));
            }},
        {"MoveInB",
            [](float d, auto s) {
                return Ref<TransitionScene>(MoveInBTransition::transitionWithDuration(d, s));
            }},
        {"SlideInL",
            [](float d, auto s) {
                return Ref<TransitionScene>(SlideInLTransition::transitionWithDuration(d, s));
            }},
        {"SlideInR",
            [](float d, auto s) {
                return Ref<TransitionScene>(SlideInRTransition::transitionWithDuration(d, s));
            }},
        {"SlideInT",
            [](float d, auto s) {
                return Ref<TransitionScene>(SlideInTTransition::transitionWithDuration(d, s));
            }},
        {"SlideInB",
            [](float d, auto s) {
                return Ref<TransitionScene>(SlideInBTransition::transitionWithDuration(d, s));
            }},
        {"ShrinkGrow",
            [](float d, auto s) {
                return Ref<TransitionScene>(ShrinkGrowTransition::transitionWithDuration(d, s));
            }},
        {"FlipX",
            [](float d, auto s) {
                return Ref<TransitionScene>(FlipXTransition::transitionWithDuration(d, s, 1));
            }},
        {"FlipY",
            [](float d, auto s) {
                return Ref<TransitionScene>(FlipYTransition::transitionWithDuration(d, s, 0));
            }},
        {"FlipAngular",
            [](float d, auto s) {
                return Ref<TransitionScene>(FlipAngularTransition::transitionWithDuration(d, s, 1));
            }},
        {"ZoomFlipX",
            [](float d, auto s) {
                return Ref<TransitionScene>(ZoomFlipXTransition::transitionWithDuration(d, s, 1));
            }},
        {"ZoomFlipY",
            [](float d, auto s) {
                return Ref<TransitionScene>(ZoomFlipYTransition::transitionWithDuration(d, s, 0));
            }},
        {"ZoomFlipAngular",
            [](float d, auto s) {
                return Ref<TransitionScene>(
                    ZoomFlipAngularTransition::transitionWithDuration(d, s, 1));
            }},
        {"Fade",
            [](float d, auto s) {
                return Ref<TransitionScene>(FadeTransition::transitionWithDuration(d, s));
            }},
        {"TurnOffTiles",
            [](float d, auto s) {
                return Ref<TransitionScene>(TurnOffTilesTransition::transitionWithDuration(d, s));
            }},
        {"SplitCols",
            [](float d, auto s) {
                return Ref<TransitionScene>(SplitColsTransition::transitionWithDuration(d, s));
            }},
        {"SplitRows",
            [](float d, auto s) {
                return Ref<TransitionScene>(SplitRowsTransition::transitionWithDuration(d, s));
            }},
        {"FadeTR",
            [](float d, auto s) {
                return Ref<TransitionScene>(FadeTRTransition::transitionWithDuration(d, s));
            }},
        {"FadeBL",
            [](float d, auto s) {
                return Ref<TransitionScene>(FadeBLTransition::transitionWithDuration(d, s));
            }},
        {"FadeUp",
            [](float d, auto s) {
                return Ref<TransitionScene>(FadeUpTransition::transitionWithDuration(d, s));
            }},
        {"FadeDown",
            [](float d, auto s) {
                return Ref<TransitionScene>(FadeDownTransition::transitionWithDuration(d, s));
            }},
    };
    bool odd = false;
    for (auto const& [name, make] : transitions) {
        odd = !odd;
        auto next = odd ? scene("B", blue, cyan) : scene("A", red, yellow);
        director.replaceScene(make(1, next));
        // The swap, the first tick (no time), then half the duration in frames of 1/60 s.
        frame(1 + 1 + framesTo(name));
        keep(std::string("transition-") + name);
        frame(60);
        ASSERT_EQ(director.runningScene(), next.get()) << name;
        journal.take();
    }

    std::vector<std::pair<char const*, EffectMaker>> effects = {
        {"Waves3D",
            [] {
                return Ref<engine::FiniteTimeAction>(Waves3D::actionWithWaves(5, 40, {15, 10}, 1));
            }},
        {"FlipX3D", [] { return Ref<engine::FiniteTimeAction>(FlipX3D::actionWithDuration(1)); }},
        {"FlipY3D", [] { return Ref<engine::FiniteTimeAction>(FlipY3D::actionWithDuration(1)); }},
        {"Lens3D",
            [] {
                return Ref<engine::FiniteTimeAction>(
                    Lens3D::actionWithPosition({240, 160}, 240, {15, 10}, 1));
            }},
        {"Ripple3D",
            [] {
                return Ref<engine::FiniteTimeAction>(
                    Ripple3D::actionWithPosition({240, 160}, 240, 4, 160, {32, 24}, 1));
            }},
        {"Shaky3D",
            [] {
                return Ref<engine::FiniteTimeAction>(
                    Shaky3D::actionWithRange(5, false, {15, 10}, 1));
            }},
        {"Liquid",
            [] {
                return Ref<engine::FiniteTimeAction>(Liquid::actionWithWaves(4, 20, {16, 12}, 1));
            }},
        {"Waves",
            [] {
                return Ref<engine::FiniteTimeAction>(
                    Waves::actionWithWaves(4, 20, true, true, {16, 12}, 1));
            }},
        {"Twirl",
            [] {
                return Ref<engine::FiniteTimeAction>(
                    Twirl::actionWithPosition({240, 160}, 1, 2.5f, {12, 8}, 1));
            }},
        {"ShakyTiles3D",
            [] {
                return Ref<engine::FiniteTimeAction>(
                    ShakyTiles3D::actionWithRange(5, false, {16, 12}, 1));
            }},
        {"ShatteredTiles3D",
            [] {
                return Ref<engine::FiniteTimeAction>(
                    ShatteredTiles3D::actionWithRange(5, false, {16, 12}, 1));
            }},
        {"ShuffleTiles",
            [] {
                return Ref<engine::FiniteTimeAction>(ShuffleTiles::actionWithSeed(25, {16, 12}, 1));
            }},
        {"FadeOutTRTiles",
            [] {
                return Ref<engine::FiniteTimeAction>(FadeOutTRTiles::actionWithSize({16, 12}, 1));
            }},
        {"FadeOutBLTiles",
            [] {
                return Ref<engine::FiniteTimeAction>(FadeOutBLTiles::actionWithSize({16, 12}, 1));
            }},
        {"FadeOutUpTiles",
            [] {
                return Ref<engine::FiniteTimeAction>(FadeOutUpTiles::actionWithSize({16, 12}, 1));
            }},
        {"FadeOutDownTiles",
            [] {
                return Ref<engine::FiniteTimeAction>(FadeOutDownTiles::actionWithSize({16, 12}, 1));
            }},
        {"TurnOffTiles",
            [] {
                return Ref<engine::FiniteTimeAction>(TurnOffTiles::actionWithSeed(25, {48, 32}, 1));
            }},
        {"WavesTiles3D",
            [] {
                return Ref<engine::FiniteTimeAction>(
                    WavesTiles3D::actionWithWaves(4, 120, {15, 10}, 1));
            }},
        {"JumpTiles3D",
            [] {
                return Ref<engine::FiniteTimeAction>(
                    JumpTiles3D::actionWithJumps(2, 30, {15, 10}, 1));
            }},
        {"SplitRows",
            [] { return Ref<engine::FiniteTimeAction>(SplitRows::actionWithRows(9, 1)); }},
        {"SplitCols",
            [] { return Ref<engine::FiniteTimeAction>(SplitCols::actionWithCols(9, 1)); }},
        {"AccelDeccelAmplitude",
            [] {
                return Ref<engine::FiniteTimeAction>(AccelDeccelAmplitude::actionWithAction(
                    Ripple3D::actionWithPosition({240, 160}, 240, 4, 160, {32, 24}, 1), 1));
            }},
    };
    for (auto const& [name, make] : effects) {
        auto* running = director.runningScene();
        running->runAction(make());
        frame(1 + framesTo(name));
        keep(std::string("effect-") + name);
        running->stopAllActions();
        running->runAction(StopGrid::action());
        frame();
    }
    writeSheet();
}
