#pragma once

#include <ui/GameServiceScreen.hpp>

namespace ui {

class GKLeaderboardViewController;

// Told when the player closes the leaderboard screen; the delegate dismisses it.
class GKLeaderboardViewControllerDelegate {
public:
    virtual ~GKLeaderboardViewControllerDelegate() = default;
    virtual void leaderboardViewControllerDidFinish(GKLeaderboardViewController& controller) = 0;
};

// The game service's leaderboard screen: the signed-in player's best score on each
// leaderboard. The delegate is not retained. Main thread only.
class GKLeaderboardViewController final : public GameServiceScreen {
public:
    static base::Ref<GKLeaderboardViewController> create();

    GKLeaderboardViewControllerDelegate* leaderboardDelegate() const { return delegate_; }
    void setLeaderboardDelegate(GKLeaderboardViewControllerDelegate* delegate) {
        delegate_ = delegate;
    }

    void done() override;

private:
    friend base::Factory;
    GKLeaderboardViewController() = default;

    std::string screenTitle() const override;
    std::vector<std::string> currentLines() const override;

    GKLeaderboardViewControllerDelegate* delegate_ {nullptr};
};

}
