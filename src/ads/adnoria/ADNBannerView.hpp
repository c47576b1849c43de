#pragma once

#include <ads/adnoria/ADNBannerViewDelegate.hpp>
#include <ads/adnoria/ADNRequest.hpp>

#include <ui/View.hpp>

#include <string>

namespace ui {
class ViewController;
class WebView;
}

namespace ads::adnoria {

class ADNObjectPrivate;

// A view that shows one Adnoria banner in the host's layout. A thin front: its
// loading controller (kept in the private-object table under the view) holds every
// property, and its delegate manager the delegate. The root view controller must
// be set before loadRequest; full-screen content is presented from it. The
// delegate is not retained. Main thread.
class ADNBannerView final : public ui::View {
public:
    static base::Ref<ADNBannerView> initWithFrame(graphics::Rect frame);
    static base::Ref<ADNBannerView> init() { return initWithFrame({}); }
    ~ADNBannerView() override;

    std::string const& adUnitID() const;
    void setAdUnitID(std::string adUnitID);
    ui::ViewController* rootViewController() const;
    void setRootViewController(ui::ViewController* controller);
    ADNBannerViewDelegate* delegate() const;
    void setDelegate(ADNBannerViewDelegate* delegate);
    bool hasAutoRefreshed() const;
    ui::WebView* webView() const;

    void loadRequest(ADNRequest* request);

    // The loading controller behind the view.
    ADNObjectPrivate& objectPrivate() const;

private:
    friend base::Factory;
    explicit ADNBannerView(graphics::Rect frame);

    void commonInitializer();

    ADNObjectPrivate* private_ {nullptr};
};

}
