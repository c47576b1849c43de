#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/HTTPHeaderFields.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Application.hpp>

#include <functional>
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
// which unregisters it before letting go.
class MXBaseAdapter : public base::Object {
public:
    virtual void getAdWithParams(foundation::HTTPHeaderFields const& params) = 0;
    virtual void rotateToOrientation(ui::InterfaceOrientation) { }
    virtual void unregisterDelegate() { delegate_ = nullptr; }
    MXAdapterDelegate* delegate() const { return delegate_; }

protected:
    explicit MXBaseAdapter(MXAdapterDelegate* delegate)
        : delegate_(delegate) { }

private:
    MXAdapterDelegate* delegate_;
};

// The adapter classes of the program by the "X-Adtype" that selects them. A type
// that names no registered class is unknown to the manager.
class MXAdapterMap {
public:
    using Factory = std::function<base::Ref<MXBaseAdapter>(MXAdapterDelegate* delegate)>;

    static void registerAdapterClass(std::string const& adType, Factory factory);
    // The factory of the type, or an empty one.
    static Factory adapterClassForType(std::string const& adType);
    // Forgets every registration (tests).
    static void reset();

    MXAdapterMap() = delete;
};

}
