#include <game/shell/AdClients.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <ui/ViewController.hpp>

namespace game {

namespace {

AdClients standing;
AdClients* installed = nullptr;

}

AdClients& AdClients::shared() {
    return installed ? *installed : standing;
}

void AdClients::setShared(AdClients* clients) {
    installed = clients;
}

void AdClients::requestBountixConnect(std::string const&, std::string const&) {
    foundation::log("No offer wall: not connected");
}

// With nothing to show, the offer screen closes at once, so that its opener's state is
// put back.
void AdClients::showOffersWithViewController(ui::ViewController*) {
    foundation::log("No offer wall: no offers to show");
    foundation::NotificationCenter::defaultCenter().postNotification(BTXShowBoxNotification);
}

base::Ref<ui::ViewController> AdClients::makeFeaturedAppViewController(base::Value const&) {
    return nullptr;
}

void AdClients::setUpMarquee(std::string const&, std::string const&, MarqueeDelegate*) {
}

base::Ref<BannerAdView> AdClients::makeBannerView(std::string const&, graphics::Size) {
    return nullptr;
}

}
