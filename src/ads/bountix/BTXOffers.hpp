#pragma once

#include <ads/bountix/BTXViews.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ads::bountix {

// What a "btxvideo://" link of the offer page carries: pieces split at "&", each
// "video_id=", "click_url=", "amount=" or "currency_name=" (percent escapes decoded as
// UTF-8); a later piece of a kind replaces an earlier one, other pieces are ignored.
struct BTXVideoLink {
    std::optional<std::string> offerID;
    std::optional<std::string> clickURL;
    std::optional<std::string> amount;
    std::optional<std::string> currencyName;

    static BTXVideoLink parse(std::string_view url);
};

// The offer wall: the offer service's page of offers ("get_offers/webpage") shown
// full screen under a bar whose "Back" button returns to the game. One shared wall,
// reused by every showing. Links to the service's hosts load inside; "btxvideo://"
// links start a video offer; every other link leaves the program. Closing posts
// "BTX_VIEW_CLOSED_NOTIFICATION" and then "BTX_SHOW_BOX_NOTIFICATION".
class BTXOffersWebView final : public BTXUIWebPageView {
public:
    static constexpr double PageTimeout = 35;
    static constexpr char const* WebpagePath = "get_offers/webpage";

    // Stands in for the video player's show operation (tests); while none is set, a
    // video link shows its video through BountixConnect::showVideoAdWithOfferID.
    using VideoStarter = std::function<void(std::string const& offerID)>;
    static void setVideoStarter(VideoStarter starter);

    static BTXOffersWebView& sharedBTXOffersWebView();
    // The shared wall when it was made, else null.
    static BTXOffersWebView* sharedIfMade();
    // Drops the shared wall (tests).
    static void resetShared();
    ~BTXOffersWebView() override;

    void refreshWithFrame(graphics::Rect frame, bool enableNavBar);
    // The offers URL on base (the service's root URL ending in "/").
    std::string setUpOffersURLWithServiceURL(std::string const& base) const;
    void loadView();
    // Rebuilds the offers URL on the primary host and loads it.
    void refreshWebView();
    void backtoGameAction();
    void giveBackNotification();
    void setCustomNavBarImage(base::Ref<ui::Image> image);

    BTXUINavigationBarView* navBar() const { return navBar_.get(); }
    std::string const& publisherUserID() const { return publisherUserID_; }
    void setPublisherUserID(std::string id) { publisherUserID_ = std::move(id); }
    ui::ViewController* parentVController() const { return parentVController_; }
    void setParentVController(ui::ViewController* controller) { parentVController_ = controller; }
    bool isNavBarEnabled() const { return enableNavBar_; }
    bool isViewVisible() const { return isViewVisible_; }
    std::string const& currencyID() const { return currencyID_; }
    void setCurrencyID(std::string pair) { currencyID_ = std::move(pair); }
    std::string const& isSelectorVisible() const { return isSelectorVisible_; }
    void setIsSelectorVisible(std::string pair) { isSelectorVisible_ = std::move(pair); }
    // The URL the next loadView loads.
    static std::string const& currentOffersURL();

    bool shouldStartLoadWithRequest(
        ui::WebView&, foundation::URLRequest const&, ui::WebViewNavigationType) override;
    void webViewDidStartLoad(ui::WebView&) override;
    void webViewDidFinishLoad(ui::WebView&) override;
    void didFailLoadWithError(ui::WebView&, foundation::URLError const&) override;
    void clickedButtonAtIndex(ui::AlertView&, int index) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;

private:
    friend base::Factory;
    BTXOffersWebView(graphics::Rect frame, bool enableNavBar);

    // Shows the retry alert with the overlay gone and the page still.
    void failed();
    void startVideo(BTXVideoLink const& link);

    base::Ref<BTXUINavigationBarView> navBar_;
    std::string publisherUserID_;
    ui::ViewController* parentVController_ {nullptr};
    bool enableNavBar_ {false};
    bool isViewVisible_ {false};
    std::string currencyID_;
    std::string isSelectorVisible_;
};

// Places the shared wall in a frame (the caller adds the returned view) or in a view
// controller's view, sets its user id and optional currency pairs, loads it and
// brings it in with the current effect.
class BTXOffersViewHandler {
public:
    static BTXOffersWebView& showOffersWithFrame(graphics::Rect frame);
    static BTXOffersWebView& showOffers();
    static void showOffersWithViewController(ui::ViewController* controller);
    static void showOffersWithViewController(ui::ViewController* controller, bool navBar);
    static BTXOffersWebView& showOffersWithCurrencyID(
        std::string const& currencyID, graphics::Rect frame, bool selector);
    static BTXOffersWebView& showOffersWithCurrencyID(std::string const& currencyID, bool selector);
    static void showOffersWithCurrencyID(
        std::string const& currencyID, ui::ViewController* controller, bool selector);
    static void showOffersWithCurrencyID(
        std::string const& currencyID, ui::ViewController* controller, bool navBar, bool selector);

private:
    struct Currency {
        std::string id;
        bool selector;
    };
    static BTXOffersWebView& show(graphics::Rect frame, ui::ViewController* controller, bool navBar,
        std::optional<Currency> const& currency);
};

}
