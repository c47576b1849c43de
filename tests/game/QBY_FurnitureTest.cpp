#include "SalonFixture.hpp"

#include <engine/TextureMgr.hpp>
#include <foundation/RunLoop.hpp>
#include <game/interface/AnimatedSprite.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/shell/GameGlobals.hpp>
#include <support/LogCapture.hpp>
#include <ui/Device.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using game::QBY_Furniture;

class FurnitureTest : public test::SalonFixture {
protected:
    base::Ref<QBY_Furniture> make(
        std::string const& name, int level, float x = 220, float y = 120) {
        return QBY_Furniture::createFurniture(name, level, x, y, layer.get());
    }

    // True when the sprite shows the named picture of the bundle.
    static bool shows(QBY_Furniture const& furniture, std::string const& picture) {
        auto texture = engine::TextureMgr::sharedTextureMgr().addImage(picture);
        return texture && furniture.pSprite()->texture() == texture.get();
    }

    // A level pack whose furniture list replaces the bundle's.
    static void usePackList(base::Value list) {
        auto pack = base::Dictionary::create();
        pack->setObject("furnitureList", std::move(list));
        game::GameGlobals::shared().levelCapData = pack;
    }

    static base::Ref<base::Dictionary> level(std::string pic) {
        auto data = base::Dictionary::create();
        data->setObject("pic", std::move(pic));
        data->setObject("charge", 5);
        return data;
    }

    static base::Ref<base::Dictionary> entry(
        int type, std::vector<base::Ref<base::Dictionary>> levels) {
        auto byLevel = base::Dictionary::create();
        for (std::size_t i = 0; i < levels.size(); ++i)
            byLevel->setObject(std::to_string(i + 1), levels[i]);
        auto data = base::Dictionary::create();
        data->setObject("type", type);
        data->setObject("level", byLevel);
        return data;
    }
};

TEST_F(FurnitureTest, LevelsFromTheBundlesList) {
    struct Case {
        char const* name;
        int level;
        int type, charge;
        float servingTime, timeOut;
        char const* picture;
        int upgradeCost, upgradeCharge, upgradeShopLevel;
    };
    Case const cases[] = {
        {"bath", 1, 2, 8, 3.0f, 24, "furn_bath_1.png", 250, 16, 2},
        {"bath", 2, 2, 16, 2.5f, 29, "furn_bath_2.png", 400, 32, 4},
        {"bath", 3, 2, 32, 2.0f, 35, "furn_bath_3.png", -1, 0, 1},
        {"hair", 2, 4, 20, 3.4f, 29, "furn_hair_2.png", 350, 38, 4},
        {"counter", 1, 1, 0, 2.0f, 24, "furn_counter_1.png", 800, 0, 3},
        {"flea", 1, 8, 80, 4.0f, 28, "furn_flea_1.png", 3500, 105, 10},
        {"sofa", 3, 0, 0, 0.0f, 32, "furn_sofa_3.png", -1, 0, 1},
        {"lamp", 1, -1, 0, 0.0f, 0, "furn_lamp.png", -1, 0, 1},
    };
    for (auto const& c : cases) {
        auto furniture = make(c.name, c.level);
        ASSERT_TRUE(furniture) << c.name;
        std::string where = std::string(c.name) + " " + std::to_string(c.level);
        EXPECT_EQ(furniture->furnType(), c.type) << where;
        EXPECT_EQ(furniture->nLevel(), c.level) << where;
        EXPECT_EQ(furniture->getCharge(), c.charge) << where;
        EXPECT_FLOAT_EQ(furniture->servingTime(), c.servingTime) << where;
        EXPECT_FLOAT_EQ(furniture->timeOutForWaiting(), c.timeOut) << where;
        EXPECT_TRUE(shows(*furniture, c.picture)) << where;
        EXPECT_EQ(furniture->nUpgradeCost(), c.upgradeCost) << where;
        EXPECT_EQ(furniture->nUpgradeCharge(), c.upgradeCharge) << where;
        EXPECT_EQ(furniture->nReqShopLevel(), c.upgradeShopLevel) << where;
        EXPECT_EQ(furniture->upgradeFurnType(), c.type) << where;
        EXPECT_EQ(furniture->curFurnState(), QBY_Furniture::stateFree) << where;
        EXPECT_EQ(furniture->nFurnID(), -1) << where;
        EXPECT_EQ(furniture->nDurablity(), 0) << where;
        EXPECT_FALSE(furniture->bShowUpgradeIcon()) << where;
    }
    auto bath = make("bath", 1);
    EXPECT_EQ(bath->nUpgradeCostType(), "gc");
}

TEST_F(FurnitureTest, UnknownNameOrLevelGivesNothing) {
    EXPECT_FALSE(make("throne", 1));
    EXPECT_FALSE(make("bath", 4));
    EXPECT_EQ(layer->children().size(), 0u);
}

TEST_F(FurnitureTest, LevelZeroReadsLevelOneAndOffersIt) {
    auto bath = make("bath", 0);
    ASSERT_TRUE(bath);
    EXPECT_EQ(bath->nLevel(), 0);
    EXPECT_EQ(bath->getCharge(), 8);
    EXPECT_TRUE(shows(*bath, "furn_bath_1.png"));
    // The upgrade data describe level 1: the purchase.
    EXPECT_EQ(bath->nUpgradeCost(), 400);
    EXPECT_EQ(bath->nUpgradeCharge(), 8);
    EXPECT_EQ(bath->nReqShopLevel(), 1);
}

TEST_F(FurnitureTest, SpotsAnchorAndDepth) {
    auto bath = make("bath", 1, 220, 120);
    EXPECT_EQ(bath->getPetPos(), engine::makePoint(220, 110));
    EXPECT_EQ(bath->getCustomerPos(), engine::makePoint(220, 110));
    EXPECT_EQ(bath->getStaffPos(), engine::makePoint(220, 130));
    // offsetY -12 over a picture 50 high; offsetX 0 centres it.
    auto size = bath->pSprite()->texture()->contentSize();
    EXPECT_FLOAT_EQ(bath->pSprite()->anchorPoint().x, 0.5f);
    EXPECT_FLOAT_EQ(bath->pSprite()->anchorPoint().y, -12.0f / size.height);
    // Lower on the screen is further in front.
    EXPECT_EQ(bath->getZPos(), 3200 - 1200);
    EXPECT_TRUE(bath->pSprite()->visible());
    EXPECT_EQ(bath->pSprite()->parent(), layer.get());
    auto counter = make("counter", 1, 60, 20);
    EXPECT_EQ(counter->getZPos(), 3000);
    EXPECT_EQ(counter->getCustomerPos(), engine::makePoint(100, 60));
}

TEST_F(FurnitureTest, TabletStretchesTheSpots) {
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    auto hair = make("hair", 1, 100, 100);
    EXPECT_FLOAT_EQ(hair->getStaffPos().x, 100 + -20 * 2.1333334f);
    EXPECT_FLOAT_EQ(hair->getStaffPos().y, 100 + -30 * 2.4f);
}

TEST_F(FurnitureTest, DurabilityWearsThePicture) {
    auto player = make("doorblock", 3);
    ASSERT_TRUE(player);
    EXPECT_EQ(player->nMaxDurablity(), 5);
    EXPECT_EQ(player->nDurablity(), 5);
    EXPECT_TRUE(shows(*player, "furn_doorblock_3_5.png"));

    struct Step {
        char const* what;
        int argument;
        bool answer;
        int durability;
    };
    Step const steps[] = {
        {"deduct", 2, true, 3},
        {"deduct", 4, false, 3},
        {"deduct", 3, true, 0},
        {"deduct", 1, false, 0},
        {"set", 9, true, 5},
        {"set", -2, true, 0},
        {"set", 4, true, 4},
        {"recover", 0, true, 5},
    };
    for (auto const& step : steps) {
        std::string what = step.what;
        bool answer = true;
        if (what == "deduct")
            answer = player->deductDurablity(step.argument);
        else if (what == "set")
            player->setDurablity(step.argument);
        else
            player->recoverDurablity();
        EXPECT_EQ(answer, step.answer) << what << " " << step.argument;
        EXPECT_EQ(player->nDurablity(), step.durability) << what << " " << step.argument;
        EXPECT_TRUE(shows(*player, "furn_doorblock_3_" + std::to_string(step.durability) + ".png"))
            << what << " " << step.argument;
        // The new picture stands where the old one stood, alone on the layer.
        EXPECT_EQ(player->pSprite()->position(), engine::makePoint(220, 120));
        EXPECT_EQ(layer->children().size(), 1u);
    }
}

TEST_F(FurnitureTest, PictureNamesByTypeAndLevel) {
    struct Case {
        int type, level;
        std::optional<std::string> name;
    };
    Case const cases[] = {
        {2, 1, "furn_bath_1.png"},
        {7, 2, "furn_musicplayer_2_2.png"},
        {10, 1, "furn_doorblock_1_2.png"},
        {2, 4, std::nullopt},
        {42, 1, std::nullopt},
    };
    for (auto const& c : cases)
        EXPECT_EQ(QBY_Furniture::getPicName(c.type, c.level), c.name) << c.type << " " << c.level;

    std::string const names[] = {"sofa", "counter", "bath", "drying", "hair", "facial", "massage",
        "musicplayer", "flea", "sofa2", "doorblock"};
    for (int type = 0; type < 11; ++type)
        EXPECT_EQ(QBY_Furniture::getFurnName(type), names[type]);
    EXPECT_EQ(QBY_Furniture::getFurnName(-1), nullptr);
    EXPECT_EQ(QBY_Furniture::getFurnName(11), nullptr);
}

TEST_F(FurnitureTest, BothDurabilitySpellingsAreRead) {
    auto both = level("both_%d.png");
    both->setObject("durablity", 2);
    both->setObject("durability", 5);
    auto misspelt = level("misspelt_%d.png");
    misspelt->setObject("durablity", 4);
    auto none = level("none_%d.png");
    auto list = base::Dictionary::create();
    list->setObject("both", entry(20, {both}));
    list->setObject("misspelt", entry(21, {misspelt}));
    list->setObject("none", entry(22, {none}));
    usePackList(list);

    struct Case {
        char const* name;
        int type;
        int durability;
        char const* picture;
    };
    Case const cases[] = {
        {"both", 20, 5, "both_5.png"},
        {"misspelt", 21, 4, "misspelt_4.png"},
        // No durability: no wear, and the name is used as it stands.
        {"none", 22, 0, "none_%d.png"},
    };
    for (auto const& c : cases) {
        auto furniture = make(c.name, 1);
        ASSERT_TRUE(furniture) << c.name;
        EXPECT_EQ(furniture->nMaxDurablity(), c.durability) << c.name;
        EXPECT_EQ(QBY_Furniture::getPicName(c.type, 1), c.picture) << c.name;
    }
    EXPECT_FALSE(make("none", 1)->deductDurablity(1));
}

TEST_F(FurnitureTest, DamagedListEntriesAreSkippedWithALogLine) {
    auto broken = entry(30, {});
    broken->setObject("level", "not a dictionary");
    auto badLevel = entry(31, {});
    auto levels = base::Dictionary::create();
    levels->setObject("1", 7);
    badLevel->setObject("level", levels);
    auto noPicture = entry(32, {});
    auto pictureless = base::Dictionary::create();
    pictureless->setObject("charge", 3);
    auto pictureLevels = base::Dictionary::create();
    pictureLevels->setObject("1", pictureless);
    noPicture->setObject("level", pictureLevels);

    auto list = base::Dictionary::create();
    list->setObject("text", "a string where an entry should be");
    list->setObject("broken", broken);
    list->setObject("badLevel", badLevel);
    list->setObject("noPicture", noPicture);
    list->setObject("good", entry(33, {level("good.png")}));
    usePackList(list);

    for (char const* name : {"text", "badLevel", "noPicture"}) {
        test::LogCapture log;
        EXPECT_FALSE(make(name, 1)) << name;
        EXPECT_TRUE(log.contains("damaged")) << name;
    }
    EXPECT_FALSE(make("broken", 1));

    // Lookups by type pass over the damaged entry, say so, and find the good one.
    test::LogCapture log;
    EXPECT_EQ(QBY_Furniture::getPicName(33, 1), "good.png");
    EXPECT_TRUE(log.contains("Furniture list entry text is damaged and skipped"));
    auto good = make("good", 1);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->getCharge(), 5);
}

TEST_F(FurnitureTest, PictureNameIsNeverAFormat) {
    struct Case {
        char const* pic;
        int value;
        char const* expected;
    };
    Case const cases[] = {
        {"furn_%d.png", 3, "furn_3.png"},
        {"furn_%02d.png", 3, "furn_03.png"},
        {"furn_%-3d|", 3, "furn_3  |"},
        {"furn_%i.png", -2, "furn_-2.png"},
        {"furn_%ld.png", 7, "furn_7.png"},
        {"furn_%s_%d.png", 3, "furn_%s_3.png"},
        {"%n%p%x%d", 1, "%n%p%x1"},
        {"%d_%d", 4, "4_%d"},
        {"100%%_%d", 5, "100%_5"},
        {"%@.png", 1, "%@.png"},
        {"trailing%", 1, "trailing%"},
        {"plain.png", 9, "plain.png"},
        {"%999999999d", 1, "                                                               1"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(QBY_Furniture::formatPicName(c.pic, c.value), c.expected) << c.pic;

    // A downloaded list with a hostile name builds a piece that merely misses its picture.
    auto hostile = level("%s%s%s%n_%d.png");
    hostile->setObject("durability", 2);
    auto list = base::Dictionary::create();
    list->setObject("hostile", entry(40, {hostile}));
    usePackList(list);
    auto furniture = make("hostile", 1);
    ASSERT_TRUE(furniture);
    EXPECT_EQ(QBY_Furniture::getPicName(40, 1), "%s%s%s%n_2.png");
    EXPECT_TRUE(furniture->deductDurablity(1));
}

TEST_F(FurnitureTest, UpgradeIconPlacementAndMotion) {
    auto bath = make("bath", 1);
    bath->showUpgradeIcon(false);
    auto* icon = bath->pUpgradeIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(bath->bShowUpgradeIcon());
    EXPECT_EQ(icon->parent(), bath->pSprite());
    auto size = bath->pSprite()->contentSize();
    EXPECT_EQ(icon->position(), engine::makePoint(size.width / 2, std::min(size.height, 80.0f)));
    EXPECT_EQ(icon->texture(),
        engine::TextureMgr::sharedTextureMgr().addImage("qrn_ip_icon_upgrade.png").get());
    EXPECT_FLOAT_EQ(icon->rotation(), 10);
    EXPECT_FLOAT_EQ(icon->scale(), 0);
    frames(30);
    EXPECT_FLOAT_EQ(icon->scale(), 1);
    EXPECT_NE(icon->rotation(), 10);

    // Showing again while shown changes nothing.
    bath->showUpgradeIcon(true);
    EXPECT_EQ(bath->pUpgradeIcon(), icon);

    bath->removeUpgradeIcon();
    EXPECT_FALSE(bath->bShowUpgradeIcon());
    frames(30);
    EXPECT_FLOAT_EQ(icon->scale(), 0);
    EXPECT_EQ(icon->parent(), bath->pSprite());

    // The purchase icon replaces the old one.
    bath->showUpgradeIcon(true);
    EXPECT_NE(bath->pUpgradeIcon(), icon);
    EXPECT_EQ(bath->pSprite()->children().size(), 1u);
    EXPECT_EQ(bath->pUpgradeIcon()->texture(),
        engine::TextureMgr::sharedTextureMgr().addImage("qrn_ip_icon_purchase.png").get());
}

TEST_F(FurnitureTest, UpgradeIconOfTallPiecesAndTheCounter) {
    // A 200-point picture: the icon stops at 80 on the phone, 160 on the tablet.
    auto tall = level("tall.png");
    auto list = base::Dictionary::create();
    list->setObject("tall", entry(50, {tall}));
    list->setObject("desk", entry(1, {level("desk.png")}));
    usePackList(list);
    auto piece = make("tall", 1);
    piece->pSprite()->setContentSize({40, 200});
    piece->showUpgradeIcon(false);
    EXPECT_EQ(piece->pUpgradeIcon()->position(), engine::makePoint(20, 80));

    auto counter = make("desk", 1);
    counter->pSprite()->setContentSize({40, 200});
    counter->showUpgradeIcon(false);
    EXPECT_EQ(counter->pUpgradeIcon()->position(), engine::makePoint(50, 200));

    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    auto tablet = make("tall", 1);
    tablet->pSprite()->setContentSize({40, 200});
    tablet->showUpgradeIcon(false);
    EXPECT_EQ(tablet->pUpgradeIcon()->position(), engine::makePoint(20, 160));
}

TEST_F(FurnitureTest, BoostScalesTimesUntilItsTimerEnds) {
    auto bath = make("bath", 1);
    bath->setServingTime(8);
    float patience = bath->timeOutForWaiting();
    bath->modServingTimeMult(0.5f, 2.0f, 10);
    EXPECT_TRUE(bath->specialHighlight());
    EXPECT_FLOAT_EQ(bath->servingTime(), 4);
    EXPECT_FLOAT_EQ(bath->timeOutForWaiting(), 2 * patience);
    EXPECT_TRUE(bath->pSprite()->stroke());
    EXPECT_EQ(bath->pSprite()->strokeColor(), (engine::Color3B {255, 255, 0}));
    EXPECT_FLOAT_EQ(bath->pSprite()->strokeSize(), 2);
    foundation::RunLoop::main().runFor(9.9);
    EXPECT_FLOAT_EQ(bath->servingTime(), 4);
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_FALSE(bath->specialHighlight());
    EXPECT_FLOAT_EQ(bath->servingTime(), 8);
    EXPECT_FLOAT_EQ(bath->timeOutForWaiting(), patience);
    EXPECT_FALSE(bath->pSprite()->stroke());
    EXPECT_EQ(bath->boostTimer(), nullptr);
}

TEST_F(FurnitureTest, ASecondBoostReplacesTheFirstAndItsTimer) {
    auto bath = make("bath", 1);
    bath->setServingTime(8);
    bath->modServingTimeMult(0.5f, 1, 10);
    foundation::RunLoop::main().runFor(5);
    bath->modServingTimeMult(0.25f, 1, 10);
    // The first boost's timer would have ended everything at 10 s.
    foundation::RunLoop::main().runFor(6);
    EXPECT_TRUE(bath->specialHighlight());
    EXPECT_FLOAT_EQ(bath->servingTime(), 2);
    foundation::RunLoop::main().runFor(4.5);
    EXPECT_FALSE(bath->specialHighlight());
    EXPECT_FLOAT_EQ(bath->servingTime(), 8);

    // Cancelling by hand stops the timer too.
    bath->modServingTimeMult(0.5f, 1, 10);
    bath->cancelServingTimeMult();
    EXPECT_EQ(foundation::RunLoop::main().timerCount(), 0u);
}

TEST_F(FurnitureTest, ServiceEffectIsTintedByTheService) {
    struct Case {
        char const* name;
        engine::Color3B tint;
    };
    Case const cases[] = {
        {"bath", {255, 192, 192}},
        {"drying", {200, 255, 145}},
        {"hair", {150, 200, 255}},
        {"facial", {255, 200, 228}},
        {"massage", {255, 180, 100}},
        {"flea", {255, 180, 100}},
        {"sofa", {255, 255, 255}},
    };
    for (auto const& c : cases) {
        auto piece = make(c.name, 1, 220, 120);
        piece->showVFX();
        ASSERT_NE(piece->pVFX(), nullptr) << c.name;
        // The sheet's alpha is premultiplied, so every opacity change sets the colour
        // to the opacity and the fade whitens the tint; a texture drawn as it is keeps
        // the tint, which shows what was asked for.
        EXPECT_EQ(piece->pVFX()->color(), (engine::Color3B {0, 0, 0})) << c.name;
        piece->removeVFX();
        piece->pVFX()->setOpacityModifyRGB(false);
        piece->showVFX();
        EXPECT_EQ(piece->pVFX()->color(), c.tint) << c.name;
    }
}

TEST_F(FurnitureTest, ServiceEffectFadesInStepsAndFadesAway) {
    auto bath = make("bath", 1, 220, 120);
    bath->showVFX();
    auto* effect = bath->pVFX();
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(bath->bShowVFX());
    // At the pet's spot, drawn at the depth of that spot, twelve frames a second.
    EXPECT_EQ(effect->position(), bath->getPetPos());
    EXPECT_EQ(effect->getZPos(), 3200 - 1100);
    EXPECT_EQ(effect->manager()->parent(), layer.get());
    EXPECT_EQ(effect->fps(), 12);
    EXPECT_TRUE(effect->visible());
    EXPECT_EQ(effect->opacity(), 0);
    frames(30);
    EXPECT_EQ(effect->opacity(), 255);
    bath->showVFX();
    EXPECT_EQ(bath->pVFX(), effect);

    // Each salon frame steps it by the frame time.
    ASSERT_GE(effect->frameCount(), 2u);
    game::GameGlobals::shared().deltaTime = 1.0f / 12;
    int before = effect->getFrameIndex();
    bath->updateVFX();
    EXPECT_EQ(effect->getFrameIndex(), (before + 1) % int(effect->frameCount()));

    bath->removeVFX();
    EXPECT_FALSE(bath->bShowVFX());
    bath->updateVFX();
    EXPECT_TRUE(effect->visible());
    frames(30);
    EXPECT_EQ(effect->opacity(), 0);
    bath->updateVFX();
    EXPECT_FALSE(effect->visible());

    // Shown again, the same effect comes back.
    bath->showVFX();
    EXPECT_EQ(bath->pVFX(), effect);
    EXPECT_TRUE(effect->visible());
}

TEST_F(FurnitureTest, ReleasingAPieceTakesItsSpriteAndTimerAway) {
    auto bath = make("bath", 1);
    bath->modServingTimeMult(0.5f, 1, 10);
    bath->showUpgradeIcon(false);
    bath->showVFX();
    EXPECT_EQ(layer->children().size(), 2u);
    bath = nullptr;
    // The effect goes with the piece instead of staying on the floor.
    EXPECT_EQ(layer->children().size(), 0u);
    EXPECT_EQ(foundation::RunLoop::main().timerCount(), 0u);
    foundation::RunLoop::main().runFor(11);
}

}
