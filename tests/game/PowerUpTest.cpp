#include "SalonDay.hpp"

#include <game/interface/CCIncomeDisplay.hpp>
#include <game/progression/CCItemBar.hpp>
#include <game/progression/IncomeBonusEffect.hpp>
#include <game/progression/ItemEffectAnim.hpp>
#include <game/progression/StaffSpeedEffect.hpp>
#include <game/progression/WildcardServiceEffect.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

using game::CCItemBar;
using game::GameGlobals;
using game::ItemEffectAnim;
using game::PowerUpEffect;
using game::Shop;

// A working day with the power-up bar on the salon layer; the test is the bar's
// delegate and uses an item as the interface does: one off the count, a new effect
// scheduled with delay 0 and attached to the button.
class PowerUpTest : public test::SalonDayTest, public game::CCItemBarDelegate {
protected:
    void SetUp() override {
        SalonDayTest::SetUp();
        GameGlobals::shared().day = 2;
        game::DataConrtoller::saveDay();
        load();
        ASSERT_FALSE(shop->isPaused());
        ASSERT_EQ(shop->getShopState(), 2);
        bar = CCItemBar::init();
        layer->addChild(bar, 10002);
        bar->setBarPosition({330, 320});
        bar->addButton("IncomeBonus", "sp_instant2.png", 10, 1);
        bar->addButton("WildcardBonus", "sp_wildcard.png", 10, 1);
        bar->addButton("SpeedBonus", "sp_power_up.png", 10, 1);
        bar->setDelegate(this);
    }

    void ccItemBar(CCItemBar& itemBar, std::string const& name) override {
        if (!itemBar.modItemCountForButton(name, -1))
            return;
        base::Ref<PowerUpEffect> effect;
        if (name == "IncomeBonus")
            effect = game::IncomeBonusEffect::init();
        else if (name == "WildcardBonus")
            effect = game::WildcardServiceEffect::init();
        else
            effect = game::StaffSpeedEffect::init();
        shop->itemEffectCtrl()->scheduleEffectDelay(effect, 0);
        itemBar.attachItemEffect(effect, name);
        used = effect;
    }

    // A finger on the button's picture.
    bool press(std::string const& name) {
        auto* timer = bar->timerSprite(name);
        auto size = timer->contentSize();
        auto at = timer->convertToWorldSpace({size.width / 2, size.height / 2});
        ui::TouchSet touches({ui::Touch::create(nullptr, nullptr, {at.x, 320 - at.y}, 1, 0)});
        return bar->ccTouchesBegan(touches, nullptr);
    }

    ItemEffectAnim* announcement() const {
        for (auto const& child : layer->children()) {
            if (auto* anim = dynamic_cast<ItemEffectAnim*>(child.get()))
                return anim;
        }
        return nullptr;
    }

    std::vector<game::QBY_Character*> customersAndPets() const {
        std::vector<game::QBY_Character*> all;
        for (int i = 0; i < Shop::customerSlots; ++i) {
            if (auto* customer = shop->getCustomer(i))
                all.push_back(customer);
            if (auto* pet = shop->getPet(i))
                all.push_back(pet);
        }
        return all;
    }

    // Frames until the announcement has gone and the salon runs again; the seconds
    // they took.
    float waitForTheAnnouncement() {
        int count = 0;
        while (shop->isPaused() && count < 600) {
            frame();
            ++count;
        }
        return float(count) / 60;
    }

    base::Ref<CCItemBar> bar;
    base::Ref<PowerUpEffect> used;
};

TEST_F(PowerUpTest, IncomeBonusFreezesTheSalonForItsAnnouncementThenChargesDoubleFor29Seconds) {
    framesFor(20);
    ASSERT_FALSE(customersAndPets().empty());
    ASSERT_TRUE(press("IncomeBonus"));
    ASSERT_TRUE(used);
    EXPECT_EQ(CCItemBar::savedCount("IncomeBonus"), 9);
    EXPECT_FALSE(announcement());

    frame();
    auto& globals = GameGlobals::shared();
    float frozenAt = globals.shopTime;
    ASSERT_TRUE(announcement());
    EXPECT_EQ(announcement()->zOrder(), 50000);
    EXPECT_TRUE(shop->isPausedFor(Shop::PauseReason::ItemEffectAnim));
    EXPECT_FLOAT_EQ(used->remainingTime(), 29);
    for (auto* character : customersAndPets())
        EXPECT_EQ(character->fChargeRatio(), 2.0f);
    EXPECT_TRUE(bar->isButtonLocked("IncomeBonus"));
    EXPECT_TRUE(press("IncomeBonus")) << "a locked button still takes the touch";
    EXPECT_EQ(CCItemBar::savedCount("IncomeBonus"), 9);

    float still = waitForTheAnnouncement();
    EXPECT_NEAR(still, 1.1f, 0.05f);
    EXPECT_FALSE(announcement());
    EXPECT_EQ(globals.shopTime, frozenAt);
    EXPECT_FLOAT_EQ(used->remainingTime(), 29) << "the 29 s begin after the announcement";
    frame();
    EXPECT_GT(globals.shopTime, frozenAt) << "the clock moves again";

    // Double until 29 s of item-effect clock have passed; those who arrive have it
    // from the frame after their arrival.
    float start = frozenAt;
    auto present = customersAndPets();
    while (globals.itemEffectTime < start + 28.9f) {
        frame();
        for (auto* character : present)
            ASSERT_EQ(character->fChargeRatio(), 2.0f) << globals.itemEffectTime;
        present = customersAndPets();
    }
    EXPECT_TRUE(bar->isButtonLocked("IncomeBonus"));
    framesFor(0.2f);
    for (auto* character : customersAndPets())
        EXPECT_EQ(character->fChargeRatio(), 1.0f);
    EXPECT_TRUE(shop->itemEffectCtrl()->timeline().empty());
    EXPECT_EQ(used->remainingTime(), 0);
    EXPECT_FALSE(bar->isButtonLocked("IncomeBonus"));
    EXPECT_FALSE(bar->timerSprite("IncomeBonus")->itemEffect());
}

TEST_F(PowerUpTest, PaymentsFloatOverTheCustomersWhoMadeThem) {
    framesFor(20);
    std::vector<game::QBY_Character*> payers;
    for (int i = 0; i < Shop::customerSlots && payers.size() < 2; ++i) {
        if (auto* customer = shop->getCustomer(i))
            payers.push_back(customer);
    }
    ASSERT_EQ(payers.size(), 2u);
    payers[0]->showIncome(40, 0.5f);
    payers[1]->showIncome(-5, -0.25f);
    for (int i = 0; i < 90; ++i) {
        frame();
        for (auto* payer : payers)
            payer->update();
    }
    ASSERT_EQ(hud->incomeShown.size(), 2u);
    int markers = 0;
    for (auto const& child : layer->children())
        markers += dynamic_cast<game::CCIncomeDisplay*>(child.get()) != nullptr;
    EXPECT_EQ(markers, 2) << "one second apart, both still rising";
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    layer->visit();
    glDisable(GL_BLEND);
    glFinish();
    saveImage("salon-income-markers");
}

TEST_F(PowerUpTest, SpeedBonusSpeedsUpTheStaffOfItsStartAndGivesBackTheirSpeeds) {
    std::map<game::QBY_Character*, std::pair<float, float>> before;
    for (int i = 0; i < Shop::staffSlots; ++i) {
        if (auto* staff = shop->getStaff(i))
            before[staff] = {staff->fWalkSpeed(), staff->fServingSpeed()};
    }
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(press("SpeedBonus"));
    frame();
    for (auto const& [staff, speeds] : before) {
        EXPECT_FLOAT_EQ(staff->fWalkSpeed(), float(double(speeds.first) * 2.5));
        EXPECT_FLOAT_EQ(staff->fServingSpeed(), float(double(speeds.second) * 2.5));
    }
    waitForTheAnnouncement();
    framesFor(19.2f);
    EXPECT_TRUE(shop->itemEffectCtrl()->timeline().empty());
    for (auto const& [staff, speeds] : before) {
        EXPECT_FLOAT_EQ(staff->fWalkSpeed(), speeds.first);
        EXPECT_FLOAT_EQ(staff->fServingSpeed(), speeds.second);
    }
}

TEST_F(PowerUpTest, WildcardRunsUntilTheWorkingHoursEnd) {
    ASSERT_TRUE(press("WildcardBonus"));
    frame();
    waitForTheAnnouncement();
    framesFor(5);
    EXPECT_TRUE(shop->wildcardMode());
    shop->startNonWorkingHour();
    EXPECT_FALSE(shop->wildcardMode());
    EXPECT_TRUE(shop->itemEffectCtrl()->timeline().empty());
    EXPECT_EQ(used->remainingTime(), 0);
}

TEST_F(PowerUpTest, ClosingDuringTheAnnouncementTakesItAwayAndLeavesTheSalonUnpaused) {
    ASSERT_TRUE(press("IncomeBonus"));
    frame();
    ASSERT_TRUE(announcement());
    shop->startNonWorkingHour();
    EXPECT_FALSE(announcement());
    EXPECT_FALSE(shop->isPausedFor(Shop::PauseReason::ItemEffectAnim));
    for (auto* character : customersAndPets())
        EXPECT_EQ(character->fChargeRatio(), 1.0f);
}

TEST_F(PowerUpTest, APauseHeldForAnotherReasonOutlivesTheAnnouncement) {
    ASSERT_TRUE(press("WildcardBonus"));
    frame();
    ASSERT_TRUE(announcement());
    // The pause menu opens while the announcement plays.
    shop->pauseGame();
    framesFor(2);
    EXPECT_FALSE(announcement());
    EXPECT_TRUE(shop->isPaused());
    EXPECT_FALSE(shop->isPausedFor(Shop::PauseReason::ItemEffectAnim));
    auto& globals = GameGlobals::shared();
    float pausedAt = globals.shopTime;
    framesFor(1);
    EXPECT_EQ(globals.shopTime, pausedAt);
    EXPECT_FLOAT_EQ(used->remainingTime(), 19) << "the effect stands still with the salon";
    shop->resumeGame();
    EXPECT_FALSE(shop->isPaused());
    frame();
    EXPECT_GT(globals.shopTime, pausedAt);
}

TEST_F(PowerUpTest, AnEmptyButtonRefusesAUseAndStaysFree) {
    ASSERT_TRUE(bar->modItemCountForButton("SpeedBonus", -10));
    EXPECT_EQ(CCItemBar::savedCount("SpeedBonus"), 0);
    EXPECT_TRUE(press("SpeedBonus"));
    EXPECT_FALSE(used);
    frame();
    EXPECT_FALSE(announcement());
    EXPECT_FALSE(bar->isButtonLocked("SpeedBonus"));
    EXPECT_EQ(CCItemBar::savedCount("SpeedBonus"), 0);
}

TEST(PowerUps, DurationsPricesAndTextsAgree) {
    struct Case {
        base::Ref<base::Dictionary> info;
        base::Ref<PowerUpEffect> effect;
        char const* uid;
        char const* name;
        char const* desc;
        char const* thumb;
        char const* key;
        float duration;
    };
    Case const cases[] = {
        {game::IncomeBonusEffect::purchaseData(), game::IncomeBonusEffect::init(), "itm_000",
            "Tip Magnet", "Your staff receives extra tips for 29 seconds.", "icon_tips_x_5.png",
            "IncomeBonus", 29},
        {game::WildcardServiceEffect::purchaseData(), game::WildcardServiceEffect::init(),
            "itm_001", "Supercharged Facilities",
            "For 19 seconds, any service can be performed at any station.", "icon_wildcard_x_5.png",
            "WildcardBonus", 19},
        {game::StaffSpeedEffect::purchaseData(), game::StaffSpeedEffect::init(), "itm_002",
            "Power Boost", "Your staff works/moves 2.5 times as fast for 19 seconds.",
            "icon_power_x_5.png", "SpeedBonus", 19},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.uid);
        auto const& info = *c.info;
        EXPECT_EQ(info.size(), 7u);
        EXPECT_EQ(info["cost"].intValue(), 15);
        EXPECT_EQ(info["cost_type"].stringValue(), "pp");
        EXPECT_EQ(info["type"].stringValue(), "consumable");
        EXPECT_EQ(info["uid"].stringValue(), c.uid);
        EXPECT_EQ(info["name"].stringValue(), c.name);
        EXPECT_EQ(info["desc"].stringValue(), c.desc);
        auto* data = info["data"].dictionary();
        ASSERT_TRUE(data);
        EXPECT_EQ(data->size(), 3u);
        EXPECT_EQ((*data)["thumb"].stringValue(), c.thumb);
        EXPECT_EQ((*data)["data_key"].stringValue(), c.key);
        EXPECT_EQ((*data)["lot_size"].intValue(), 5);
        EXPECT_EQ(c.effect->effectDuration(), c.duration);
        EXPECT_EQ(c.effect->cooldownDuration(), 0);
        EXPECT_EQ(c.effect->defaultCount(), 10);
        EXPECT_EQ(c.effect->defaultLevel(), 1);
    }
    // The formulas by level.
    auto income = game::IncomeBonusEffect::init();
    auto wildcard = game::WildcardServiceEffect::init();
    auto speed = game::StaffSpeedEffect::init();
    for (int level : {2, 5}) {
        income->setLevel(level);
        wildcard->setLevel(level);
        speed->setLevel(level);
        EXPECT_EQ(income->effectDuration(), float(2 * level + 27));
        EXPECT_EQ(wildcard->effectDuration(), float(level + 18));
        EXPECT_EQ(speed->effectDuration(), float(2 * level + 17));
        EXPECT_EQ(speed->speedFactor(), 0.5f * float(level) + 2);
    }
}

class ItemEffectAnimTest : public test::SalonFixture { };

TEST_F(ItemEffectAnimTest, EachAnnouncementTakesOneAndATenthSecondsSwallowsTouchesAndCleansUp) {
    struct Case {
        char const* what;
        base::Ref<ItemEffectAnim> (*make)();
        bool animatedIcon, icon, spinner;
    };
    Case const cases[] = {
        {"speed", &ItemEffectAnim::initSpeedBonusAnim, true, false, false},
        {"income", &ItemEffectAnim::initIncomeBonusAnim, false, true, false},
        {"wildcard", &ItemEffectAnim::initWildcardBonusAnim, false, true, true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        auto anim = c.make();
        layer->addChild(anim, 50000);
        ASSERT_TRUE(anim->background());
        EXPECT_EQ(anim->background()->scaleY(), 0);
        EXPECT_EQ(anim->animatedIcon() != nullptr, c.animatedIcon);
        EXPECT_EQ(anim->icon() != nullptr, c.icon);
        EXPECT_EQ(anim->spinner() != nullptr, c.spinner);
        ui::TouchSet touches;
        EXPECT_TRUE(anim->ccTouchesBegan(touches, nullptr));
        EXPECT_TRUE(anim->ccTouchesMoved(touches, nullptr));
        EXPECT_TRUE(anim->ccTouchesEnded(touches, nullptr));
        EXPECT_TRUE(anim->ccTouchesCancelled(touches, nullptr));
        frames(40);
        EXPECT_EQ(anim->background()->scaleY(), 1) << "open while the icon rests";
        frames(23);
        EXPECT_FALSE(anim->isAnimFinished());
        frames(5);
        EXPECT_TRUE(anim->isAnimFinished());
        frames(10);
        EXPECT_TRUE(anim->isAnimFinished());
        layer->removeChild(anim.get(), engine::Cleanup::Yes);
        EXPECT_FALSE(anim->background());
        EXPECT_FALSE(anim->animatedIcon());
        EXPECT_FALSE(anim->icon());
        EXPECT_FALSE(anim->spinner());
        EXPECT_TRUE(anim->children().empty());
    }
}

}
