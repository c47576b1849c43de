#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/HTTPHeaderFields.hpp>

#include <string>

namespace ui {
class ViewController;
}

namespace ads::mosaic {

class MXBaseInterstitialAdapter;

// What a full-screen adapter tells the interstitial controller that made it.
class MXBaseInterstitialAdapterDelegate {
public:
    virtual ~MXBaseInterstitialAdapterDelegate() = default;
    virtual void adapterDidFinishLoadingAd(MXBaseInterstitialAdapter* adapter) = 0;
    virtual void adapterDidFailToLoadAdWithError(
        MXBaseInterstitialAdapter* adapter, std::string const& error)
        = 0;
    virtual void interstitialWillAppearForAdapter(MXBaseInterstitialAdapter* adapter) = 0;
    virtual void interstitialDidAppearForAdapter(MXBaseInterstitialAdapter* adapter) = 0;
    virtual void interstitialWillDisappearForAdapter(MXBaseInterstitialAdapter* adapter) = 0;
    virtual void interstitialDidDisappearForAdapter(MXBaseInterstitialAdapter* adapter) = 0;
};

// A full-screen ad of another network for an interstitial controller, which it does
// not retain. No such adapter is part of the program; the controller finds them by
// name (MXAdapterMap) and unregisters one before letting it go.
class MXBaseInterstitialAdapter : public base::Object {
public:
    ~MXBaseInterstitialAdapter() override { unregisterDelegate(); }

    void getAd() { getAdWithParams({}); }
    virtual void getAdWithParams(foundation::HTTPHeaderFields const& params) = 0;
    virtual void showInterstitialFromViewController(ui::ViewController* controller) = 0;
    virtual void unregisterDelegate() { controller_ = nullptr; }
    MXBaseInterstitialAdapterDelegate* interstitialAdController() const { return controller_; }

protected:
    explicit MXBaseInterstitialAdapter(MXBaseInterstitialAdapterDelegate* controller)
        : controller_(controller) { }

private:
    MXBaseInterstitialAdapterDelegate* controller_;
};

}
