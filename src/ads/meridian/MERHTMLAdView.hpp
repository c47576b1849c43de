#pragma once

#include <ads/meridian/MERBasicAdView.hpp>
#include <ads/meridian/MERHTMLAd.hpp>
#include <base/Ref.hpp>
#include <foundation/URLRequest.hpp>
#include <ui/WebView.hpp>

#include <string>

namespace ads::meridian {

class MERWebView;

// What a web-view buffer tells its owner. Every operation is optional.
class MERWebViewDelegate {
public:
    virtual ~MERWebViewDelegate() = default;
    virtual bool accelerometerEnabled() { return false; }
    virtual void webViewWantsToOpenURL(MERWebView&, std::string const&) { }
    virtual void webViewWasTapped(MERWebView&, foundation::URLRequest const&) { }
    virtual void webViewDidLoad(MERWebView&) { }
    virtual void webViewDidFail(MERWebView&) { }
    virtual void webViewDidLoadNewAd(MERWebView&, MERHTMLAd&) { }
};

// One buffer of the HTML banner: a page and the ad model that fills it. A link the
// user clicks never loads in the page; it becomes a tap for the delegate (or the
// ad model's openURL when it has one). Main thread only.
class MERWebView final : public ui::View, private ui::WebViewDelegate {
public:
    static base::Ref<MERWebView> initWithFrame(graphics::Rect frame, MERWebViewDelegate* delegate);
    ~MERWebView() override;

    // Makes an ad model of the data (text in UTF-8) that loads into the page.
    void loadWithContents(std::string const& data);

    MERHTMLAd* ad() const { return ad_.get(); }
    void setAd(base::Ref<MERHTMLAd> ad);
    ui::WebView* webView() const { return webView_.get(); }
    void setWebView(base::Ref<ui::WebView> webView);
    MERWebViewDelegate* delegate() const { return delegate_; }
    void setDelegate(MERWebViewDelegate* delegate) { delegate_ = delegate; }

private:
    bool shouldStartLoadWithRequest(ui::WebView&, foundation::URLRequest const& request,
        ui::WebViewNavigationType type) override;
    void webViewDidFinishLoad(ui::WebView&) override;
    void didFailLoadWithError(ui::WebView&, foundation::URLError const&) override;

    base::Ref<ui::WebView> webView_;
    base::Ref<MERHTMLAd> ad_;
    MERWebViewDelegate* delegate_ {nullptr};

    friend base::Factory;
    MERWebView(graphics::Rect frame, MERWebViewDelegate* delegate);
};

// What the HTML banner tells the ad view. Every operation is optional.
class MERHTMLAdViewDelegate {
public:
    virtual ~MERHTMLAdViewDelegate() = default;
    virtual bool htmlAdViewAccelerometerEnabled() { return false; }
    virtual void htmlAdViewRequestFailed(class MERHTMLAdView&) { }
    virtual void htmlAdViewRequestSucceeded(MERHTMLAdView&) { }
    virtual void htmlAdViewWasTapped(MERHTMLAdView&, foundation::URLRequest const&) { }
    virtual void htmlAdViewWantsToOpenURL(MERHTMLAdView&, std::string const&) { }
    virtual void htmlAdViewTransitionAnimationDidEnd(MERHTMLAdView&) { }
    virtual void htmlAdViewTransitionAnimationWillBegin(MERHTMLAdView&) { }
};

// The HTML banner: two stacked buffers, one shown and one hidden. Each ad loads into
// the hidden one; when its page has loaded the two swap with a cross-fade, so a
// half-loaded page is never on screen. A load that fails in either buffer is
// reported and leaves the shown ad where it is. Main thread only.
class MERHTMLAdView final : public MERBasicAdView, private MERWebViewDelegate {
public:
    static base::Ref<MERHTMLAdView> initWithFrame(
        graphics::Rect frame, MERHTMLAdViewDelegate* delegate);
    ~MERHTMLAdView() override;

    void loadWithAdContents(std::string const& data);
    // The ad of the shown buffer; the incoming ad from its arrival until its page has
    // loaded or failed.
    MERHTMLAd* getAd() const { return showingAd_; }
    void crossfadeWithAd(MERHTMLAd& ad);

    MERHTMLAdViewDelegate* delegate() const { return delegate_; }
    void setDelegate(MERHTMLAdViewDelegate* delegate) { delegate_ = delegate; }
    MERWebView* showingWebView() const { return showingWebView_; }
    MERWebView* hiddenWebView() const { return hiddenWebView_; }

    static constexpr char const* transitionKey = "transition";

private:
    bool accelerometerEnabled() override;
    void webViewWantsToOpenURL(MERWebView&, std::string const& url) override;
    void webViewWasTapped(MERWebView&, foundation::URLRequest const& request) override;
    void webViewDidLoad(MERWebView& webView) override;
    void webViewDidFail(MERWebView& webView) override;
    void webViewDidLoadNewAd(MERWebView&, MERHTMLAd& ad) override;
    void animationDidStop();

    base::Ref<MERWebView> webView1_;
    base::Ref<MERWebView> webView2_;
    MERHTMLAd* showingAd_ {nullptr};
    MERWebView* showingWebView_ {nullptr};
    MERWebView* hiddenWebView_ {nullptr};
    MERHTMLAdViewDelegate* delegate_ {nullptr};

    friend base::Factory;
    MERHTMLAdView(graphics::Rect frame, MERHTMLAdViewDelegate* delegate);
};

}
