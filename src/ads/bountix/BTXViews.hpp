#pragma once

#include <base/Ref.hpp>
#include <foundation/URLConnection.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/AlertView.hpp>
#include <ui/Application.hpp>
#include <ui/BarButtonItem.hpp>
#include <ui/Color.hpp>
#include <ui/Image.hpp>
#include <ui/Label.hpp>
#include <ui/NavigationBar.hpp>
#include <ui/NavigationItem.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>
#include <ui/WebView.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace ads::bountix {

class BTXFeaturedAppView;
class BTXOffersWebView;

// The loading overlay laid over a page while it loads: a dimmed rounded box with an
// activity indicator and a label, built in code. fadeIn and fadeOut take 0.4 s and do
// nothing when the overlay already shows (or hides) fully.
class BTXLoadingViewController final : public ui::ViewController {
public:
    static constexpr double FadeDuration = 0.4;
    static constexpr float BoxCornerRadius = 5;

    // The overlay's view takes frame.
    static base::Ref<BTXLoadingViewController> initWithFrame(graphics::Rect frame);

    void enable();
    void disable();
    void fadeIn();
    void fadeOut();

    ui::View* loadingBG() const { return loadingBG_.get(); }
    ui::ActivityIndicatorView* activityIndicator() const { return activityIndicator_.get(); }
    ui::Label* loadingLabel() const { return loadingLabel_.get(); }
    ui::View* containerView() const { return containerView_.get(); }

private:
    friend base::Factory;
    BTXLoadingViewController() = default;

    void build(graphics::Rect frame);

    base::Ref<ui::View> loadingBG_;
    base::Ref<ui::ActivityIndicatorView> activityIndicator_;
    base::Ref<ui::Label> loadingLabel_;
    base::Ref<ui::View> containerView_;
};

// The bar over the offer wall: one item with a title and at most a left and a right
// button, tinted with the shared user-defined colour (drawn as the bar's fill).
class BTXUINavigationBarView final : public ui::NavigationBar {
public:
    static constexpr float Height = 44;

    // Frame (0, y, frame's width, 44), flexible width.
    static base::Ref<BTXUINavigationBarView> initWithTitle(
        std::string const& title, graphics::Rect frame, int y);

    ui::Color tintColor() const { return tint_; }
    void setCustomBackgroundImage(base::Ref<ui::Image> image);
    // Makes the button on first use; later calls only change its title.
    void setNavBarLeftBtnWithTitle(std::string const& title);
    void setNavBarRightBtnWithTitle(std::string const& title);
    // Shows item without keeping it as the bar's own button.
    void setNavBarLeftBtn(base::Ref<ui::BarButtonItem> item);
    void setNavBarRightBtn(base::Ref<ui::BarButtonItem> item);
    void addLeftButtonAction(ui::BarButtonItem::Action action);
    void addRightButtonAction(ui::BarButtonItem::Action action);

    ui::NavigationItem* navBarTitle() const { return navBarTitle_.get(); }
    ui::BarButtonItem* navBarLeftBtn() const { return navBarLeftBtn_.get(); }
    ui::BarButtonItem* navBarRightBtn() const { return navBarRightBtn_.get(); }

    // The title shows over the tint: its label draws no fill of its own.
    void layoutSubviews() override;

private:
    friend base::Factory;
    explicit BTXUINavigationBarView(graphics::Rect frame);

    base::Ref<ui::NavigationItem> navBarTitle_;
    base::Ref<ui::BarButtonItem> navBarLeftBtn_;
    base::Ref<ui::BarButtonItem> navBarRightBtn_;
    ui::Color tint_;
};

// The base of the offer-wall pages: a web view filling the view, the loading overlay
// above it, the rule that keeps the service's own pages inside and hands every other
// link to the system, and the "Retry" alert after a failed load (a cancelled load,
// -999, and an interrupted frame load, 102, say nothing).
class BTXUIWebPageView : public ui::View,
                         public ui::WebViewDelegate,
                         public ui::AlertViewDelegate,
                         public foundation::URLConnectionDelegate {
public:
    static constexpr char const* DefaultAlertMessage
        = "Service is unreachable.\nDo you want to try again?";
    static constexpr int RetryButtonIndex = 1;

    static base::Ref<BTXUIWebPageView> initWithFrame(graphics::Rect frame);
    static base::Ref<BTXUIWebPageView> initWithFrame(
        graphics::Rect frame, foundation::URLRequest request);
    ~BTXUIWebPageView() override;

    // Whether a link to url stays inside the page: its host is one of the configured
    // service hosts (primary, fallback, affiliate) or a name under one of them.
    static bool isServiceURL(std::string_view url);

    void loadWebRequest(foundation::URLRequest request);
    void loadURLRequest(std::string const& url);
    void loadURLRequest(std::string const& url, double timeoutSeconds);
    // url followed directly by the query of a fresh generic parameter set.
    static std::string appendGenericParamsWithURL(std::string const& url);

    ui::WebView& webView() const { return *cWebView_; }
    BTXLoadingViewController& loadingView() const { return *loadingViewCtrl_; }
    // The retry alert showing, or null.
    ui::AlertView* retryAlert() const { return alert_.get(); }

    std::optional<std::string> const& alertErrorMessage() const { return alertErrorMessage_; }
    void setAlertErrorMessage(std::optional<std::string> message) {
        alertErrorMessage_ = std::move(message);
    }
    std::optional<std::string> const& lastURL() const { return lastURL_; }
    void setLastURL(std::optional<std::string> url) { lastURL_ = std::move(url); }
    bool webPageRendered() const { return webPageRendered_; }
    // Not retained.
    void setDelegate(void* delegate) { delegate_ = delegate; }

    // ui::WebViewDelegate
    bool shouldStartLoadWithRequest(
        ui::WebView&, foundation::URLRequest const&, ui::WebViewNavigationType) override;
    void webViewDidStartLoad(ui::WebView&) override;
    void webViewDidFinishLoad(ui::WebView&) override;
    void didFailLoadWithError(ui::WebView&, foundation::URLError const&) override;
    // ui::AlertViewDelegate
    void clickedButtonAtIndex(ui::AlertView&, int index) override;

protected:
    explicit BTXUIWebPageView(graphics::Rect frame);

    // True when error is a cancelled load or an interrupted frame load.
    static bool isSilentError(foundation::URLError const& error);
    // Shows the retry alert with the page's message.
    void showRetryAlert();
    // Starts the connection that hands url to the system (see willSendRequest).
    void openOutside(std::string const& url);
    // foundation::URLConnectionDelegate: the request the connection is about to send
    // is opened outside the program and the connection ends there (nothing is sent).
    std::optional<foundation::URLRequest> willSendRequest(foundation::URLConnection& connection,
        foundation::URLRequest request, foundation::URLResponse const* redirectResponse) override;
    // Called by willSendRequest with the URL about to open outside.
    virtual void externalURLWillOpen(std::string const& url);

    base::Ref<ui::WebView> cWebView_;
    std::optional<std::string> alertErrorMessage_;
    foundation::URLRequest lastClickedURL_;
    void* delegate_ {nullptr};
    bool webPageRendered_ {false};
    std::optional<std::string> lastURL_;
    base::Ref<BTXLoadingViewController> loadingViewCtrl_;
    base::Ref<ui::AlertView> alert_;
    base::Ref<foundation::URLConnection> connection_;

private:
    friend base::Factory;
};

// The invisible host of the offer-wall screens shown in a frame of their own: one
// controller whose view lies on the program's first window, transparent while it
// holds no screen. It needs a window: without one it logs "There must be a UIWindow
// in the project" and stops the program.
class BTXCallsWrapper final : public ui::ViewController {
public:
    static constexpr char const* NoWindowMessage
        = "No UIWindow Found, an application should have atleast one Window object";

    static BTXCallsWrapper& sharedBTXCallsWrapper();
    // Drops the shared host, taking its view off the window (tests).
    static void resetShared();
    ~BTXCallsWrapper() override;

    void viewDidLoad() override;
    void showBoxCloseNotification();
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;
    void didRotateFromInterfaceOrientation(ui::InterfaceOrientation orientation) override;
    // Tells the shared featured-app view of the rotation.
    void updateViewsWithOrientation(ui::InterfaceOrientation orientation);
    void moveViewToFront();

    // The offer wall (defined with it): the frame forms bring the host to the front,
    // make it opaque and hold the wall; the view-controller forms leave the host
    // transparent and place the wall in the game's view.
    BTXOffersWebView& showOffersWithFrame(graphics::Rect frame);
    BTXOffersWebView& showOffers();
    BTXOffersWebView& showOffersWithCurrencyID(
        std::string const& currencyID, graphics::Rect frame, bool selector);
    BTXOffersWebView& showOffersWithCurrencyID(std::string const& currencyID, bool selector);
    void showOffersWithViewController(ui::ViewController* controller);
    void showOffersWithViewController(ui::ViewController* controller, bool navBar);
    void showOffersWithCurrencyID(
        std::string const& currencyID, ui::ViewController* controller, bool selector);
    void showOffersWithCurrencyID(
        std::string const& currencyID, ui::ViewController* controller, bool navBar, bool selector);

    // The featured app's full-screen ad (defined with it), in the same two ways.
    BTXFeaturedAppView& showFeaturedAppFullScreenAdWithURL(std::string const& url);
    BTXFeaturedAppView& showFeaturedAppFullScreenAd(std::string const& url, graphics::Rect frame);
    void showFeaturedAppFullScreenAd(std::string const& url, ui::ViewController* controller);

    // The video player (defined with it): the frame forms bring the host to the front,
    // make it opaque and hold the player; the view-controller form places the player in
    // the game's view. Null, with the host left as it was, when no video is shown.
    ui::View* showVideoAdWithFrame(graphics::Rect frame, std::string const& offerID);
    ui::View* showVideoAdWithOfferID(std::string const& offerID);
    void showVideoAdWithViewController(ui::ViewController* controller, std::string const& offerID);

private:
    friend base::Factory;
    BTXCallsWrapper() = default;

    void attachToFirstWindow();

    int currentInterfaceOrientation_ {0};
};

}
