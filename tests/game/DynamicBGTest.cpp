#include "HudFixture.hpp"

#include <foundation/Random.hpp>
#include <game/interface/DynamicBG.hpp>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using game::DynamicBG;
using game::DynamicBubble;

class DynamicBGTest : public test::HudTest {
protected:
    std::vector<DynamicBubble*> bubbles(DynamicBG& background) const {
        std::vector<DynamicBubble*> found;
        for (auto const& child : background.children()) {
            if (auto* bubble = dynamic_cast<DynamicBubble*>(child.get()))
                found.push_back(bubble);
        }
        return found;
    }
};

TEST_F(DynamicBGTest, TwoBubblesASecondRiseAPointAFrameAndGoAfterFiveSeconds) {
    foundation::srandom(11);
    auto background = DynamicBG::node();
    layer->addChild(background);
    EXPECT_TRUE(bubbles(*background).empty());
    seconds(1.05f);
    auto first = bubbles(*background);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0]->zOrder(), 1);
    EXPECT_NEAR(first[0]->position().x, 64, 1);
    EXPECT_NEAR(first[1]->position().x, 425, 1);
    base::Ref<DynamicBubble> bubble(first[0]);
    auto start = bubble->position();
    frames(30);
    EXPECT_NEAR(bubble->position().y - start.y, 30, 0.01f) << "per frame, not per second";
    EXPECT_LE(std::fabs(bubble->position().x - start.x), 15.01f);
    EXPECT_GE(bubble->phase(), 0);
    EXPECT_LT(bubble->phase(), 1024);
    EXPECT_GT(bubble->spin(), -0.5f);
    EXPECT_LE(bubble->spin(), 0.5f);
    seconds(4.5f);
    EXPECT_FALSE(bubble->parent());
    EXPECT_FALSE(bubble->bubbleSprite());

    background->stopBubbles();
    auto alive = bubbles(*background).size();
    seconds(1);
    EXPECT_LE(bubbles(*background).size(), alive);
    seconds(5);
    EXPECT_TRUE(bubbles(*background).empty());
}

TEST_F(DynamicBGTest, SeededBubblesRepeat) {
    auto phases = [&] {
        foundation::srandom(5);
        auto bubble = DynamicBubble::initWithImageNamed("qby2_title_bubble1.png", false);
        return std::pair {bubble->phase(), bubble->spin()};
    };
    EXPECT_EQ(phases(), phases());
}

TEST_F(DynamicBGTest, HidingTheTitleDimsItAndLaterBubbles) {
    auto background = DynamicBG::node();
    layer->addChild(background);
    background->showTitle();
    EXPECT_TRUE(background->titleButton()->visible());
    seconds(1.05f);
    auto bright = bubbles(*background);
    ASSERT_EQ(bright.size(), 2u);
    EXPECT_EQ(bright[0]->bubbleSprite()->opacity(), 255);
    EXPECT_TRUE(background->isTitleActionDone()) << "the endless bob does not count";

    background->hideTitle();
    EXPECT_FALSE(background->isTitleActionDone());
    seconds(0.25f);
    EXPECT_FALSE(background->isTitleActionDone());
    seconds(0.3f);
    EXPECT_TRUE(background->isTitleActionDone());
    EXPECT_EQ(background->background()->opacity(), 128);
    EXPECT_EQ(background->titleButton()->opacity(), 0);
    EXPECT_EQ(background->foreground()->color(), (engine::Color3B {128, 128, 128}));

    // Bubbles made from now on are tinted grey as well as fading; the bright ones only fade.
    seconds(0.5f);
    auto all = bubbles(*background);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[2]->bubbleSprite()->numberOfRunningActions(), 2);
    EXPECT_EQ(bright[0]->bubbleSprite()->numberOfRunningActions(), 1);
}

TEST_F(DynamicBGTest, ADimBubbleStartsAtHalfOpacityAndTintsToGrey) {
    auto dim = DynamicBubble::initWithImageNamed("qby2_title_bubble2.png", true);
    auto bright = DynamicBubble::initWithImageNamed("qby2_title_bubble2.png", false);
    EXPECT_EQ(dim->bubbleSprite()->opacity(), 128);
    EXPECT_EQ(bright->bubbleSprite()->opacity(), 255);
    EXPECT_EQ(dim->bubbleSprite()->numberOfRunningActions(), 2);
    EXPECT_EQ(bright->bubbleSprite()->numberOfRunningActions(), 1);
}

TEST_F(DynamicBGTest, TheTitlePictureFollowsThePreferredLanguageWhenTheBundleHasIt) {
    struct Case {
        char const* language;
        char const* picture;
    };
    Case const cases[] = {{"en", "Title_Name.png"}, {"xx", "Title_Name.png"}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.language);
        auto languages = base::Array::create();
        languages->add(std::string(c.language));
        foundation::UserDefaults::standardUserDefaults().setObject(
            base::Value(languages), "AppleLanguages");
        auto background = DynamicBG::node();
        EXPECT_EQ(background->title()->texture(), texture(c.picture));
        EXPECT_FALSE(background->logo()->parent()) << "the logo is kept but not drawn";
    }
}

}
