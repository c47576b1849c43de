// The intro movie's screen over a window under the manual clock: it starts half a second
// after it appears, a skip before that does nothing, and its finish callback runs once
// however the movie ends.

#include "ShellStates.hpp"

#include <game/shell/MoviePlayer.hpp>

namespace {

class MoviePlayerTest : public test::ShellStateTest {
protected:
    MoviePlayerTest() {
        test::writePicture(bundlePath("Intro.mp4"), 2, 2);
        window = ui::Window::create(graphics::makeRect(0, 0, 480, 320));
        window->makeKeyAndVisible();
        root = ui::ViewController::create();
        window->setRootViewController(root);
    }
    ~MoviePlayerTest() override {
        game::MoviePlayer::resetSharedManager();
        root = nullptr;
        screen = nullptr;
    }

    // The screen presented; the movie it plays lasts that long.
    void present(double duration = 30) {
        screen = game::MoviePlayerViewController::create();
        screen->setMovieFinishedCallBack([this] { ++finished; });
        root->presentViewController(screen, false);
        if (auto* player = game::MoviePlayer::sharedManager().player())
            player->setSimulatedDuration(duration);
    }

    base::Ref<ui::ViewController> root;
    base::Ref<game::MoviePlayerViewController> screen;
    int finished {0};
};

TEST_F(MoviePlayerTest, ASkipBeforeTheMovieStartsDoesNothing) {
    present();
    screen->skipOnClick();
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(root->presentedViewController(), screen.get());
    frame(40);
    EXPECT_TRUE(screen->isPlaying());
    EXPECT_FALSE(
        screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeRight));
}

TEST_F(MoviePlayerTest, TheFinishCallbackRunsOnceAndTheScreenGoes) {
    present();
    frame(40);
    ASSERT_TRUE(screen->isPlaying());
    auto* player = game::MoviePlayer::sharedManager().player();
    ASSERT_TRUE(player);
    base::Ref<ui::MoviePlayerController> keep(player);
    screen->skipOnClick();
    screen->skipOnClick();
    keep->finishPlayback();
    frame(60);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_TRUE(
        screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(game::MoviePlayer::sharedManager().player())
        << "the player's view stays over the game";
}

TEST_F(MoviePlayerTest, AMovieThatPlaysToItsEndFinishesOnce) {
    present(1);
    frame(40);
    EXPECT_TRUE(screen->isPlaying());
    frame(200);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(MoviePlayerTest, AMovieThatCannotBeOpenedFinishesOnce) {
    std::filesystem::remove(bundlePath("Intro.mp4"));
    present();
    frame(200);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(root->presentedViewController());
}

}
