#pragma once

#include <base/Ref.hpp>
#include <graphics/BitmapContext.hpp>
#include <ui/ActionSheet.hpp>
#include <ui/BarButtonItem.hpp>
#include <ui/ViewController.hpp>
#include <ui/WebView.hpp>

#include <string>

namespace ui {
class ActivityIndicatorView;
class Image;
class Toolbar;
}

namespace ads::mosaic {

class MXAdBrowserController;

// Told when the browser should go away; the ad manager dismisses it.
class MXAdBrowserControllerDelegate {
public:
    virtual ~MXAdBrowserControllerDelegate() = default;
    virtual void dismissBrowserController(MXAdBrowserController& browser) = 0;
    virtual void dismissBrowserController(MXAdBrowserController& browser, bool animated) = 0;
};

// The in-app browser a link of an HTML ad opens: a web view over a toolbar of back,
// forward, refresh, an "Open in Safari" sheet, a spinner and done. Web pages stay
// inside; links to the application store's and the maps host, and links of other
// schemes that an installed program takes, are handed to the system and close the
// browser at once. The delegate is not retained. Main thread.
class MXAdBrowserController : public ui::ViewController,
                              public ui::WebViewDelegate,
                              public ui::ActionSheetDelegate {
public:
    static constexpr float toolbarHeight = 44;
    static constexpr int arrowSide = 27;

    // initWithURL:delegate:.
    static base::Ref<MXAdBrowserController> initWithURL(
        std::string url, MXAdBrowserControllerDelegate* delegate);
    ~MXAdBrowserController() override;

    MXAdBrowserControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(MXAdBrowserControllerDelegate* delegate) { delegate_ = delegate; }
    std::string const& URL() const { return url_; }
    void setURL(std::string url) { url_ = std::move(url); }

    ui::WebView* webView() const { return webView_.get(); }
    ui::Toolbar* toolbar() const { return toolbar_.get(); }
    ui::BarButtonItem* backButton() const { return backButton_.get(); }
    ui::BarButtonItem* forwardButton() const { return forwardButton_.get(); }
    ui::BarButtonItem* refreshButton() const { return refreshButton_.get(); }
    ui::BarButtonItem* safariButton() const { return safariButton_.get(); }
    ui::BarButtonItem* doneButton() const { return doneButton_.get(); }
    ui::BarButtonItem* spinnerItem() const { return spinnerItem_.get(); }
    ui::ActivityIndicatorView* spinner() const { return spinner_.get(); }
    ui::ActionSheet* actionSheet() const { return actionSheet_.get(); }
    bool actionSheetIsShowing() const { return actionSheetIsShowing_; }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) override { return true; }

    // The toolbar's actions.
    void back();
    void forward();
    void refresh();
    void done();
    void safari();
    void dismissActionSheet();

    // The arrows of the back and forward buttons: black triangles on clear pixels.
    static base::Ref<graphics::BitmapContext> createContext();
    static base::Ref<ui::Image> backArrowImage();
    static base::Ref<ui::Image> forwardArrowImage();

    // Whether the browser shows url itself (no: it goes to the system).
    bool shouldStartLoadWithRequest(ui::WebView& webView, foundation::URLRequest const& request,
        ui::WebViewNavigationType navigationType) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void didFailLoadWithError(ui::WebView& webView, foundation::URLError const& error) override;

    void clickedButtonAtIndex(ui::ActionSheet& sheet, int index) override;
    void didPresentActionSheet(ui::ActionSheet& sheet) override;
    void didDismissWithButtonIndex(ui::ActionSheet& sheet, int index) override;

private:
    void updateHistoryButtons();
    void setButtonEnabled(ui::BarButtonItem* item, bool enabled);

    MXAdBrowserControllerDelegate* delegate_;
    base::Ref<ui::WebView> webView_;
    base::Ref<ui::Toolbar> toolbar_;
    base::Ref<ui::BarButtonItem> backButton_;
    base::Ref<ui::BarButtonItem> forwardButton_;
    base::Ref<ui::BarButtonItem> refreshButton_;
    base::Ref<ui::BarButtonItem> safariButton_;
    base::Ref<ui::BarButtonItem> doneButton_;
    base::Ref<ui::ActivityIndicatorView> spinner_;
    base::Ref<ui::BarButtonItem> spinnerItem_;
    base::Ref<ui::ActionSheet> actionSheet_;
    bool actionSheetIsShowing_ {false};
    std::string url_;

    friend base::Factory;

    MXAdBrowserController(std::string url, MXAdBrowserControllerDelegate* delegate);
};

}
