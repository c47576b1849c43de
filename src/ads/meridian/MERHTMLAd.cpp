#include <ads/meridian/MERHTMLAd.hpp>

#include <ads/meridian/MERColor.hpp>
#include <ads/meridian/MERGenericAdView.hpp>
#include <base/Value.hpp>
#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <ui/WebView.hpp>

#include <vector>

namespace ads::meridian {

namespace {

constexpr char const* bodyStyle = "<style type=\"text/css\">body{ margin-left:auto; "
                                  "margin-right:auto; margin:0; padding:0; text-align:left;}"
                                  "</style>";

std::vector<float> numbersIn(std::string const& answer) {
    std::vector<float> numbers;
    for (auto const& part : foundation::componentsSeparatedBy(answer, ","))
        numbers.push_back(float(base::Value::doubleFromString(part)));
    return numbers;
}

ui::Color colorOrBlack(std::optional<std::string> const& answer) {
    if (!answer || answer->empty())
        return ui::Color::blackColor();
    return colorFromString(*answer).value_or(ui::Color::blackColor());
}

}

base::Ref<MERHTMLAd> MERHTMLAd::initWithAdContents(std::optional<std::string> const& html,
    base::Ref<ui::WebView> webView, bool accelerometerEnabled) {
    auto ad = base::make<MERHTMLAd>();
    if (!html || !webView)
        return ad;
    ad->ad_ = std::string(bodyStyle) + *html;
    ad->webView_ = std::move(webView);
    MERHTMLAd* self = ad.get();
    ad->overlayWillClose_
        = foundation::NotificationCenter::defaultCenter().observe(overlayWillCloseNotification,
            [self](foundation::Notification const&) { self->overlayWasClosed(); });
    ad->webView_->loadHTMLString(ad->ad_);
    ad->shouldResizeAdToTimer_ = ad->poll(&MERHTMLAd::shouldResizeAdTo);
    ad->accelerometerIsEnabled_ = accelerometerEnabled;
    if (accelerometerEnabled) {
        auto& accelerometer = services::Accelerometer::sharedAccelerometer();
        accelerometer.setUpdateInterval(1.0 / 60);
        accelerometer.setDelegate(self);
    }
    return ad;
}

MERHTMLAd::~MERHTMLAd() {
    auto& accelerometer = services::Accelerometer::sharedAccelerometer();
    if (accelerometerIsEnabled_ && accelerometer.delegate() == this)
        accelerometer.setDelegate(nullptr);
    stop(shouldCloseOverlayTimer_);
    stop(shouldResizeAdToTimer_);
    stop(shouldShowBottomBarTimer_);
}

std::optional<std::string> MERHTMLAd::ask(char const* script) {
    if (!webView_)
        return std::nullopt;
    return webView_->stringByEvaluatingJavaScriptFromString(script);
}

bool MERHTMLAd::stickyAnswer(bool& field, char const* script, bool withoutPage, bool whenEmpty) {
    if (field)
        return true;
    auto answer = ask(script);
    if (!answer)
        return withoutPage;
    bool yes = answer->empty() ? whenEmpty : base::Value::boolFromString(*answer);
    if (yes)
        field = true;
    return yes;
}

bool MERHTMLAd::shouldShowModal() {
    return stickyAnswer(shouldShowModal_, "shouldShowModal()", true, false);
}

bool MERHTMLAd::showTitlebar() {
    return stickyAnswer(shouldShowTitlebar_, "shouldShowTitlebar()", false, false);
}

bool MERHTMLAd::showBottomBar() {
    return stickyAnswer(shouldShowBottomBar_, "shouldShowBottomBar()", true, true);
}

bool MERHTMLAd::shouldMakeOverlayTransparent() {
    return stickyAnswer(
        shouldMakeOverlayTransparent_, "shouldMakeOverlayTransparent()", false, false);
}

bool MERHTMLAd::shouldAccelerate() {
    return stickyAnswer(shouldAccelerate_, "shouldAccelerate()", false, false);
}

bool MERHTMLAd::isBottomBarEnabled() {
    auto answer = ask("shouldEnableBottomBar()");
    return !answer || answer->empty() || base::Value::boolFromString(*answer);
}

std::string MERHTMLAd::overlayTitle() {
    auto answer = ask("overlayTitle()");
    return answer && !answer->empty() ? *answer : std::string("Advertisement");
}

std::optional<std::string> MERHTMLAd::overlayTransition() {
    auto answer = ask("overlayTransition()");
    return answer && !answer->empty() ? *answer : std::string("SlideUp");
}

float MERHTMLAd::transitionDuration() {
    auto answer = ask("transitionDuration()");
    if (!answer)
        return 0.6f;
    return answer->empty() ? 0.8f : float(base::Value::doubleFromString(*answer));
}

float MERHTMLAd::alphaForModalBorder() {
    auto answer = ask("alphaForModalBorder()");
    return answer && !answer->empty() ? float(base::Value::doubleFromString(*answer)) : 1.0f;
}

std::optional<ui::Color> MERHTMLAd::titlebarColor() {
    return colorOrBlack(ask("titleBarColor()"));
}

std::optional<ui::Color> MERHTMLAd::modalBorderColor() {
    return colorOrBlack(ask("modalBorderColor()"));
}

graphics::Point MERHTMLAd::modalLocation() {
    auto answer = ask("modalLocation()");
    if (!answer || answer->empty())
        return {};
    auto numbers = numbersIn(*answer);
    return numbers.size() == 2 ? graphics::Point {numbers[0], numbers[1]} : graphics::Point {};
}

graphics::Point MERHTMLAd::pointToMimicTapAt() {
    auto answer = ask("pointToMimicTap()");
    if (!answer || answer->empty())
        return {};
    auto numbers = numbersIn(*answer);
    return numbers.size() == 2 ? graphics::Point {numbers[0], numbers[1]} : graphics::Point {};
}

graphics::Size MERHTMLAd::modalSize() {
    auto answer = ask("modalSize()");
    if (!answer || answer->empty())
        return {};
    auto numbers = numbersIn(*answer);
    return numbers.size() >= 2 ? graphics::Size {numbers[0], numbers[1]} : graphics::Size {};
}

int MERHTMLAd::orientationLock() {
    auto answer = ask("orientationLock()");
    if (answer && *answer == "portrait")
        return 1;
    if (answer && *answer == "landscape")
        return 3;
    return 0;
}

std::optional<std::string> MERHTMLAd::openURL() {
    auto answer = ask("shouldOpen()");
    if (!answer || answer->empty())
        return std::nullopt;
    return foundation::addingPercentEscapes(*answer);
}

base::Ref<foundation::Timer> MERHTMLAd::poll(void (MERHTMLAd::*step)()) {
    return foundation::Timer::scheduledTimer(
        pollInterval, [this, step](foundation::Timer&) { (this->*step)(); }, true);
}

void MERHTMLAd::stop(base::Ref<foundation::Timer>& timer) {
    if (timer) {
        timer->invalidate();
        timer = nullptr;
    }
}

void MERHTMLAd::shouldResizeAdTo() {
    auto answer = ask("shouldResizeAdTo()");
    if (!answer || answer->empty()) {
        stop(shouldResizeAdToTimer_);
        return;
    }
    if (base::Value::integerFromString(*answer) > 0) {
        foundation::NotificationCenter::defaultCenter().postNotification(
            resizeNotification, nullptr, base::Value::doubleFromString(*answer));
    }
}

void MERHTMLAd::startBottomBarTimer() {
    stop(shouldShowBottomBarTimer_);
    shouldShowBottomBarTimer_ = poll(&MERHTMLAd::shouldShowBottomBar);
}

void MERHTMLAd::stopShowBottomBarTimer() {
    stop(shouldShowBottomBarTimer_);
}

void MERHTMLAd::shouldShowBottomBar() {
    auto answer = ask("shouldShowBottomBar()");
    if (!answer || answer->empty()) {
        stop(shouldShowBottomBarTimer_);
        return;
    }
    if (base::Value::boolFromString(*answer)) {
        foundation::NotificationCenter::defaultCenter().postNotification(
            bottomBarNotification, nullptr, true);
        stop(shouldShowBottomBarTimer_);
    }
}

void MERHTMLAd::startCloseOverlayTimer() {
    stop(shouldCloseOverlayTimer_);
    shouldCloseOverlayTimer_ = poll(&MERHTMLAd::shouldCloseOverlay);
}

void MERHTMLAd::stopCloseOverlayTimer() {
    stop(shouldCloseOverlayTimer_);
}

void MERHTMLAd::shouldCloseOverlay() {
    auto answer = ask("shouldCloseOverlay()");
    if (!answer || answer->empty()) {
        stop(shouldCloseOverlayTimer_);
        return;
    }
    if (base::Value::boolFromString(*answer))
        foundation::NotificationCenter::defaultCenter().postNotification(closeNotification);
}

void MERHTMLAd::overlayWasClosed() {
    stop(shouldCloseOverlayTimer_);
    stop(shouldShowBottomBarTimer_);
}

void MERHTMLAd::accelerometerDidAccelerate(double x, double y, double z, double) {
    didAccelerate(x, y, z);
}

void MERHTMLAd::didAccelerate(double x, double y, double z) {
    if (!webView_ || !shouldAccelerate_ || !htmlHasLoaded_ || !adView_
        || !adView_->isAccelerometerEnabled())
        return;
    accelX_ = x * 0.1 + accelX_ * 0.9;
    accelY_ = y * 0.1 + accelY_ * 0.9;
    accelZ_ = z * 0.1 + accelZ_ * 0.9;
    webView_->stringByEvaluatingJavaScriptFromString(
        foundation::format("didAccelerate(%f,%f,%f)", accelX_, accelY_, accelZ_));
}

bool MERHTMLAd::showModalOverlay(std::string const& html) {
    auto webView = ui::WebView::create();
    webView->loadHTMLString(html);
    auto answer = webView->stringByEvaluatingJavaScriptFromString("shouldShowModal()");
    return !answer.empty() && base::Value::boolFromString(answer);
}

}
