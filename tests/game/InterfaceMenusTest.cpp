#include "SalonDay.hpp"

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Bundle.hpp>
#include <game/interface/CCPurchaseDialog.hpp>
#include <game/interface/StaffLevels.hpp>
#include <game/progression/QuestController.hpp>
#include <game/progression/QuestReport.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/Utilities.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace {

using game::GameGlobals;
using game::Shop;

// The game's own interface on its main layer over the salon fixture.
class InterfaceMenusTest : public test::SalonDayTest {
protected:
    void TearDown() override {
        if (face)
            face->removeInterface(game::ProgramStateShop);
        if (mainLayer)
            layer->removeChild(mainLayer.get(), engine::Cleanup::Yes);
        face = nullptr;
        mainLayer = nullptr;
        screen.reset();
        SalonDayTest::TearDown();
    }

    // The interface of the salon state over a loaded salon in its working hours.
    void openSalon() {
        mainLayer = game::MainLayer::node();
        screen.emplace(engine::Size {480, 320}, 1);
        layer->addChild(mainLayer, 1000000);
        face = mainLayer->interface();
        face->initInterface(game::ProgramStateShop);
        // Making the main layer forgets the fixture's salon; the program's salon state
        // sets it as here.
        GameGlobals::shared().shop = shop;
        load();
        ASSERT_EQ(GameGlobals::shared().shop.get(), shop.get());
        // The first morning opens the help book; it is closed here.
        face->hiddenHelpMenu();
        shop->resumeGame();
        frame();
        ASSERT_EQ(shop->getShopState(), 2);
    }

    void draw() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        layer->visit();
        glDisable(GL_BLEND);
        glFinish();
    }

    // A copy of a bundle picture in the data folder (or a folder beside it) under the name.
    std::filesystem::path copyPicture(std::filesystem::path const& to) {
        auto from = game::Utilities::getPathForResource("Gameplay_EventCloseUp_Prez.png");
        EXPECT_TRUE(from.has_value());
        std::filesystem::create_directories(to.parent_path());
        std::filesystem::copy_file(*from, to, std::filesystem::copy_options::overwrite_existing);
        return to;
    }

    base::Ref<game::MainLayer> mainLayer;
    std::optional<test::FakeDirector> screen;
    game::Interface* face {nullptr};
};

TEST_F(InterfaceMenusTest, ACloseUpPausesTheSalonForItsSlideInStayAndSlideOut) {
    openSalon();
    face->showEventCloseUp(1);
    auto* closeUp = face->eventCloseUp();
    ASSERT_NE(closeUp, nullptr);
    EXPECT_EQ(closeUp->zOrder(), 9999);
    float width = closeUp->contentSize().width;
    EXPECT_FLOAT_EQ(closeUp->position().x, 480 + width / 2);
    EXPECT_FLOAT_EQ(closeUp->position().y, closeUp->contentSize().height / 2);
    EXPECT_TRUE(shop->isPausedFor(Shop::PauseReason::EventCloseUp));
    framesFor(0.35f);
    EXPECT_FLOAT_EQ(closeUp->position().x, 340);
    framesFor(1.5f);
    EXPECT_TRUE(shop->isPausedFor(Shop::PauseReason::EventCloseUp));
    framesFor(0.5f);
    EXPECT_FALSE(shop->isPausedFor(Shop::PauseReason::EventCloseUp));
    EXPECT_NEAR(closeUp->position().x, 480 + width / 2, 0.5f);
}

TEST_F(InterfaceMenusTest, ACloseUpEndingUnderThePauseMenuLeavesTheSalonPaused) {
    openSalon();
    face->showEventCloseUp(0);
    framesFor(1.0f);
    // The player opens the pause menu meanwhile.
    shop->pauseGame();
    face->showPauseMenu();
    framesFor(1.5f);
    EXPECT_FALSE(shop->isPausedFor(Shop::PauseReason::EventCloseUp));
    EXPECT_TRUE(shop->isPaused());
    // Closing the menu resumes the salon at once: the close-up no longer holds it.
    face->hiddenPauseMenu();
    shop->resumeGame();
    EXPECT_FALSE(shop->isPaused());
}

TEST_F(InterfaceMenusTest, ACloseUpWithoutAPictureRemovesTheLastAndLeavesTheSalonRunning) {
    openSalon();
    face->showEventCloseUp(2);
    auto first = base::Ref<engine::Sprite>(face->eventCloseUp());
    ASSERT_TRUE(first);
    framesFor(2.2f);
    ASSERT_FALSE(shop->isPaused());
    face->showEventCloseUp(3);
    EXPECT_EQ(face->eventCloseUp(), nullptr);
    EXPECT_EQ(first->parent(), nullptr);
    EXPECT_FALSE(shop->isPaused());
}

TEST_F(InterfaceMenusTest, APacksCloseUpIsOnePlainFileOfTheDataFolder) {
    openSalon();
    auto data = game::Utilities::getPathForSavedData("closeup.png");
    ASSERT_TRUE(data);
    auto folder = std::filesystem::path(*data).parent_path();
    copyPicture(folder / "closeup.png");
    copyPicture(folder / "inner" / "closeup.png");
    copyPicture(folder.parent_path() / "outside.png");
    struct Case {
        char const* name;
        bool shown;
    };
    for (auto c : {Case {"../outside.png", false}, Case {"inner/closeup.png", false},
             Case {"inner/../closeup.png", false}, Case {"/etc/hosts", false}, Case {"", false},
             Case {"missing.png", false}, Case {"closeup.png", true}}) {
        SCOPED_TRACE(c.name);
        face->showDLCEventCloseUp(c.name);
        EXPECT_EQ(face->eventCloseUp() != nullptr, c.shown);
        EXPECT_EQ(shop->isPausedFor(Shop::PauseReason::EventCloseUp), c.shown);
    }
    framesFor(2.2f);
    EXPECT_FALSE(shop->isPaused());
}

TEST_F(InterfaceMenusTest, TheHelpBookPagesWithItsArrowsAndTexts) {
    openSalon();
    face->showHelpMenu(true);
    EXPECT_EQ(face->curUIState(), 15);
    EXPECT_EQ(face->helpMenuPage(), 1);
    ASSERT_NE(face->button(0), nullptr);
    EXPECT_TRUE(face->button(0)->visible());
    auto text = [](std::string const& key) {
        return foundation::Bundle::mainBundle().localizedString(key);
    };
    struct Case {
        int page;
        int previous;
        int next;
        char const* main;
        char const* second;
    };
    for (auto c : {Case {1, 0, 255, "HELP_PG1", nullptr}, Case {2, 255, 255, "HELP_PG2", nullptr},
             Case {6, 255, 255, "HELP_PG6_2", "HELP_PG6_1"},
             Case {7, 255, 255, "HELP_PG7_2", "HELP_PG7_1"},
             Case {9, 255, 255, "HELP_PG9", nullptr}, Case {10, 255, 0, "HELP_PG10", nullptr},
             Case {11, 255, 0, "HELP_PG11", nullptr}, Case {12, 255, 0, nullptr, nullptr}}) {
        SCOPED_TRACE(c.page);
        face->setHelpMenuPage(c.page);
        EXPECT_EQ(face->button(1)->opacity(), c.previous);
        EXPECT_EQ(face->button(2)->opacity(), c.next);
        ASSERT_NE(face->helpMenuContent(), nullptr);
        EXPECT_EQ(face->helpMenuContent()->zOrder(), -1);
        if (c.main) {
            ASSERT_NE(face->helpText(), nullptr);
            EXPECT_EQ(face->helpText()->getText(), text(c.main));
            ASSERT_NE(face->versionText(), nullptr);
        } else {
            EXPECT_EQ(face->helpText(), nullptr);
        }
        if (c.second) {
            ASSERT_NE(face->helpText2(), nullptr);
            EXPECT_EQ(face->helpText2()->getText(), text(c.second));
            // Near the top of the panel, the main text near its foot.
            EXPECT_GT(face->helpText2()->position().y, face->helpText()->position().y);
        } else {
            EXPECT_EQ(face->helpText2(), nullptr);
        }
    }
    // Opening again starts at page 1 with the previous arrow hidden.
    face->showHelpMenu(true);
    EXPECT_EQ(face->helpMenuPage(), 1);
    EXPECT_EQ(face->button(1)->opacity(), 0);
    framesFor(0.7f);
    EXPECT_TRUE(face->isHelpMenuActionDone());
    EXPECT_EQ(face->helpHolder()->position(), (engine::Point {240, 160}));
    face->hiddenHelpMenu();
    EXPECT_EQ(face->curUIState(), 0);
    EXPECT_FALSE(face->isHelpMenuActionDone());
    framesFor(0.6f);
    EXPECT_TRUE(face->isHelpMenuActionDone());
    // The phone's book takes its page away once it is out of sight.
    EXPECT_EQ(face->helpMenuContent(), nullptr);
    EXPECT_EQ(face->helpText(), nullptr);
}

TEST_F(InterfaceMenusTest, TheHelpButtonStaysHiddenOnADayWithoutAChallenge) {
    openSalon();
    ASSERT_FALSE(shop->isDailyChallenge());
    face->showHelpButton();
    framesFor(0.3f);
    EXPECT_EQ(face->helpButton()->opacity(), 0);
    auto entry = base::Dictionary::create();
    entry->setObject("prerequisite", "");
    entry->setObject("condition", "coin:500");
    entry->setObject("rewardcode", "coin:100");
    auto list = base::Dictionary::create();
    list->setObject("Q1", base::Value(entry));
    shop->questController()->loadQuestList(*list);
    shop->questController()->addToCurrentQuestsById("Q1");
    ASSERT_TRUE(shop->isDailyChallenge());
    face->showHelpButton();
    framesFor(0.3f);
    EXPECT_EQ(face->helpButton()->opacity(), 255);
}

TEST_F(InterfaceMenusTest, TheHireMenuOffersTheNextLevelAndReplacesAnOpenDialog) {
    openSalon();
    auto item = base::Dictionary::create();
    item->setObject("uid", "item_speed");
    item->setObject("name", "Speed");
    item->setObject("type", "consumable");
    item->setObject("cost_type", "pp");
    item->setObject("cost", 5);
    face->showShopDialog(item);
    auto* shopDialog = face->purchaseDialog();
    ASSERT_NE(shopDialog, nullptr);
    EXPECT_EQ(shopDialog->zOrder(), 10005);
    EXPECT_EQ(face->curUIState(), 0);
    auto kept = base::Ref<game::CCPurchaseDialog>(shopDialog);

    auto* staff = shop->getStaff(0);
    ASSERT_NE(staff, nullptr);
    face->showHireMenu(staff);
    auto* dialog = face->purchaseDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(dialog, shopDialog);
    EXPECT_EQ(kept->parent(), nullptr);
    EXPECT_EQ(dialog->zOrder(), 10006);
    EXPECT_EQ(face->hireCharacter(), staff);
    EXPECT_EQ(face->curUIState(), 0);
    auto price = game::staffPurchasePrice(*staff);
    EXPECT_EQ(dialog->cost(), price.cost);
    EXPECT_EQ(dialog->isPetPointPrice(), price.premium);
    framesFor(1.0f);
    draw();
    saveImage("hire-dialog-phone");
    // Cancel closes and removes the dialog; the hide operation forgets the member.
    face->purchaseDialogDidSelectResponse(
        *dialog, game::CCPurchaseDialog::Cancel, *base::Dictionary::create());
    framesFor(1.0f);
    EXPECT_EQ(face->purchaseDialog(), nullptr);
    face->hiddenHireMenu();
    EXPECT_EQ(face->hireCharacter(), nullptr);
}

TEST_F(InterfaceMenusTest, TheChallengeReportsDismissalStartsTheDayOrResumesTheSalon) {
    auto entry = base::Dictionary::create();
    entry->setObject("prerequisite", "");
    entry->setObject("condition", "coin:500");
    entry->setObject("rewardcode", "coin:100");
    auto list = base::Dictionary::create();
    list->setObject("Q1", base::Value(entry));
    struct Case {
        int shopState;
        int uiState;
        int shopStateAfter;
        bool pausedAfter;
    };
    for (auto c : {Case {3, 0, 1, true}, Case {3, 11, 3, true}, Case {2, 22, 2, false},
             Case {2, 10, 2, true}}) {
        SCOPED_TRACE(std::to_string(c.shopState) + " " + std::to_string(c.uiState));
        game::DataConrtoller::saveShopState(c.shopState);
        load();
        ASSERT_EQ(shop->getShopState(), c.shopState);
        shop->questController()->loadQuestList(*list);
        shop->questController()->addToCurrentQuestsById("Q1");
        auto* quest = shop->questController()->getQuestById("Q1");
        ASSERT_NE(quest, nullptr);
        shop->pauseGame();
        hud->uiState = c.uiState;
        auto report = game::QuestReport::initWithQuest(quest, hud.get());
        hud->didDismissQuestReport(*report);
        EXPECT_EQ(shop->getShopState(), c.shopStateAfter);
        EXPECT_EQ(shop->isPaused(), c.pausedAfter);
        shop->resumeGame();
    }
}

TEST_F(InterfaceMenusTest, TheChallengeReportGoesOnTopOfTheSalon) {
    openSalon();
    auto entry = base::Dictionary::create();
    entry->setObject("prerequisite", "");
    entry->setObject("condition", "coin:500,pp:5");
    entry->setObject("rewardcode", "coin:100");
    auto list = base::Dictionary::create();
    list->setObject("Q1", base::Value(entry));
    shop->questController()->loadQuestList(*list);
    shop->questController()->addToCurrentQuestsById("Q1");
    face->showQuestReport("Q9");
    EXPECT_EQ(face->questReport(), nullptr);
    face->showQuestReport("Q1");
    ASSERT_NE(face->questReport(), nullptr);
    EXPECT_EQ(face->questReport()->zOrder(), 10020);
    EXPECT_EQ(face->questReport()->parent(), static_cast<engine::SceneNode*>(mainLayer.get()));
    framesFor(1.0f);
    draw();
    saveImage("challenge-report-phone");
}

}
