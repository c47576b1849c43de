#include <ads/adnoria/ADNBrowserController.hpp>

#include <ads/adnoria/ADNIdentifierUtilities.hpp>
#include <ads/adnoria/ADNIntrinsicImages.hpp>
#include <ads/adnoria/ADNOpener.hpp>
#include <ads/adnoria/ADNStatistics.hpp>
#include <ads/adnoria/ADNWebViewDelegate.hpp>

#include <ui/ActivityIndicatorView.hpp>
#include <ui/Button.hpp>
#include <ui/Color.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>
#include <ui/Toolbar.hpp>
#include <ui/WebView.hpp>

namespace ads::adnoria {

base::Ref<ADNBrowserController> ADNBrowserController::create() {
    return base::make<ADNBrowserController>();
}

ADNBrowserController::~ADNBrowserController() {
    if (webView_) {
        webView_->setDelegate(nullptr);
        webView_->loadHTMLString("");
    }
}

void ADNBrowserController::load(std::string const& url, std::string const& referringURL) {
    if (url.empty())
        return;
    if (webView_) {
        auto request = foundation::URLRequest::requestWithURL(url);
        if (!referringURL.empty())
            request.setValue(referringURL, "Referer");
        webView_->loadRequest(std::move(request));
        return;
    }
    urlToLoad_ = url;
    referringURLToLoad_ = referringURL;
}

void ADNBrowserController::back() {
    if (webView_ && webView_->canGoBack())
        webView_->goBack();
}

void ADNBrowserController::forward() {
    if (webView_ && webView_->canGoForward())
        webView_->goForward();
}

void ADNBrowserController::reload() {
    if (webView_)
        webView_->reload();
}

void ADNBrowserController::stop() {
    if (webView_)
        webView_->stopLoading();
}

void ADNBrowserController::openInSafari() {
    if (!webView_)
        return;
    auto opener = ADNOpener::create();
    opener->setDelegateManager(base::Ref<ADNDelegateManager>(&delegateManager()));
    opener->openApp(webView_->request().URL());
    ADNStatistics::sharedStatistics().setBreakOutToSafari();
}

void ADNBrowserController::viewWillAppear(bool animated) {
    ADNViewController::viewWillAppear(animated);
    if (webView_)
        return;
    auto* root = view();
    auto bounds = root->bounds();
    float toolbarHeight = 44;
    unsigned webViewMask = ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight;
    unsigned toolbarMask = ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleTopMargin
        | ui::Autoresizing::FlexibleBottomMargin;
    if (!ui::Device::currentDevice().isPad()) {
        toolbarHeight = ADNIdentifierUtilities::sharedInstance().isOrientationLandscape() ? 30 : 44;
        webViewMask |= ui::Autoresizing::FlexibleBottomMargin;
        toolbarMask |= ui::Autoresizing::FlexibleHeight;
    }
    webView_ = ui::WebView::create(
        graphics::Rect {{0, 0}, {bounds.size.width, bounds.size.height - toolbarHeight}});
    webView_->setAutoresizingMask(webViewMask);
    webView_->setScalesPageToFit(true);
    webView_->setAllowsInlineMediaPlayback(true);
    webView_->setMediaPlaybackRequiresUserAction(false);
    webView_->setDataDetectorTypes(ui::DataDetectorTypes::All);
    root->addSubview(webView_);

    webViewDelegate_ = ADNBrowserWebViewDelegate::initWithBrowserController(*this);
    webViewDelegate_->setViewController(this);
    webViewDelegate_->setOpeningWebView(openingWebView());
    webView_->setDelegate(webViewDelegate_.get());

    if (urlToLoad_) {
        auto url = std::move(*urlToLoad_);
        urlToLoad_.reset();
        auto referrer = std::move(referringURLToLoad_);
        referringURLToLoad_.clear();
        load(url, referrer);
    }

    toolbar_ = ui::Toolbar::create(graphics::Rect {
        {0, bounds.size.height - toolbarHeight}, {bounds.size.width, toolbarHeight}});
    toolbar_->setAutoresizesSubviews(true);
    toolbar_->setAutoresizingMask(toolbarMask);
    toolbar_->setBarStyle(ui::BarStyle::Black);
    root->addSubview(toolbar_);
    createToolbarButtons();
    refreshToolbar();
}

void ADNBrowserController::didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) {
    ADNViewController::didRotateFromInterfaceOrientation(from);
    if (webView_)
        ADNWebViewDelegate::notifyWebViewOfOrientationChange(*webView_, interfaceOrientation());
}

base::Ref<ui::BarButtonItem> ADNBrowserController::buttonWithImage(
    ui::Image* image, std::string name, float width, bool enabled, std::function<void()> action) {
    auto button = ui::Button::create(graphics::Rect {{0, 0}, {width, 30}});
    if (image)
        button->setImage(base::Ref<ui::Image>(image), ui::ControlState::Normal);
    button->setShowsTouchWhenHighlighted(true);
    auto item = ui::BarButtonItem::initWithCustomView(button);
    button->addTarget(
        nullptr, [action](ui::Control&, ui::Event*) { action(); },
        ui::ControlEvents::TouchUpInside);
    item->setStyle(ui::BarButtonItemStyle::Plain);
    item->setAction([action](ui::BarButtonItem&) { action(); });
    item->setWidth(width);
    setItemEnabled(*item, enabled);
    item->setIsAccessibilityElement(true);
    item->setAccessibilityLabel(std::move(name));
    return item;
}

void ADNBrowserController::setItemEnabled(ui::BarButtonItem& item, bool enabled) {
    item.setEnabled(enabled);
    if (auto* button = dynamic_cast<ui::Button*>(item.customView()))
        button->setEnabled(enabled);
}

void ADNBrowserController::createToolbarButtons() {
    base::WeakRef<ADNBrowserController> weak(this);
    auto call = [weak](void (ADNBrowserController::*method)()) {
        return [weak, method] {
            if (auto self = weak.strong())
                ((*self).*method)();
        };
    };
    auto system = [&](ui::BarButtonSystemItem kind, char const* name, float width, bool enabled,
                      void (ADNBrowserController::*method)()) {
        auto action = call(method);
        auto item = ui::BarButtonItem::initWithBarButtonSystemItem(
            kind, [action](ui::BarButtonItem&) { action(); });
        if (width > 0)
            item->setWidth(width);
        item->setEnabled(enabled);
        item->setIsAccessibilityElement(true);
        item->setAccessibilityLabel(name);
        return item;
    };
    flexibleSpaceButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(
        ui::BarButtonSystemItem::FlexibleSpace, {});
    backButton_ = buttonWithImage(ADNIntrinsicImages::browserBackButton(), "Back", 27, false,
        call(&ADNBrowserController::back));
    forwardButton_ = buttonWithImage(ADNIntrinsicImages::browserForwardButton(), "Forward", 27,
        false, call(&ADNBrowserController::forward));
    spinner_ = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::White);
    spinner_->setFrame(graphics::Rect {{0, 0}, {20, 20}});
    spinner_->setAutoresizingMask(
        ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleRightMargin);
    spinnerContainingButton_ = ui::BarButtonItem::initWithCustomView(spinner_);
    spinnerContainingButton_->setWidth(20);
    spinnerContainingButton_->setIsAccessibilityElement(true);
    spinnerContainingButton_->setAccessibilityLabel("Spinner");
    reloadButton_ = system(
        ui::BarButtonSystemItem::Refresh, "Reload", 27, true, &ADNBrowserController::reload);
    safariButton_ = system(ui::BarButtonSystemItem::Action, "View in Safari", 27, false,
        &ADNBrowserController::openInSafari);
    doneButton_ = system(
        ui::BarButtonSystemItem::Done, "Done", 0, true, &ADNBrowserController::relinquishScreen);
    doneButton_->setStyle(ui::BarButtonItemStyle::Done);
}

void ADNBrowserController::refreshToolbar() {
    if (!webView_ || !toolbar_ || !backButton_)
        return;
    setItemEnabled(*backButton_, webView_->canGoBack());
    setItemEnabled(*forwardButton_, webView_->canGoForward());
    bool loading = webView_->isLoading();
    if (loading)
        spinner_->startAnimating();
    else
        spinner_->stopAnimating();
    safariButton_->setEnabled(!loading);
    auto const& space = flexibleSpaceButton_;
    toolbar_->setItems({backButton_, space, forwardButton_, space,
        loading ? spinnerContainingButton_ : reloadButton_, space, safariButton_, space,
        doneButton_});
}

}
