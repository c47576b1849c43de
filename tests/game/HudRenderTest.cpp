#include "HudFixture.hpp"
#include "RecordingEffect.hpp"

#include <engine/DirectorServices.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/progression/CCTimerSprite.hpp>
#include <game/shell/DataManager.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A 480 x 320 point screen drawn at a number of pixels per point.
class ScaledDirector final : public engine::DirectorServices {
public:
    explicit ScaledDirector(float scale)
        : scale_(scale) {
        install(this);
    }
    ~ScaledDirector() override { install(nullptr); }

    engine::Size displaySize() const override { return {320, 480}; }
    int deviceOrientation() const override { return 3; }
    engine::Point convertCoordinate(engine::Point p) const override { return {p.x, 320 - p.y}; }
    float contentScaleFactor() const override { return scale_; }

private:
    float scale_;
};

class HudRenderTest : public test::HudTest, public ::testing::WithParamInterface<int> {
protected:
    HudRenderTest()
        : HudTest(480 * GetParam(), 320 * GetParam())
        , scale(GetParam()) { }

    void SetUp() override {
        HudTest::SetUp();
        scaled = std::make_unique<ScaledDirector>(float(scale));
    }
    void TearDown() override {
        scaled = nullptr;
        HudTest::TearDown();
    }

    void draw(engine::SceneNode& node) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glPushMatrix();
        glScalef(float(scale), float(scale), 1);
        node.visit();
        glPopMatrix();
        glDisable(GL_BLEND);
        glFinish();
    }
    // The pixel under a point of the scene.
    graphics::Rgba at(float x, float y) const {
        return pixel(int(x * float(scale)), int(y * float(scale)));
    }
    static bool dark(graphics::Rgba p) { return p.r < 8 && p.g < 8 && p.b < 8; }

    int scale;
    std::unique_ptr<ScaledDirector> scaled;
};

TEST_P(HudRenderTest, TheTabBarIsCutAtItsBand) {
    game::DataManager::setBool(true, game::CCTabBar::firstRunKey);
    auto bar = game::CCTabBar::init();
    bar->setBarPosition({2, 220});
    bar->addTab("tab_staffs.png");
    bar->addTab("tab_device.png");
    layer->addChild(bar);
    // Half way down: the tabs' tops at 245, the band's top at 220.
    bar->extendTabs();
    seconds(0.4f);
    auto* tab = bar->tabs()[0].get();
    float x = tab->position().x;
    ASSERT_NEAR(tab->position().y + tab->contentSize().height / 2, 245, 2);
    draw(*layer);
    EXPECT_TRUE(dark(at(x, 230))) << "above the band";
    EXPECT_TRUE(dark(at(x, 222))) << "above the band";
    EXPECT_FALSE(dark(at(x, 210))) << "inside the band";
    EXPECT_FALSE(dark(at(x, 198))) << "inside the band";
    // The scissor test is off again after the bar.
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_P(HudRenderTest, TheCooldownBandFollowsTheRatio) {
    auto sprite = game::CCTimerSprite::initWithFile("sp_instant2.png");
    sprite->setPosition({240, 160});
    sprite->setOverlayPath("sp_effect.png");
    layer->addChild(sprite);
    // The picture alone, for reference.
    sprite->overlay()->setVisible(false);
    draw(*layer);
    auto bottom = 160 - sprite->overlay()->contentSize().height / 2;
    auto h = sprite->overlay()->contentSize().height;
    std::vector<graphics::Rgba> plain;
    for (float y = bottom; y < bottom + h; y += 1)
        plain.push_back(at(240, y + 0.5f));

    std::vector<std::string> calls;
    auto effect = test::RecordingEffect::create("a", calls, 10);
    sprite->lock();
    sprite->setItemEffect(effect);
    struct Case {
        float remaining;
        float band;
    };
    // Just below 0 on the update on which the effect ends: no band, and a valid clip.
    for (auto const& c :
        {Case {10, h - 16}, Case {5, (h - 16) / 2}, Case {0.0001f, 0}, Case {-0.01f, 0}}) {
        SCOPED_TRACE(c.remaining);
        effect->cooldown(c.remaining);
        frames(1);
        draw(*layer);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        int row = 0;
        for (float y = bottom; y < bottom + h; y += 1, ++row) {
            bool inBand = y >= bottom + 6 && y + 1 <= bottom + 6 + c.band;
            bool outside = y + 1 <= bottom + 6 || y >= bottom + 6 + c.band + 1;
            auto p = at(240, y + 0.5f);
            bool same = p.r == plain[std::size_t(row)].r && p.g == plain[std::size_t(row)].g
                && p.b == plain[std::size_t(row)].b;
            if (inBand) {
                EXPECT_FALSE(same) << "row " << row << " darkened";
            } else if (outside) {
                EXPECT_TRUE(same) << "row " << row << " untouched";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PixelsPerPoint, HudRenderTest, ::testing::Values(1, 2));

}
