// The coins transfer screen under the manual clock: its settings in the user
// defaults, the availability line and the refill, the packages' buttons, a purchase
// and its saves, and the screen as the window draws it.
#include "HudFixture.hpp"

#include <game/interface/Interface.hpp>
#include <game/server/TransferCoinsViewController.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>

#include <engine/ViewRenderer.hpp>
#include <foundation/Dates.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/UserDefaults.hpp>
#include <graphics/GLES.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

using game::GameGlobals;
using game::TransferCoinsViewController;

constexpr double hour = 3600;
constexpr double interval = 30 * hour;
constexpr double neverRefills = std::numeric_limits<double>::max();

// The screen with its two saves recorded, with what the game held at each.
class RecordingScreen final : public TransferCoinsViewController {
public:
    struct Save {
        std::string what;
        int petPoints;
        int money;
    };
    std::vector<Save> saves;

protected:
    void savePetPoints() override {
        note("pet points");
        TransferCoinsViewController::savePetPoints();
    }
    void saveMoney() override {
        note("money");
        TransferCoinsViewController::saveMoney();
    }

private:
    friend base::Factory;
    RecordingScreen() = default;
    void note(std::string what) {
        saves.push_back(
            {std::move(what), GameGlobals::shared().petPoints, GameGlobals::shared().money});
    }
};

class TransferCoinsTest : public test::HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        ui::Application::reset();
        window = ui::Window::create({{0, 0}, {480, 320}});
        window->makeKeyAndVisible();
        root = ui::ViewController::create();
        window->setRootViewController(root);
        GameGlobals::shared().interface = game::Interface::initWithLayer(nullptr);
    }
    void TearDown() override {
        // A copy: a dismissed alert leaves the window's list.
        auto views = window->subviews();
        for (auto const& view : views) {
            if (auto* alert = dynamic_cast<ui::AlertView*>(view.get()))
                alert->dismissWithClickedButtonIndex(0, false);
        }
        renderer.releaseTextures();
        root = nullptr;
        window = nullptr;
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        HudTest::TearDown();
    }

    double now() { return clock.clock().wallTime(); }

    // The settings written as an opener would, with three packages.
    static void configure(int limit, int remain, double regenInterval, double mark) {
        auto writer = TransferCoinsViewController::initWithNibName();
        writer->setMaxPetPointLimit(limit);
        writer->setPetPointRemain(remain);
        writer->setRegenInterval(regenInterval);
        writer->setLatestRegenPoint(base::Date {mark});
        writer->setPackageLotSize(10, 500, 0);
        writer->setPackageLotSize(50, 2000, 1);
        writer->setPackageLotSize(200, 5000, 2);
    }

    // A screen presented over the root controller, its view loaded.
    base::Ref<RecordingScreen> present() {
        auto screen = base::make<RecordingScreen>();
        root->presentViewController(screen, false);
        screen->view();
        return screen;
    }

    ui::AlertView* shownAlert() const {
        for (auto const& view : window->subviews()) {
            if (auto* alert = dynamic_cast<ui::AlertView*>(view.get()); alert && alert->isVisible())
                return alert;
        }
        return nullptr;
    }

    // Taps package button index and answers the alert with the button titled answer.
    void buy(TransferCoinsViewController& screen, int index, std::string const& answer) {
        screen.iPackageBtn(index)->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        auto* alert = shownAlert();
        ASSERT_TRUE(alert);
        int button = -1;
        for (int i = 0; i < alert->numberOfButtons(); ++i) {
            if (alert->buttonTitleAtIndex(i) == answer)
                button = i;
        }
        ASSERT_GE(button, 0);
        // The window lets the alert go as it is dismissed.
        alert->dismissWithClickedButtonIndex(button, false);
        foundation::RunLoop::main().runFor(0.5);
    }

    static std::vector<bool> enabled(TransferCoinsViewController& screen) {
        std::vector<bool> states;
        for (int i = 0; i < TransferCoinsViewController::packageCount; ++i)
            states.push_back(screen.iPackageBtn(i)->isEnabled());
        return states;
    }

    static foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }

    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
    base::Ref<ui::ViewController> root;
};

}

TEST_F(TransferCoinsTest, AFreshInstallShowsThreeDisabledEmptyPackages) {
    GameGlobals::shared().money = 100000;
    auto screen = present();
    EXPECT_EQ(screen->maxPetPointLimit(), 0);
    EXPECT_EQ(screen->petPointRemain(), 0);
    EXPECT_EQ(screen->packageSettings(), nullptr);
    EXPECT_EQ(screen->iAvailableLabel()->text(), "Available For Conversion");
    EXPECT_EQ(screen->iAvailableAmtLabel()->text(), "0");
    EXPECT_EQ(enabled(*screen), std::vector<bool>({false, false, false}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(screen->iPackageBtn(i)->titleForState(ui::ControlState::Normal), "X0");
        EXPECT_EQ(screen->iPackageCostLabel(i)->text(), "0");
    }
}

TEST_F(TransferCoinsTest, TheAvailabilityLineAndTheRefillFollowTheClock) {
    std::string const plain = "Available For Conversion";
    auto days = [](int n) {
        return "Available For Conversion (regenerates in " + std::to_string(n) + " days)";
    };
    auto hours = [](int n) {
        return "Available For Conversion (regenerates in " + std::to_string(n) + " hours)";
    };
    auto minutes = [](int n) {
        return "Available For Conversion (regenerates in " + std::to_string(n) + " minutes)";
    };
    struct Case {
        char const* name;
        int limit;
        int remain;
        double interval;
        double sinceMark; // seconds from the mark to now
        std::string line;
        int remainAfter;
    };
    Case const cases[] = {
        {"full allowance", 100, 100, interval, 1 * hour, plain, 100},
        {"29 hours left", 100, 40, interval, 1 * hour, days(1), 40},
        {"exactly 24 hours left", 100, 40, interval, 6 * hour, days(1), 40},
        {"just under 24 hours", 100, 40, interval, 6 * hour + 1, hours(23), 40},
        {"exactly 2 hours", 100, 40, interval, 28 * hour, hours(2), 40},
        {"just under 2 hours: the minutes", 100, 40, interval, 28 * hour + 1, minutes(119), 40},
        {"exactly 1 hour", 100, 40, interval, 29 * hour, minutes(60), 40},
        {"59 minutes", 100, 40, interval, 29 * hour + 1, minutes(59), 40},
        {"under a minute", 100, 40, interval, interval - 59, plain, 40},
        {"the interval to the second: no refill yet", 100, 40, interval, interval, plain, 40},
        {"past the interval: refilled", 100, 40, interval, interval + 1, plain, 100},
        {"long past: refilled", 100, 0, interval, 90 * 24 * hour, plain, 100},
        {"never refills", 100, 40, neverRefills, 1e9, plain, 40},
        {"an interval too long to count", 100, 40, 1e300, 0, days(std::numeric_limits<int>::max()),
            40},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        configure(c.limit, c.remain, c.interval, now() - c.sinceMark);
        auto screen = present();
        EXPECT_EQ(screen->iAvailableLabel()->text(), c.line);
        EXPECT_EQ(screen->petPointRemain(), c.remainAfter);
        EXPECT_EQ(screen->iAvailableAmtLabel()->text(), std::to_string(c.remainAfter));
        EXPECT_EQ(defaults().integerForKey("XFRCOINS_PP_REMAIN"), c.remainAfter);
        EXPECT_DOUBLE_EQ(screen->latestRegenMark().seconds, now() - c.sinceMark)
            << "a refill does not move the mark";
        root->dismissViewController(false);
    }
}

TEST_F(TransferCoinsTest, TheSettersWriteTheirKeysAtOnce) {
    auto screen = TransferCoinsViewController::initWithNibName();
    screen->setMaxPetPointLimit(120);
    EXPECT_EQ(defaults().integerForKey("XFRCOINS_PP_LIMIT"), 120);
    screen->setPetPointRemain(70);
    EXPECT_EQ(defaults().integerForKey("XFRCOINS_PP_REMAIN"), 70);
    screen->setRegenInterval(neverRefills);
    EXPECT_EQ(defaults().doubleForKey("XFRCOINS_PP_REGEN_INTERVAL"), neverRefills);
    screen->setLatestRegenPoint(base::Date {100});
    EXPECT_EQ(defaults().doubleForKey("XFRCOINS_PP_REGEN_POINT"),
        100 + foundation::unixEpochToReferenceDate);

    screen->setPackageLotSize(50, 2000, 1);
    auto zero = base::Value(base::Dictionary::create({{"lotsize", 0}, {"price", 0}}));
    auto packages = base::Value(base::Array::create(
        {zero, base::Dictionary::create({{"lotsize", 50}, {"price", 2000}}), zero}));
    EXPECT_EQ(defaults().objectForKey("XFRCOINS_PACKAGE_SETTINGS"), packages);
    for (int id : {3, -1, 100}) {
        screen->setPackageLotSize(9, 9, id);
        EXPECT_EQ(defaults().objectForKey("XFRCOINS_PACKAGE_SETTINGS"), packages) << id;
    }

    auto reader = TransferCoinsViewController::initWithNibName();
    reader->loadSettings();
    EXPECT_EQ(reader->maxPetPointLimit(), 120);
    EXPECT_EQ(reader->petPointRemain(), 70);
    EXPECT_EQ(reader->regenInterval(), neverRefills);
    EXPECT_EQ(reader->latestRegenMark(), base::Date {100});
    ASSERT_TRUE(reader->packageSettings());
    EXPECT_EQ(base::Value(reader->packageSettings()->deepCopy()), packages);
}

TEST_F(TransferCoinsTest, TheButtonsFollowTheAllowanceAndTheMoney) {
    struct Case {
        int remain;
        int money;
        std::vector<bool> enabled;
    };
    Case const cases[] = {
        {1000, 100000, {true, true, true}},
        {200, 5000, {true, true, true}},
        {199, 5000, {true, true, false}},
        {200, 4999, {true, true, false}},
        {49, 100000, {true, false, false}},
        {1000, 499, {false, false, false}},
        {9, 100000, {false, false, false}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::to_string(c.remain) + " left, " + std::to_string(c.money) + " coins");
        configure(1000, c.remain, neverRefills, now());
        GameGlobals::shared().money = c.money;
        auto screen = present();
        EXPECT_EQ(enabled(*screen), c.enabled);
        EXPECT_EQ(screen->iPackageBtn(2)->titleForState(ui::ControlState::Normal), "X200");
        EXPECT_EQ(screen->iPackageCostLabel(2)->text(), "5000");
        root->dismissViewController(false);
    }

    // A package of nothing, or one that would pay coins out, is never for sale.
    configure(1000, 1000, neverRefills, now());
    auto writer = TransferCoinsViewController::initWithNibName();
    writer->loadSettings();
    writer->setPackageLotSize(0, 0, 0);
    writer->setPackageLotSize(10, -500, 1);
    GameGlobals::shared().money = 100000;
    auto screen = present();
    EXPECT_EQ(enabled(*screen), std::vector<bool>({false, false, true}));
}

TEST_F(TransferCoinsTest, APurchaseChangesMoneyAndVovAzavuzAndSavesThemInOrder) {
    auto& globals = GameGlobals::shared();
    globals.money = 3000;
    globals.petPoints = 7;
    double start = now();
    configure(100, 100, interval, start - 100 * hour);
    auto screen = present();
    ASSERT_EQ(enabled(*screen), std::vector<bool>({true, true, false}));

    screen->iPackageBtn(1)->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    auto* alert = shownAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Convert Coins");
    EXPECT_EQ(alert->message(), "Convert 2000 coins into 50 pet points?");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Cancel");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Confirm");
    alert->dismissWithClickedButtonIndex(1, false);
    foundation::RunLoop::main().runFor(0.5);

    EXPECT_EQ(globals.money, 1000);
    EXPECT_EQ(globals.petPoints, 57);
    EXPECT_EQ(screen->petPointRemain(), 50);
    EXPECT_EQ(defaults().integerForKey("XFRCOINS_PP_REMAIN"), 50);
    EXPECT_EQ(screen->latestRegenMark(), base::Date {start})
        << "the first purchase from a full allowance starts the period";
    ASSERT_EQ(screen->saves.size(), 2u);
    EXPECT_EQ(screen->saves[0].what, "pet points");
    EXPECT_EQ(screen->saves[1].what, "money");
    EXPECT_EQ(screen->saves[0].money, 1000) << "the money changed before the saves";
    EXPECT_EQ(game::DataManager::getIntForKey("SYS_PETPOINTS"), 57);
    EXPECT_EQ(game::DataManager::getIntForKey("DATA_MONEY"), 1000);
    EXPECT_EQ(screen->iAvailableAmtLabel()->text(), "50");
    EXPECT_EQ(
        screen->iAvailableLabel()->text(), "Available For Conversion (regenerates in 1 days)");
    EXPECT_EQ(enabled(*screen), std::vector<bool>({true, false, false}));

    // From a partly used allowance the mark stays.
    clock.clock().advance(2 * hour);
    buy(*screen, 0, "Confirm");
    EXPECT_EQ(globals.money, 500);
    EXPECT_EQ(globals.petPoints, 67);
    EXPECT_EQ(screen->petPointRemain(), 40);
    EXPECT_EQ(screen->latestRegenMark(), base::Date {start});
    EXPECT_EQ(screen->saves.size(), 4u);

    // Cancel changes nothing.
    buy(*screen, 0, "Cancel");
    EXPECT_EQ(globals.money, 500);
    EXPECT_EQ(screen->petPointRemain(), 40);
    EXPECT_EQ(screen->saves.size(), 4u);
}

TEST_F(TransferCoinsTest, OnlyItsOwnConfirmationBuys) {
    auto& globals = GameGlobals::shared();
    globals.money = 3000;
    configure(100, 100, interval, now());
    auto screen = present();
    struct Case {
        char const* name;
        std::string title;
        std::string button;
    };
    Case const cases[] = {
        {"another alert's confirm", "Restore Previous Save", "Confirm"},
        {"its own alert's other button", "Convert Coins", "OK"},
    };
    screen->iPackageBtn(0)->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    ASSERT_TRUE(screen->selectedPackage());
    if (auto* alert = shownAlert())
        alert->dismissWithClickedButtonIndex(0, false);
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto other = ui::AlertView::create(c.title, "", nullptr, "", {c.button});
        screen->didDismissWithButtonIndex(*other, 0);
        EXPECT_EQ(globals.money, 3000);
        EXPECT_EQ(screen->petPointRemain(), 100);
    }
    // Any other sender clears the choice, and a confirmation then buys nothing.
    screen->onPackageClick(*screen->iBackBtn());
    EXPECT_FALSE(screen->selectedPackage());
    EXPECT_FALSE(shownAlert());
    auto confirm = ui::AlertView::create("Convert Coins", "", nullptr, "Cancel", {"Confirm"});
    screen->didDismissWithButtonIndex(*confirm, 1);
    EXPECT_EQ(globals.money, 3000);
    EXPECT_TRUE(screen->saves.empty());
}

TEST_F(TransferCoinsTest, APurchaseNoLongerCoveredOrWithoutTheInterfaceIsRefused) {
    auto& globals = GameGlobals::shared();
    globals.petPoints = 5;
    configure(100, 100, interval, now());
    struct Case {
        char const* name;
        bool interface;
        int moneyAtConfirm;
    };
    Case const cases[] = {
        {"money spent while the question was open", true, 499},
        {"no interface to take the coins", false, 3000},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        globals.money = 3000;
        auto screen = present();
        screen->iPackageBtn(0)->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        auto* alert = shownAlert();
        ASSERT_TRUE(alert);
        globals.money = c.moneyAtConfirm;
        auto interface = globals.interface;
        if (!c.interface)
            globals.interface = nullptr;
        alert->dismissWithClickedButtonIndex(1, false);
        foundation::RunLoop::main().runFor(0.5);
        globals.interface = interface;
        EXPECT_EQ(globals.money, c.moneyAtConfirm);
        EXPECT_EQ(globals.petPoints, 5);
        EXPECT_EQ(screen->petPointRemain(), 100);
        EXPECT_TRUE(screen->saves.empty());
        root->dismissViewController(false);
    }
}

TEST_F(TransferCoinsTest, BackDismissesTheScreenWhichTurnsOnlyToLandscape) {
    auto screen = present();
    EXPECT_EQ(root->presentedViewController(), screen.get());
    screen->iBackBtn()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    using Orientation = ui::InterfaceOrientation;
    EXPECT_TRUE(screen->shouldAutorotateToInterfaceOrientation(Orientation::LandscapeLeft));
    EXPECT_TRUE(screen->shouldAutorotateToInterfaceOrientation(Orientation::LandscapeRight));
    EXPECT_FALSE(screen->shouldAutorotateToInterfaceOrientation(Orientation::Portrait));
    EXPECT_FALSE(screen->shouldAutorotateToInterfaceOrientation(Orientation::PortraitUpsideDown));
}

TEST_F(TransferCoinsTest, TheScreenAsTheWindowDrawsIt) {
    GameGlobals::shared().money = 3000;
    configure(100, 40, interval, now() - 1 * hour);
    auto screen = present();
    foundation::RunLoop::main().runFor(0.5);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    renderer.render(*window);
    saveImage("transfer-coins-screen");
    auto at = [&](int x, int y) { return pixel(x, height() - 1 - y); };
    // The blue backdrop in a corner, a white package button, and the button row's gap.
    auto backdrop = at(470, 5);
    EXPECT_NEAR(backdrop.r, 36, 3);
    EXPECT_NEAR(backdrop.g, 92, 3);
    EXPECT_NEAR(backdrop.b, 140, 3);
    auto button = at(35, 135);
    EXPECT_GT(button.r, 200);
    EXPECT_GT(button.b, 200);
    auto gap = at(165, 170);
    EXPECT_NEAR(gap.b, 140, 3);
}
