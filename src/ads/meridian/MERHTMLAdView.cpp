#include <ads/meridian/MERHTMLAdView.hpp>

#include <foundation/Strings.hpp>
#include <ui/LayerAnimation.hpp>

#include <optional>
#include <utility>

namespace ads::meridian {

// --- MERWebView ---

base::Ref<MERWebView> MERWebView::initWithFrame(
    graphics::Rect frame, MERWebViewDelegate* delegate) {
    return base::make<MERWebView>(frame, delegate);
}

MERWebView::MERWebView(graphics::Rect frame, MERWebViewDelegate* delegate)
    : View(frame)
    , delegate_(delegate) {
    webView_ = ui::WebView::create({{0, 0}, frame.size});
    webView_->setMediaPlaybackRequiresUserAction(false);
    webView_->setAllowsInlineMediaPlayback(true);
    webView_->setDelegate(this);
    webView_->setBackgroundColor(ui::Color::colorWithWhite(1, 0.1f));
    webView_->setOpaque(false);
    webView_->setAlpha(1);
    addSubview(webView_);
}

MERWebView::~MERWebView() {
    if (webView_) {
        webView_->stopLoading();
        webView_->setDelegate(nullptr);
    }
    ad_ = nullptr;
    delegate_ = nullptr;
}

void MERWebView::setWebView(base::Ref<ui::WebView> webView) {
    if (webView_ && webView_->delegate() == this)
        webView_->setDelegate(nullptr);
    webView_ = std::move(webView);
}

void MERWebView::loadWithContents(std::string const& data) {
    // Text that is not UTF-8 gives an empty model: no page loads.
    std::optional<std::string> text;
    if (foundation::isValidUtf8(data))
        text = data;
    if (webView_)
        webView_->setDelegate(this);
    bool const accelerometer = delegate_ ? delegate_->accelerometerEnabled() : false;
    setAd(MERHTMLAd::initWithAdContents(text, webView_, accelerometer));
}

void MERWebView::setAd(base::Ref<MERHTMLAd> ad) {
    ad_ = std::move(ad);
    if (ad_ && delegate_)
        delegate_->webViewDidLoadNewAd(*this, *ad_);
}

bool MERWebView::shouldStartLoadWithRequest(
    ui::WebView&, foundation::URLRequest const& request, ui::WebViewNavigationType type) {
    if (type != ui::WebViewNavigationType::LinkClicked)
        return true;
    // A clicked link never loads in the banner: the ad view decides where it goes.
    if (delegate_) {
        base::Ref<MERHTMLAd> ad = ad_;
        std::optional<std::string> openURL = ad ? ad->openURL() : std::nullopt;
        if (openURL)
            delegate_->webViewWasTapped(*this, foundation::URLRequest::requestWithURL(*openURL));
        else
            delegate_->webViewWasTapped(*this, request);
    }
    return false;
}

void MERWebView::webViewDidFinishLoad(ui::WebView&) {
    base::Ref<MERWebView> keep(this);
    if (delegate_)
        delegate_->webViewDidLoad(*this);
    if (!ad_)
        return;
    base::Ref<MERHTMLAd> ad = ad_;
    ad->htmlDidLoad();
    if (auto url = ad->openURL(); url && delegate_)
        delegate_->webViewWantsToOpenURL(*this, *url);
}

void MERWebView::didFailLoadWithError(ui::WebView&, foundation::URLError const&) {
    if (delegate_)
        delegate_->webViewDidFail(*this);
}

// --- MERHTMLAdView ---

base::Ref<MERHTMLAdView> MERHTMLAdView::initWithFrame(
    graphics::Rect frame, MERHTMLAdViewDelegate* delegate) {
    return base::make<MERHTMLAdView>(frame, delegate);
}

MERHTMLAdView::MERHTMLAdView(graphics::Rect frame, MERHTMLAdViewDelegate* delegate)
    : MERBasicAdView(frame)
    , delegate_(delegate) {
    graphics::Rect const inside {{0, 0}, frame.size};
    webView1_ = MERWebView::initWithFrame(inside, this);
    webView2_ = MERWebView::initWithFrame(inside, this);
    addSubview(webView1_);
    addSubview(webView2_);
    webView2_->setHidden(true);
    showingWebView_ = webView1_.get();
    hiddenWebView_ = webView2_.get();
}

MERHTMLAdView::~MERHTMLAdView() {
    webView1_->setDelegate(nullptr);
    webView2_->setDelegate(nullptr);
}

void MERHTMLAdView::loadWithAdContents(std::string const& data) {
    hiddenWebView_->loadWithContents(data);
}

void MERHTMLAdView::webViewDidLoadNewAd(MERWebView&, MERHTMLAd& ad) {
    showingAd_ = &ad;
}

bool MERHTMLAdView::accelerometerEnabled() {
    return delegate_ ? delegate_->htmlAdViewAccelerometerEnabled() : false;
}

void MERHTMLAdView::webViewWantsToOpenURL(MERWebView&, std::string const& url) {
    if (delegate_)
        delegate_->htmlAdViewWantsToOpenURL(*this, url);
}

void MERHTMLAdView::webViewWasTapped(MERWebView&, foundation::URLRequest const& request) {
    if (delegate_)
        delegate_->htmlAdViewWasTapped(*this, request);
}

void MERHTMLAdView::webViewDidLoad(MERWebView& webView) {
    // A page finishing in the shown buffer (a reload, say) is no new ad.
    if (&webView != hiddenWebView_ || !webView.ad())
        return;
    base::Ref<MERHTMLAdView> keep(this);
    if (delegate_)
        delegate_->htmlAdViewTransitionAnimationWillBegin(*this);
    crossfadeWithAd(*webView.ad());
    if (delegate_)
        delegate_->htmlAdViewRequestSucceeded(*this);
}

void MERHTMLAdView::webViewDidFail(MERWebView& webView) {
    // The shown ad stays, so the ad view keeps answering for it rather than for
    // the page that did not come.
    if (&webView == hiddenWebView_ && showingAd_ == webView.ad())
        showingAd_ = showingWebView_->ad();
    if (delegate_)
        delegate_->htmlAdViewRequestFailed(*this);
}

void MERHTMLAdView::crossfadeWithAd(MERHTMLAd& ad) {
    auto fade = ui::Transition::animation();
    fade->setType(ui::Transition::Type::Fade);
    fade->setTimingFunction(ui::TimingFunction::easeInEaseOut());
    fade->setDuration(ad.transitionDuration());
    fade->setDelegate(this);
    fade->setDidStop([this](ui::LayerAnimation const&, bool) { animationDidStop(); });
    layer().addAnimation(*fade, transitionKey);
    showingWebView_->setHidden(true);
    hiddenWebView_->setHidden(false);
    std::swap(showingWebView_, hiddenWebView_);
}

void MERHTMLAdView::animationDidStop() {
    showingAd_ = showingWebView_->ad();
    if (delegate_)
        delegate_->htmlAdViewTransitionAnimationDidEnd(*this);
}

}
