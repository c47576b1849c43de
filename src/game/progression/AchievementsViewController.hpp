#pragma once

#include <base/Ref.hpp>
#include <game/progression/AchievementsTableViewController.hpp>
#include <ui/ViewController.hpp>

#include <string>

namespace ui {
class Button;
class Label;
class View;
}

namespace game {

// The achievements screen, built in code in the landscape screen's size: a title bar
// with a close button, the list (AchievementsTableViewController) and a group of two
// buttons that open the game service's leaderboard and achievement screens, hidden
// when the service is not there. Made for each showing by the root view controller,
// which presents it modally; closing dismisses it. Main thread.
class AchievementsViewController final : public ui::ViewController {
public:
    static base::Ref<AchievementsViewController> create();

    void loadView() override;
    void viewDidLoad() override;
    // Only the two landscape orientations.
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    void closeOnClick();
    void leaderboardOnClick();
    void achievementsOnClick();

    ui::Label* titleLabel() const { return titleLabel_.get(); }
    AchievementsTableViewController* tableViewController() const {
        return tableViewController_.get();
    }
    ui::View* iGameCenterView() const { return iGameCenterView_.get(); }
    ui::Button* closeButton() const { return closeButton_.get(); }
    ui::Button* leaderboardButton() const { return leaderboardButton_.get(); }
    ui::Button* achievementsButton() const { return achievementsButton_.get(); }
    std::string const& titleStr() const { return titleStr_; }
    void setTitleStr(std::string title) { titleStr_ = std::move(title); }

private:
    friend base::Factory;
    AchievementsViewController() = default;

    base::Ref<ui::Label> titleLabel_;
    base::Ref<AchievementsTableViewController> tableViewController_;
    base::Ref<ui::View> iGameCenterView_;
    base::Ref<ui::Button> closeButton_;
    base::Ref<ui::Button> leaderboardButton_;
    base::Ref<ui::Button> achievementsButton_;
    std::string titleStr_;
};

}
