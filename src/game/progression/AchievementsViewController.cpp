#include <game/progression/AchievementsViewController.hpp>

#include <game/progression/GameCenter.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>

#include <graphics/Font.hpp>
#include <ui/Button.hpp>
#include <ui/Color.hpp>
#include <ui/Label.hpp>
#include <ui/TableView.hpp>

namespace game {

namespace {

constexpr ui::Color pageColor = ui::Color::colorWithBytes(252, 236, 242);
constexpr ui::Color barColor = ui::Color::colorWithBytes(214, 72, 122);
constexpr ui::Color buttonColor = ui::Color::colorWithBytes(150, 20, 55);

void playSound(char const* name) {
    if (auto* sound = SoundEngine::sharedManager())
        sound->playSoundName(name);
}

base::Ref<ui::Button> makeButton(graphics::Rect frame, std::string title, float fontSize) {
    auto button = ui::Button::create(frame);
    button->setBackgroundColor(buttonColor);
    button->layer().setCornerRadius(8);
    button->setTitle(std::move(title), ui::ControlState::Normal);
    button->setTitleColor(ui::Color::whiteColor(), ui::ControlState::Normal);
    button->titleLabel()->setFont(graphics::Font::boldSystemFontOfSize(fontSize));
    button->titleLabel()->setAdjustsFontSizeToFitWidth(true);
    button->setExclusiveTouch(true);
    return button;
}

}

base::Ref<AchievementsViewController> AchievementsViewController::create() {
    return base::make<AchievementsViewController>();
}

void AchievementsViewController::loadView() {
    bool tablet = Utilities::isiPad();
    float width = tablet ? 1024 : 480;
    float height = tablet ? 768 : 320;
    float bar = tablet ? 88 : 44;
    float scale = tablet ? 2 : 1;

    auto root = ui::View::create(graphics::makeRect(0, 0, width, height));
    root->setBackgroundColor(pageColor);
    auto titleBar = ui::View::create(graphics::makeRect(0, 0, width, bar));
    titleBar->setBackgroundColor(barColor);
    root->addSubview(titleBar);

    titleLabel_ = ui::Label::create(graphics::makeRect(width * 0.25f, 0, width * 0.5f, bar));
    titleLabel_->setBackgroundColor(ui::Color::clearColor());
    titleLabel_->setFont(graphics::Font::boldSystemFontOfSize(22 * scale));
    titleLabel_->setTextColor(ui::Color::whiteColor());
    titleLabel_->setTextAlignment(ui::TextAlignment::Center);
    titleLabel_->setAdjustsFontSizeToFitWidth(true);
    root->addSubview(titleLabel_);

    closeButton_ = makeButton(
        graphics::makeRect(8 * scale, 7 * scale, 76 * scale, 30 * scale), "Close", 15 * scale);
    closeButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { closeOnClick(); },
        ui::ControlEvents::TouchUpInside);
    root->addSubview(closeButton_);

    // The game service's two buttons, at the right of the bar.
    float buttonWidth = 90 * scale;
    iGameCenterView_ = ui::View::create(graphics::makeRect(
        width - 2 * buttonWidth - 16 * scale, 0, 2 * buttonWidth + 8 * scale, bar));
    leaderboardButton_ = makeButton(
        graphics::makeRect(0, 7 * scale, buttonWidth, 30 * scale), "Leaderboard", 13 * scale);
    leaderboardButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { leaderboardOnClick(); },
        ui::ControlEvents::TouchUpInside);
    iGameCenterView_->addSubview(leaderboardButton_);
    achievementsButton_ = makeButton(
        graphics::makeRect(buttonWidth + 8 * scale, 7 * scale, buttonWidth, 30 * scale),
        "Achievements", 13 * scale);
    achievementsButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { achievementsOnClick(); },
        ui::ControlEvents::TouchUpInside);
    iGameCenterView_->addSubview(achievementsButton_);
    root->addSubview(iGameCenterView_);

    tableViewController_ = AchievementsTableViewController::create();
    auto* list = tableViewController_->view();
    list->setFrame(graphics::makeRect(0, bar, width, height - bar));
    list->setBackgroundColor(ui::Color::clearColor());
    root->addSubview(base::Ref<ui::View>(list));

    setView(root);
}

void AchievementsViewController::viewDidLoad() {
    if (!titleStr_.empty())
        titleLabel_->setText(titleStr_);
    iGameCenterView_->setHidden(!GameCenter::isGameCenterAvailable());
}

bool AchievementsViewController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::LandscapeLeft
        || orientation == ui::InterfaceOrientation::LandscapeRight;
}

void AchievementsViewController::closeOnClick() {
    playSound("Cancel");
    dismissModalViewController(true);
}

void AchievementsViewController::leaderboardOnClick() {
    playSound("Click");
    GameCenter::sharedManager().showLeaderboardWithViewController(*this);
}

void AchievementsViewController::achievementsOnClick() {
    playSound("Click");
    GameCenter::sharedManager().showAchievementsWithViewController(*this);
}

}
