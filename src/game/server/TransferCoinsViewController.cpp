#include <game/server/TransferCoinsViewController.hpp>

#include <game/interface/Interface.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/Utilities.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Dates.hpp>
#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <graphics/Font.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace game {

namespace {

constexpr double neverRefills = std::numeric_limits<double>::max();

foundation::UserDefaults& defaults() {
    return foundation::UserDefaults::standardUserDefaults();
}

int clampToInt(long long value) {
    return int(std::clamp<long long>(
        value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// floor(value) as an int, saturating: the stored interval may be any double.
int floorToInt(double value) {
    if (!(value > 0))
        return 0;
    if (value >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return int(std::floor(value));
}

base::Ref<base::Dictionary> zeroPackage() {
    return base::Dictionary::create({{"lotsize", 0}, {"price", 0}});
}

}

base::Ref<TransferCoinsViewController> TransferCoinsViewController::initWithNibName() {
    return base::make<TransferCoinsViewController>();
}

// The phone's layout on a 480 x 320 screen; the tablet's is the same at twice the
// size, centred on its 1024 x 768 screen.
void TransferCoinsViewController::loadView() {
    bool pad = Utilities::isiPad();
    float scale = pad ? 2 : 1;
    graphics::Point origin = pad ? graphics::Point {32, 64} : graphics::Point {0, 0};
    auto rect = [&](float x, float y, float width, float height) {
        return graphics::makeRect(
            origin.x + x * scale, origin.y + y * scale, width * scale, height * scale);
    };
    auto font = [&](float size, bool bold = false) {
        return bold ? graphics::Font::boldSystemFontOfSize(size * scale)
                    : graphics::Font::systemFontOfSize(size * scale);
    };
    auto label = [&](graphics::Rect frame, float size, bool bold) {
        auto made = ui::Label::create(frame);
        made->setFont(font(size, bold));
        made->setTextAlignment(ui::TextAlignment::Center);
        made->setTextColor(ui::Color::whiteColor());
        made->setBackgroundColor(ui::Color::clearColor());
        return made;
    };

    auto size = pad ? graphics::makeSize(1024, 768) : graphics::makeSize(480, 320);
    auto root = ui::View::create(graphics::makeRect(0, 0, size.width, size.height));
    root->setBackgroundColor(ui::Color::colorWithBytes(36, 92, 140));

    iTitleLabel_ = label(rect(0, 8, 480, 36), 24, true);
    iTitleLabel_->setText(alertTitle);
    root->addSubview(iTitleLabel_);
    iAvailableLabel_ = label(rect(10, 50, 460, 24), 15, false);
    root->addSubview(iAvailableLabel_);
    iAvailableAmtLabel_ = label(rect(0, 76, 480, 40), 32, true);
    iAvailableAmtLabel_->setTextColor(ui::Color::colorWithBytes(255, 220, 60));
    root->addSubview(iAvailableAmtLabel_);

    for (int i = 0; i < packageCount; ++i) {
        float x = 30 + float(i) * 150;
        auto button = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
        button->setFrame(rect(x, 130, 120, 80));
        button->titleLabel()->setFont(font(26, true));
        button->setTitleColor(ui::Color::colorWithBytes(36, 92, 140), ui::ControlState::Normal);
        button->setTitleColor(ui::Color::grayColor(), ui::ControlState::Disabled);
        button->addTarget(
            this, [this](ui::Control& sender, ui::Event*) { onPackageClick(sender); },
            ui::ControlEvents::TouchUpInside);
        iPackageBtn_[i] = button;
        root->addSubview(button);
        iPackageCostLabel_[i] = label(rect(x, 214, 120, 26), 18, false);
        root->addSubview(iPackageCostLabel_[i]);
    }

    iBackBtn_ = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
    iBackBtn_->setFrame(rect(10, 270, 100, 40));
    iBackBtn_->setTitle("Back", ui::ControlState::Normal);
    iBackBtn_->setTitleColor(ui::Color::colorWithBytes(36, 92, 140), ui::ControlState::Normal);
    iBackBtn_->addTarget(
        this, [this](ui::Control& sender, ui::Event*) { onBackClick(sender); },
        ui::ControlEvents::TouchUpInside);
    root->addSubview(iBackBtn_);
    setView(root);
}

void TransferCoinsViewController::viewDidLoad() {
    loadSettings();
    updateInterface();
}

bool TransferCoinsViewController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::LandscapeLeft
        || orientation == ui::InterfaceOrientation::LandscapeRight;
}

void TransferCoinsViewController::setMaxPetPointLimit(int limit) {
    iMaxPetPointLimit = limit;
    defaults().setInteger(limit, keyLimit);
}

void TransferCoinsViewController::setPetPointRemain(int remain) {
    iPetPointRemain = remain;
    defaults().setInteger(remain, keyRemain);
}

void TransferCoinsViewController::setRegenInterval(double seconds) {
    iRegenInterval = seconds;
    defaults().setDouble(seconds, keyInterval);
}

void TransferCoinsViewController::setLatestRegenPoint(base::Date mark) {
    iLatestRegenMark = mark;
    defaults().setDouble(mark.seconds + foundation::unixEpochToReferenceDate, keyMark);
}

void TransferCoinsViewController::setPackageLotSize(int lotSize, int price, int packageId) {
    if (packageId < 0 || packageId >= packageCount) {
        foundation::log("TransferCoins: no package %d; there are %d", packageId, packageCount);
        return;
    }
    if (!iPackageSettings)
        iPackageSettings = base::Array::create();
    while (iPackageSettings->size() < std::size_t(packageCount))
        iPackageSettings->add(zeroPackage());
    auto entry = zeroPackage();
    entry->setObject("lotsize", lotSize);
    entry->setObject("price", price);
    iPackageSettings->set(std::size_t(packageId), entry);
    defaults().setObject(base::Value(iPackageSettings), keyPackages);
}

void TransferCoinsViewController::loadSettings() {
    iMaxPetPointLimit = clampToInt(defaults().integerForKey(keyLimit));
    iPetPointRemain = clampToInt(defaults().integerForKey(keyRemain));
    iRegenInterval = defaults().doubleForKey(keyInterval);
    iLatestRegenMark
        = base::Date {defaults().doubleForKey(keyMark) - foundation::unixEpochToReferenceDate};
    auto packages = defaults().arrayForKey(keyPackages);
    iPackageSettings = packages ? packages->deepCopy() : nullptr;

    double now = foundation::Clock::current().wallTime();
    if (now - iLatestRegenMark.seconds > iRegenInterval)
        setPetPointRemain(iMaxPetPointLimit);
}

std::string TransferCoinsViewController::availabilityText(
    int limit, int remain, double interval, base::Date mark, double now) {
    std::string const line = "Available For Conversion";
    if (interval == neverRefills || remain == limit)
        return line;
    double t = std::fabs(now - (mark.seconds + interval));
    if (std::isnan(t))
        return line;
    int days = floorToInt(t / 86400);
    if (days >= 1)
        return foundation::format("Available For Conversion (regenerates in %d days)", days);
    int hours = floorToInt(t / 3600);
    if (hours >= 2)
        return foundation::format("Available For Conversion (regenerates in %d hours)", hours);
    // From the second hour down, the line counts the whole minutes left.
    int minutes = floorToInt(t / 60);
    if (minutes >= 1)
        return foundation::format("Available For Conversion (regenerates in %d minutes)", minutes);
    return line;
}

TransferCoinsViewController::Package TransferCoinsViewController::package(int index) const {
    if (!iPackageSettings || std::size_t(index) >= iPackageSettings->size())
        return {};
    auto const* entry = iPackageSettings->at(std::size_t(index)).dictionary();
    if (!entry)
        return {};
    return {clampToInt(entry->objectForKey("lotsize").longLongValue()),
        clampToInt(entry->objectForKey("price").longLongValue())};
}

bool TransferCoinsViewController::canBuy(Package const& offer) const {
    return offer.lotSize > 0 && offer.price >= 0 && iPetPointRemain >= offer.lotSize
        && GameGlobals::shared().money >= offer.price;
}

void TransferCoinsViewController::updateInterface() {
    if (!isViewLoaded())
        return;
    iAvailableLabel_->setText(availabilityText(iMaxPetPointLimit, iPetPointRemain, iRegenInterval,
        iLatestRegenMark, foundation::Clock::current().wallTime()));
    iAvailableAmtLabel_->setText(foundation::format("%d", iPetPointRemain));
    for (int i = 0; i < packageCount; ++i) {
        auto offer = package(i);
        iPackageBtn_[i]->setTitle(
            foundation::format("X%d", offer.lotSize), ui::ControlState::Normal);
        iPackageCostLabel_[i]->setText(foundation::format("%d", offer.price));
        iPackageBtn_[i]->setEnabled(canBuy(offer));
    }
}

void TransferCoinsViewController::onPackageClick(ui::Control& sender) {
    iSelectedPackage = nullptr;
    for (int i = 0; i < packageCount; ++i) {
        if (&sender != iPackageBtn_[i].get())
            continue;
        auto offer = package(i);
        iSelectedPackage
            = base::Dictionary::create({{"lotsize", offer.lotSize}, {"price", offer.price}});
    }
    if (!iSelectedPackage)
        return;
    auto alert = ui::AlertView::create(alertTitle,
        foundation::format("Convert %@ coins into %@ pet points?",
            iSelectedPackage->objectForKey("price"), iSelectedPackage->objectForKey("lotsize")),
        this, "Cancel", {confirmTitle});
    alert->show();
}

void TransferCoinsViewController::onBackClick(ui::Control&) {
    dismissViewController(true);
}

void TransferCoinsViewController::didDismissWithButtonIndex(
    ui::AlertView& alertView, int buttonIndex) {
    if (alertView.title() != alertTitle
        || alertView.buttonTitleAtIndex(buttonIndex) != confirmTitle)
        return;
    confirmPurchase();
}

void TransferCoinsViewController::confirmPurchase() {
    if (!iSelectedPackage)
        return;
    Package offer {clampToInt(iSelectedPackage->objectForKey("lotsize").longLongValue()),
        clampToInt(iSelectedPackage->objectForKey("price").longLongValue())};
    auto& globals = GameGlobals::shared();
    // Checked again: the money or the allowance may have changed since the tap, and
    // without the interface the coins could not be taken.
    if (!canBuy(offer) || !globals.interface) {
        foundation::log("TransferCoins: %d Vov Azavuz for %d coins cannot be bought now",
            offer.lotSize, offer.price);
        updateInterface();
        return;
    }
    if (iPetPointRemain == iMaxPetPointLimit)
        setLatestRegenPoint(base::Date {foundation::Clock::current().wallTime()});
    globals.petPoints = clampToInt(static_cast<long long>(globals.petPoints) + offer.lotSize);
    setPetPointRemain(iPetPointRemain - offer.lotSize);
    globals.interface->updateGameplayMoney(-offer.price);
    savePetPoints();
    saveMoney();
    updateInterface();
}

void TransferCoinsViewController::savePetPoints() {
    DataConrtoller::savePetPoints();
}

void TransferCoinsViewController::saveMoney() {
    DataConrtoller::saveMoney();
}

}
