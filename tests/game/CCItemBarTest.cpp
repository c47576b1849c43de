#include "HudFixture.hpp"
#include "RecordingEffect.hpp"

#include <engine/Label.hpp>
#include <game/progression/CCItemBar.hpp>
#include <game/progression/CCTimerSprite.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using game::CCItemBar;
using game::CCTimerSprite;

class CCItemBarTest : public test::HudTest, public game::CCItemBarDelegate {
protected:
    base::Ref<CCItemBar> makeBar() {
        auto bar = CCItemBar::init();
        layer->addChild(bar, 10002);
        bar->setBarPosition({330, 320});
        bar->addButton("IncomeBonus", "sp_instant2.png", 10, 1);
        bar->addButton("WildcardBonus", "sp_wildcard.png", 10, 1);
        bar->setDelegate(this);
        return bar;
    }
    static std::string shown(CCItemBar& bar, std::size_t button) {
        auto* label = static_cast<engine::Label*>(
            bar.buttons()[button]->getChildByTag(CCItemBar::countTag));
        return label->getText();
    }
    ui::TouchSet onButton(CCItemBar& bar, char const* name) {
        auto* timer = bar.timerSprite(name);
        auto size = timer->contentSize();
        return touchAt(timer->convertToWorldSpace({size.width / 2, size.height / 2}));
    }
    void ccItemBar(CCItemBar&, std::string const& name) override { pressed.push_back(name); }

    std::vector<std::string> pressed;
};

TEST_F(CCItemBarTest, CountsAreSavedAndSurviveARestart) {
    auto bar = makeBar();
    EXPECT_EQ(shown(*bar, 0), "10");
    auto record = foundation::UserDefaults::standardUserDefaults().dictionaryForKey(
        "SYS_SPITEM_BTN_IncomeBonus");
    ASSERT_TRUE(record);
    EXPECT_EQ((*record)["ITEM_COUNT"].intValue(), 10);
    EXPECT_EQ((*record)["ITEM_LEVEL"].intValue(), 1);

    EXPECT_TRUE(bar->modItemCountForButton("IncomeBonus", -9));
    EXPECT_EQ(shown(*bar, 0), "1");
    EXPECT_TRUE(bar->modItemCountForButton("IncomeBonus", -1));
    EXPECT_FALSE(bar->modItemCountForButton("IncomeBonus", -1)) << "none left";
    EXPECT_EQ(CCItemBar::savedCount("IncomeBonus"), 0);
    EXPECT_TRUE(bar->modItemCountForButton("WildcardBonus", 5)) << "a batch bought";
    EXPECT_EQ(shown(*bar, 1), "15");
    bar->modItemLevelForButton("WildcardBonus", 2);

    layer->removeChild(bar.get(), engine::Cleanup::Yes);
    auto again = makeBar();
    EXPECT_EQ(shown(*again, 0), "0");
    EXPECT_EQ(shown(*again, 1), "15");
    EXPECT_EQ(foundation::UserDefaults::standardUserDefaults()
                  .dictionaryForKey("SYS_SPITEM_BTN_WildcardBonus")
                  ->objectForKey("ITEM_LEVEL")
                  .intValue(),
        3);
}

TEST_F(CCItemBarTest, WithoutARecordAUseIsRefusedAndAnAdditionStartsAtZero) {
    auto bar = makeBar();
    EXPECT_FALSE(bar->modItemCountForButton("SpeedBonus", -1));
    EXPECT_FALSE(foundation::UserDefaults::standardUserDefaults().dictionaryForKey(
        CCItemBar::recordKey("SpeedBonus")));
    EXPECT_TRUE(bar->modItemCountForButton("SpeedBonus", 5));
    EXPECT_EQ(CCItemBar::savedCount("SpeedBonus"), 5);
}

TEST_F(CCItemBarTest, ButtonsSitSideBySideBelowTheBarPosition) {
    auto bar = makeBar();
    auto const& buttons = bar->buttons();
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0]->position(), (engine::Point {330, 320}));
    float width = bar->timerSprite("IncomeBonus")->contentSize().width;
    EXPECT_EQ(buttons[1]->position(), (engine::Point {330 + width + 5, 320}));
    auto* timer = bar->timerSprite("IncomeBonus");
    EXPECT_EQ(timer->tag(), CCItemBar::timerTag);
    EXPECT_EQ(timer->overlayPath(), "sp_effect.png");
    EXPECT_EQ(timer->lightPath(), "sp_effect.png");
}

TEST_F(CCItemBarTest, PressesLockTheButtonAndGoToTheDelegate) {
    auto bar = makeBar();
    auto touches = onButton(*bar, "WildcardBonus");
    EXPECT_TRUE(bar->ccTouchesBegan(touches, nullptr));
    EXPECT_EQ(pressed, (std::vector<std::string> {"WildcardBonus"}));
    EXPECT_TRUE(bar->timerSprite("WildcardBonus")->overlay()->visible());
    EXPECT_EQ(bar->timerSprite("WildcardBonus")->overlay()->opacity(), 200);
    EXPECT_FALSE(bar->isButtonLocked("WildcardBonus")) << "no effect attached: still free";

    std::vector<std::string> calls;
    auto effect = test::RecordingEffect::create("a", calls, 10);
    effect->cooldown(10);
    bar->attachItemEffect(effect, "WildcardBonus");
    frames(1);
    EXPECT_TRUE(bar->isButtonLocked("WildcardBonus"));
    touches = onButton(*bar, "WildcardBonus");
    EXPECT_TRUE(bar->ccTouchesBegan(touches, nullptr)) << "locked: taken, nothing done";
    EXPECT_EQ(pressed.size(), 1u);

    touches = touchAt({10, 10});
    EXPECT_FALSE(bar->ccTouchesBegan(touches, nullptr));
    EXPECT_TRUE(bar->isButtonLocked("NoSuchButton"));
}

TEST_F(CCItemBarTest, BubblesAreAddedOncePerButtonAndRemoved) {
    auto bar = makeBar();
    bar->setBubblesVisible(true);
    bar->setBubblesVisible(true);
    for (auto const& button : bar->buttons()) {
        int bubbles = 0;
        for (auto const& child : button->children())
            bubbles += child && child->tag() == CCItemBar::bubbleTag;
        EXPECT_EQ(bubbles, 1);
    }
    frames(30);
    auto* bubble = bar->buttons()[0]->getChildByTag(CCItemBar::bubbleTag);
    EXPECT_GT(bubble->scale(), 0.5f);
    bar->setBubblesVisible(false);
    for (auto const& button : bar->buttons())
        EXPECT_FALSE(button->getChildByTag(CCItemBar::bubbleTag));
}

class CCTimerSpriteTest : public test::HudTest { };

TEST_F(CCTimerSpriteTest, RatioFollowsTheRemainingTimeAndFreesTheButtonAtExactlyZero) {
    auto sprite = CCTimerSprite::initWithFile("sp_instant2.png");
    sprite->setPosition({100, 100});
    layer->addChild(sprite);
    EXPECT_EQ(sprite->overlay(), nullptr);
    sprite->setOverlayPath("sp_effect.png");
    sprite->setLightPath("sp_effect.png");
    ASSERT_TRUE(sprite->overlay());
    auto* overlay = sprite->overlay();
    sprite->setOverlayPath(std::string("sp_effect.png"));
    sprite->setOverlayPath("sp_buy.png");
    EXPECT_EQ(sprite->overlay(), overlay) << "a new path replaces the texture only";
    EXPECT_EQ(overlay->texture(), texture("sp_buy.png"));
    sprite->setOverlayPath("sp_effect.png");
    frames(1);
    EXPECT_EQ(sprite->cooldownRatio(), 0);
    EXPECT_EQ(sprite->scissorBox().height, 0);

    std::vector<std::string> calls;
    auto effect = test::RecordingEffect::create("a", calls, 20, 0);
    sprite->lock();
    sprite->setItemEffect(effect);
    auto h = double(overlay->contentSize().height);
    struct Step {
        float remaining;
        double ratio;
        bool attached;
    };
    Step const steps[] = {{20, 1, true}, {10, 0.5, true}, {-0.01f, -0.0005, true}, {0, 0, false}};
    for (auto const& step : steps) {
        SCOPED_TRACE(step.remaining);
        effect->cooldown(step.remaining);
        frames(1);
        EXPECT_NEAR(sprite->cooldownRatio(), step.ratio, 1e-6);
        EXPECT_EQ(sprite->itemEffect() != nullptr, step.attached);
    }
    EXPECT_FALSE(overlay->visible());
    EXPECT_GT(sprite->light()->opacity(), 200) << "the light flashes";
    frames(100);
    EXPECT_EQ(sprite->light()->opacity(), 0);

    // The band: 6 points above the overlay's bottom, (h - 16) x ratio high.
    sprite->setItemEffect(effect);
    effect->cooldown(20);
    frames(1);
    auto box = sprite->scissorBox();
    auto centre = sprite->convertToWorldSpace(overlay->position());
    EXPECT_DOUBLE_EQ(box.y, double(centre.y - overlay->contentSize().height * 0.5f + 6));
    EXPECT_DOUBLE_EQ(box.height, h - 16);
    EXPECT_DOUBLE_EQ(box.width, double(overlay->contentSize().width));
}

}
