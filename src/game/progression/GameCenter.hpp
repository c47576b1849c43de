#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <foundation/NotificationCenter.hpp>
#include <services/GKAchievement.hpp>
#include <ui/GKAchievementViewController.hpp>
#include <ui/GKLeaderboardViewController.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {
class ViewController;
}

namespace game {

// What GameCenter tells the objects registered with it. Every operation is optional:
// a delegate overrides those it answers and hears nothing of the others.
class GameCenterDelegate : public base::Object {
public:
    // An authentication request finished without error.
    virtual void localPlayerDidAuthenticateSuccess() { }
    virtual void localPlayerDidAuthenticateError(services::GKError const&) { }
    // The authentication-changed notification came with the player signed in...
    virtual void localPlayerDidChange() { }
    // ...or signed out.
    virtual void localPlayerDidLogout() { }
    virtual void achievementsDidLoad(std::vector<base::Ref<services::GKAchievement>> const&) { }
    virtual void achievementsDidReset() { }

protected:
    GameCenterDelegate() = default;
};

// The one place where the game talks to the device's game service: whether it can be
// used, the player's sign-in, achievement and score reports, the service's own
// screens, and every answer passed on to the registered delegates (held by counted
// references; each at most once; told in the order they were added). Answers arrive
// later on the main run loop; a delegate may add or remove delegates while it is told.
// Process-wide singleton, main thread only.
class GameCenter final : public base::Object,
                         public ui::GKLeaderboardViewControllerDelegate,
                         public ui::GKAchievementViewControllerDelegate {
public:
    // The service's classes exist and the system version is at least "4.1", compared
    // number by number ("4.10" is above "4.9").
    static bool isGameCenterAvailable();
    // Compares dotted versions number by number, a missing number counting as 0;
    // negative, 0 or positive as a is below, equal to or above b.
    static int compareVersions(std::string_view a, std::string_view b);

    static GameCenter& sharedManager();
    static void releaseManager();
    static void addDelegate(GameCenterDelegate* delegate);
    static void removeDelegate(GameCenterDelegate* delegate);

    void addDelegateToSet(GameCenterDelegate* delegate);
    void removeDelegateFromSet(GameCenterDelegate* delegate);
    std::size_t delegateCount() const { return _delegates.size(); }

    bool isLocalPlayerAuthenticated() const;
    void authenticateLocalPlayer();
    // The percent is clamped into 0..100; an identifier the service refuses is skipped.
    void reportAchievementIdentifier(std::string const& identifier, float percent);
    void loadAchievements();
    void resetAchievements();
    // done, when given, hears whether the service took the score, later on the main
    // run loop, so that a caller can send it again after a failure.
    void reportScore(std::int64_t score, std::string const& category,
        std::function<void(bool reported)> done = {});

    // The service's screens, presented modally over presenter; nothing without the service.
    void showLeaderboardWithViewController(ui::ViewController& presenter);
    void showAchievementsWithViewController(ui::ViewController& presenter);
    void leaderboardViewControllerDidFinish(ui::GKLeaderboardViewController& controller) override;
    void achievementViewControllerDidFinish(ui::GKAchievementViewController& controller) override;

    // The notification's handler.
    void authenticationChanged();

private:
    friend base::Factory;
    GameCenter();
    ~GameCenter() override;

    // Calls tell on each delegate registered when the walk began and still registered.
    void tellDelegates(std::function<void(GameCenterDelegate&)> const& tell);

    std::vector<base::Ref<GameCenterDelegate>> _delegates;
    foundation::ObservationToken authenticationObserver_;
    // The screens shown with this object as their delegate, told to forget it when it goes.
    base::WeakRef<ui::GKLeaderboardViewController> leaderboardScreen_;
    base::WeakRef<ui::GKAchievementViewController> achievementScreen_;
};

}
