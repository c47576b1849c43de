#pragma once

#include <ads/marquee/MQAPIConnection.hpp>
#include <ads/marquee/MQURLOpener.hpp>
#include <ads/marquee/MQView.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ads::marquee {

// What the client asks and tells its host. Every operation is optional: an absent
// question counts as agreed.
class MarqueeDelegate {
public:
    virtual ~MarqueeDelegate() = default;

    // Before a "get" call (false cancels it); after a "more" call is sent (false skips
    // the loading view).
    virtual bool shouldRequestInterstitial() { return true; }
    // An interstitial page has loaded; false leaves it off screen.
    virtual bool shouldDisplayInterstitial(MQView&) { return true; }
    virtual void didReturnWithNoInterstitial() { }
    // Any action link of an interstitial page, before the action is looked at.
    virtual void didDismissInterstitial(MQView&) { }
    virtual void didCloseInterstitial(MQView&) { }
    virtual void didClickInterstitial(MQView&) { }
    // Declared for hosts; the client never asks it.
    virtual bool shouldDisplayLoadingViewForMoreApps() { return true; }
    virtual bool shouldDisplayMoreApps(MQView&) { return true; }
    virtual void didReturnWithNoMoreAppsPage() { }
    virtual void didDismissMoreApps(MQView&) { }
    virtual void didCloseMoreApps(MQView&) { }
    virtual void didClickMoreApps(MQView&) { }
};

// The Marquee network's interstitial and more-apps client. Each page arrives as HTML
// in the reply of a signed API call, shows in a page view through the shared
// presenter, and talks back through "marquee://" links: close, or link (a click is
// reported, then the store page opens outside the game). Pages load with an
// "about:blank" base, so they reach no local file. The loading view that a link or
// the more-apps page puts up always comes down again, whatever fails. The delegate is
// not retained. Process-wide; main thread only.
class Marquee final : public base::Object,
                      private MQAPIConnectionDelegate,
                      private MQViewDelegate,
                      private MQUrlOpenerDelegate {
public:
    static constexpr char const* Scheme = "marquee";
    static constexpr char const* PageBaseURL = "about:blank";

    static Marquee& sharedMarquee();
    // Drops the client and its pages (tests).
    static void purgeSharedMarquee();
    ~Marquee() override;

    std::string const& appId() const { return appId_; }
    void setAppId(std::string appId) { appId_ = std::move(appId); }
    std::string const& appSignature() const { return appSignature_; }
    void setAppSignature(std::string signature) { appSignature_ = std::move(signature); }
    MarqueeDelegate* delegate() const { return delegate_; }
    void setDelegate(MarqueeDelegate* delegate) { delegate_ = delegate; }
    bool cache() const { return cache_; }
    void setCache(bool cache) { cache_ = cache; }
    MQAPIConnection& connection() const { return *connection_; }
    // Whether a "deep_url" can be opened on this system; by default http and https.
    void setCanOpenURL(std::function<bool(std::string const&)> canOpen) {
        canOpenURL_ = std::move(canOpen);
    }

    void install();
    void loadInterstitial() { loadInterstitial("Default"); }
    void loadInterstitial(std::string const& location);
    // Shows a page that has loaded (any other view is ignored) and reports it.
    void showInterstitial(ui::View* view);
    void loadMoreApps();

    // The pages held from their reply until a close or link action on them.
    std::vector<base::Ref<MQView>> const& pages() const { return pages_; }

    // The parts of an action URL: its text split at every "/".
    static std::vector<std::string> actionURLParts(std::string const& url);
    // The pairs of a more-apps link's JSON part (percent-escaped ASCII): each of "to",
    // "cgn", "creative", "type" and "more_type" present as text or number, and the
    // "deep_url" text; nothing for a part that does not read as a JSON object.
    struct LinkFields {
        MQParams click;
        std::optional<std::string> deepURL;
    };
    static LinkFields linkFieldsFromJSONPart(std::string const& part);

private:
    void sendCall(
        std::string const& action, MQParams const& own, MQAPIRequest::ContextInfo context);
    void loadMarqueeViewForResponse(base::Value const& reply, int type);
    void handleMarqueeViewError(int type);
    void handleMarqueeRequestForInterstitial(std::string const& url, MQView& page);
    void handleMarqueeRequestForMoreApps(std::string const& url, MQView& page);
    // Sends the click and, when it succeeds, follows target (none: nothing to open).
    void click(MQParams const& pairs, std::optional<std::string> target);
    void clickResponseReceived(base::Value const& reply, std::string const& url);
    std::optional<std::string> targetURL(
        std::optional<std::string> const& deepURL, std::vector<std::string> const& parts) const;
    void letGo(MQView& page);

    void didReceiveAPIResponse(base::Value const& reply, MQAPIRequest& request) override;
    void didFailToReceiveAPIResponseForRequest(MQAPIRequest& request) override;
    bool shouldStartLoadWithRequest(
        MQView& page, foundation::URLRequest const& request, ui::WebViewNavigationType) override;
    void webViewDidFinishLoad(MQView& page) override;
    void urlWillOpen(std::string const& url) override;
    void urlOpenerDidFail(std::string const& url) override;

    std::string appId_;
    std::string appSignature_;
    MarqueeDelegate* delegate_ {nullptr};
    base::Ref<MQAPIConnection> connection_;
    bool cache_ {false};
    std::function<bool(std::string const&)> canOpenURL_;
    std::vector<base::Ref<MQView>> pages_;
    // Every page made, held or not: a page let go may still be on screen and routing
    // its links here, so the client's end clears it as their delegate.
    std::vector<base::WeakRef<MQView>> madePages_;
    std::vector<base::Ref<MQURLOpener>> openers_;

    friend base::Factory;
    Marquee();
};

}
