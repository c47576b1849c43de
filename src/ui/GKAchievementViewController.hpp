#pragma once

#include <ui/GameServiceScreen.hpp>

namespace ui {

class GKAchievementViewController;

// Told when the player closes the achievement screen; the delegate dismisses it.
class GKAchievementViewControllerDelegate {
public:
    virtual ~GKAchievementViewControllerDelegate() = default;
    virtual void achievementViewControllerDidFinish(GKAchievementViewController& controller) = 0;
};

// The game service's achievement screen: each achievement the signed-in player has
// reported, with its percent. The delegate is not retained. Main thread only.
class GKAchievementViewController final : public GameServiceScreen {
public:
    static base::Ref<GKAchievementViewController> create();

    GKAchievementViewControllerDelegate* achievementDelegate() const { return delegate_; }
    void setAchievementDelegate(GKAchievementViewControllerDelegate* delegate) {
        delegate_ = delegate;
    }

    void done() override;

private:
    friend base::Factory;
    GKAchievementViewController() = default;

    std::string screenTitle() const override;
    std::vector<std::string> currentLines() const override;

    GKAchievementViewControllerDelegate* delegate_ {nullptr};
};

}
