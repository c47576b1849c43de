#pragma once

#include <ads/adnoria/ADNDelegateManager.hpp>

#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <foundation/NotificationCenter.hpp>
#include <ui/ViewController.hpp>
#include <ui/WebView.hpp>

#include <string_view>

namespace ui {
class WebView;
}

namespace ads::adnoria {

// A full-screen controller of the ad client (the in-app browser, the web app):
// presents itself over the application, hides the status bar while it shows,
// follows the page's orientation settings and tells the ad's delegates when the
// screen is taken and given back. Controllers may stack (a browser over a web
// app); only the first of a stack, presented over a controller of the
// application, raises the screen events: will present, will dismiss, did dismiss
// (when it goes). A presented controller keeps itself alive until it gives the
// screen up. Main thread.
class ADNViewController : public ui::ViewController {
public:
    static constexpr char const* WillPresentFullScreenNotification
        = "ADNViewControllerWillPresentFullScreen";
    static constexpr char const* DidRelinquishFullScreenNotification
        = "ADNViewControllerDidRelinquishFullScreen";

    // Orientation codes: 0 not set, 1 any, 2 portrait, 3 landscape.
    enum Orientation { NotSet = 0, Any = 1, Portrait = 2, Landscape = 3 };
    static int orientationFromString(std::string_view text);

    static base::Ref<ADNViewController> create();
    ~ADNViewController() override;

    ADNDelegateManager& delegateManager();
    void setDelegateManager(base::Ref<ADNDelegateManager> manager) {
        delegateManager_ = std::move(manager);
    }
    int supportedOrientations() const { return supportedOrientations_; }
    // 0 is ignored.
    void setSupportedOrientations(int code);
    ui::WebView* openingWebView() const { return openingWebView_.get(); }
    void setOpeningWebView(ui::WebView* view) { openingWebView_ = view; }
    bool statusBarWasHidden() const { return statusBarWasHidden_; }

    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;
    bool isFirstADNViewController() const;

    void presentFromViewController(ui::ViewController* controller);
    void relinquishScreen();

    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

protected:
    ADNViewController();
    void loadView() override;
    virtual void presentSelfFrom(ui::ViewController& controller);

private:
    void settingsChanged(foundation::Notification const& notification);

    base::Ref<ADNDelegateManager> delegateManager_;
    int supportedOrientations_ {Any};
    base::WeakRef<ui::WebView> openingWebView_;
    bool statusBarWasHidden_ {false};
    bool wasFirst_ {false};
    base::Ref<ADNViewController> keepAlive_;
    foundation::ObservationToken settings_;

    friend base::Factory;
};

}
