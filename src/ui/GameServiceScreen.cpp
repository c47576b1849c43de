#include <ui/GameServiceScreen.hpp>

#include <graphics/Font.hpp>
#include <ui/Button.hpp>
#include <ui/Label.hpp>
#include <ui/Screen.hpp>

namespace ui {

namespace {

constexpr float barHeight = 44;
constexpr float rowHeight = 24;
constexpr float margin = 12;

}

// Built for the landscape screen the game plays on; the list shows as many lines as
// fit under the bar.
void GameServiceScreen::loadView() {
    ViewController::loadView();
    auto* root = view();
    root->setBackgroundColor(Color::colorWithBytes(40, 44, 52));
    auto bounds = root->bounds();
    auto title = Label::create({{0, 0}, {bounds.size.width, barHeight}});
    title->setText(screenTitle());
    title->setTextAlignment(TextAlignment::Center);
    title->setFont(graphics::Font::boldSystemFontOfSize(20));
    title->setTextColor(Color::whiteColor());
    title->setBackgroundColor(Color::colorWithBytes(20, 22, 26));
    root->addSubview(title);
    base::WeakRef<GameServiceScreen> self(this);
    auto button
        = Button::create({{bounds.size.width - 80, 6}, {70, barHeight - 12}}, "Done", [self] {
              if (auto screen = self.strong())
                  screen->done();
          });
    root->addSubview(button);
    showLines();
}

void GameServiceScreen::viewWillAppear(bool) {
    showLines();
}

bool GameServiceScreen::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
    return orientation == InterfaceOrientation::LandscapeLeft
        || orientation == InterfaceOrientation::LandscapeRight;
}

void GameServiceScreen::showLines() {
    lines_ = currentLines();
    if (!isViewLoaded())
        return;
    for (auto& row : rows_)
        row->removeFromSuperview();
    rows_.clear();
    auto bounds = view()->bounds();
    float y = barHeight + margin;
    for (auto const& line : lines_) {
        if (y + rowHeight > bounds.size.height)
            break;
        auto row = Label::create({{margin, y}, {bounds.size.width - 2 * margin, rowHeight}});
        row->setText(line);
        row->setTextColor(Color::whiteColor());
        row->setFont(graphics::Font::systemFontOfSize(16));
        view()->addSubview(row);
        rows_.push_back(row);
        y += rowHeight;
    }
}

}
