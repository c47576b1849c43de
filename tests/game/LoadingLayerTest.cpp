// The loading screen's own rules, seen through whole launches and salon loads under the
// manual clock: the daily-bonus check, the character lists in and out of pony mode, the
// textures it keeps, and the low-memory banner.

#include "ShellStates.hpp"

#include <foundation/UserDefaults.hpp>
#include <game/shell/LoadingLayer.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/MainScene.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>
#include <serverkit/QBYConnect.hpp>
#include <support/LogCapture.hpp>

#include <algorithm>
#include <optional>

using game::GameGlobals;

namespace {

using Calls = std::vector<std::string>;

class LoadingLayerTest : public test::ShellStateTest {
protected:
    void launch() {
        attachDirector();
        engine::Director::sharedDirector().runWithScene(game::MainScene::node());
    }

    void runUntilState(int state) {
        ASSERT_TRUE(frameUntil([state] { return GameGlobals::shared().curProgramState == state; }))
            << "state " << state << " never ran";
    }

    static game::LoadingLayer& loading() { return *GameGlobals::shared().loadingLayer; }

    // The pool's keys that name a picture of the bundle, by file name.
    std::vector<std::string> pooledPictures() const {
        std::vector<std::string> names;
        for (auto const& [key, atlas] : loading().texturePool())
            names.push_back(std::filesystem::path(key).filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static Calls values(base::Dictionary const& list) {
        Calls found;
        for (auto const& [key, value] : list)
            found.push_back(value.stringValue());
        return found;
    }
};

struct BonusCase {
    int money;
    int checks;
    bool shown;
};

class DailyBonusTest : public LoadingLayerTest, public ::testing::WithParamInterface<BonusCase> { };

TEST_P(DailyBonusTest, IsAskedForOnceAfterAMenuLoadAndOnlyWithMoney) {
    auto const& c = GetParam();
    foundation::UserDefaults::standardUserDefaults().setInteger(c.money, "DATA_MONEY");
    launch();
    runUntilState(2);
    EXPECT_EQ(log.only("checkDailyBonus").size(), std::size_t(c.checks));
    EXPECT_EQ(loading().dailyBonusShown(), c.shown);

    // A second menu load, after the salon, never asks again.
    GameGlobals::shared().nextProgramState = 3;
    runUntilState(3);
    GameGlobals::shared().money = 30;
    GameGlobals::shared().nextProgramState = 2;
    runUntilState(2);
    EXPECT_EQ(log.only("checkDailyBonus").size(), std::size_t(c.shown ? c.checks : 1));
}

INSTANTIATE_TEST_SUITE_P(Money, DailyBonusTest,
    ::testing::Values(BonusCase {0, 0, false}, BonusCase {-5, 0, true}, BonusCase {30, 1, true}),
    [](auto const& testCase) {
        return testCase.param.money < 0 ? "Negative" : testCase.param.money == 0 ? "None" : "Some";
    });

TEST_F(LoadingLayerTest, ThePetListAndItsTexturesFollowPonyMode) {
    struct Case {
        bool dayRuns;
        std::optional<bool> directive;
        bool pony;
    };
    Calls const pets {"DOG001", "CAT001"};
    std::vector<std::string> const pictures {"CAT001.png", "CUS001.png", "DOG001.png", "NPC001.png",
        "ODD.png", "PREZ.png", "vfxA.png", "vfxB.png"};
    std::vector<std::string> const ponyPictures {"CAT001.png", "CUS001.png", "DOG001.png",
        "NPC001.png", "ODD.png", "PREZ.png", "pony001.png", "vfxA.png", "vfxB.png"};
    // Pony mode needs a pony day running and the last directives reply of this run
    // switching it on. Sheets whose names begin with "pony" or "MS" are left to the
    // salon; pets of the mode that runs are kept. The effect sheets stay from the
    // menu's load.
    for (auto const& c : {Case {false, {}, false}, Case {true, true, true},
             Case {true, false, false}, Case {true, {}, false}, Case {false, true, false}}) {
        SCOPED_TRACE(testing::Message() << c.dayRuns << " " << c.directive.value_or(false));
        foundation::UserDefaults::standardUserDefaults().setBool(
            c.dayRuns, serverkit::PonyDayDirectiveHandler::ActiveKey);
        if (c.directive) {
            auto entry = base::Dictionary::create();
            entry->setObject("ponymode", *c.directive ? 1 : 0);
            serverkit::QBYConnect::sharedManager().setObject(
                entry, serverkit::QBYKeys::CheckDirectivesDataStore);
        }
        test::LogCapture lines;
        launch();
        runUntilState(2);
        GameGlobals::shared().nextProgramState = 3;
        runUntilState(3);
        EXPECT_EQ(values(*GameGlobals::shared().petPool), c.pony ? Calls {"pony001"} : pets);
        EXPECT_EQ(pooledPictures(), c.pony ? ponyPictures : pictures);
        EXPECT_TRUE(lines.contains("Preloaded:"));
        EXPECT_FALSE(lines.contains("MSBOSS.png"));

        engine::Director::sharedDirector().end();
        resetSingletons();
        serverkit::QBYConnect::resetSharedManager();
    }
}

TEST_F(LoadingLayerTest, PetsReloadForPonyModeFromThePlainCharacterList) {
    launch();
    runUntilState(2);
    GameGlobals::shared().nextProgramState = 3;
    runUntilState(3);

    test::LogCapture lines;
    loading().reloadPetsWithPonyMode(true);
    EXPECT_EQ(values(*GameGlobals::shared().petPool), (Calls {"pony001"}));
    EXPECT_TRUE(lines.contains("reloaded:pony001.png"));
    EXPECT_TRUE(loading().texturePool().contains("pony001.png"));

    loading().reloadPetsWithPonyMode(false);
    EXPECT_EQ(values(*GameGlobals::shared().petPool), (Calls {"DOG001", "CAT001"}));
    EXPECT_FALSE(loading().texturePool().contains("pony001.png"));
}

TEST_F(LoadingLayerTest, TheMemoryBannerIgnoresASecondRequestWhileItMoves) {
    // A salon that never finishes its room holds the loading screen.
    launch();
    runUntilState(2);
    services.shopLoadingSteps = 1 << 30;
    GameGlobals::shared().nextProgramState = 3;
    ASSERT_TRUE(frameUntil([] { return loading().loadingPhase() == 2; }));
    auto* banner = loading().memoryWarningText();
    EXPECT_FALSE(banner->visible());
    EXPECT_EQ(banner->zOrder(), 20000);
    loading().showMemoryWarning();
    EXPECT_TRUE(banner->visible());
    EXPECT_FLOAT_EQ(banner->position().x, 720);
    frame(60);
    float x = banner->position().x;
    EXPECT_LT(x, 720);
    loading().showMemoryWarning();
    EXPECT_FLOAT_EQ(banner->position().x, x);
    // The loading screen hides it once it has stopped.
    frame(60 * 10);
    EXPECT_FALSE(banner->visible());
}

TEST_F(LoadingLayerTest, MissingListsLoadAnEmptyMenuShowingNoPercentBeforeTheEnd) {
    std::filesystem::remove(bundlePath("sfxList.plist"));
    std::filesystem::remove(bundlePath("vfxList.plist"));
    launch();
    Calls texts;
    ASSERT_TRUE(frameUntil([&] {
        auto text = loading().loadingText()->getText();
        if (texts.empty() || texts.back() != text)
            texts.push_back(text);
        return GameGlobals::shared().curProgramState == 2;
    }));
    EXPECT_EQ(texts, (Calls {" ", "", "Loading 0%", "Loading 100%"}));
    EXPECT_NE(GameGlobals::shared().mainMenu, nullptr);
}

TEST_F(LoadingLayerTest, TheCharacterListsLiveAsLongAsTheLoadingScreen) {
    launch();
    auto& globals = GameGlobals::shared();
    EXPECT_NE(globals.customerPool, nullptr);
    EXPECT_NE(globals.visitorPool, nullptr);
    engine::Director::sharedDirector().end();
    globals.loadingLayer = nullptr;
    EXPECT_EQ(globals.customerPool, nullptr);
    EXPECT_EQ(globals.petPool, nullptr);
    EXPECT_EQ(globals.otherCharacterPool, nullptr);
    EXPECT_EQ(globals.visitorPool, nullptr);
}

}
