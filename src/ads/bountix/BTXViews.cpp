#include <ads/bountix/BTXViews.hpp>

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <base/Verify.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/URLParts.hpp>
#include <graphics/Font.hpp>
#include <ui/ImageView.hpp>
#include <ui/Window.hpp>

#include <algorithm>
#include <cctype>

namespace ads::bountix {

namespace {

constexpr char const* ViewClosedNotification = "BTX_VIEW_CLOSED_NOTIFICATION";

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(
        out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

// The host name of a configured root URL; empty when none is set or readable.
std::string hostOf(std::string const& root) {
    if (root.empty())
        return {};
    auto parts = foundation::URLParts::parse(root);
    return parts ? lowered(parts->host) : std::string();
}

}

// --- loading overlay ---

base::Ref<BTXLoadingViewController> BTXLoadingViewController::initWithFrame(graphics::Rect frame) {
    auto controller = base::make<BTXLoadingViewController>();
    controller->build(frame);
    return controller;
}

void BTXLoadingViewController::build(graphics::Rect frame) {
    // The rect only sizes the overlay; the box stays centred whatever it becomes.
    containerView_ = ui::View::create(frame);
    containerView_->setBackgroundColor(ui::Color::clearColor());
    containerView_->setOpaque(false);
    containerView_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    containerView_->setUserInteractionEnabled(false);

    graphics::Rect box {(frame.size.width - 120) / 2, (frame.size.height - 100) / 2, 120, 100};
    loadingBG_ = ui::View::create(box);
    loadingBG_->setBackgroundColor(ui::Color::colorWithWhite(0, 0.7f));
    loadingBG_->setOpaque(false);
    loadingBG_->layer().setCornerRadius(BoxCornerRadius);
    loadingBG_->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin
        | ui::Autoresizing::FlexibleRightMargin | ui::Autoresizing::FlexibleTopMargin
        | ui::Autoresizing::FlexibleBottomMargin);
    containerView_->addSubview(loadingBG_);

    activityIndicator_
        = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
    activityIndicator_->setCenter({60, 40});
    loadingBG_->addSubview(activityIndicator_);

    loadingLabel_ = ui::Label::create({0, 68, 120, 22});
    loadingLabel_->setText("Loading...");
    loadingLabel_->setTextColor(ui::Color::whiteColor());
    loadingLabel_->setBackgroundColor(ui::Color::clearColor());
    loadingLabel_->setFont(graphics::Font::boldSystemFontOfSize(15));
    loadingLabel_->setTextAlignment(ui::TextAlignment::Center);
    loadingBG_->addSubview(loadingLabel_);

    setView(containerView_);
}

void BTXLoadingViewController::enable() {
    view()->setAlpha(1);
    activityIndicator_->startAnimating();
}

void BTXLoadingViewController::disable() {
    view()->setAlpha(0);
    activityIndicator_->stopAnimating();
}

void BTXLoadingViewController::fadeIn() {
    if (view()->alpha() == 1.0f)
        return;
    view()->setAlpha(0);
    activityIndicator_->startAnimating();
    auto overlay = base::Ref<ui::View>(view());
    ui::View::animateWithDuration(FadeDuration, [overlay] { overlay->setAlpha(1); });
}

void BTXLoadingViewController::fadeOut() {
    if (view()->alpha() == 0.0f)
        return;
    view()->setAlpha(1);
    activityIndicator_->stopAnimating();
    auto overlay = base::Ref<ui::View>(view());
    ui::View::animateWithDuration(FadeDuration, [overlay] { overlay->setAlpha(0); });
}

// --- navigation bar ---

BTXUINavigationBarView::BTXUINavigationBarView(graphics::Rect frame)
    : ui::NavigationBar(frame) {
}

base::Ref<BTXUINavigationBarView> BTXUINavigationBarView::initWithTitle(
    std::string const& title, graphics::Rect frame, int y) {
    auto bar = base::make<BTXUINavigationBarView>(
        graphics::Rect {0, float(y), frame.size.width, Height});
    bar->navBarTitle_ = ui::NavigationItem::create(title);
    bar->setItems({bar->navBarTitle_});
    bar->tint_ = BTXViewCommons::sharedObject().getUserDefinedColor();
    bar->setBackgroundColor(bar->tint_);
    bar->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
    return bar;
}

void BTXUINavigationBarView::layoutSubviews() {
    ui::NavigationBar::layoutSubviews();
    for (auto const& subview : subviews())
        if (auto* label = dynamic_cast<ui::Label*>(subview.get())) {
            label->setBackgroundColor(ui::Color::clearColor());
            label->setOpaque(false);
        }
}

void BTXUINavigationBarView::setCustomBackgroundImage(base::Ref<ui::Image> image) {
    auto imageView = ui::ImageView::create(bounds());
    imageView->setImage(std::move(image));
    imageView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
    addSubview(imageView);
    sendSubviewToBack(imageView.get());
}

void BTXUINavigationBarView::setNavBarLeftBtnWithTitle(std::string const& title) {
    if (navBarLeftBtn_) {
        navBarLeftBtn_->setTitle(title);
        return;
    }
    navBarLeftBtn_ = ui::BarButtonItem::initWithTitle(title, ui::BarButtonItemStyle::Bordered, {});
    navBarTitle_->setLeftBarButtonItem(navBarLeftBtn_);
}

void BTXUINavigationBarView::setNavBarRightBtnWithTitle(std::string const& title) {
    if (navBarRightBtn_) {
        navBarRightBtn_->setTitle(title);
        return;
    }
    navBarRightBtn_ = ui::BarButtonItem::initWithTitle(title, ui::BarButtonItemStyle::Bordered, {});
    navBarTitle_->setRightBarButtonItem(navBarRightBtn_);
}

void BTXUINavigationBarView::setNavBarLeftBtn(base::Ref<ui::BarButtonItem> item) {
    navBarTitle_->setLeftBarButtonItem(std::move(item));
}

void BTXUINavigationBarView::setNavBarRightBtn(base::Ref<ui::BarButtonItem> item) {
    navBarTitle_->setRightBarButtonItem(std::move(item));
}

void BTXUINavigationBarView::addLeftButtonAction(ui::BarButtonItem::Action action) {
    if (navBarLeftBtn_)
        navBarLeftBtn_->setAction(std::move(action));
}

void BTXUINavigationBarView::addRightButtonAction(ui::BarButtonItem::Action action) {
    if (navBarRightBtn_)
        navBarRightBtn_->setAction(std::move(action));
}

// --- web page ---

BTXUIWebPageView::BTXUIWebPageView(graphics::Rect frame)
    : ui::View(frame) {
    cWebView_ = ui::WebView::create(graphics::Rect {0, 0, frame.size.width, frame.size.height});
    cWebView_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    cWebView_->setDelegate(this);
    addSubview(cWebView_);
    loadingViewCtrl_
        = BTXLoadingViewController::initWithFrame({0, 0, frame.size.width, frame.size.height});
    insertSubviewAbove(base::Ref<ui::View>(loadingViewCtrl_->view()), cWebView_.get());
    loadingViewCtrl_->disable();
}

BTXUIWebPageView::~BTXUIWebPageView() {
    BTXLog::logWithLevel(BTXLog::Progress, "BTXUIWebPageView Dealloc");
    if (connection_)
        connection_->cancel();
    if (alert_)
        alert_->setDelegate(nullptr);
    cWebView_->setDelegate(nullptr);
    cWebView_->stopLoading();
}

base::Ref<BTXUIWebPageView> BTXUIWebPageView::initWithFrame(graphics::Rect frame) {
    return base::make<BTXUIWebPageView>(frame);
}

base::Ref<BTXUIWebPageView> BTXUIWebPageView::initWithFrame(
    graphics::Rect frame, foundation::URLRequest request) {
    auto page = base::make<BTXUIWebPageView>(frame);
    page->lastClickedURL_ = request;
    page->loadWebRequest(std::move(request));
    return page;
}

bool BTXUIWebPageView::isServiceURL(std::string_view url) {
    auto parts = foundation::URLParts::parse(url);
    if (!parts || parts->host.empty())
        return false;
    auto const host = lowered(parts->host);
    auto const& configuration = BTXConfiguration::current();
    for (auto const* root :
        {&configuration.primaryHost, &configuration.fallbackHost, &configuration.affiliateHost}) {
        auto const service = hostOf(*root);
        if (service.empty())
            continue;
        if (host == service)
            return true;
        // A name under the service's ("www.service") is the service's too; a name
        // that merely holds it ("evil-service") is not.
        if (host.size() > service.size() + 1 && host.ends_with(service)
            && host[host.size() - service.size() - 1] == '.')
            return true;
    }
    return false;
}

void BTXUIWebPageView::loadWebRequest(foundation::URLRequest request) {
    cWebView_->loadRequest(std::move(request));
}

void BTXUIWebPageView::loadURLRequest(std::string const& url) {
    cWebView_->loadRequest(foundation::URLRequest::requestWithURL(url));
}

void BTXUIWebPageView::loadURLRequest(std::string const& url, double timeoutSeconds) {
    BTXLog::logWithLevel(BTXLog::Progress, "Request URL: " + url);
    cWebView_->loadRequest(foundation::URLRequest::requestWithURL(
        url, foundation::URLRequestCachePolicy::UseProtocolCachePolicy, timeoutSeconds));
}

std::string BTXUIWebPageView::appendGenericParamsWithURL(std::string const& url) {
    return url + BountixConnect::createQueryStringFromDict(std::nullopt);
}

bool BTXUIWebPageView::shouldStartLoadWithRequest(
    ui::WebView&, foundation::URLRequest const& request, ui::WebViewNavigationType) {
    if (isServiceURL(request.URL()))
        return true;
    openOutside(request.URL());
    return false;
}

void BTXUIWebPageView::openOutside(std::string const& url) {
    if (connection_)
        connection_->cancel();
    connection_ = foundation::URLConnection::connectionWithRequest(
        foundation::URLRequest::requestWithURL(url), this);
}

std::optional<foundation::URLRequest> BTXUIWebPageView::willSendRequest(
    foundation::URLConnection& connection, foundation::URLRequest request,
    foundation::URLResponse const*) {
    base::Ref<BTXUIWebPageView> keep(this);
    connection.cancel();
    if (connection_.get() == &connection)
        connection_ = nullptr;
    externalURLWillOpen(request.URL());
    return std::nullopt;
}

void BTXUIWebPageView::externalURLWillOpen(std::string const& url) {
    BTXLog::logWithLevel(BTXLog::Progress, "OPENING EXTERNAL URL NOW ::::::" + url);
    loadingViewCtrl_->fadeOut();
    ui::Application::sharedApplication().openExternalURL(url);
}

void BTXUIWebPageView::webViewDidStartLoad(ui::WebView&) {
    loadingViewCtrl_->fadeIn();
}

void BTXUIWebPageView::webViewDidFinishLoad(ui::WebView& webView) {
    loadingViewCtrl_->fadeOut();
    webView.stringByEvaluatingJavaScriptFromString(
        "document.body.setAttribute('orientation', 90);");
}

bool BTXUIWebPageView::isSilentError(foundation::URLError const& error) {
    return error.code == foundation::URLError::Cancelled
        || error.code == ui::WebView::FrameLoadInterruptedByPolicyChange;
}

void BTXUIWebPageView::didFailLoadWithError(ui::WebView&, foundation::URLError const& error) {
    if (error.code == foundation::URLError::Cancelled)
        return;
    BTXLog::logWithLevel(BTXLog::Progress, "ERROR TEXT IS " + error.localizedDescription);
    if (error.code == ui::WebView::FrameLoadInterruptedByPolicyChange)
        return;
    showRetryAlert();
}

void BTXUIWebPageView::showRetryAlert() {
    if (alert_)
        alert_->setDelegate(nullptr);
    alert_ = ui::AlertView::create(
        "", alertErrorMessage_.value_or(DefaultAlertMessage), this, "Cancel", {"Retry"});
    alert_->show();
}

void BTXUIWebPageView::clickedButtonAtIndex(ui::AlertView&, int index) {
    BTXLog::logWithLevel(
        BTXLog::Progress, "BTX CUSTOM WEB Page View Alert Click Called (Net Error Case)");
    alert_ = nullptr;
    if (index != RetryButtonIndex)
        return;
    cWebView_->stopLoading();
    cWebView_->loadRequest(lastClickedURL_);
}

// --- view host ---

namespace {

base::Ref<BTXCallsWrapper>& sharedWrapper() {
    static base::Ref<BTXCallsWrapper> shared;
    return shared;
}

// The program's first window; stops the program when there is none.
ui::Window& firstWindow() {
    auto windows = ui::Application::sharedApplication().windows();
    if (windows.empty() || !windows.front()) {
        BTXLog::logWithLevel(1, "There must be a UIWindow in the project");
        VERIFY_MSG(false, BTXCallsWrapper::NoWindowMessage);
    }
    return *windows.front();
}

}

BTXCallsWrapper& BTXCallsWrapper::sharedBTXCallsWrapper() {
    auto& shared = sharedWrapper();
    if (!shared) {
        auto wrapper = base::make<BTXCallsWrapper>();
        wrapper->attachToFirstWindow();
        shared = wrapper;
    }
    return *shared;
}

void BTXCallsWrapper::attachToFirstWindow() {
    auto& window = firstWindow();
    view()->setAlpha(0);
    view()->setBackgroundColor(ui::Color::clearColor());
    window.addSubview(base::Ref<ui::View>(view()));
}

void BTXCallsWrapper::resetShared() {
    auto& shared = sharedWrapper();
    if (shared && shared->isViewLoaded())
        shared->view()->removeFromSuperview();
    shared = nullptr;
}

BTXCallsWrapper::~BTXCallsWrapper() {
    foundation::NotificationCenter::defaultCenter().removeObserver(this, ViewClosedNotification);
}

void BTXCallsWrapper::viewDidLoad() {
    foundation::NotificationCenter::defaultCenter().addObserver(
        this, ViewClosedNotification, [this](auto const&) { showBoxCloseNotification(); });
    view()->setBackgroundColor(ui::Color::blackColor());
    view()->setFrame(firstWindow().bounds());
}

void BTXCallsWrapper::showBoxCloseNotification() {
    if (view()->subviews().empty())
        view()->setAlpha(0);
}

bool BTXCallsWrapper::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
    return orientation == ui::Application::sharedApplication().statusBarOrientation();
}

void BTXCallsWrapper::didRotateFromInterfaceOrientation(ui::InterfaceOrientation orientation) {
    updateViewsWithOrientation(orientation);
}

void BTXCallsWrapper::moveViewToFront() {
    firstWindow().bringSubviewToFront(view());
}

}
