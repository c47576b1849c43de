#pragma once

#include <ui/Label.hpp>
#include <ui/ViewController.hpp>

#include <string>
#include <vector>

namespace ui {

// The game service's own full-screen page: a title bar with a "Done" button over a
// list of lines, one per entry the service keeps for the signed-in player. The
// subclasses (the leaderboard and achievement screens) give the title and the lines
// and tell their delegate when the player is done. Main thread only.
class GameServiceScreen : public ViewController {
public:
    void loadView() override;
    // The lines as last shown (read when the view loads and each time it appears).
    std::vector<std::string> const& lines() const { return lines_; }
    // What the "Done" button does: tells the delegate, which dismisses the screen.
    virtual void done() = 0;

    bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) override;
    void viewWillAppear(bool animated) override;

protected:
    GameServiceScreen() = default;
    virtual std::string screenTitle() const = 0;
    virtual std::vector<std::string> currentLines() const = 0;

private:
    void showLines();

    std::vector<std::string> lines_;
    std::vector<base::Ref<Label>> rows_;
};

}
