#include "ControllerFixture.hpp"

#include <foundation/Sandbox.hpp>
#include <services/GKScore.hpp>
#include <services/GameKit.hpp>
#include <support/TempDir.hpp>
#include <ui/Button.hpp>
#include <ui/GKAchievementViewController.hpp>
#include <ui/GKLeaderboardViewController.hpp>

namespace test {
namespace {

// Dismisses the screens it is told about, as their presenter's owner does.
class Closer final : public ui::GKLeaderboardViewControllerDelegate,
                     public ui::GKAchievementViewControllerDelegate {
public:
    void leaderboardViewControllerDidFinish(ui::GKLeaderboardViewController& screen) override {
        ++finished;
        screen.dismissModalViewController(false);
    }
    void achievementViewControllerDidFinish(ui::GKAchievementViewController& screen) override {
        ++finished;
        screen.dismissModalViewController(false);
    }
    int finished {0};
};

class GameServiceScreenTest : public ControllerTest {
protected:
    GameServiceScreenTest() {
        foundation::Sandbox::setRoot(sandbox.path().string());
        services::GameKit::reset();
        root = ui::ViewController::create();
        window->addSubview(base::Ref<ui::View>(root->view()));
    }
    ~GameServiceScreenTest() override {
        services::GameKit::reset();
        foundation::Sandbox::setRoot({});
    }
    // The "Done" button of a loaded screen.
    static ui::Button* doneButton(ui::ViewController& screen) {
        for (auto const& view : screen.view()->subviews()) {
            if (auto* button = dynamic_cast<ui::Button*>(view.get()))
                return button;
        }
        return nullptr;
    }

    TempDir sandbox;
    base::Ref<ui::ViewController> root;
    Closer closer;
};

TEST_F(GameServiceScreenTest, TheLeaderboardListsTheBestScoresAndDoneTellsTheDelegate) {
    auto screen = ui::GKLeaderboardViewController::create();
    EXPECT_EQ(screen->lines(), std::vector<std::string>());
    services::GameKit::shared().authenticate({});
    run(0.1);
    auto score = services::GKScore::initWithCategory("lb_shopdays");
    score->setValue(12);
    score->reportScoreWithCompletionHandler({});
    run(0.1);
    screen->setLeaderboardDelegate(&closer);
    root->presentModalViewController(screen, false);
    EXPECT_EQ(screen->lines(), (std::vector<std::string> {"lb_shopdays: 12"}));
    auto* done = doneButton(*screen);
    ASSERT_NE(done, nullptr);
    tap(done);
    run(0.1);
    EXPECT_EQ(closer.finished, 1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(GameServiceScreenTest, TheAchievementScreenSaysWhenNobodyIsSignedIn) {
    auto screen = ui::GKAchievementViewController::create();
    screen->setAchievementDelegate(&closer);
    root->presentModalViewController(screen, false);
    EXPECT_EQ(screen->lines(), (std::vector<std::string> {"Not signed in"}));
    EXPECT_TRUE(
        screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(
        screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
    // Without a delegate the button does nothing.
    screen->setAchievementDelegate(nullptr);
    screen->done();
    EXPECT_EQ(root->presentedViewController(), screen.get());
}

}
}
