#pragma once

#include <ads/meridian/MERBasicAdView.hpp>
#include <ads/meridian/MERJSONImageAdView.hpp>
#include <ads/meridian/MERJSONVideoAdView.hpp>
#include <ads/meridian/MERVideoCache.hpp>
#include <base/Ref.hpp>
#include <foundation/URLRequest.hpp>

#include <string>

namespace ads::meridian {

class MERJSONAdView;

// What the JSON banner tells the ad view. Every operation is optional.
class MERJSONAdViewDelegate {
public:
    virtual ~MERJSONAdViewDelegate() = default;
    virtual void jsonAdViewRequestFailed(MERJSONAdView&) { }
    virtual void jsonAdViewRequestSucceeded(MERJSONAdView&) { }
    virtual void jsonAdViewVideoAdFinishedPlaying(MERJSONAdView&, bool /*startTimer*/) { }
    virtual void jsonAdViewVideoAdSucceeded(MERJSONAdView&) { }
    virtual void jsonAdViewVideoAdFailed(MERJSONAdView&) { }
    virtual void jsonAdViewWantsToMoveToTheFront(MERJSONAdView&) { }
    virtual void jsonAdViewVideoCacheSucceeded(MERJSONAdView&) { }
    virtual void jsonAdViewVideoCacheFailed(MERJSONAdView&) { }
    virtual void jsonAdViewWantToShowOverlayWithRequest(MERJSONAdView&, MERJSONVideoAdView&,
        foundation::URLRequest const&, int /*orientation*/, bool /*notifyOpenDelegates*/,
        bool /*notifyCloseDelegates*/) { }
    virtual void jsonAdViewWantToShowOverlayWithHTML(MERJSONAdView&, MERJSONVideoAdView&,
        std::string const& /*html*/, int /*orientation*/, bool /*notifyOpenDelegates*/,
        bool /*notifyCloseDelegates*/) { }
    virtual void jsonAdViewWillLoadVideoURL(MERJSONAdView&) { }
    virtual void jsonAdViewWillPlayChachedVideo(MERJSONAdView&) { }
    virtual void jsonAdViewVideoAdDidAppear(MERJSONAdView&) { }
    virtual void jsonAdViewVideoAdWillAppear(MERJSONAdView&) { }
    virtual void jsonAdViewVideoAdWillDisappear(MERJSONAdView&) { }
    virtual void jsonAdViewWasTapped(MERJSONAdView&, foundation::URLRequest const&) { }
    virtual void jsonAdViewWantsToOpenURL(MERJSONAdView&, std::string const& /*url*/) { }
    virtual void jsonAdViewTransitionAnimationDidEnd(MERJSONAdView&) { }
    virtual void jsonAdViewTransitionAnimationWillBegin(MERJSONAdView&) { }
};

// The JSON banner: an image child and a video child, one counted as shown. A reply
// of another kind than the last cross-fades the children; every event of either
// child becomes an event of the ad view. The video's buttons steer the player
// ("mersdk://" commands), hand "sms", "tel" and "merbrowser" links to the ad view,
// or ask it for an overlay. Main thread only.
class MERJSONAdView final : public MERBasicAdView,
                            private MERJSONImageAdViewDelegate,
                            private MERJSONVideoAdViewDelegate {
public:
    static constexpr char const* cachingEndedNotification = "MERCachingEndedNotification";
    static constexpr char const* transitionKey = "transition";

    static base::Ref<MERJSONAdView> initWithFrame(
        graphics::Rect frame, MERJSONAdViewDelegate* delegate);
    ~MERJSONAdView() override;

    void loadWithAdContents(std::string const& data);
    void playVideoAdWithCache(MERVideoCache& cache);
    MERJSONAd* getAd() const { return jsonAd_; }
    void crossfadeWithAd(MERJSONAd& ad);
    void setFrame(graphics::Rect frame);

    MERJSONAdViewDelegate* delegate() const { return delegate_; }
    void setDelegate(MERJSONAdViewDelegate* delegate) { delegate_ = delegate; }
    MERJSONImageAdView& imageAdView() const { return *imageAdView_; }
    MERJSONVideoAdView& videoAdView() const { return *videoAdView_; }
    MERJSONBasicAdView* showingAdView() const { return showingAdView_; }
    MERJSONBasicAdView* hiddenAdView() const { return hiddenAdView_; }

    // The video child's events, passed on.
    void videoButtonWasPressed(MERJSONVideoAdView& view, MERJSONVideoButton& button) override;

private:
    void imageAdViewFailed(MERJSONImageAdView&) override;
    void imageAdViewSucceeded(MERJSONImageAdView&) override;
    void imageAdViewWasTapped(MERJSONImageAdView&) override;
    void imageAdDidLoadNewAd(MERJSONImageAdView&, MERJSONAd& ad) override;

    void videoAdFailed(MERJSONVideoAdView&) override;
    void videoAdSucceeded(MERJSONVideoAdView&) override;
    void videoAdWillClose(MERJSONVideoAdView&) override;
    void videoAdDidAppear(MERJSONVideoAdView&) override;
    void videoAdWillAppear(MERJSONVideoAdView&) override;
    void videoAdFinished(
        MERJSONVideoAdView&, ui::MoviePlayerController*, bool enableAdRefresh, bool log) override;
    void videoAdStarted(MERJSONVideoAdView&, ui::MoviePlayerController&) override;
    void videoAdLoadOnCompletionWithRequest(
        MERJSONVideoAdView& view, foundation::URLRequest const& request, int orientation) override;
    void videoAdLoadOnCompletionWithHTML(
        MERJSONVideoAdView& view, std::string const& html, int orientation) override;
    void videoAdDidLoadNewAd(MERJSONVideoAdView&, MERJSONAd& ad) override;
    void videoCacheFailed(MERJSONVideoAdView&) override;
    void videoCacheSucceeded(MERJSONVideoAdView&) override;

    void animationDidStop();

    MERJSONAd* jsonAd_ {nullptr};
    base::Ref<MERJSONImageAdView> imageAdView_;
    base::Ref<MERJSONVideoAdView> videoAdView_;
    MERJSONBasicAdView* showingAdView_ {nullptr};
    MERJSONBasicAdView* hiddenAdView_ {nullptr};
    MERJSONAdViewDelegate* delegate_ {nullptr};

    friend base::Factory;
    MERJSONAdView(graphics::Rect frame, MERJSONAdViewDelegate* delegate);
};

}
