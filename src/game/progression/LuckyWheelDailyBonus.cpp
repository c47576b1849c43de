// The prize wheel's daily bonus, buy-token panel and usage counters.

#include <game/progression/LuckyWheelViewController.hpp>

#include <foundation/Dates.hpp>
#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/progression/AnimViewManager.hpp>
#include <game/progression/NetworkTime.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

#include <algorithm>
#include <cmath>

namespace game {

namespace {

foundation::UserDefaults& defaults() {
    return foundation::UserDefaults::standardUserDefaults();
}

// The class's one registration for the server clock's answer, and the centre it was
// made with (a test may start a new default centre).
struct ServerTimeObservation {
    foundation::ObservationToken token;
    foundation::NotificationCenter* center {nullptr};
};

ServerTimeObservation& serverTimeObservation() {
    static ServerTimeObservation observation;
    return observation;
}

void setBadge(int number) {
    ui::Application::sharedApplication().setApplicationIconBadgeNumber(number);
}

}

// --- the check ---

bool LuckyWheelViewController::isObservingServerTime() {
    auto& observation = serverTimeObservation();
    return observation.token
        && observation.center == &foundation::NotificationCenter::defaultCenter();
}

void LuckyWheelViewController::stopObservingServerTime() {
    auto& observation = serverTimeObservation();
    observation.token.cancel();
    observation.token = {};
    observation.center = nullptr;
}

// Checks made while one waits share its registration, so the answer is counted once.
void LuckyWheelViewController::checkDailyBonus() {
    if (!userServerTime()) {
        timeDidRecieved();
        return;
    }
    if (!isObservingServerTime()) {
        auto& observation = serverTimeObservation();
        auto& center = foundation::NotificationCenter::defaultCenter();
        observation.token = center.observe(NetworkTime::GetServerTimeDidFinishNotification,
            [](foundation::Notification const&) { timeDidRecieved(); });
        observation.center = &center;
    }
    if (Utilities::haveInternetConnection())
        NetworkTime::getServerTime();
}

// Without a server date there is no time to count from: nothing is due (a date of 0
// would make every stored bonus time look far in the future, and a first bonus would
// store a time from before the reference date).
void LuckyWheelViewController::timeDidRecieved() {
    stopObservingServerTime();
    if (userServerTime() && !NetworkTime::cachedDate())
        return;
    double now = getCurrentTime();
    setLocalTimeDifferent(now - foundation::now().seconds);
    double days = std::trunc((now - getLastBonusTime()) / getDailyBonusInterval());
    if (days < 1)
        return;
    int granted = int(std::min(days, double(maxDayOfBonus())));
    int tokens = granted * creditPerBonus();
    setBadge(tokens);
    auto info = base::Dictionary::create();
    info->setObject(DailyBonusDayKey, granted);
    info->setObject(DailyBonusCreditKey, tokens);
    foundation::NotificationCenter::defaultCenter().postNotification(
        DailyBonusDidReceiveNotification, nullptr, base::Value(info));
}

double LuckyWheelViewController::getCurrentTime() {
    if (!userServerTime())
        return foundation::now().seconds;
    auto date = NetworkTime::cachedDate();
    return date ? date->seconds : 0;
}

double LuckyWheelViewController::getLastBonusTime() {
    auto stored = defaults().objectForKey(LastBonusTimeKey);
    if (!stored.isNull())
        return stored.doubleValue();
    return getCurrentTime() - getDailyBonusInterval() * initialBonus() - 1;
}

void LuckyWheelViewController::setLastBonusTime(double time) {
    defaults().setDouble(time, LastBonusTimeKey);
}

double LuckyWheelViewController::localTimeDifferent() {
    return defaults().doubleForKey(TimeDifferentKey);
}

void LuckyWheelViewController::setLocalTimeDifferent(double difference) {
    defaults().setDouble(difference, TimeDifferentKey);
}

void LuckyWheelViewController::showRequireInternetConnection() {
    AlertPresenter::shared().showAlert(
        "Daily Bonus", "Internet connection is required to earn daily bonus.", "OK");
}

void LuckyWheelViewController::playGetBonusSound() {
    if (auto* sound = SoundEngine::sharedManager())
        sound->playSoundEffect("npc_shop_sell_v2.wav");
}

// --- the reminder (off) ---

bool LuckyWheelViewController::localNotificationEnable() {
    auto stored = defaults().objectForKey(LocalNotificationEnableKey);
    return stored.isNull() || stored.boolValue();
}

void LuckyWheelViewController::setLocalNotificationEnable(bool enable) {
    defaults().setBool(enable, LocalNotificationEnableKey);
}

bool LuckyWheelViewController::isLocalNotificationEnableNotSet() {
    return defaults().objectForKey(LocalNotificationEnableKey).isNull();
}

void LuckyWheelViewController::showLocalNotificationSetting() {
    if (!isDeviceSupportLocalNotification())
        return;
    AlertPresenter::shared().showQuestion("Daily Bonus",
        "Do you want to switch on daily bonus notification?", "Off", "On",
        [](int index) { setLocalNotificationEnable(index == 1); });
}

// --- the wheel's side ---

void LuckyWheelViewController::observe(char const* name, std::function<void()> action) {
    observations_.push_back(foundation::NotificationCenter::defaultCenter().observe(
        name, [action = std::move(action)](foundation::Notification const&) { action(); }));
}

void LuckyWheelViewController::viewFirstLoad() {
    if (userServerTime() && !Utilities::haveInternetConnection())
        showRequireInternetConnection();
    else if (isLocalNotificationEnableNotSet())
        setLocalNotificationEnable(false);
    observe(ui::Application::DidBecomeActiveNotification, [this] { applicationDidBecomeActive(); });
    observe(DailyBonusDidReceiveNotification, [this] { dailyBonusDidReceive(); });
}

void LuckyWheelViewController::applicationDidBecomeActive() {
    checkDailyBonus();
}

// Counts again from the clock rather than trusting the notification's numbers.
// Without a server date nothing is granted.
void LuckyWheelViewController::dailyBonusDidReceive() {
    if (!userServerTime() || NetworkTime::cachedDate()) {
        double now = getCurrentTime();
        double elapsed = now - getLastBonusTime();
        double days = std::trunc(elapsed / getDailyBonusInterval());
        if (days > 0) {
            setLastBonusTime(now - (elapsed - getDailyBonusInterval() * days));
            int tokens = int(std::min(days, double(maxDayOfBonus())))
                * LuckyWheelViewController::creditPerBonus();
            addCredit(tokens);
            updateCreditLabel();
            updateSpinButton();
            trackingDailyBonus(tokens);
            showDailyBonus(tokens);
        }
    }
    setBadge(0);
    foundation::NotificationCenter::defaultCenter().postNotification(DailyBonusDidEarnNotification);
}

// --- the buy-token panel ---

void LuckyWheelViewController::addCreditOnClick(ui::Control*) {
    showBuyCreditView();
    playClickSound();
}

void LuckyWheelViewController::hideCreditOnClick(ui::Control*) {
    hideBuyCreditView();
    playClickSound();
}

void LuckyWheelViewController::showBuyCreditView() {
    if (!iBuyCreditView_)
        return;
    AnimViewManager::stopAllActionForView(iBuyCreditView_.get());
    auto move = AnimViewMoveAction::actionWithDuration(0.5, _creditViewOrigin, false);
    move->setCurve(2);
    AnimViewManager::addAnimView(iBuyCreditView_.get(), move);
}

void LuckyWheelViewController::hideBuyCreditView() {
    if (!iBuyCreditView_)
        return;
    AnimViewManager::stopAllActionForView(iBuyCreditView_.get());
    auto* parent = iBuyCreditView_->superview();
    float below = parent ? parent->bounds().size.height : 0;
    auto move = AnimViewMoveAction::actionWithDuration(
        0.5, graphics::makePoint(iBuyCreditView_->frame().origin.x, below), false);
    move->setCurve(1);
    AnimViewManager::addAnimView(iBuyCreditView_.get(), move);
}

void LuckyWheelViewController::updatePackageLabel() {
    for (int package = 0; package < 3; ++package) {
        if (auto* label = iPackagePointLabel(package))
            label->setText(foundation::format("%d", getPackageGamePoint(package)));
        if (auto* label = iPackageCreditLabel(package))
            label->setText(foundation::format("%d", getPackageCredit(package)));
    }
}

void LuckyWheelViewController::updatePackageButton() {
    for (int package = 0; package < 3; ++package) {
        if (auto* button = iPackageButton(package))
            button->setEnabled(getGamePoint() >= getPackageGamePoint(package));
    }
}

void LuckyWheelViewController::onGamePointChanged() {
    updateGamePointLabel();
    updatePackageButton();
}

void LuckyWheelViewController::packageOnClick(ui::Control* sender) {
    int package = -1;
    for (int k = 0; k < 3; ++k) {
        if (sender && sender == iPackageButtons_[k].get())
            package = k;
    }
    if (package < 0) {
        foundation::log("Package not found!");
        return;
    }
    int price = getPackageGamePoint(package);
    if (getGamePoint() < price)
        return;
    spendGamePoint(price);
    addCredit(getPackageCredit(package));
    updateSpinButton();
    updatePackageButton();
    playBuyCreditAnimation();
    playBuyCreditSound();
    packageDidBuy(package);
}

void LuckyWheelViewController::packageDidBuy(int package) {
    trackingPackage(package);
}

void LuckyWheelViewController::playBuyCreditAnimation() {
    updateGamePointLabel();
    if (!_bIsAppear || !iAnimationContainerView_) {
        updateCreditLabel();
        return;
    }
    auto icon = ui::ImageView::imageViewWithImage(ui::Image::imageNamed("Credits_Icon.png"));
    icon->setContentMode(ui::ContentMode::ScaleToFill);
    icon->setFrame(graphics::makeRect(47, 135, 38, 38));
    iAnimationContainerView_->addSubview(icon);
    auto center = icon->center();
    auto move = AnimViewMoveAction::actionWithDuration(
        0.4, graphics::makePoint(center.x, center.y + 50), true);
    move->setCurve(1);
    AnimViewManager::addAnimView(icon.get(),
        {move,
            AnimViewCallbackAction::setCallbackTarget(
                this, [this](ui::View&) { updateCreditLabel(); }),
            AnimViewCallbackAction::setCallbackTarget(
                this, [](ui::View& view) { view.removeFromSuperview(); })});
    icon->setAlpha(0);
    ui::View* faded = icon.get();
    ui::View::animateWithDuration(
        0.15, 0, ui::AnimationOptions::CurveEaseOut, [faded] { faded->setAlpha(1); }, {});
}

void LuckyWheelViewController::buyPointOnClick(ui::Control*) {
    playClickSound();
}

void LuckyWheelViewController::earnFreePointOnClick(ui::Control*) {
    playClickSound();
}

void LuckyWheelViewController::infoOnClick(ui::Control*) {
    showLocalNotificationSetting();
}

// --- counters ---

std::int64_t LuckyWheelViewController::trackingValueForKey(
    std::string const& key, std::int64_t defaultValue) {
    auto stored = defaults().objectForKey(key);
    return stored.isNull() ? defaultValue : stored.longLongValue();
}

void LuckyWheelViewController::setTrackingValue(std::int64_t value, std::string const& key) {
    defaults().setInteger(value, key);
}

std::int64_t LuckyWheelViewController::addTrackingValue(
    std::int64_t value, std::string const& key) {
    auto total = trackingValueForKey(key, 0) + value;
    setTrackingValue(total, key);
    return total;
}

namespace {

void reportWheel(std::string const& parameter, std::string const& value) {
    auto parameters = base::Dictionary::create();
    parameters->setObject(parameter, value);
    ShellServices::shared().logEvent("Wheel", parameters);
}

}

void LuckyWheelViewController::trackingDailyBonus(int tokens) {
    addTrackingValue(tokens, TrackingBonusKey);
    reportWheel("Bonus Earned", foundation::format("%d", tokens));
}

void LuckyWheelViewController::trackingPackage(int package) {
    addTrackingValue(1, foundation::format("%@_%d", std::string(TrackingPackageKey), package));
    reportWheel(foundation::format("Buy Package %d PP -> %d Credits", getPackageGamePoint(package),
                    getPackageCredit(package)),
        foundation::format("%d", package));
}

void LuckyWheelViewController::trackingPrize(int type, int value) {
    addTrackingValue(1, foundation::format("%@_%d", std::string(TrackingPrizeKey), type));
    reportWheel(type == 0 ? foundation::format("$%d", value) : foundation::format("%d PP", value),
        foundation::format("%d", value));
}

void LuckyWheelViewController::trackingSpin(int count) {
    addTrackingValue(count, TrackingSpinKey);
    reportWheel("Spin", foundation::format("%d", count));
}

void LuckyWheelViewController::trackingGamePointSpend(int amount) {
    addTrackingValue(amount, TrackingPPSpendKey);
    reportWheel("PP Spend", foundation::format("%d", amount));
}

}
