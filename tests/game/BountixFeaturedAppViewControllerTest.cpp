// The game's featured-app screen: the character-reference decoding of the offer service's
// texts, the screen filled from a model, its icon fetched from a loopback server through
// the download manager, the download and close buttons, and its orientations.

#include "ShellFixture.hpp"

#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <game/shell/BountixFeaturedAppViewController.hpp>
#include <game/shell/DownloadManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/ShellServices.hpp>
#include <graphics/Image.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

#include <string>

using game::BountixFeaturedAppViewController;

namespace {

struct DecodeCase {
    char const* text;
    char const* decoded;
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> { };

TEST_P(DecodeTest, CompleteReferencesBecomeTheirCharactersAndAnythingElseStaysText) {
    EXPECT_EQ(
        BountixFeaturedAppViewController::decodeHtmlUnicodeCharactersToString(GetParam().text),
        GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(References, DecodeTest,
    ::testing::Values(DecodeCase {"Caf&#233; Pets", "Caf\u00e9 Pets"},
        DecodeCase {"Caf&#xE9; Pets", "Caf\u00e9 Pets"}, DecodeCase {"&#X41;", "A"},
        DecodeCase {"&#65;&#66;C", "ABC"}, DecodeCase {"Plain name", "Plain name"},
        DecodeCase {"", ""}, DecodeCase {"&#128054;", "\U0001F436"},
        // A lone surrogate half, a number past the last character, 0, and a reference cut
        // short name no character: they stay as they came.
        DecodeCase {"a&#55357;b", "a&#55357;b"}, DecodeCase {"&#99999999;", "&#99999999;"},
        DecodeCase {"&#1114112;", "&#1114112;"}, DecodeCase {"&#0;", "&#0;"},
        DecodeCase {"x&#12", "x&#12"}, DecodeCase {"&#12 and &#65;", "&#12 and A"},
        DecodeCase {"&#;&#x;&#q1;", "&#;&#x;&#q1;"}, DecodeCase {"&#&#65;", "&#A"},
        DecodeCase {"&#00000000000065;", "&#00000000000065;"},
        DecodeCase {"&#x10FFFF;", "\U0010FFFF"}));

// Counts the prize wheel's daily-bonus checks.
class CountingServices final : public game::ShellServices {
public:
    void checkDailyBonus() override { ++checks; }
    int checks {0};
};

class BountixFeaturedAppViewControllerTest : public test::ShellFixture {
protected:
    BountixFeaturedAppViewControllerTest() {
        game::DownloadManager::resetSharedManager();
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        game::ShellServices::setShared(&services);
        ui::Application::reset();
    }
    ~BountixFeaturedAppViewControllerTest() override {
        game::ShellServices::setShared(nullptr);
        game::DownloadManager::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
    }

    base::Ref<ads::bountix::BTXFeaturedAppModel> model(int amount, std::string const& iconPath) {
        return ads::bountix::BTXFeaturedAppModel::initWithDictionary(
            base::Dictionary::create({{"name", "Caf&#233; Pets"}, {"cost", "&#36;0.99"},
                {"amount", amount}, {"iconURL", server.url(iconPath)},
                {"redirectURL", "https://store.example/app/42"}}));
    }
    static base::Bytes redSquare() {
        graphics::Image image(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                image.setPixel(x, y, {220, 10, 10, 255});
        auto png = image.encodePNG();
        return base::Bytes(png->begin(), png->end());
    }

    test::LoopbackServer server;
    CountingServices services;
};

}

TEST_F(BountixFeaturedAppViewControllerTest, TheScreenShowsTheModelAndItsDownloadedIcon) {
    auto png = redSquare();
    server.route("GET", "/icons/app.png",
        test::HttpResponse::text(std::string(png.begin(), png.end()), 200, "image/png"));
    auto screen = BountixFeaturedAppViewController::initWithNibName();
    EXPECT_EQ(screen->modalTransitionStyle(), ui::ModalTransitionStyle::CrossDissolve);
    screen->setFeaturedAppModel(model(25, "/icons/app.png"));
    screen->view();
    EXPECT_EQ(screen->iAppNameLabel()->text(), "Caf\u00e9 Pets");
    EXPECT_EQ(screen->iAppCostLabel()->text(), "$0.99");
    EXPECT_EQ(screen->iEarnLabel()->text(), "25");
    EXPECT_TRUE(screen->ifreePointsImageView()->isHidden());
    auto* placeholder = screen->iAppIconImageView()->image();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return screen->iAppIconImageView()->image() != placeholder; }, 10));
    auto const& bitmap = screen->iAppIconImageView()->image()->bitmap();
    EXPECT_EQ(bitmap.width(), 8);
    EXPECT_EQ(bitmap.pixel(3, 3).r, 220);
}

TEST_F(BountixFeaturedAppViewControllerTest, ANonPositiveRewardShowsTheFreePointsPicture) {
    for (int amount : {0, -5}) {
        auto screen = BountixFeaturedAppViewController::initWithNibName();
        screen->setFeaturedAppModel(model(amount, "/none.png"));
        screen->view();
        EXPECT_EQ(screen->iEarnLabel()->text(), std::to_string(amount));
        EXPECT_FALSE(screen->ifreePointsImageView()->isHidden()) << amount;
    }
}

TEST_F(BountixFeaturedAppViewControllerTest, WithoutAModelTheScreenStaysEmptyAndStillCloses) {
    game::GameGlobals::shared().money = 500;
    auto screen = BountixFeaturedAppViewController::initWithNibName();
    screen->view();
    EXPECT_EQ(screen->iAppNameLabel()->text(), "");
    EXPECT_TRUE(screen->ifreePointsImageView()->isHidden());
    EXPECT_EQ(game::DownloadManager::sharedManager().downloadCount(), 0u);
    screen->downloadButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_TRUE(ui::Application::sharedApplication().openedExternalURLs().empty());
    screen->closeButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(services.checks, 1);
}

TEST_F(BountixFeaturedAppViewControllerTest, AnotherDownloadLeavesTheIconAndTheRegistration) {
    auto screen = BountixFeaturedAppViewController::initWithNibName();
    screen->setFeaturedAppModel(model(10, "/icons/app.png"));
    screen->view();
    auto* placeholder = screen->iAppIconImageView()->image();
    screen->downloadDidFinish(server.url("/other.png"), redSquare());
    EXPECT_EQ(screen->iAppIconImageView()->image(), placeholder);
    // Still registered: the icon's own download is still heard.
    screen->downloadDidFinish(server.url("/icons/app.png"), redSquare());
    EXPECT_NE(screen->iAppIconImageView()->image(), placeholder);
}

TEST_F(BountixFeaturedAppViewControllerTest, DownloadOpensTheStoreLink) {
    auto screen = BountixFeaturedAppViewController::initWithNibName();
    screen->setFeaturedAppModel(model(10, "/none.png"));
    screen->view();
    screen->downloadButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs(),
        std::vector<std::string> {"https://store.example/app/42"});
}

TEST_F(BountixFeaturedAppViewControllerTest, ClosingAsksForTheDailyBonusOnlyWhenThereIsMoney) {
    struct Case {
        int money;
        int checks;
    };
    for (auto c : {Case {0, 0}, Case {500, 1}, Case {-20, 1}}) {
        services.checks = 0;
        game::GameGlobals::shared().money = c.money;
        auto screen = BountixFeaturedAppViewController::initWithNibName();
        screen->setFeaturedAppModel(model(10, "/none.png"));
        screen->view();
        screen->closeOnClick();
        EXPECT_EQ(services.checks, c.checks) << c.money;
    }
}

// Hears when a download has ended.
class Listener final : public game::DownloadManagerDelegate {
public:
    void downloadDidFinish(std::string const&, base::Bytes const&) override { done = true; }
    void downloadDidFail(std::string const&) override { done = true; }
    bool done {false};
};

TEST_F(BountixFeaturedAppViewControllerTest, AnIconArrivingAfterCloseIsNotShown) {
    auto png = redSquare();
    server.route("GET", "/icons/app.png",
        test::HttpResponse::text(std::string(png.begin(), png.end()), 200, "image/png"));
    Listener listener;
    auto screen = BountixFeaturedAppViewController::initWithNibName();
    screen->setFeaturedAppModel(model(10, "/icons/app.png"));
    screen->view();
    game::DownloadManager::sharedManager().addDelegate(&listener);
    auto* placeholder = screen->iAppIconImageView()->image();
    screen->closeOnClick();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return listener.done; }, 10));
    EXPECT_EQ(screen->iAppIconImageView()->image(), placeholder);
    game::DownloadManager::sharedManager().removeDelegate(&listener);
}

TEST_F(BountixFeaturedAppViewControllerTest, OnlyTheLandscapeOrientationsAreAccepted) {
    auto screen = BountixFeaturedAppViewController::initWithNibName();
    using O = ui::InterfaceOrientation;
    EXPECT_FALSE(screen->shouldAutorotateToInterfaceOrientation(O::Portrait));
    EXPECT_FALSE(screen->shouldAutorotateToInterfaceOrientation(O::PortraitUpsideDown));
    EXPECT_TRUE(screen->shouldAutorotateToInterfaceOrientation(O::LandscapeRight));
    EXPECT_TRUE(screen->shouldAutorotateToInterfaceOrientation(O::LandscapeLeft));
}
