#pragma once

#include <base/Value.hpp>
#include <ui/ViewController.hpp>
#include <ui/WebView.hpp>

#include <optional>
#include <string>

namespace ui {
class ActivityIndicatorView;
class BarButtonItem;
class NavigationItem;
}

namespace game {

// The in-app web page: a title bar with a close button and a loading indicator, the
// page, and back and forward buttons under it. A title, an address or a PDF given
// before the view has loaded waits for it (a later one replaces an earlier one).
// Presented modally; closes itself. Main thread only.
class WebBrowserViewController : public ui::ViewController, public ui::WebViewDelegate {
public:
    // Laid out for the device kind (the tablet's or the phone's screen).
    static base::Ref<WebBrowserViewController> initWebBrowser();

    void loadView() override;
    void viewDidLoad() override;

    void setTitle(std::string const& title);
    // Loads the page, or shows "Unable to connect" without network.
    void loadURL(std::string const& address);
    void loadPdfData(base::Bytes data);
    static bool haveInternetConnection();
    void closeOnClick();

    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) override { return true; }

    ui::WebView* iWebView() const { return iWebView_.get(); }
    ui::NavigationItem* iNavigationItem() const { return iNavigationItem_.get(); }
    ui::ActivityIndicatorView* iLoadingIndicator() const { return iLoadingIndicator_.get(); }
    ui::BarButtonItem* iForwardButton() const { return iForwardButton_.get(); }
    ui::BarButtonItem* iBackButton() const { return iBackButton_.get(); }

protected:
    friend base::Factory;
    WebBrowserViewController() = default;
    ~WebBrowserViewController() override;

private:
    void updateButtons();

    std::optional<std::string> sWillShowTitle;
    std::optional<std::string> sWillLoadURL;
    std::optional<base::Bytes> willLoadPdfData;
    base::Ref<ui::WebView> iWebView_;
    base::Ref<ui::NavigationItem> iNavigationItem_;
    base::Ref<ui::ActivityIndicatorView> iLoadingIndicator_;
    base::Ref<ui::BarButtonItem> iForwardButton_;
    base::Ref<ui::BarButtonItem> iBackButton_;
};

}
