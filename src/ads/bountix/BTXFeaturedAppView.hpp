#pragma once

#include <ads/bountix/BTXViews.hpp>
#include <ui/Button.hpp>

#include <optional>
#include <string>

namespace ads::bountix {

// The featured application's full-screen ad: the offer service's page at the model's
// full-screen ad URL, with a close button at the top-left corner. One shared view,
// reused by every showing; the featured-app request hands it the user id and the
// currency id it was made with. Links holding "dismiss" close it, links holding
// "showOffers" open the offer wall over it, links to the service's hosts load inside
// and every other link leaves the program at once. Closing posts
// "BTX_VIEW_CLOSED_NOTIFICATION" and then "BTX_SHOW_BOX_NOTIFICATION".
class BTXFeaturedAppView final : public BTXUIWebPageView {
public:
    static constexpr double PageTimeout = 35;
    static constexpr char const* FullScreenAdPath = "get_offers/fullscreenad";
    static constexpr char const* CloseButtonImageName = "close_button.png";
    static constexpr char const* OrientationChangeScript = "window.onorientationchange();";

    // The shared view, made with an empty frame on first use.
    static BTXFeaturedAppView& sharedBTXFeaturedAppView();
    // The shared view when it was made, else null.
    static BTXFeaturedAppView* sharedIfMade();
    // Drops the shared view (tests).
    static void resetShared();
    ~BTXFeaturedAppView() override;

    void refreshWithFrame(graphics::Rect frame);
    // The full-screen ad URL on base (the service's root URL ending in "/"): the page
    // path, the generic parameters and the publisher user id.
    std::string setUpFeaturedAdURLWithServiceURL(std::string const& base) const;
    // White background; loads url with the page time-out.
    void loadViewWithURL(std::string const& url);
    // Takes the view out with the reverse effect, then gives the game back.
    void backtoGameAction();
    void giveBackNotification();
    // The page hears the rotation through its own handler.
    void didRotateFromInterfaceOrientation(ui::InterfaceOrientation orientation);
    // Cancels every delayed call aimed at the view.
    void handleWebViewUI();
    // The URL the retry path loads: rebuilt on the primary host at each refresh.
    static std::string const& currentFullScreenAdURL();

    std::optional<std::string> const& currencyID() const { return currencyID_; }
    void setCurrencyID(std::optional<std::string> id) { currencyID_ = std::move(id); }
    std::string const& publisherUserID() const { return publisherUserID_; }
    void setPublisherUserID(std::string id) { publisherUserID_ = std::move(id); }
    ui::Button* closeButton() const { return closeButton_.get(); }

    bool shouldStartLoadWithRequest(
        ui::WebView&, foundation::URLRequest const&, ui::WebViewNavigationType) override;
    void webViewDidStartLoad(ui::WebView&) override;
    void webViewDidFinishLoad(ui::WebView&) override;
    void didFailLoadWithError(ui::WebView&, foundation::URLError const&) override;
    void clickedButtonAtIndex(ui::AlertView&, int index) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override { }

protected:
    // The ad leaves at once, both notifications go out, then the link opens outside.
    void externalURLWillOpen(std::string const& url) override;

private:
    friend base::Factory;
    explicit BTXFeaturedAppView(graphics::Rect frame);

    // The retry alert, with the overlay gone and the page still.
    void failed();
    void postClosed();

    std::optional<std::string> currencyID_;
    std::string publisherUserID_;
    base::Ref<ui::Button> closeButton_;
};

// Places the shared featured view in a frame (the caller adds the returned view) or
// in a view controller's view, loads the ad page and brings it in with the current
// effect.
class BTXFeaturedAppViewHandler {
public:
    // In the main screen's bounds.
    static BTXFeaturedAppView& showFullScreenAdWithURL(std::string const& url);
    static BTXFeaturedAppView& showFullScreenAdWithURL(
        std::string const& url, graphics::Rect frame);
    // The controller must be given.
    static void showFullScreenAdWithURL(std::string const& url, ui::ViewController* controller);
};

}
