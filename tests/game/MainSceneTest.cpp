// The program-state machine driven by the director's frames under the manual clock: the
// launch through the loading screen into the main menu, the salon's round trip, and the
// changes that switch at once.

#include "ShellStates.hpp"

#include <engine/Label.hpp>
#include <game/interface/DynamicBG.hpp>
#include <game/salon/PathFindingSystem.hpp>
#include <game/shell/LoadingLayer.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/MainScene.hpp>
#include <support/LogCapture.hpp>

using game::GameGlobals;

namespace {

class MainSceneTest : public test::ShellStateTest {
protected:
    // The scene made and run, with the recording root view controller on its main layer.
    game::MainScene& launch(bool pad = false) {
        attachDirector(pad);
        scene = game::MainScene::node();
        engine::Director::sharedDirector().runWithScene(scene);
        root = base::make<test::RecordingRootViewController>(log);
        globals().mainLayer->setPRootViewController(root.get());
        return *scene;
    }

    static GameGlobals& globals() { return GameGlobals::shared(); }
    static game::LoadingLayer& loading() { return *globals().loadingLayer; }

    // Frames until the state runs, with what each frame showed: the program state, the loading
    // state and every new text of the loading screen.
    struct Trace {
        std::vector<int> programStates;
        std::vector<int> loadingStates;
        std::vector<std::string> texts;
    };
    Trace runUntilState(int state) {
        Trace trace;
        auto note = [&trace](std::vector<int>& list, int value) {
            if (list.empty() || list.back() != value)
                list.push_back(value);
        };
        EXPECT_TRUE(frameUntil([&] {
            note(trace.programStates, globals().curProgramState);
            note(trace.loadingStates, loading().curLoadingState());
            auto text = loading().loadingText()->getText();
            if (trace.texts.empty() || trace.texts.back() != text)
                trace.texts.push_back(text);
            return globals().curProgramState == state;
        })) << "state "
            << state << " never ran";
        return trace;
    }

    // Frames until the main scene has updated the main layer count more times: the scene's
    // 1/60 s timer fires on most frames but not all, as frames are a hair shorter.
    void runUpdates(std::size_t count) {
        auto before = log.only("interface.update").size();
        ASSERT_TRUE(
            frameUntil([&] { return log.only("interface.update").size() >= before + count; }));
    }

    // The calls of a trace without the per-frame updates.
    static std::vector<std::string> withoutUpdates(std::vector<std::string> const& calls) {
        std::vector<std::string> kept;
        for (auto const& call : calls) {
            if (call.find(".update") == std::string::npos)
                kept.push_back(call);
        }
        return kept;
    }

    base::Ref<game::MainScene> scene;
    base::Ref<test::RecordingRootViewController> root;
};

using Calls = std::vector<std::string>;

TEST_F(MainSceneTest, ALaunchGoesThroughTheLoadingScreenIntoTheTitleScreen) {
    foundation::UserDefaults::standardUserDefaults().setInteger(40, "DATA_MONEY");
    foundation::UserDefaults::standardUserDefaults().setInteger(7, "DATA_DAY");
    launch();
    EXPECT_EQ(globals().money, 40);
    EXPECT_EQ(globals().day, 7);
    EXPECT_EQ(globals().gameMode, 1);
    EXPECT_EQ(globals().nextProgramState, 2);
    EXPECT_NE(globals().pathFinder, nullptr);
    EXPECT_EQ(log.take(), (Calls {"make interface", "event Theme Setting Theme Set=default"}));

    auto trace = runUntilState(2);
    EXPECT_EQ(trace.programStates, (std::vector<int> {0, 1, 2}));
    EXPECT_EQ(trace.loadingStates, (std::vector<int> {0, 1, 2, 3}));
    // Two sounds and two sheets: four steps, the text held below 100 until the loader is done.
    EXPECT_EQ(trace.texts,
        (Calls {" ", "", "Loading 0%", "Loading 25%", "Loading 50%", "Loading 75%", "Loading 99%",
            "Loading 100%"}));
    EXPECT_FLOAT_EQ(loading().bar()->scaleX(), 1.0f);
    EXPECT_EQ(log.take(),
        (Calls {"interface.remove 0", "interface.init 2", "make menu", "menu.start 0",
            "root.showBountixFeaturedApp", "checkDailyBonus"}));
    EXPECT_EQ(globals().prevProgramState, 0);

    // From now on the interface and then the menu have their frame.
    runUpdates(2);
    EXPECT_EQ(
        log.take(), (Calls {"interface.update", "menu.update", "interface.update", "menu.update"}));
    EXPECT_EQ(loading().texturePool().size(), 2u);
    EXPECT_TRUE(loading().texturePool().contains("vfxA.png"));
}

TEST_F(MainSceneTest, TheSalonAndBackReleaseEachStateAndEmptyTheTextureCache) {
    foundation::UserDefaults::standardUserDefaults().setInteger(40, "DATA_MONEY");
    launch();
    runUntilState(2);
    runUpdates(1);
    log.take();

    globals().nextProgramState = 3;
    // The release happens as the loading screen has faded in: nothing is cached right after.
    ASSERT_TRUE(frameUntil([] { return loading().curLoadingState() == 2; }));
    EXPECT_EQ(engine::TextureMgr::sharedTextureMgr().count(), 0u);
    EXPECT_EQ(globals().mainMenu, nullptr);
    runUntilState(3);
    EXPECT_EQ(withoutUpdates(log.take()),
        (Calls {"menu.released", "interface.remove 2", "interface.init 3", "make shop",
            "shop.loading", "shop.loading"}));
    runUpdates(1);
    EXPECT_EQ(log.take(), (Calls {"interface.update", "shop.update"}));

    // The character lists: indexed customers, pets and others; visitors by key. Types other
    // than 0 to 3 are skipped.
    auto keys = [](base::Dictionary const& list) {
        Calls found;
        for (auto const& [key, value] : list)
            found.push_back(key + ":" + value.stringValue());
        return found;
    };
    EXPECT_EQ(keys(*globals().customerPool), (Calls {"0:CUS001", "1:MSBOSS"}));
    EXPECT_EQ(keys(*globals().petPool), (Calls {"0:DOG001", "1:CAT001"}));
    EXPECT_EQ(keys(*globals().otherCharacterPool), (Calls {"0:NPC001"}));
    EXPECT_EQ(keys(*globals().visitorPool), (Calls {"PREZ:PREZ"}));

    globals().nextProgramState = 2;
    ASSERT_TRUE(frameUntil([] { return loading().curLoadingState() == 2; }));
    EXPECT_EQ(engine::TextureMgr::sharedTextureMgr().count(), 0u);
    EXPECT_EQ(globals().shop, nullptr);
    runUntilState(2);
    // Back from the salon the menu opens on the main menu (not the title), and the daily
    // bonus is not asked for a second time.
    EXPECT_EQ(withoutUpdates(log.take()),
        (Calls {"shop.cleanup", "shop.released", "interface.remove 3", "interface.init 2",
            "make menu", "interface.showMainMenu", "menu.start 3", "root.showBountixFeaturedApp"}));
    EXPECT_TRUE(globals().customerPool->empty());
    EXPECT_TRUE(globals().petPool->empty());
}

TEST_F(MainSceneTest, AChangeBetweenStatesOutsideTheSalonAndLaunchSwitchesAtOnce) {
    attachDirector();
    auto made = game::MainScene::node();
    log.take();
    globals().curProgramState = 2;
    globals().nextProgramState = 5;
    made->update(1.0f / 60);
    EXPECT_EQ(globals().curProgramState, 5);
    EXPECT_EQ(globals().prevProgramState, 2);
    globals().nextProgramState = 2;
    made->update(1.0f / 60);
    EXPECT_EQ(globals().curProgramState, 2);
    EXPECT_EQ(log.take(), Calls {}) << "nothing is released or loaded";
    EXPECT_EQ(loading().curLoadingState(), 0);
}

TEST_F(MainSceneTest, TheClocksAddUpTheFrameTimes) {
    attachDirector();
    auto made = game::MainScene::node();
    made->update(0.25f);
    made->update(0.5f);
    EXPECT_FLOAT_EQ(globals().deltaTime, 0.5f);
    EXPECT_FLOAT_EQ(globals().totalTime, 0.75f);
}

// One launch for each case, so that no scene of an earlier case outlives the engine it ran on.
class UnloadableStateTest : public MainSceneTest, public ::testing::WithParamInterface<int> { };

TEST_P(UnloadableStateTest, LoadsTheMainMenuInstead) {
    int next = GetParam();
    test::LogCapture lines;
    launch();
    globals().nextProgramState = next;
    runUntilState(2);
    EXPECT_EQ(globals().nextProgramState, 2);
    EXPECT_TRUE(lines.contains("No state " + std::to_string(next) + " to load"));
    EXPECT_NE(globals().mainMenu, nullptr);
}

INSTANTIATE_TEST_SUITE_P(NextState, UnloadableStateTest, ::testing::Values(1, 4, -3),
    [](::testing::TestParamInfo<int> const& param) {
        return param.param < 0 ? "Minus" + std::to_string(-param.param)
                               : std::to_string(param.param);
    });

TEST_F(MainSceneTest, ASceneThatGoesAfterANewerOneLeavesTheNewerPathFinder) {
    launch();
    engine::Director::sharedDirector().end();
    auto older = scene;
    scene = nullptr;
    root = nullptr;
    resetSingletons();
    game::ShellServices::setShared(&services);
    launch();
    auto* finder = globals().pathFinder.get();
    ASSERT_NE(finder, nullptr);
    older = nullptr;
    EXPECT_EQ(globals().pathFinder.get(), finder);
}

TEST_F(MainSceneTest, ANewerPathFinderMadeWhereTheFreedOneLayOutlivesTheOlderScene) {
    launch();
    engine::Director::sharedDirector().end();
    auto older = scene;
    scene = nullptr;
    root = nullptr;
    auto* freed = globals().pathFinder.get();
    globals().pathFinder = nullptr;
    // The allocator hands a block of the same size out again at once, so a finder made now
    // usually lies where the freed one lay; a few tries make sure of it.
    std::vector<base::Ref<game::PathFindingSystem>> made;
    do
        made.push_back(game::PathFindingSystem::create());
    while (made.back().get() != freed && made.size() < 16);
    auto newest = made.back();
    globals().pathFinder = newest;
    older = nullptr;
    EXPECT_EQ(globals().pathFinder.get(), newest.get());
}

TEST_F(MainSceneTest, AMemoryWarningAskedForDuringLoadingShowsOnTheFirstFrameOfTheMenu) {
    auto& made = launch();
    frame(3);
    made.showMemoryWarning();
    runUntilState(2);
    auto* banner = loading().memoryWarningText();
    EXPECT_FALSE(banner->visible());
    EXPECT_TRUE(made.memoryWarningRequested());
    runUpdates(1);
    EXPECT_TRUE(banner->visible());
    EXPECT_FALSE(made.memoryWarningRequested());
    // It crosses the screen in 10 s and stops off its left edge.
    frame(60 * 10 + 5);
    EXPECT_EQ(banner->numberOfRunningActions(), 0);
    EXPECT_FLOAT_EQ(banner->position().x, -240);
}

TEST_F(MainSceneTest, OnlyLaterLoadingsFadeTheTabletBackgroundInAgain) {
    launch(true);
    auto* background = loading().background();
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(loading().dynamicBackground(), nullptr);
    ASSERT_TRUE(frameUntil([] { return loading().curLoadingState() == 1; }));
    EXPECT_EQ(background->opacity(), 255);
    EXPECT_EQ(background->numberOfRunningActions(), 0);
    EXPECT_EQ(loading().barFrame()->numberOfRunningActions(), 1) << "the bar fades in";
    runUntilState(2);

    globals().nextProgramState = 3;
    ASSERT_TRUE(frameUntil([] { return loading().curLoadingState() == 1; }));
    EXPECT_EQ(background->numberOfRunningActions(), 2) << "fade and tint";
    EXPECT_LT(background->opacity(), 255);
    // Out of the loading screen, the salon waits for the background to have faded.
    runUntilState(3);
    EXPECT_EQ(background->opacity(), 0);
}

TEST_F(MainSceneTest, ThePhoneLoadingScreenDimsItsTitleBackgroundOnce) {
    launch();
    auto* backdrop = loading().dynamicBackground();
    ASSERT_NE(backdrop, nullptr);
    EXPECT_FALSE(backdrop->generatesBubbles());
    ASSERT_TRUE(frameUntil([] { return loading().curLoadingState() == 1; }));
    // Made dimmed at creation; the first fade-in adds nothing.
    EXPECT_EQ(backdrop->background()->numberOfRunningActions(), 2);
    runUntilState(2);
    frame(20);
    EXPECT_EQ(backdrop->background()->opacity(), 0) << "faded out with the loading screen";
}

}
