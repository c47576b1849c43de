#pragma once

#include <base/WeakRef.hpp>
#include <game/progression/Achievement.hpp>
#include <game/progression/GameCenter.hpp>

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ui {
class Label;
class View;
class ViewController;
}

namespace game {

// The achievement book: one Achievement per entry of "Achievements.plist", in list
// order, with the progress kept in the user-defaults store under each identifier
// (percent only rises). Reports progress to the game service when it is there, and
// shows an "achievement unlocked" banner over the parent controller's view for each
// achievement completed, one banner at a time from a queue.
//
// A GameCenterDelegate: registered with GameCenter while it lives; a sign-in syncs
// every achievement begun, a player change or sign-out forgets what was reported.
// Process-wide singleton (sharedManager, releaseManager); main thread only.
class AchievementSystem final : public GameCenterDelegate {
public:
    // The book, made and loaded on first use.
    static AchievementSystem& sharedManager();
    // Leaves GameCenter and drops the book; the next use makes a new one.
    static void releaseManager();

    // The banner's size, in points.
    static constexpr float bannerWidth = 380;
    static constexpr float bannerHeight = 27;
    // Seconds the banner takes to slide in (and out), and stays still between.
    static constexpr double bannerSlideTime = 0.5;
    static constexpr double bannerStillTime = 2;

    void loadAchievements();
    std::vector<base::Ref<Achievement>> getAllAchievements() const { return achievementsArray; }
    Achievement* getAchievementWithID(std::string_view identifier) const;
    // Raises the achievement's progress to percent (clamped into 0..100); true only
    // when this call completed it.
    bool updateAchievementWithID(std::string_view identifier, float percent);
    // Completes each achievement that the game's running totals have earned.
    void checkUpdateAchievementsFromCurrentGame();
    void syncAllAchievementsWithGameCenter();
    void cleanAllAchievementsCache();

    void addAchievementUnlockedMessage(std::string_view identifier);
    void showAchievementMessage();
    // Where banners appear (not retained); banners waiting for one show now.
    void setParentViewControllerForAchievementMessage(ui::ViewController* controller);
    ui::ViewController* parentViewController() const { return parentViewController_.get(); }

    // What the banner shows, for tests and screenshots.
    ui::View* achievementMessageView() const { return achievementMessageView_.get(); }
    ui::Label* achievementMessageLabel() const { return achievementMessageLabel_.get(); }
    std::deque<std::string> const& achievementMessageQueue() const { return achievementMessages; }
    bool isShowingAchievementMessage() const { return bIsShowingAchievementMessage; }

    void localPlayerDidAuthenticateSuccess() override;
    void localPlayerDidChange() override;
    void localPlayerDidLogout() override;

private:
    friend base::Factory;
    AchievementSystem();
    ~AchievementSystem() override;

    // Registration with GameCenter and the first sync, once the book is made.
    void start();
    // Game Center is there, the network reachable and the player signed in.
    static bool canReport();
    void finishAchievementMessage();

    std::vector<base::Ref<Achievement>> achievementsArray;
    std::map<std::string, base::Ref<Achievement>, std::less<>> achievementsDictionary;
    std::deque<std::string> achievementMessages;
    base::Ref<ui::View> achievementMessageView_;
    base::Ref<ui::Label> achievementMessageLabel_;
    base::WeakRef<ui::ViewController> parentViewController_;
    bool bIsShowingAchievementMessage {false};
};

}
