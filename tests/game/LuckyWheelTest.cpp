// The prize wheel screen of the game: building the rim from the wheel file, the spin
// states on the nominal tick, the award from the wheel's angle, the buy-token panel
// and the game's currencies and tokens.

#include "WheelFixture.hpp"

#include <foundation/UserDefaults.hpp>
#include <game/progression/AnimViewManager.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <support/LogCapture.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace test {
namespace {

using game::GameGlobals;
using game::LuckyWheelViewController;
using game::MyLuckyWheelViewController;

constexpr float pi = std::numbers::pi_v<float>;

class LuckyWheelTest : public WheelFixture {
protected:
    // Stores the balances that the wheel reads from the save data.
    static void save(int money, int petPoints, int credit) {
        auto& globals = GameGlobals::shared();
        globals.money = money;
        globals.petPoints = petPoints;
        game::DataConrtoller::saveMoney();
        game::DataConrtoller::savePetPoints();
        if (credit >= 0)
            defaults().setInteger(credit, "credit");
    }
    static foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }
    // Degrees the wheel turns over ticks while it is in state, unwrapped.
    static double turnWhileIn(LuckyWheelViewController& wheel, int state, int& ticks) {
        double turned = 0;
        ticks = 0;
        while (wheel.curState() == state && ticks < 2000) {
            float before = wheel.curAngle();
            wheel.update(nullptr);
            double step = double(wheel.curAngle() - before) * 180 / std::numbers::pi;
            if (step < -180)
                step += 360;
            turned += step;
            ++ticks;
        }
        return turned;
    }
};

}

TEST_F(LuckyWheelTest, TheRimAndTheListComeFromTheWheelFile) {
    auto wheel = loadedWheel();
    EXPECT_EQ(wheel->degreeUnit(), 15);
    ASSERT_EQ(wheel->prizeSectorDict().size(), 24u);
    struct Unit {
        int unit;
        int prize;
    };
    Unit const units[]
        = {{0, 0}, {6, 0}, {7, 1}, {12, 1}, {13, 2}, {16, 3}, {20, 4}, {22, 5}, {23, 6}};
    for (auto const& [unit, prize] : units)
        EXPECT_EQ(wheel->prizeSectorDict().objectForKey(std::to_string(unit)).intValue(), prize)
            << unit;
    ASSERT_EQ(wheel->prizeDict().size(), 7u);
    auto prize
        = [&](int i) { return wheel->prizeDict().objectForKey(std::to_string(i)).dictionaryRef(); };
    EXPECT_EQ(prize(2)->objectForKey("PRIZE_TYPE_KEY").intValue(), 0);
    EXPECT_EQ(prize(2)->objectForKey("PRIZE_VALUE_KEY").intValue(), 250);
    EXPECT_EQ(prize(5)->objectForKey("PRIZE_TYPE_KEY").intValue(), 1);
    EXPECT_EQ(prize(5)->objectForKey("PRIZE_VALUE_KEY").intValue(), 5);
    // One row a prize in the list, under the container of the flying icons.
    EXPECT_EQ(wheel->prizeBgDict().size(), 7u);
    auto& subviews = wheel->iWheelInterfaceView()->subviews();
    EXPECT_EQ(subviews.back().get(), wheel->iAnimationContainerView());
    EXPECT_EQ(subviews.front()->frame(), graphics::makeRect(224, 50, 252, 37));
    // A strip per unit and a divider per prize.
    EXPECT_EQ(wheel->iWheelView()->subviews().size(), 24u + 7u);
}

TEST_F(LuckyWheelTest, AFingerOnAButtonReachesItThroughTheListThatLiesOverTheScreen) {
    auto wheel = loadedWheel();
    auto* root = wheel->view();
    for (ui::Button* button :
        {wheel->iSpinButton(), wheel->iCloseButton(), wheel->iInvisibleAddCreditButton()}) {
        auto bounds = button->bounds();
        auto centre = button->convertPointToView(
            graphics::makePoint(bounds.size.width / 2, bounds.size.height / 2), root);
        auto* hit = root->hitTest(centre, nullptr);
        ASSERT_NE(hit, nullptr);
        EXPECT_TRUE(hit == button || hit->isDescendantOfView(button))
            << centre.x << ", " << centre.y;
    }
}

TEST_F(LuckyWheelTest, PrizeTextsAndMismatchedFilesAsTheyStand) {
    EXPECT_EQ(LuckyWheelViewController::getMoneyPrizeText(500), "$500");
    EXPECT_EQ(LuckyWheelViewController::getGamePointPrizeText(1), "1 Pet Point");
    EXPECT_EQ(LuckyWheelViewController::getGamePointPrizeText(2), "2 Pet Points");

    struct Case {
        char const* name;
        char const* prizes;
        char const* logged;
        std::size_t paying;
        std::size_t mapped;
    };
    Case const cases[] = {
        {"money wins over Vov Azavuz",
            "<dict><key>unit</key><integer>24</integer><key>money</key><integer>9</integer>"
            "<key>gamePoint</key><integer>3</integer></dict>",
            nullptr, 1, 24},
        {"an entry without a prize keeps its units",
            "<dict><key>unit</key><integer>12</integer></dict>"
            "<dict><key>unit</key><integer>12</integer><key>money</key><integer>9</integer></dict>",
            nullptr, 1, 24},
        {"too few units leave a gap",
            "<dict><key>unit</key><integer>20</integer><key>money</key><integer>9</integer></dict>",
            "Total number of unit is not 24!", 1, 20},
    };
    for (auto const& c : cases) {
        writeWheel(std::string("<plist version=\"1.0\"><dict><key>degreeUnit</key><real>15</real>"
                               "<key>prizes</key><array>")
            + c.prizes + "</array></dict></plist>");
        LogCapture log;
        auto wheel = loadedWheel();
        EXPECT_EQ(wheel->prizeDict().size(), c.paying) << c.name;
        EXPECT_EQ(wheel->prizeSectorDict().size(), c.mapped) << c.name;
        if (c.logged) {
            EXPECT_TRUE(log.contains(c.logged)) << c.name;
        }
        if (std::string(c.name).starts_with("money")) {
            auto paid = wheel->prizeDict().objectForKey("0").dictionaryRef();
            EXPECT_EQ(paid->objectForKey("PRIZE_TYPE_KEY").intValue(), 0);
            EXPECT_EQ(paid->objectForKey("PRIZE_VALUE_KEY").intValue(), 9);
        }
    }
}

TEST_F(LuckyWheelTest, AnglesReadAsUnitsCountedFromTheTop) {
    auto wheel = loadedWheel();
    struct Case {
        float degrees;
        int unit;
    };
    Case const cases[]
        = {{0, 0}, {-0.1f, 23}, {14.9f, 0}, {15.1f, 1}, {180, 12}, {-90, 18}, {359.9f, 23}};
    for (auto const& [degrees, unit] : cases)
        EXPECT_EQ(wheel->unitForAngle(degrees * pi / 180), unit) << degrees;
}

TEST_F(LuckyWheelTest, ASpinSpeedsUpInAbout123TicksAndBrakesInAbout310) {
    save(100, 0, 1);
    auto wheel = loadedWheel();
    ASSERT_TRUE(wheel->iSpinButton()->isEnabled());
    wheel->spinOnClick(wheel->iSpinButton());
    EXPECT_EQ(wheel->curState(), 1);
    EXPECT_EQ(wheel->getCredit(), 0);
    EXPECT_EQ(defaults().integerForKey("credit"), 0);
    EXPECT_FALSE(wheel->iSpinButton()->isEnabled());
    EXPECT_FALSE(wheel->iCloseButton()->isEnabled());

    int ticks = 0;
    double speedingUp = turnWhileIn(*wheel, 1, ticks);
    EXPECT_EQ(ticks, 123);
    EXPECT_NEAR(speedingUp, 415, 3);
    EXPECT_EQ(wheel->curState(), 2);
    EXPECT_EQ(wheel->rotateSpeed(), 16);
    EXPECT_EQ(wheel->iSpinButton()->currentTitle(), "Stop!");
    EXPECT_TRUE(wheel->iSpinButton()->isEnabled());

    // Pressing again while it runs at full speed stops it; the close button waits.
    wheel->closeOnClick(wheel->iCloseButton());
    EXPECT_EQ(wheel->curState(), 2);
    wheel->spinOnClick(wheel->iSpinButton());
    EXPECT_EQ(wheel->curState(), 3);
    wheel->spinOnClick(wheel->iSpinButton());
    EXPECT_EQ(wheel->curState(), 3);
    double braking = turnWhileIn(*wheel, 3, ticks);
    EXPECT_NEAR(ticks, 310, 2);
    EXPECT_NEAR(braking, 811, 5);

    // Stopped and paid: the row of the unit under the pointer is lit and its prize paid.
    EXPECT_EQ(wheel->curState(), 0);
    EXPECT_EQ(wheel->rotateSpeed(), 0);
    int unit = wheel->unitForAngle(wheel->curAngle());
    int prize = wheel->prizeSectorDict().objectForKey(std::to_string(unit)).intValue();
    EXPECT_EQ(wheel->lastPrizeColor(), prize);
    EXPECT_TRUE(wheel->prizeBgDict().at(std::to_string(prize))->isHighlighted());
    auto paid = wheel->prizeDict().objectForKey(std::to_string(prize)).dictionaryRef();
    int type = paid->objectForKey("PRIZE_TYPE_KEY").intValue();
    int value = paid->objectForKey("PRIZE_VALUE_KEY").intValue();
    EXPECT_EQ(GameGlobals::shared().money, type == 0 ? 100 + value : 100);
    EXPECT_EQ(GameGlobals::shared().petPoints, type == 1 ? value : 0);
    EXPECT_EQ(
        defaults().integerForKey(std::string("WHEEL_TRACKING_PRIZE_KEY_") + std::to_string(type)),
        1);
    ASSERT_EQ(services.events.size(), 1u);
    EXPECT_EQ(services.events[0],
        "Wheel " + (type == 0 ? "$" + std::to_string(value) : std::to_string(value) + " PP") + "="
            + std::to_string(value));
    // No token left: the button stays off.
    EXPECT_EQ(wheel->iSpinButton()->currentTitle(), "Spin!");
    EXPECT_FALSE(wheel->iSpinButton()->isEnabled());
    EXPECT_TRUE(wheel->iCloseButton()->isEnabled());
}

TEST_F(LuckyWheelTest, TheButtonsDoNothingOutOfTurn) {
    save(100, 0, -1);
    auto wheel = loadedWheel();
    // No token: nothing turns and the label says so.
    EXPECT_EQ(wheel->iCreditLabel()->text(), "0");
    EXPECT_FALSE(wheel->iSpinButton()->isEnabled());
    wheel->spinOnClick(wheel->iSpinButton());
    EXPECT_EQ(wheel->curState(), 0);

    defaults().setInteger(2, "credit");
    wheel->spinOnClick(wheel->iSpinButton());
    ASSERT_EQ(wheel->curState(), 1);
    wheel->update(nullptr);
    wheel->spinOnClick(wheel->iSpinButton());
    wheel->closeOnClick(wheel->iCloseButton());
    EXPECT_EQ(wheel->curState(), 1);
    EXPECT_EQ(wheel->getCredit(), 1);
}

TEST_F(LuckyWheelTest, AWheelWithoutPrizesTakesNoToken) {
    struct Case {
        char const* name;
        std::string file;
        char const* logged;
    };
    Case const cases[] = {
        {"no file", "", "Cannot load wheel file LuckyWheel.plist"},
        {"unreadable", "not a property list", "Cannot load wheel file LuckyWheel.plist"},
        {"no units",
            "<plist version=\"1.0\"><dict><key>degreeUnit</key><real>0</real>"
            "<key>prizes</key><array/></dict></plist>",
            nullptr},
    };
    for (auto const& c : cases) {
        save(100, 0, 3);
        writeWheel(c.file);
        LogCapture log;
        auto wheel = loadedWheel();
        if (c.logged) {
            EXPECT_TRUE(log.contains(c.logged)) << c.name;
        }
        EXPECT_FALSE(wheel->iSpinButton()->isEnabled()) << c.name;
        wheel->spinOnClick(wheel->iSpinButton());
        EXPECT_EQ(wheel->curState(), 0) << c.name;
        EXPECT_EQ(defaults().integerForKey("credit"), 3) << c.name;
    }
}

TEST_F(LuckyWheelTest, AMoneyPrizeIsSavedBeforeItsIconLands) {
    save(1000, 0, 0);
    GameGlobals::shared().lastDayMoney = 200;
    game::DataConrtoller::saveLastDayMoney();
    auto wheel = loadedWheel();
    wheel->viewDidAppear(false);
    ASSERT_TRUE(wheel->isAppear());
    EXPECT_EQ(wheel->iMoneyLabel()->text(), "1000");

    wheel->handleAwardColor(6);
    EXPECT_EQ(GameGlobals::shared().money, 1500);
    EXPECT_EQ(GameGlobals::shared().lastDayMoney, 700);
    EXPECT_EQ(defaults().integerForKey("DATA_MONEY"), 1500);
    EXPECT_EQ(defaults().integerForKey("DATA_LASTDAYMONEY"), 700);
    // The label follows when the icon arrives, which then goes.
    ASSERT_EQ(wheel->iAnimationContainerView()->subviews().size(), 1u);
    EXPECT_EQ(wheel->iAnimationContainerView()->subviews()[0]->center(),
        graphics::makePoint(255, 69 + 37 * 6));
    EXPECT_EQ(wheel->iMoneyLabel()->text(), "1000");
    run(5);
    EXPECT_EQ(wheel->iMoneyLabel()->text(), "1500");
    EXPECT_TRUE(wheel->iAnimationContainerView()->subviews().empty());
}

TEST_F(LuckyWheelTest, OffTheScreenAPrizeShowsAtOnce) {
    save(10, 4, 0);
    auto wheel = loadedWheel();
    wheel->handleAwardColor(5);
    EXPECT_EQ(wheel->iGamePointLabel()->text(), "9");
    EXPECT_EQ(defaults().integerForKey("SYS_PETPOINTS"), 9);
    EXPECT_TRUE(wheel->iAnimationContainerView()->subviews().empty());
    // A Pet Point prize opens the packages it now pays for.
    EXPECT_TRUE(wheel->iPackageButton(0)->isEnabled());
    EXPECT_FALSE(wheel->iPackageButton(1)->isEnabled());
}

TEST_F(LuckyWheelTest, PackagesCostVovAzavuzAndAddTokens) {
    struct Case {
        int petPoints;
        int package;
        bool bought;
        int petPointsLeft;
        int tokens;
    };
    Case const cases[] = {
        {19, 1, false, 19, 0},
        {55, 2, true, 5, 20},
        {20, 1, true, 0, 7},
        {3, 0, true, 0, 1},
    };
    for (auto const& c : cases) {
        save(100, c.petPoints, 0);
        services.events.clear();
        auto wheel = loadedWheel();
        EXPECT_EQ(wheel->iPackageButton(c.package)->isEnabled(), c.bought) << c.petPoints;
        wheel->packageOnClick(wheel->iPackageButton(c.package));
        EXPECT_EQ(GameGlobals::shared().petPoints, c.petPointsLeft) << c.petPoints;
        EXPECT_EQ(defaults().integerForKey("SYS_PETPOINTS"), c.petPointsLeft) << c.petPoints;
        EXPECT_EQ(defaults().integerForKey("credit"), c.tokens) << c.petPoints;
        EXPECT_EQ(wheel->iCreditLabel()->text(), std::to_string(c.tokens)) << c.petPoints;
        EXPECT_EQ(wheel->iSpinButton()->isEnabled(), c.bought) << c.petPoints;
        if (c.bought) {
            ASSERT_EQ(services.events.size(), 1u);
            EXPECT_EQ(services.events[0],
                "Wheel Buy Package " + std::to_string(c.petPoints - c.petPointsLeft) + " PP -> "
                    + std::to_string(c.tokens) + " Credits=" + std::to_string(c.package));
            EXPECT_EQ(
                defaults().integerForKey("WHEEL_TRACKING_PACKAGE_KEY_" + std::to_string(c.package)),
                1);
        } else {
            EXPECT_TRUE(services.events.empty());
        }
    }
}

TEST_F(LuckyWheelTest, TheBuyPanelShowsThePricesAndSlidesInAndOut) {
    save(100, 0, 0);
    auto wheel = loadedWheel();
    int const prices[] = {3, 20, 50};
    int const tokens[] = {1, 7, 20};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(wheel->iPackagePointLabel(k)->text(), std::to_string(prices[k]));
        EXPECT_EQ(wheel->iPackageCreditLabel(k)->text(), std::to_string(tokens[k]));
    }
    auto* panel = wheel->iBuyCreditView();
    EXPECT_EQ(panel->frame().origin.y, 320);
    EXPECT_EQ(panel->superview()->subviews().back().get(), panel);
    EXPECT_TRUE(wheel->iInfoButton()->isHidden());

    wheel->addCreditOnClick(wheel->iInvisibleAddCreditButton());
    run(1);
    EXPECT_EQ(panel->frame().origin, wheel->creditViewOrigin());
    wheel->hideCreditOnClick(wheel->iHideCreditButton());
    run(1);
    EXPECT_EQ(panel->frame().origin.y, 320);

    LogCapture log;
    wheel->packageOnClick(wheel->iSpinButton());
    EXPECT_TRUE(log.contains("Package not found!"));
}

TEST_F(LuckyWheelTest, TokensStayInTheDefaultsForTheNextScreen) {
    save(100, 0, 2);
    {
        auto wheel = loadedWheel();
        wheel->spinOnClick(wheel->iSpinButton());
        ticksUntil(*wheel, 2);
        wheel->stopSpin();
        ticksUntil(*wheel, 0);
        wheel->closeOnClick(wheel->iCloseButton());
        EXPECT_FALSE(wheel->hasUpdateTimer());
    }
    auto next = loadedWheel();
    EXPECT_EQ(next->getCredit(), 1);
    EXPECT_EQ(next->iCreditLabel()->text(), "1");
    EXPECT_TRUE(next->iSpinButton()->isEnabled());
}

TEST_F(LuckyWheelTest, AnUnloadedViewComesBackWithItsRowAndAngle) {
    save(100, 0, 1);
    auto wheel = loadedWheel();
    wheel->spinOnClick(wheel->iSpinButton());
    ticksUntil(*wheel, 2);
    wheel->stopSpin();
    ticksUntil(*wheel, 0);
    int lit = wheel->lastPrizeColor();
    float angle = wheel->curAngle();
    wheel->didReceiveMemoryWarning();
    EXPECT_EQ(wheel->iWheelView(), nullptr);

    wheel->view();
    EXPECT_EQ(wheel->lastPrizeColor(), lit);
    EXPECT_TRUE(wheel->prizeBgDict().at(std::to_string(lit))->isHighlighted());
    EXPECT_NEAR(std::atan2(wheel->iWheelView()->transform().b, wheel->iWheelView()->transform().a),
        angle, 1e-5);
}

TEST_F(LuckyWheelTest, AutoplayBuysTheDearestPackageItCanAndSpins) {
    save(100, 25, 0);
    auto wheel = loadedWheel();
    wheel->setAutoplay(true);
    wheel->update(nullptr);
    EXPECT_EQ(GameGlobals::shared().petPoints, 5);
    EXPECT_EQ(wheel->getCredit(), 7);
    int ticks = 0;
    while (wheel->curState() == 0 && ticks++ < 2000)
        wheel->update(nullptr);
    EXPECT_EQ(wheel->curState(), 1);
    EXPECT_EQ(wheel->getCredit(), 6);
}

}
