#pragma once

#include <ads/mosaic/MXNativeParams.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/HTTPHeaderFields.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Application.hpp>

#include <optional>
#include <string>

namespace ui {
class View;
class ViewController;
}

namespace ads::mosaic {

class MXAdView;
class MXBaseAdapter;

// What a network adapter tells the ad manager that made it (and asks of it).
class MXAdapterDelegate {
public:
    virtual ~MXAdapterDelegate() = default;
    virtual MXAdView* adView() = 0;
    virtual graphics::Size maximumAdSize() = 0;
    virtual ui::ViewController* viewControllerForPresentingModalView() = 0;
    virtual int allowedNativeAdsOrientation() = 0;
    virtual void adapterDidFinishLoadingAd(
        MXBaseAdapter* adapter, base::Ref<ui::View> view, bool shouldTrackImpression)
        = 0;
    virtual void adapterDidFailToLoadAdWithError(MXBaseAdapter* adapter, std::string const& error)
        = 0;
    virtual void userActionWillBeginForAdapter(MXBaseAdapter* adapter) = 0;
    virtual void userActionDidEndForAdapter(MXBaseAdapter* adapter) = 0;
    virtual void userWillLeaveApplicationFromAdapter(MXBaseAdapter*) { }
};

// A network adapter: loads one ad of another network with the reply's headers and
// reports through its delegate, which it does not retain. Owned by the ad manager,
// which unregisters it before letting go; once unregistered, its reports go nowhere.
// The adapter classes of the program are found by name (MXAdapterMap).
class MXBaseAdapter : public base::Object {
public:
    ~MXBaseAdapter() override;

    // The name the adapter class is registered under.
    virtual char const* className() const = 0;
    void getAd() { getAdWithParams({}); }
    virtual void getAdWithParams(foundation::HTTPHeaderFields const& params) = 0;
    virtual void rotateToOrientation(ui::InterfaceOrientation orientation);
    virtual void unregisterDelegate() { delegate_ = nullptr; }
    MXAdapterDelegate* delegate() const { return delegate_; }

protected:
    explicit MXBaseAdapter(MXAdapterDelegate* delegate)
        : delegate_(delegate) { }

    // Reports to the delegate while there is one; the adapter stays alive through the
    // report, which may let go of it.
    void reportDidFinishLoadingAd(base::Ref<ui::View> view, bool shouldTrackImpression);
    void reportDidFailToLoadAd(std::string const& error = {});
    void reportUserActionWillBegin();
    void reportUserActionDidEnd();
    void reportUserWillLeaveApplication();
    // The reply's native parameters; when they cannot be used, the failed load is logged
    // and reported, and there are none.
    std::optional<MXNativeParams> nativeParamsOrFail(
        foundation::HTTPHeaderFields const& params, char const* network);

private:
    MXAdapterDelegate* delegate_;
};

}
