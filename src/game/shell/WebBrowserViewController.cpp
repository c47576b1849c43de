#include <game/shell/WebBrowserViewController.hpp>

#include <foundation/Reachability.hpp>
#include <foundation/URLRequest.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/Utilities.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/BarButtonItem.hpp>
#include <ui/NavigationBar.hpp>
#include <ui/NavigationItem.hpp>
#include <ui/Toolbar.hpp>

namespace game {

namespace {

constexpr float barHeight = 44;

}

base::Ref<WebBrowserViewController> WebBrowserViewController::initWebBrowser() {
    return base::make<WebBrowserViewController>();
}

WebBrowserViewController::~WebBrowserViewController() {
    if (iWebView_)
        iWebView_->setDelegate(nullptr);
}

// The layout of the tablet's or the phone's screen: the title bar on top with the
// close button on its left and the loading indicator on its right, the back and
// forward buttons in a bar at the bottom, the page between them.
void WebBrowserViewController::loadView() {
    auto size = Utilities::isiPad() ? graphics::makeSize(1024, 768) : graphics::makeSize(480, 320);
    auto root = ui::View::create(graphics::makeRect(0, 0, size.width, size.height));
    auto bar = ui::NavigationBar::create(graphics::makeRect(0, 0, size.width, barHeight));
    iNavigationItem_ = ui::NavigationItem::create();
    iNavigationItem_->setLeftBarButtonItem(ui::BarButtonItem::initWithBarButtonSystemItem(
        ui::BarButtonSystemItem::Done, [this](ui::BarButtonItem&) { closeOnClick(); }));
    iLoadingIndicator_ = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::White);
    iLoadingIndicator_->setHidesWhenStopped(true);
    iNavigationItem_->setRightBarButtonItem(
        ui::BarButtonItem::initWithCustomView(iLoadingIndicator_));
    bar->setItems({iNavigationItem_});
    root->addSubview(bar);

    iWebView_ = ui::WebView::create(
        graphics::makeRect(0, barHeight, size.width, size.height - 2 * barHeight));
    iWebView_->setDelegate(this);
    root->addSubview(iWebView_);

    auto toolbar = ui::Toolbar::create(
        graphics::makeRect(0, size.height - barHeight, size.width, barHeight));
    iBackButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(
        ui::BarButtonSystemItem::Rewind, [this](ui::BarButtonItem&) { iWebView_->goBack(); });
    iForwardButton_
        = ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::FastForward,
            [this](ui::BarButtonItem&) { iWebView_->goForward(); });
    toolbar->setItems({iBackButton_, iForwardButton_});
    root->addSubview(toolbar);
    setView(root);
}

void WebBrowserViewController::viewDidLoad() {
    if (auto title = std::exchange(sWillShowTitle, std::nullopt))
        setTitle(*title);
    if (auto address = std::exchange(sWillLoadURL, std::nullopt))
        loadURL(*address);
    if (auto data = std::exchange(willLoadPdfData, std::nullopt))
        loadPdfData(std::move(*data));
    updateButtons();
}

void WebBrowserViewController::setTitle(std::string const& title) {
    if (!isViewLoaded()) {
        sWillShowTitle = title;
        return;
    }
    iNavigationItem_->setTitle(title);
}

void WebBrowserViewController::loadURL(std::string const& address) {
    if (!isViewLoaded()) {
        sWillLoadURL = address;
        return;
    }
    iWebView_->stopLoading();
    if (haveInternetConnection()) {
        iWebView_->loadRequest(foundation::URLRequest::requestWithURL(address));
    } else {
        AlertPresenter::shared().showAlert("Unable to connect",
            "Please make sure your device have connected to the internet.", "OK");
    }
}

void WebBrowserViewController::loadPdfData(base::Bytes data) {
    if (!isViewLoaded()) {
        willLoadPdfData = std::move(data);
        return;
    }
    iWebView_->stopLoading();
    iWebView_->loadData(std::move(data), "application/pdf", "utf-8", "");
}

bool WebBrowserViewController::haveInternetConnection() {
    return Utilities::haveInternetConnection();
}

void WebBrowserViewController::closeOnClick() {
    dismissViewController(true);
}

void WebBrowserViewController::webViewDidStartLoad(ui::WebView&) {
    iLoadingIndicator_->startAnimating();
}

void WebBrowserViewController::webViewDidFinishLoad(ui::WebView& webView) {
    iLoadingIndicator_->stopAnimating();
    setTitle(webView.stringByEvaluatingJavaScriptFromString("document.title"));
    updateButtons();
}

void WebBrowserViewController::updateButtons() {
    iForwardButton_->setEnabled(iWebView_->canGoForward());
    iBackButton_->setEnabled(iWebView_->canGoBack());
}

}
