#include <ads/adnoria/ADNWebAppViewController.hpp>

#include <ads/adnoria/ADNIntrinsicImages.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNStatistics.hpp>
#include <ads/adnoria/ADNWebViewDelegate.hpp>

#include <ui/ActivityIndicatorView.hpp>
#include <ui/Button.hpp>
#include <ui/Color.hpp>
#include <ui/Image.hpp>
#include <ui/WebView.hpp>

namespace ads::adnoria {

base::Ref<ADNWebAppViewController> ADNWebAppViewController::create() {
    return base::make<ADNWebAppViewController>();
}

ADNWebAppViewController::ADNWebAppViewController()
    : loadingSpinner_(ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::White)) {
}

ADNWebAppViewController::~ADNWebAppViewController() {
    if (webView_) {
        webView_->setDelegate(nullptr);
        webView_->loadHTMLString("");
    }
}

void ADNWebAppViewController::load(std::string const& url) {
    if (url.empty())
        return;
    if (webView_) {
        webView_->loadRequest(foundation::URLRequest::requestWithURL(url));
        return;
    }
    urlToLoad_ = url;
}

void ADNWebAppViewController::loadHTML(std::optional<std::string> html, std::string baseURL) {
    if (!html)
        return;
    if (webView_) {
        webView_->loadHTMLString(*html, std::move(baseURL));
        return;
    }
    htmlToLoad_ = std::move(html);
    htmlBaseURLToLoad_ = std::move(baseURL);
}

void ADNWebAppViewController::viewWillAppear(bool animated) {
    ADNViewController::viewWillAppear(animated);
    if (webView_)
        return;
    auto* root = view();
    auto bounds = root->bounds();
    webView_ = ui::WebView::create(bounds);
    webView_->setClipsToBounds(true);
    webView_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    webView_->setScalesPageToFit(true);
    root->addSubview(webView_);
    webView_->setOpaque(false);
    webView_->setBackgroundColor(ui::Color::clearColor());
    webView_->setAllowsInlineMediaPlayback(true);
    webView_->setMediaPlaybackRequiresUserAction(false);
    webView_->setMediaPlaybackAllowsAirPlay(true);
    webView_->setDataDetectorTypes(ui::DataDetectorTypes::None);

    webViewDelegate_ = ADNWebAppWebViewDelegate::initWithWebApp(*this);
    webViewDelegate_->setViewController(this);
    webViewDelegate_->setOpeningWebView(openingWebView());
    webView_->setDelegate(webViewDelegate_.get());

    if (urlToLoad_) {
        auto url = std::move(*urlToLoad_);
        urlToLoad_.reset();
        load(url);
    } else if (htmlToLoad_) {
        auto html = std::move(htmlToLoad_);
        htmlToLoad_.reset();
        auto baseURL = std::move(htmlBaseURLToLoad_);
        htmlBaseURLToLoad_.clear();
        loadHTML(std::move(html), std::move(baseURL));
    }

    auto* image = ADNIntrinsicImages::closeButton();
    auto size = image ? image->size() : graphics::Size {25, 25};
    closeButton_ = ui::Button::create(graphics::Rect {{4, 4}, size});
    if (image)
        closeButton_->setImage(base::Ref<ui::Image>(image), ui::ControlState::Normal);
    closeButton_->setShowsTouchWhenHighlighted(true);
    closeButton_->setEnabled(true);
    base::WeakRef<ADNWebAppViewController> weak(this);
    closeButton_->addTarget(
        nullptr,
        [weak](ui::Control&, ui::Event*) {
            if (auto self = weak.strong())
                self->relinquishScreen();
        },
        ui::ControlEvents::TouchUpInside);
    root->insertSubviewAbove(closeButton_, webView_.get());

    if (loadingSpinner_) {
        loadingSpinner_->setFrame(
            graphics::Rect {{bounds.size.width / 2 - 10, bounds.size.height / 2 - 10}, {20, 20}});
        loadingSpinner_->setAutoresizingMask(
            ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleRightMargin);
        loadingSpinner_->startAnimating();
        webView_->addSubview(loadingSpinner_);
    }
}

void ADNWebAppViewController::viewDidAppear(bool animated) {
    ADNViewController::viewDidAppear(animated);
    if (webViewDelegate_)
        webViewDelegate_->setPendingOnShow(true);
}

void ADNWebAppViewController::viewDidDisappear(bool animated) {
    // The base ends "plpd" and "pcl" and passes the event on.
    ADNViewController::viewDidDisappear(animated);
    if (webView_)
        ADNNotificationCenter::postJSNotification("onhide", nullptr, *webView_);
}

void ADNWebAppViewController::didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) {
    ADNViewController::didRotateFromInterfaceOrientation(from);
    if (webView_)
        ADNWebViewDelegate::notifyWebViewOfOrientationChange(*webView_, interfaceOrientation());
}

void ADNWebAppViewController::markLoaded() {
    loaded_ = true;
    if (loadingSpinner_) {
        loadingSpinner_->removeFromSuperview();
        loadingSpinner_ = nullptr;
    }
}

}
