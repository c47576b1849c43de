#pragma once

#include <ads/marquee/MQDefaultBackgroundView.hpp>
#include <ads/marquee/MQLoadingView.hpp>
#include <ads/marquee/MQView.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <string>
#include <variant>

namespace ads::marquee {

// What a dismissal animation carries to its end: the page it takes away, or the
// text kMQHideBackgroundView for the dimming background's fade-out.
using MQAnimationContext = std::variant<base::Ref<MQView>, std::string>;

// The shared presenter: puts a page, its dimming background and the loading view
// straight into the key window (over the game's own views) with short animations,
// turned to the status-bar orientation. At most one page is on screen; a display
// while one is shows nothing. A displayed page is held here until its dismissal and
// by the window until its dismissal animation ends. Process-wide; main thread only.
class MQDefaultViewController final : public base::Object {
public:
    static constexpr double AnimationDuration = 0.2555;
    static constexpr char const* HideBackgroundContext = "kMQHideBackgroundView";

    static MQDefaultViewController& sharedController();
    // Takes every view down and starts afresh (tests).
    static void purgeSharedController();

    void displayInterstitial(MQView& page);
    void displayMoreAppsView(MQView& page);
    void dismissInterstitial(MQView& page);
    void dismissMoreAppsView(MQView& page);
    void displayLoadingView();
    // Harmless without a loading view.
    void dismissLoadingView();
    // Sizes and turns view to the status-bar orientation about its centre.
    void orientView(ui::View& view);

    bool viewIsVisible() const { return viewIsVisible_; }
    bool loadingViewIsVisible() const { return loadingViewIsVisible_; }
    MQLoadingView* loadingView() const { return loadingView_.get(); }
    void setLoadingView(base::Ref<MQLoadingView> view) { loadingView_ = std::move(view); }
    MQDefaultBackgroundView& backgroundView() const { return *backgroundView_; }
    MQDefaultBackgroundView& reversedBackgroundView() const { return *reversedBackgroundView_; }

    // The end of a dismissal animation: a finished one takes its page out of the window
    // or hides the dimming background; one cut short changes nothing.
    void animationDidStop(MQAnimationContext const& context, bool finished);

private:
    // The point a more-apps page slides in from and out to.
    graphics::Point offScreenPoint(MQView& page) const;
    // Adds a view at the page level: below the loading view's layer when it is up.
    void addAtPageLevel(base::Ref<ui::View> view);

    base::Ref<MQDefaultBackgroundView> backgroundView_;
    base::Ref<MQDefaultBackgroundView> reversedBackgroundView_;
    bool viewIsVisible_ {false};
    base::Ref<MQLoadingView> loadingView_;
    bool loadingViewIsVisible_ {false};
    base::Ref<MQView> page_;

    friend base::Factory;
    MQDefaultViewController();
};

}
