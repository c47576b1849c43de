#include <game/shell/BountixFeaturedAppViewController.hpp>

#include <foundation/Format.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/shell/Utilities.hpp>
#include <graphics/Font.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

#include <cstdint>
#include <optional>

namespace game {

namespace {

// Appends a Unicode scalar value as UTF-8.
void appendUTF8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

int digitValue(char c, int base) {
    int value = c >= '0' && c <= '9' ? c - '0'
        : c >= 'a' && c <= 'f'       ? c - 'a' + 10
        : c >= 'A' && c <= 'F'       ? c - 'A' + 10
                                     : 99;
    return value < base ? value : -1;
}

// The character of the reference body (what stands between "&#" and ";"): decimal
// digits, or "x" / "X" and hexadecimal digits. None when the body is not that or
// names no character.
std::optional<std::uint32_t> referencedCharacter(std::string_view body) {
    int base = 10;
    if (!body.empty() && (body[0] == 'x' || body[0] == 'X')) {
        base = 16;
        body.remove_prefix(1);
    }
    if (body.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : body) {
        int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * std::uint32_t(base) + std::uint32_t(digit);
        // Past the last character: stop before the number can wrap.
        if (value > 0x10FFFF)
            return std::nullopt;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return value;
}

}

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
    std::string result;
    std::size_t position = 0;
    while (position < text.size()) {
        auto start = text.find("&#", position);
        if (start == std::string_view::npos)
            break;
        result.append(text.substr(position, start - position));
        auto bodyStart = start + 2;
        auto end = text.find(';', bodyStart);
        // A body longer than any character's number is no reference; looking no
        // further keeps the walk linear.
        if (end != std::string_view::npos && end - bodyStart <= 10) {
            if (auto character = referencedCharacter(text.substr(bodyStart, end - bodyStart))) {
                appendUTF8(result, *character);
                position = end + 1;
                continue;
            }
        }
        // Not a reference: its "&#" stays as text and the walk goes on after it.
        result.append("&#");
        position = bodyStart;
    }
    result.append(text.substr(position));
    foundation::log("converted %@", result);
    return result;
}

}
