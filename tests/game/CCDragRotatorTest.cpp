#include "TransferWheelFixture.hpp"

#include <engine/Sprite.hpp>
#include <game/server/CCDragRotator.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using game::CCDragRotator;
constexpr double pi = std::numbers::pi;

// A dial alone on the fixture's running layer, its arrow at (130, 130).
class CCDragRotatorTest : public test::TransferWheelTest {
protected:
    void TearDown() override {
        if (dial)
            layer->removeChild(dial.get(), engine::Cleanup::Yes);
        dial = nullptr;
        TransferWheelTest::TearDown();
    }
    CCDragRotator& make(engine::Point centre = {130, 130}) {
        dial = CCDragRotator::node();
        dial->loadRotatorImage("transfer_arrow.png", {0.5f, 1.0f / 6});
        dial->setRotatorCenter(centre);
        layer->addChild(dial, 1);
        return *dial;
    }
    // The handlers' own answers, for one finger at points of the scene.
    bool began(engine::Point at) {
        finger = ui::Touch::create(nullptr, nullptr, {at.x, screenHeight() - at.y}, 1, 0);
        ui::TouchSet set({finger});
        return dial->ccTouchesBegan(set, nullptr);
    }
    bool moved(engine::Point at) {
        finger->update(ui::TouchPhase::Moved, {at.x, screenHeight() - at.y}, 0);
        ui::TouchSet set({finger});
        return dial->ccTouchesMoved(set, nullptr);
    }
    bool ended() {
        ui::TouchSet set({finger});
        return dial->ccTouchesEnded(set, nullptr);
    }
    // A move from one point to another round the arrow, then the finger lifts.
    void flick(engine::Point from, engine::Point to) {
        began(from);
        moved(to);
        ended();
    }

    base::Ref<CCDragRotator> dial;
};

TEST_F(CCDragRotatorTest, TheAngleBetweenTwoTouchPointsIsSignedClockwise) {
    struct Row {
        char const* name;
        bool pad;
        // Points as a touch reports them in its view: y down from the screen's top.
        engine::Point a, b, centre;
        double angle;
    };
    // On the phone the centre (130, 130) stands at (130, 190) in the view.
    Row const rows[] = {
        {"right to below: a clockwise quarter", false, {230, 190}, {130, 290}, {130, 130}, pi / 2},
        {"below to right: back again", false, {130, 290}, {230, 190}, {130, 130}, -pi / 2},
        {"above to right", false, {130, 90}, {230, 190}, {130, 130}, pi / 2},
        {"a twelfth of a turn", false, {130, 90},
            {float(130 + 100 * std::sin(pi / 6)), float(190 - 100 * std::cos(pi / 6))}, {130, 130},
            pi / 6},
        {"the same point", false, {200, 150}, {200, 150}, {130, 130}, 0},
        {"a point on the centre", false, {130, 190}, {230, 190}, {130, 130}, 0},
        // Only the sine is taken: opposite points give 0.
        {"half a turn", false, {230, 190}, {30, 190}, {130, 130}, 0},
        // The tablet flips against 768: the centre (260, 260) is at (260, 508) in the view.
        {"tablet quarter", true, {460, 508}, {260, 708}, {260, 260}, pi / 2},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        ui::Device::currentDevice().setUserInterfaceIdiom(
            row.pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        EXPECT_NEAR(CCDragRotator::angleWithPointA(row.a, row.b, row.centre), row.angle, 1e-6);
    }
}

TEST_F(CCDragRotatorTest, ADragTurnsTheArrowAndItCoastsAtFortyFivePercentAFrame) {
    auto& d = make();
    // A twelfth of a turn clockwise, from straight above the arrow.
    flick({130, 190}, {float(130 + 60 * std::sin(pi / 6)), float(130 + 60 * std::cos(pi / 6))});
    double first = pi / 6;
    EXPECT_NEAR(d.theta(), first, 1e-6);
    EXPECT_NEAR(d.omega(), first, 1e-6);
    EXPECT_NEAR(d.rotatorSprite()->rotation(), 30, 1e-3);
    // Frame by frame: the speed is added, then keeps 45 % of itself.
    struct Frame {
        double theta, omega;
    };
    Frame const expected[] = {
        {first * 2, first * 0.45},
        {first * (2 + 0.45), first * 0.45 * 0.45},
        {first * (2 + 0.45 + 0.2025), first * 0.45 * 0.45 * 0.45},
    };
    for (auto const& frame : expected) {
        frames(1);
        EXPECT_NEAR(d.theta(), frame.theta, 1e-6);
        EXPECT_NEAR(d.omega(), frame.omega, 1e-6);
    }
    // It comes to rest without ever turning back.
    double last = d.theta();
    for (int i = 0; i < 2000 && d.omega() != 0; ++i) {
        frames(1);
        EXPECT_GE(d.theta(), last);
        last = d.theta();
    }
    EXPECT_EQ(d.omega(), 0);
    EXPECT_NEAR(d.theta(), first * (1 + 1 / (1 - 0.45)), 1e-6);
}

TEST_F(CCDragRotatorTest, WithoutLimitsTheDialTurnsPastATurnAndBelowZero) {
    auto& d = make();
    // Three quarter turns clockwise, twice, in small moves: one and a half turns.
    for (int i = 0; i < 2; ++i)
        turn({130, 130}, 0, 1.5 * pi);
    frames(120);
    EXPECT_GT(d.theta(), 3 * pi);
    d.setMin_theta(0);
    d.setMax_theta(0);
    for (int i = 0; i < 4; ++i)
        turn({130, 130}, 0, -1.5 * pi);
    frames(120);
    EXPECT_LT(d.theta(), -2 * pi);
}

TEST_F(CCDragRotatorTest, LimitsHoldAFlickAndTheUpperOneWinsWhenTheyCross) {
    auto& d = make();
    d.setMin_theta(0);
    d.setMax_theta(1);
    // A fast flick of a quarter turn stops at the upper limit and stays there.
    flick({130, 190}, {190, 130});
    EXPECT_DOUBLE_EQ(d.theta(), 1);
    frames(30);
    EXPECT_DOUBLE_EQ(d.theta(), 1);
    EXPECT_NEAR(d.rotatorSprite()->rotation(), 180 / pi, 1e-3);
    // One the other way stops at 0.
    flick({190, 130}, {130, 190});
    frames(30);
    EXPECT_DOUBLE_EQ(d.theta(), 0);
    // Crossed limits: the upper one wins.
    d.setMin_theta(2);
    d.setMax_theta(0.5);
    flick({130, 190}, {131, 190});
    EXPECT_DOUBLE_EQ(d.theta(), 0.5);
}

TEST_F(CCDragRotatorTest, OnlyTouchesThatBeginInTheHitSquareTurnTheDial) {
    struct Row {
        char const* name;
        bool pad;
        engine::Point centre;
        engine::Point at;
        bool taken;
    };
    Row const rows[] = {
        {"phone inside", false, {130, 130}, {10, 10}, true},
        {"phone right edge is outside", false, {130, 130}, {230, 100}, false},
        {"phone above", false, {130, 130}, {100, 240}, false},
        // The phone's square does not follow the arrow.
        {"phone arrow moved, old square", false, {400, 250}, {100, 100}, true},
        {"phone arrow moved, at the arrow", false, {400, 250}, {400, 250}, false},
        {"tablet round the arrow", true, {400, 250}, {620, 40}, true},
        {"tablet past the square", true, {400, 250}, {631, 250}, false},
        {"tablet at the old phone square", true, {400, 250}, {100, 100}, false},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        ui::Device::currentDevice().setUserInterfaceIdiom(
            row.pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        screen.emplace(row.pad ? engine::Size {1024, 768} : engine::Size {480, 320}, 1);
        auto& d = make(row.centre);
        EXPECT_EQ(began(row.at), row.taken);
        EXPECT_EQ(d.isTouching(), row.taken);
        // Its moves are ignored too when the touch was not taken.
        EXPECT_EQ(moved({row.at.x + 30, row.at.y}), row.taken);
        EXPECT_EQ(d.theta() != 0, row.taken);
        EXPECT_TRUE(ended());
        EXPECT_FALSE(d.isTouching());
        layer->removeChild(dial.get(), engine::Cleanup::Yes);
        dial = nullptr;
    }
}

TEST_F(CCDragRotatorTest, ALockedDialTakesNoTouchButACoastingOneGoesOn) {
    auto& d = make();
    flick({130, 190}, {190, 130});
    double speed = d.omega();
    d.setIsTouchEnabled(false);
    EXPECT_FALSE(began({100, 100}));
    frames(1);
    EXPECT_NEAR(d.omega(), speed * 0.45, 1e-9);
}

TEST_F(CCDragRotatorTest, AFingerDownPausesTheCoastingAndALiftWithoutMoveResumesIt) {
    auto& d = make();
    flick({130, 190}, {190, 130});
    double theta = d.theta();
    double speed = d.omega();
    began({100, 100});
    frames(10);
    EXPECT_EQ(d.theta(), theta);
    EXPECT_EQ(d.omega(), speed);
    ended();
    frames(1);
    EXPECT_NEAR(d.theta(), theta + speed, 1e-9);
}

TEST_F(CCDragRotatorTest, CleanupLetsTheArrowGo) {
    auto& d = make();
    base::Ref<engine::Sprite> arrow(d.rotatorSprite());
    layer->removeChild(dial.get(), engine::Cleanup::Yes);
    EXPECT_EQ(d.rotatorSprite(), nullptr);
    EXPECT_EQ(arrow->parent(), nullptr);
    dial = nullptr;
}

}
