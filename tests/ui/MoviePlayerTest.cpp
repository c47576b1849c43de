#include "ControllerFixture.hpp"

#include <support/TempDir.hpp>

#include <ui/MoviePlayerController.hpp>
#include <ui/MoviePlayerViewController.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using base::Ref;
using test::Journal;
using ui::MoviePlayerController;
using Player = ui::MoviePlayerController;
using Entries = std::vector<std::string>;

namespace {

class MoviePlayerTest : public test::ControllerTest {
protected:
    MoviePlayerTest() {
        std::ofstream(movie) << "not really a movie";
        token = foundation::NotificationCenter::defaultCenter().observe(
            "", [this](foundation::Notification const& n) {
                if (n.object() == player.get())
                    journal.add(describe(n));
            });
    }

    // The notification's name without the platform's prefixes, with the finish
    // reason and error code when it has them.
    static std::string describe(foundation::Notification const& n) {
        std::string name = n.name();
        for (std::string prefix : {"MPMoviePlayer", "MPMovie"}) {
            if (name.starts_with(prefix)) {
                name = name.substr(prefix.size());
                break;
            }
        }
        if (auto info = n.userInfo().dictionary()) {
            if (auto reason = info->find(Player::PlaybackDidFinishReasonUserInfoKey))
                name += " reason " + reason->stringValue();
            if (auto error = info->find(Player::ErrorUserInfoKey))
                name += " error " + error->dictionary()->objectForKey("code").stringValue();
        }
        return name;
    }
    void settle() {
        while (loop().runPending()) { }
    }

    test::TempDir dir;
    std::string movie = (dir.path() / "Intro.mp4").string();
    Ref<MoviePlayerController> player = MoviePlayerController::create("file://" + movie);
    Journal journal;
    foundation::ObservationToken token;
};

}

TEST_F(MoviePlayerTest, PlayLoadsPlaysAndEndsOnTheRunLoop) {
    player->play();
    EXPECT_EQ(journal.take(), Entries {}) << "nothing is posted inside play";
    settle();
    EXPECT_EQ(journal.take(),
        (Entries {"LoadStateDidChangeNotification", "ContentPreloadDidFinishNotification",
            "DurationAvailableNotification", "PlaybackStateDidChangeNotification",
            "PlaybackStateDidChangeNotification", "PlaybackDidFinishNotification reason 0"}));
    EXPECT_EQ(
        player->loadState(), ui::MovieLoadState::Playable | ui::MovieLoadState::PlaythroughOK);
    EXPECT_EQ(player->playbackState(), ui::MoviePlaybackState::Stopped);
    EXPECT_EQ(player->movieSourceType(), ui::MovieSourceType::File);
}

TEST_F(MoviePlayerTest, PlaysForItsSimulatedDurationOnTheClock) {
    player->setSimulatedDuration(30);
    player->play();
    settle();
    journal.take();
    EXPECT_EQ(player->duration(), 30);
    EXPECT_EQ(player->playbackState(), ui::MoviePlaybackState::Playing);
    run(10);
    EXPECT_DOUBLE_EQ(player->currentPlaybackTime(), 10);
    player->pause();
    run(100);
    EXPECT_DOUBLE_EQ(player->currentPlaybackTime(), 10);
    settle();
    EXPECT_EQ(journal.take(), Entries {"PlaybackStateDidChangeNotification"});
    player->play();
    run(19.9);
    EXPECT_EQ(journal.take(), Entries {"PlaybackStateDidChangeNotification"});
    run(0.2);
    EXPECT_EQ(journal.take(),
        (Entries {"PlaybackStateDidChangeNotification", "PlaybackDidFinishNotification reason 0"}));
    EXPECT_DOUBLE_EQ(player->currentPlaybackTime(), 30);
}

TEST_F(MoviePlayerTest, TestsDriveTheEndWithAReasonOrAnError) {
    struct Case {
        std::function<void(MoviePlayerController&)> drive;
        std::string finish;
    };
    Case const cases[] = {
        {[](Player& p) { p.finishPlayback(ui::MovieFinishReason::UserExited); },
            "PlaybackDidFinishNotification reason 2"},
        {[](Player& p) { p.finishPlayback(); }, "PlaybackDidFinishNotification reason 0"},
        {[](Player& p) { p.failPlayback(-50, "lost"); },
            "PlaybackDidFinishNotification reason 1 error -50"},
    };
    player->setSimulatedDuration(60);
    for (auto const& c : cases) {
        player->play();
        settle();
        journal.take();
        c.drive(*player);
        settle();
        EXPECT_EQ(journal.take(), (Entries {"PlaybackStateDidChangeNotification", c.finish}));
    }
}

TEST_F(MoviePlayerTest, MissingFileEndsWithAnError) {
    player = MoviePlayerController::create((dir.path() / "absent.mp4").string());
    player->play();
    settle();
    EXPECT_EQ(journal.take(), Entries {"PlaybackDidFinishNotification reason 1 error 1"});
    EXPECT_EQ(player->loadState(), ui::MovieLoadState::Unknown);
    EXPECT_FALSE(player->isPreparedToPlay());
}

TEST_F(MoviePlayerTest, StopEndsPlaybackWithoutAFinish) {
    player->setSimulatedDuration(60);
    player->play();
    settle();
    journal.take();
    player->stop();
    run(120);
    EXPECT_EQ(journal.take(), Entries {"PlaybackStateDidChangeNotification"});
    EXPECT_EQ(player->currentPlaybackTime(), 0);
}

TEST_F(MoviePlayerTest, PreparingPlaysOnlyWhenAutoplayIsOn) {
    player->setSimulatedDuration(60);
    player->setShouldAutoplay(false);
    player->prepareToPlay();
    settle();
    EXPECT_TRUE(player->isPreparedToPlay());
    EXPECT_EQ(player->playbackState(), ui::MoviePlaybackState::Stopped);
    player->setContentURL("file://" + movie);
    player->setShouldAutoplay(true);
    player->prepareToPlay();
    settle();
    EXPECT_EQ(player->playbackState(), ui::MoviePlaybackState::Playing);
    EXPECT_EQ(journal.take().at(3), "NowPlayingMovieDidChangeNotification");
}

TEST_F(MoviePlayerTest, SettingsThatChangePostTheirNotifications) {
    player->setScalingMode(ui::MovieScalingMode::AspectFit);
    player->setScalingMode(ui::MovieScalingMode::Fill);
    player->setFullscreen(true, true);
    player->setFullscreen(true, true);
    player->setFullscreen(false);
    settle();
    EXPECT_EQ(journal.take(),
        (Entries {"ScalingModeDidChangeNotification", "WillEnterFullscreenNotification",
            "DidEnterFullscreenNotification", "WillExitFullscreenNotification",
            "DidExitFullscreenNotification"}));
}

TEST_F(MoviePlayerTest, PlayerDroppedWhilePlayingPostsNothingMore) {
    player->setSimulatedDuration(5);
    player->play();
    settle();
    journal.take();
    base::WeakRef<MoviePlayerController> weak(player);
    player = nullptr;
    EXPECT_FALSE(weak);
    run(10);
    EXPECT_EQ(journal.take(), Entries {});
}

TEST_F(MoviePlayerTest, MovieScreenShowsThePlayerFullSize) {
    auto screen = ui::MoviePlayerViewController::create("file://" + movie);
    window->setRootViewController(screen);
    auto moviePlayer = screen->moviePlayer();
    EXPECT_EQ(moviePlayer->view()->superview(), screen->view());
    EXPECT_EQ(moviePlayer->view()->frame(), window->bounds());
    EXPECT_EQ(moviePlayer->controlStyle(), ui::MovieControlStyle::Fullscreen);
    EXPECT_TRUE(
        screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
}

TEST_F(MoviePlayerTest, SeekingWhilePlayingMovesTheEnd) {
    player->setSimulatedDuration(30);
    player->play();
    settle();
    journal.take();
    run(5);
    player->setCurrentPlaybackTime(25);
    run(4.9);
    EXPECT_EQ(journal.take(), Entries {}) << "no state change for a seek";
    run(0.2);
    EXPECT_EQ(journal.take(),
        (Entries {"PlaybackStateDidChangeNotification", "PlaybackDidFinishNotification reason 0"}));
    player->setCurrentPlaybackTime(99);
    EXPECT_EQ(player->currentPlaybackTime(), 30);
}
