#pragma once

#include <base/Ref.hpp>
#include <ui/View.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ads::meridian {

class MERAdView;

// Targeting keys and values, sent in this order with each ad request.
using MERRequestData = std::vector<std::pair<std::string, std::string>>;

// What the ad view asks of its owner and tells it. Every operation is optional: the
// three questions answer "no answer" here, which the view reads as the delegate not
// implementing them. The MERAdView argument is always the calling view.
class MERAdDelegate {
public:
    virtual ~MERAdDelegate() = default;
    // Targeting data; asked at creation and before every ad request.
    virtual std::optional<MERRequestData> requestData() { return std::nullopt; }
    // Seconds between refreshes; asked whenever the interval is computed.
    virtual std::optional<int> adRefreshDuration() { return std::nullopt; }
    // No answer counts as yes.
    virtual std::optional<bool> accelerometerEnabled() { return std::nullopt; }
    virtual void adRequestSucceeded(MERAdView&) { }
    virtual void adRequestFailed(MERAdView&) { }
    virtual void adDidRefresh(MERAdView&) { }
    virtual void adWasTapped(MERAdView&) { }
    virtual void adRequestIsCaching(MERAdView&) { }
    virtual void applicationWillTerminateFromAd() { }
    virtual void adModalWillAppear() { }
    virtual void adModalDidAppear() { }
    virtual void adModalWasDismissed() { }
};

// The Meridian Media client's entry: a view that an embedding application makes
// with a factory, places in its view tree and keeps. The factories return a banner
// or an interstitial engine (MERGenericAdView); this base only stores its settings,
// and its refresh operations do nothing. The delegate is not retained: its owner
// clears it before going away. Main thread only.
class MERAdView : public ui::View {
public:
    // Ad types.
    static constexpr int bannerAdTop = 1;
    static constexpr int bannerAdBottom = 2;
    static constexpr int bannerAdRectangle = 3;
    static constexpr int fullScreenAdLaunch = 4;
    static constexpr int fullScreenAdTransition = 5;

    // A banner (types 1 to 3; any other type counts as 1) or an interstitial (4, 5).
    // A null delegate is refused: null comes back, nothing is made, and a log line
    // says why. An empty apid leaves the stored or default one.
    static base::Ref<MERAdView> adWithFrame(graphics::Rect frame, int type, std::string const& apid,
        MERAdDelegate* delegate, bool loadAd, bool startTimer);
    static base::Ref<MERAdView> adWithFrame(
        graphics::Rect frame, int type, std::string const& apid, MERAdDelegate* delegate) {
        return adWithFrame(frame, type, apid, delegate, true, true);
    }
    // An interstitial with a zero frame and no timer; null for another type or a
    // null delegate.
    static base::Ref<MERAdView> interstitialWithType(
        int type, std::string const& apid, MERAdDelegate* delegate, bool loadAd);
    // The client's version without its build suffix ("4.2.6").
    static std::string version();
    // Reports the application's launch for goalId to the conversion tracker. The
    // request runs on the run loop and never blocks the caller; a reply of success
    // records that the first launch has been reported ("<display name>_MERIRegister"),
    // anything else leaves it to be reported again at the next call. An empty goal id
    // or no tracker host sends nothing (a log line says why).
    static void startSynchronousConversionTrackerWithGoalId(std::string const& goalId);
    static std::string conversionRegisterKey();
    // The name of an ad type as the server knows it; any other type names type 1.
    static char const* adTypeName(int type);

    MERAdDelegate* delegate() const { return delegate_; }
    virtual void setDelegate(MERAdDelegate* delegate) { delegate_ = delegate; }
    bool refreshTimerEnabled() const { return refreshTimerEnabled_; }
    virtual void setRefreshTimerEnabled(bool enabled) { refreshTimerEnabled_ = enabled; }
    double adRequestTimeoutInterval {0};

    virtual void refreshAd() { }
    virtual void enableAdRefresh() { }
    virtual void disableAdRefresh() { }
    // Conversion reports go through the class's own tracker; on a view this does
    // nothing.
    void startConversionTrackerWithGoalId(std::string const&) { }

protected:
    explicit MERAdView(graphics::Rect frame)
        : View(frame) { }

    MERAdDelegate* delegate_ {nullptr};
    bool refreshTimerEnabled_ {false};
};

}
