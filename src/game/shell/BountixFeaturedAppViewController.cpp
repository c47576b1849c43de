#include <game/shell/BountixFeaturedAppViewController.hpp>

#include <foundation/Format.hpp>
#include <game/shell/CharacterReferences.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/shell/Utilities.hpp>
#include <graphics/Font.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

namespace game {

base::Ref<BountixFeaturedAppViewController> BountixFeaturedAppViewController::initWithNibName() {
    return base::make<BountixFeaturedAppViewController>();
}

BountixFeaturedAppViewController::BountixFeaturedAppViewController() {
    setModalTransitionStyle(ui::ModalTransitionStyle::CrossDissolve);
    DownloadManager::sharedManager().addDelegate(this);
}

BountixFeaturedAppViewController::~BountixFeaturedAppViewController() {
    DownloadManager::sharedManager().removeDelegate(this);
}

// The landscape screen of the device: a dimmed backdrop with a panel in its middle
// holding the icon, the name and cost, the reward (or the free-points picture), the
// download button and, in the panel's top-right corner, the close button. The tablet
// shows the phone's panel at twice the size.
void BountixFeaturedAppViewController::loadView() {
    bool pad = Utilities::isiPad();
    float const screenWidth = pad ? 1024 : 480;
    float const screenHeight = pad ? 768 : 320;
    float const s = pad ? 2 : 1;
    float const panelWidth = 360 * s;
    float const panelHeight = 240 * s;
    auto root = ui::View::create(graphics::makeRect(0, 0, screenWidth, screenHeight));
    root->setBackgroundColor(ui::Color::colorWithWhite(0, 0.6f));
    auto panel = ui::View::create(graphics::makeRect(
        (screenWidth - panelWidth) / 2, (screenHeight - panelHeight) / 2, panelWidth, panelHeight));
    panel->setBackgroundColor(ui::Color::colorWithBytes(250, 244, 226));
    panel->layer().setCornerRadius(12 * s);
    panel->layer().setBorderWidth(2 * s);
    panel->layer().setBorderColor(ui::Color::colorWithBytes(120, 84, 50));
    root->addSubview(panel);
    auto at = [s](float x, float y, float w, float h) {
        return graphics::makeRect(x * s, y * s, w * s, h * s);
    };
    auto label = [&](graphics::Rect frame, float size, bool bold) {
        auto made = ui::Label::create(frame);
        made->setBackgroundColor(ui::Color::clearColor());
        made->setFont(bold ? graphics::Font::boldSystemFontOfSize(size * s)
                           : graphics::Font::systemFontOfSize(size * s));
        made->setTextColor(ui::Color::colorWithBytes(70, 46, 28));
        panel->addSubview(made);
        return made;
    };

    auto title = label(at(20, 14, 280, 26), 20, true);
    title->setText("Featured App");
    iAppIconImageView_ = ui::ImageView::create(at(24, 52, 57, 57));
    iAppIconImageView_->setImage(ui::Image::imageNamed("bountix_icon.png"));
    panel->addSubview(iAppIconImageView_);
    iAppNameLabel_ = label(at(96, 54, 244, 26), 18, true);
    iAppNameLabel_->setAdjustsFontSizeToFitWidth(true);
    iAppNameLabel_->setMinimumFontSize(10 * s);
    iAppCostLabel_ = label(at(96, 84, 244, 22), 14, false);

    auto earn = label(at(24, 124, 150, 24), 15, false);
    earn->setText("Download and earn");
    iEarnLabel_ = label(at(176, 120, 100, 32), 26, true);
    iEarnLabel_->setTextColor(ui::Color::colorWithBytes(214, 98, 30));
    ifreePointsImageView_ = ui::ImageView::create(at(176, 118, 36, 36));
    ifreePointsImageView_->setImage(ui::Image::imageNamed("PP_Add_Icon.png"));
    panel->addSubview(ifreePointsImageView_);

    downloadButton_ = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
    downloadButton_->setFrame(at(100, 176, 160, 44));
    downloadButton_->setTitle("Download", ui::ControlState::Normal);
    downloadButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { downloadOnClick(); },
        ui::ControlEvents::TouchUpInside);
    panel->addSubview(downloadButton_);

    closeButton_ = ui::Button::create(at(360 - 46, 6, 40, 40));
    closeButton_->setImage(ui::Image::imageNamed("close_button.png"), ui::ControlState::Normal);
    closeButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { closeOnClick(); },
        ui::ControlEvents::TouchUpInside);
    panel->addSubview(closeButton_);
    setView(root);
}

void BountixFeaturedAppViewController::viewDidLoad() {
    ifreePointsImageView_->setHidden(true);
    if (!featuredAppModel_)
        return;
    iEarnLabel_->setText(foundation::format("%d", featuredAppModel_->amount));
    if (featuredAppModel_->amount <= 0)
        ifreePointsImageView_->setHidden(false);
    iAppNameLabel_->setText(decodeHtmlUnicodeCharactersToString(featuredAppModel_->name));
    iAppCostLabel_->setText(decodeHtmlUnicodeCharactersToString(featuredAppModel_->cost));
    DownloadManager::sharedManager().downloadFile(featuredAppModel_->iconURL);
}

bool BountixFeaturedAppViewController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::LandscapeRight
        || orientation == ui::InterfaceOrientation::LandscapeLeft;
}

void BountixFeaturedAppViewController::closeOnClick() {
    DownloadManager::sharedManager().removeDelegate(this);
    if (GameGlobals::shared().money != 0)
        ShellServices::shared().checkDailyBonus();
    dismissViewController(true);
}

void BountixFeaturedAppViewController::downloadOnClick() {
    if (featuredAppModel_ && !featuredAppModel_->redirectURL.empty())
        ui::Application::sharedApplication().openExternalURL(featuredAppModel_->redirectURL);
}

void BountixFeaturedAppViewController::downloadDidFinish(
    std::string const& url, base::Bytes const& data) {
    if (!featuredAppModel_ || featuredAppModel_->iconURL != url)
        return;
    if (auto image = ui::Image::imageWithData(data))
        iAppIconImageView_->setImage(image);
    DownloadManager::sharedManager().removeDelegate(this);
}

std::string BountixFeaturedAppViewController::decodeHtmlUnicodeCharactersToString(
    std::string_view text) {
    foundation::log("unicode %@", std::string(text));
    if (text.find("&#") == std::string_view::npos)
        return std::string(text);
    auto result = decodeCharacterReferences(text);
    foundation::log("converted %@", result);
    return result;
}

}
