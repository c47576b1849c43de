#include "SalonDay.hpp"

#include <services/GameKit.hpp>

#include <foundation/UserDefaults.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <ui/Application.hpp>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using game::GameGlobals;
using game::QBY_Character;
using game::QBY_Furniture;
using game::Shop;

class ShopTouchesTest : public test::SalonDayTest {
protected:
    void openDayTwo() {
        auto& globals = GameGlobals::shared();
        globals.day = 2;
        globals.gameMode = 1;
        game::DataConrtoller::saveDay();
        load();
        ASSERT_FALSE(shop->isPaused());
    }

    // A fitting free piece for the dragged pet, or null.
    QBY_Furniture* pieceFor(QBY_Character const& pet) const {
        for (int i = 0; i < Shop::furnitureSlots; ++i) {
            auto* piece = shop->getFurniture(i);
            if (!piece)
                break;
            int type = piece->furnType();
            int service = pet.getService();
            bool fits = type == service || (service == 11 && type > 1 && type != 7 && type != 10);
            if (fits && type != 1 && piece->curFurnState() == QBY_Furniture::stateFree)
                return piece;
        }
        return nullptr;
    }

    // The player's finger: down at a point; a drag that began is carried to a
    // fitting piece, or dropped where it began.
    void tap(engine::Point point) {
        ui::TouchSet none;
        if (!shop->touchBeganAt(point))
            return;
        auto* pet = shop->getDragCharacter();
        if (!pet)
            return;
        ++drags;
        if (auto* piece = pieceFor(*pet)) {
            auto spot = piece->getPetPos();
            // Half way, then onto the piece: the second move snaps.
            shop->touchMovedTo({(point.x + spot.x) / 2, (point.y + spot.y) / 2});
            shop->touchMovedTo(spot);
            EXPECT_EQ(shop->getSnapFurniture(), piece);
        }
        shop->handleTouchesEnded(none, nullptr);
        EXPECT_EQ(shop->getDragCharacter(), nullptr);
    }

    static engine::Point on(engine::AtlasSprite const* sprite) {
        auto position = sprite->position();
        return {position.x, position.y + 5};
    }

    // The middle of a node's picture, wherever its anchor lies.
    static engine::Point centre(engine::SceneNode const* node) {
        auto position = node->position();
        auto anchor = node->anchorPoint();
        auto size = node->contentSize();
        return {position.x + (0.5f - anchor.x) * size.width,
            position.y + (0.5f - anchor.y) * size.height};
    }

    // Staff members out of the way of the pieces' pictures.
    void moveStaffAway() {
        for (int i = 0; i < Shop::staffSlots; ++i)
            shop->getStaff(i)->pSprite()->setPosition({-500, -500});
    }

    // What a player does in a frame: drags every pet that waits, taps every piece
    // where a pet waits for staff, and the counter when an owner stands there.
    void play() {
        for (int i = 0; i < Shop::customerSlots; ++i) {
            auto* pet = shop->getPet(i);
            if (!pet)
                break;
            if (pet->getAIState() == QBY_Character::stateWaitingForService
                && pet->getService() != 1)
                tap(on(pet->pSprite()));
        }
        for (int i = 0; i < Shop::furnitureSlots; ++i) {
            auto* piece = shop->getFurniture(i);
            if (!piece || piece->furnType() < 2)
                continue;
            if (piece->curFurnState() == QBY_Furniture::stateTaken && piece->nNumOfPet >= 1
                && piece->nNumOfStaff == 0)
                tap(centre(piece->pSprite()));
        }
        if (shop->canServeCounter())
            tap(centre(shop->getCounterFurniture()->pSprite()));
    }

    // The salon as the screen shows it, kept in the test output.
    void snapshot(std::string const& name) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        layer->visit();
        glDisable(GL_BLEND);
        glFinish();
        auto path = saveImage(name);
        EXPECT_TRUE(std::filesystem::exists(path)) << path;
        // The room is drawn: its middle is not black.
        auto middle = pixel(240, 160);
        EXPECT_GT(int(middle.r) + int(middle.g) + int(middle.b), 30) << name;
    }

    int drags {0};
};

TEST_F(ShopTouchesTest, AWholeDayPlayedByTouchesEndsInTheReportAndTheNextDay) {
    auto& globals = GameGlobals::shared();
    globals.money = 300;
    game::DataConrtoller::saveMoney();
    openDayTwo();
    int frames = 0;
    bool busyShown = false;
    while (shop->getShopState() == 2 && frames < 60 * 400) {
        play();
        frame();
        ++frames;
        if (!busyShown && globals.shopTime >= 75) {
            snapshot("salon-day-busy");
            busyShown = true;
        }
    }
    ASSERT_EQ(shop->getShopState(), 3);
    framesFor(1);
    snapshot("salon-day-end");
    EXPECT_GT(drags, 10);
    EXPECT_GT(globals.customerToday, 5);
    EXPECT_EQ(globals.customerLeaveToday, 0);
    // Every payment reached the balance; a day's takings past 500 and a
    // satisfaction of 3 or more raise the salon to level 2.
    int earned = 0;
    for (int n : hud->moneyChanges)
        earned += n;
    EXPECT_EQ(globals.money, 300 + earned);
    bool risen = globals.money >= 500 && globals.satisfaction >= 3;
    EXPECT_EQ(globals.shopLevel, risen ? 2 : 1);
    EXPECT_TRUE(std::find(hud->calls.begin(), hud->calls.end(), risen ? "report levelUp" : "report")
        != hud->calls.end());
    EXPECT_EQ(game::DataConrtoller::getShopState(), 3);
    // The next day.
    shop->startPreWorkingHour();
    frame();
    EXPECT_EQ(shop->getShopState(), 2);
    EXPECT_EQ(globals.day, 3);
    framesFor(1);
    EXPECT_EQ(shop->customerCount(), 1);
}

TEST_F(ShopTouchesTest, WildcardPetsFitEveryServiceStationButNoOther) {
    openDayTwo();
    auto pair = makePair();
    pair.pet->setWildcardMode(true);
    pair.pet->initServiceQuery();
    // Past the sofa.
    pair.pet->nextService();
    shop->startDrag(pair.pet.get());
    ASSERT_EQ(pair.pet->getService(), 11);
    std::map<int, bool> fits;
    for (int i = 0; i < Shop::furnitureSlots; ++i) {
        auto* piece = shop->getFurniture(i);
        if (!piece)
            break;
        // Moving onto each piece's spot snaps only to a service station.
        shop->touchMovedTo(piece->getPetPos());
        if (piece->curFurnState() == QBY_Furniture::stateFree)
            fits[piece->furnType()] = shop->getSnapFurniture() == piece;
    }
    for (auto [type, snapped] : fits)
        EXPECT_EQ(snapped, type >= 2 && type != 7 && type != 10) << type;
    shop->cancelDrag();
    EXPECT_EQ(shop->getDragCharacter(), nullptr);
}

TEST_F(ShopTouchesTest, DropAwayFromAnyPiecePutsThePetBack) {
    openDayTwo();
    auto pair = makePair();
    auto* bath = shop->getFurniture(11);
    pair.pet->setPTargetFurniture(bath);
    shop->startDrag(pair.pet.get());
    shop->touchMovedTo({5, 300});
    EXPECT_EQ(shop->getSnapFurniture(), nullptr);
    ui::TouchSet none;
    EXPECT_FALSE(shop->handleTouchesEnded(none, nullptr));
    EXPECT_EQ(shop->getDragCharacter(), nullptr);
    EXPECT_EQ(pair.pet->pSprite()->position(), bath->getPetPos());
    // Paused, a move is ignored and the drag stays.
    shop->startDrag(pair.pet.get());
    shop->pauseGame();
    EXPECT_FALSE(shop->touchMovedTo({5, 300}));
    shop->handleTouchesEnded(none, nullptr);
    EXPECT_EQ(shop->getDragCharacter(), pair.pet.get());
}

TEST_F(ShopTouchesTest, TouchesComeThroughTheViewAndAPopupKeepsThemAway) {
    openDayTwo();
    auto* piece = shop->getFurniture(11);
    auto point = centre(piece->pSprite());
    ui::Application::sharedApplication().setStatusBarOrientation(
        ui::InterfaceOrientation::LandscapeRight);
    auto touch = ui::Touch::create(nullptr, nullptr, {point.x, 320 - point.y}, 1, 0);
    ui::TouchSet touches({touch});
    hud->uiState = 1;
    EXPECT_FALSE(shop->handleTouchesBegan(touches, nullptr));
    hud->uiState = 0;
    EXPECT_TRUE(shop->handleTouchesBegan(touches, nullptr));
    // Nowhere near anything.
    auto away = ui::Touch::create(nullptr, nullptr, {479, 1}, 1, 0);
    ui::TouchSet nothing({away});
    EXPECT_FALSE(shop->handleTouchesBegan(nothing, nullptr));
}

TEST_F(ShopTouchesTest, AfterHoursTapsOpenTheMenusOfTheirTab) {
    game::DataConrtoller::saveShopState(3);
    GameGlobals::shared().shopLevel = 3;
    game::DataConrtoller::saveShopLevel();
    load();
    ASSERT_EQ(shop->getShopState(), 3);
    moveStaffAway();
    auto* bath = shop->getFurniture(11);
    ASSERT_GT(bath->nUpgradeCost(), 0);
    shop->setShopTab(1);
    EXPECT_TRUE(shop->touchBeganAt(centre(bath->pSprite())));
    EXPECT_EQ(hud->calls.back(), "upgradeMenu");
    EXPECT_EQ(hud->menuTarget, bath);
    // A place to buy shows its preview on tab 1 and opens the purchase menu.
    auto* place = shop->getFurniture(14);
    ASSERT_NE(shop->getUpgradePreview(14), nullptr);
    EXPECT_TRUE(shop->touchBeganAt(centre(place->pSprite())));
    EXPECT_EQ(hud->calls.back(), "upgradeMenu purchase");
    // On the staff tab the same piece does nothing.
    shop->setShopTab(0);
    hud->calls.clear();
    EXPECT_FALSE(shop->touchBeganAt(centre(bath->pSprite())));
    EXPECT_TRUE(hud->calls.empty());
    auto* staff = shop->getStaff(2);
    staff->pSprite()->setPosition({240, 280});
    EXPECT_TRUE(shop->touchBeganAt(centre(staff->pSprite())));
    EXPECT_EQ(hud->calls.back(), "hireMenu");
    EXPECT_EQ(hud->menuTarget, staff);
}

TEST_F(ShopTouchesTest, PauseAndResumeAreIdempotent) {
    openDayTwo();
    shop->pauseGame();
    shop->pauseGame();
    shop->resumeGame();
    EXPECT_FALSE(shop->isPaused());
    float time = GameGlobals::shared().shopTime;
    frame();
    EXPECT_GT(GameGlobals::shared().shopTime, time);
}

TEST_F(ShopTouchesTest, StoreItemsAreBoughtOnlyWithTheMeans) {
    openDayTwo();
    auto& globals = GameGlobals::shared();
    auto data = base::Dictionary::create();
    data->setObject("data_key", "SpeedBonus");
    data->setObject("lot_size", 3);
    auto item = base::Dictionary::create();
    item->setObject("uid", "con_1");
    item->setObject("type", "consumable");
    item->setObject("cost_type", "pp");
    item->setObject("cost", 5);
    item->setObject("data", data);
    shop->setCurrentItem(item.get());
    globals.petPoints = 4;
    EXPECT_FALSE(shop->purchaseCurrentItem());
    EXPECT_EQ(globals.petPoints, 4);
    globals.petPoints = 5;
    EXPECT_TRUE(shop->purchaseCurrentItem());
    EXPECT_EQ(globals.petPoints, 0);
    EXPECT_EQ(hud->items["SpeedBonus"], 3);

    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    auto theme = base::Dictionary::create();
    theme->setObject("uid", "thm_test");
    theme->setObject("type", "theme");
    theme->setObject("name", "Test");
    theme->setObject("cost_type", "gc");
    theme->setObject("cost", 100);
    shop->setCurrentItem(theme.get());
    globals.money = 150;
    EXPECT_TRUE(shop->purchaseCurrentItem());
    EXPECT_EQ(globals.money, 50);
    EXPECT_EQ(defaults.integerForKey("thm_test"), 2);
    EXPECT_TRUE(achieved(37));
    // Owned already: nothing is paid.
    globals.money = 150;
    EXPECT_FALSE(shop->purchaseCurrentItem());
    EXPECT_EQ(globals.money, 150);
}

TEST_F(ShopTouchesTest, DoorBlockSendsAwayThoseInsideAndSlides) {
    openDayTwo();
    framesFor(0.1f);
    auto* customer = shop->getCustomer(0);
    ASSERT_NE(customer, nullptr);
    customer->pSprite()->setPosition({300, 245});
    auto piece = QBY_Furniture::createFurniture("doorblock", 1, 185, 200, layer.get());
    ASSERT_TRUE(piece);
    shop->blockCustomers(true, piece.get());
    EXPECT_TRUE(shop->isBlockingCustomers());
    EXPECT_EQ(customer->getAIState(), QBY_Character::stateLeaving);
    framesFor(0.6f);
    EXPECT_EQ(piece->pSprite()->position(), (engine::Point {160, 200}));
    shop->blockCustomers(false, piece.get());
    framesFor(0.6f);
    EXPECT_EQ(piece->pSprite()->position(), (engine::Point {185, 200}));
    EXPECT_FALSE(shop->isBlockingCustomers());
}

TEST_F(ShopTouchesTest, ChallengeAchievementsByRunAndTotal) {
    openDayTwo();
    for (int i = 0; i < 30; ++i)
        game::DataConrtoller::logChallengeComplete();
    shop->checkChallengeAchievements();
    for (int n : {38, 39, 40})
        EXPECT_TRUE(achieved(n)) << n;
    EXPECT_FALSE(achieved(41));
    auto const& requests = services::GameKit::shared().requests();
    EXPECT_NE(
        std::find(requests.begin(), requests.end(), "score lb_challengecount 30"), requests.end());
}

}

namespace {

TEST_F(ShopTouchesTest, AutoPlayRunsADayToItsEndAndAForcedCloseEmptiesTheSalon) {
    openDayTwo();
    auto& globals = GameGlobals::shared();
    globals.gameMode = 3;
    int frames = 0;
    while (shop->getShopState() == 2 && frames < 60 * 400) {
        frame();
        ++frames;
    }
    EXPECT_EQ(shop->getShopState(), 3);
    EXPECT_GT(globals.customerToday, 5);

    shop->startPreWorkingHour();
    frame();
    framesFor(20);
    ASSERT_GT(shop->customerCount(), 0);
    shop->forceCloseShop();
    EXPECT_FLOAT_EQ(globals.shopTime, 150);
    for (int i = 0; i < shop->customerCount(); ++i)
        EXPECT_GE(shop->getCustomer(i)->getAIState(), QBY_Character::stateLeaving);
}

TEST_F(ShopTouchesTest, HappyMusicCountsAndEndsWithItsTime) {
    openDayTwo();
    auto& globals = GameGlobals::shared();
    shop->startHappyMusic();
    EXPECT_TRUE(shop->isPlayingHappyMusic());
    EXPECT_EQ(globals.musicPlayCountToday, 1);
    framesFor(15.2f);
    EXPECT_FALSE(shop->isPlayingHappyMusic());
    shop->startConsumableMusicNamed("SpeedBonus", 19);
    EXPECT_EQ(shop->consumableSFX(), "SpeedBonus");
    shop->forceCloseShop();
    for (int i = 0; i < 60 * 120 && shop->getShopState() == 2; ++i)
        frame();
    ASSERT_EQ(shop->getShopState(), 3);
    EXPECT_EQ(shop->consumableSFX(), "");
}

}
