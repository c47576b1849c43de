#include <ads/bountix/BTXFeaturedAppView.hpp>

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXFeaturedApp.hpp>
#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BTXOffers.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <base/Verify.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Perform.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLParts.hpp>
#include <ui/Image.hpp>
#include <ui/Screen.hpp>

namespace ads::bountix {

namespace {

constexpr char const* ViewClosedNotification = "BTX_VIEW_CLOSED_NOTIFICATION";
constexpr char const* ShowBoxNotification = "BTX_SHOW_BOX_NOTIFICATION";

base::Ref<BTXFeaturedAppView>& sharedView() {
    static base::Ref<BTXFeaturedAppView> shared;
    return shared;
}

std::string& fullScreenAdURL() {
    static std::string url;
    return url;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    return foundation::lowercase(text).find(foundation::lowercase(part)) != std::string::npos;
}

void bringIn(BTXFeaturedAppView& view) {
    auto& commons = BTXViewCommons::sharedObject();
    BTXViewCommons::animateBTXView(
        &view, commons.getCurrentTransitionEffect(), commons.getTransitionDelay());
}

}

// --- the view ---

BTXFeaturedAppView::BTXFeaturedAppView(graphics::Rect frame)
    : BTXUIWebPageView(frame) {
    refreshWithFrame(frame);
    loadingViewCtrl_->fadeIn();
    auto image = ui::Image::imageNamed(CloseButtonImageName);
    graphics::Size const size = image ? image->size() : graphics::Size {};
    closeButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
    closeButton_->setFrame({{0, 0}, size});
    closeButton_->setBackgroundColor(ui::Color::clearColor());
    closeButton_->setImage(image, ui::ControlState::Normal);
    closeButton_->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin
        | ui::Autoresizing::FlexibleRightMargin | ui::Autoresizing::FlexibleTopMargin
        | ui::Autoresizing::FlexibleBottomMargin);
    closeButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { backtoGameAction(); },
        ui::ControlEvents::TouchUpInside);
    addSubview(closeButton_);
}

BTXFeaturedAppView::~BTXFeaturedAppView() {
    BTXLog::logWithLevel(BTXLog::Progress, "BTXOffersView Dealloc");
    foundation::cancelPreviousPerformRequests(this);
}

BTXFeaturedAppView& BTXFeaturedAppView::sharedBTXFeaturedAppView() {
    auto& shared = sharedView();
    if (!shared)
        shared = base::make<BTXFeaturedAppView>(graphics::Rect {});
    return *shared;
}

BTXFeaturedAppView* BTXFeaturedAppView::sharedIfMade() {
    return sharedView().get();
}

void BTXFeaturedAppView::resetShared() {
    auto& shared = sharedView();
    if (shared)
        shared->removeFromSuperview();
    shared = nullptr;
    fullScreenAdURL().clear();
}

std::string const& BTXFeaturedAppView::currentFullScreenAdURL() {
    return fullScreenAdURL();
}

std::string BTXFeaturedAppView::setUpFeaturedAdURLWithServiceURL(std::string const& base) const {
    return appendGenericParamsWithURL(base + FullScreenAdPath + "?")
        + "&publisher_user_id=" + publisherUserID_;
}

void BTXFeaturedAppView::refreshWithFrame(graphics::Rect frame) {
    setFrame(frame);
    loadingViewCtrl_->view()->setFrame(frame);
    fullScreenAdURL() = setUpFeaturedAdURLWithServiceURL(BTXConfiguration::current().primaryHost);
    cWebView_->setUserInteractionEnabled(false);
    cWebView_->setScalesPageToFit(true);
    cWebView_->setAutoresizesSubviews(true);
    layer().setBorderColor(ui::Color::darkGrayColor());
    layer().setBorderWidth(3);
    setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    // The shared view is made empty, and growing from nothing spreads the button's
    // margins evenly: put it back in the top-left corner.
    if (closeButton_)
        closeButton_->setFrame({{0, 0}, closeButton_->frame().size});
}

void BTXFeaturedAppView::loadViewWithURL(std::string const& url) {
    setBackgroundColor(ui::Color::whiteColor());
    loadURLRequest(url, PageTimeout);
}

void BTXFeaturedAppView::handleWebViewUI() {
    foundation::cancelPreviousPerformRequests(this);
}

void BTXFeaturedAppView::didRotateFromInterfaceOrientation(ui::InterfaceOrientation) {
    cWebView_->stringByEvaluatingJavaScriptFromString(OrientationChangeScript);
}

bool BTXFeaturedAppView::shouldStartLoadWithRequest(
    ui::WebView&, foundation::URLRequest const& request, ui::WebViewNavigationType) {
    auto const& url = request.URL();
    if (url.empty())
        return false;
    if (containsIgnoringCase(url, "dismiss")) {
        backtoGameAction();
        return false;
    }
    if (containsIgnoringCase(url, "showOffers")) {
        base::Ref<ui::View> wall(currencyID_
                ? &BTXOffersViewHandler::showOffersWithCurrencyID(*currencyID_, frame(), false)
                : &BTXOffersViewHandler::showOffersWithFrame(frame()));
        addSubview(wall);
        return false;
    }
    if (isServiceURL(url)) {
        lastURL_ = url;
        return true;
    }
    openOutside(url);
    return false;
}

void BTXFeaturedAppView::webViewDidStartLoad(ui::WebView&) {
    loadingViewCtrl_->fadeIn();
    cWebView_->setUserInteractionEnabled(false);
}

void BTXFeaturedAppView::webViewDidFinishLoad(ui::WebView&) {
    webPageRendered_ = true;
    loadingViewCtrl_->fadeOut();
    cWebView_->setUserInteractionEnabled(true);
}

void BTXFeaturedAppView::failed() {
    showRetryAlert();
    loadingViewCtrl_->fadeOut();
    cWebView_->setUserInteractionEnabled(false);
}

void BTXFeaturedAppView::didFailLoadWithError(ui::WebView&, foundation::URLError const& error) {
    if (isSilentError(error))
        return;
    failed();
}

void BTXFeaturedAppView::didFailWithError(
    foundation::URLConnection& connection, foundation::URLError const&) {
    if (connection_.get() == &connection)
        connection_ = nullptr;
    failed();
}

void BTXFeaturedAppView::clickedButtonAtIndex(ui::AlertView&, int index) {
    alert_ = nullptr;
    if (index != RetryButtonIndex) {
        loadingViewCtrl_->fadeOut();
        cWebView_->setUserInteractionEnabled(true);
        return;
    }
    loadingViewCtrl_->fadeIn();
    cWebView_->stopLoading();
    if (lastURL_ && foundation::URLParts::parse(*lastURL_))
        fullScreenAdURL() = *lastURL_;
    else
        fullScreenAdURL()
            = setUpFeaturedAdURLWithServiceURL(BTXConfiguration::current().primaryHost);
    lastURL_.reset();
    loadViewWithURL(fullScreenAdURL());
}

void BTXFeaturedAppView::externalURLWillOpen(std::string const& url) {
    base::Ref<BTXFeaturedAppView> keep(this);
    BTXLog::logWithLevel(BTXLog::Progress, "OPENING EXTERNAL URL NOW ::::::" + url);
    loadingViewCtrl_->fadeOut();
    removeFromSuperview();
    postClosed();
    ui::Application::sharedApplication().openExternalURL(url);
}

void BTXFeaturedAppView::backtoGameAction() {
    auto& commons = BTXViewCommons::sharedObject();
    BTXViewCommons::animateBTXView(
        this, commons.getReverseTransitionEffect(), commons.getTransitionDelay());
    foundation::performAfterDelay(
        this, [this] { giveBackNotification(); }, commons.getTransitionDelay());
}

void BTXFeaturedAppView::giveBackNotification() {
    base::Ref<BTXFeaturedAppView> keep(this);
    removeFromSuperview();
    setTransform(graphics::AffineTransform::identity());
    postClosed();
}

void BTXFeaturedAppView::postClosed() {
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.postNotification(ViewClosedNotification);
    center.postNotification(ShowBoxNotification);
}

// --- placing the view ---

BTXFeaturedAppView& BTXFeaturedAppViewHandler::showFullScreenAdWithURL(std::string const& url) {
    return showFullScreenAdWithURL(url, ui::Screen::mainScreen().bounds());
}

BTXFeaturedAppView& BTXFeaturedAppViewHandler::showFullScreenAdWithURL(
    std::string const& url, graphics::Rect frame) {
    auto& view = BTXFeaturedAppView::sharedBTXFeaturedAppView();
    view.refreshWithFrame(frame);
    view.loadViewWithURL(url);
    bringIn(view);
    return view;
}

void BTXFeaturedAppViewHandler::showFullScreenAdWithURL(
    std::string const& url, ui::ViewController* controller) {
    VERIFY_MSG(
        controller != nullptr, "View Controller provided must not be nil or some other object");
    auto& view = BTXFeaturedAppView::sharedBTXFeaturedAppView();
    base::Ref<ui::View> keep(&view);
    view.refreshWithFrame(controller->view()->bounds());
    view.loadViewWithURL(url);
    controller->view()->addSubview(keep);
    bringIn(view);
}

// --- through the view host ---

BTXFeaturedAppView& BTXCallsWrapper::showFeaturedAppFullScreenAdWithURL(std::string const& url) {
    return showFeaturedAppFullScreenAd(url, view()->bounds());
}

BTXFeaturedAppView& BTXCallsWrapper::showFeaturedAppFullScreenAd(
    std::string const& url, graphics::Rect frame) {
    moveViewToFront();
    view()->setAlpha(1);
    auto& featured = BTXFeaturedAppViewHandler::showFullScreenAdWithURL(url, frame);
    view()->addSubview(base::Ref<ui::View>(&featured));
    return featured;
}

void BTXCallsWrapper::showFeaturedAppFullScreenAd(
    std::string const& url, ui::ViewController* controller) {
    view()->setAlpha(0);
    BTXFeaturedAppViewHandler::showFullScreenAdWithURL(url, controller);
}

void BTXCallsWrapper::updateViewsWithOrientation(ui::InterfaceOrientation orientation) {
    BTXFeaturedAppView::sharedBTXFeaturedAppView().didRotateFromInterfaceOrientation(orientation);
}

// --- the facade ---

namespace {

// The current model's full-screen ad URL; logs and answers nothing without a model.
std::optional<std::string> featuredAdURL() {
    auto* model = BTXFeaturedAppManager::sharedBTXFeaturedAppManager().featuredAppModelObj();
    if (!model) {
        BTXLog::logWithLevel(BTXLog::Error,
            "There was an error getting the full screen ad URL. Was getFeaturedApp called?");
        return std::nullopt;
    }
    return model->fullScreenAdURL;
}

}

BTXFeaturedAppView* BountixConnect::showFeaturedAppFullScreenAd() {
    auto url = featuredAdURL();
    return url ? &BTXCallsWrapper::sharedBTXCallsWrapper().showFeaturedAppFullScreenAdWithURL(*url)
               : nullptr;
}

BTXFeaturedAppView* BountixConnect::showFeaturedAppFullScreenAdWithFrame(graphics::Rect frame) {
    auto url = featuredAdURL();
    return url ? &BTXCallsWrapper::sharedBTXCallsWrapper().showFeaturedAppFullScreenAd(*url, frame)
               : nullptr;
}

void BountixConnect::showFeaturedAppFullScreenAdWithViewController(ui::ViewController* controller) {
    if (auto url = featuredAdURL())
        BTXCallsWrapper::sharedBTXCallsWrapper().showFeaturedAppFullScreenAd(*url, controller);
}

}
