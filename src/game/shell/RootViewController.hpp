#pragma once

#include <ui/ViewController.hpp>

#include <string>

namespace game {

// The controller of the game's window: it hosts the drawing surface and shows the
// platform screens the game asks for (purchases, offers, achievements, web
// pages). MainLayer forwards the game's requests to it. Main thread only.
//
// Until those screens exist each request is accepted and shows nothing.
class RootViewController : public ui::ViewController {
public:
    static base::Ref<RootViewController> create();

    virtual void showInAppPurchase();
    virtual void showBountixOffers();
    // Shows an interstitial or the offer wall's featured app.
    virtual void showBountixFeaturedApp();
    virtual void showAchievements();
    virtual void showWebPage(std::string const& address);
    virtual void showDownloadPage();

protected:
    friend base::Factory;
    RootViewController() = default;
};

}
