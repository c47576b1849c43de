#include <game/shell/RootViewController.hpp>

namespace game {

base::Ref<RootViewController> RootViewController::create() {
    return base::make<RootViewController>();
}

void RootViewController::showInAppPurchase() {
}

void RootViewController::showBountixOffers() {
}

void RootViewController::showBountixFeaturedApp() {
}

void RootViewController::showAchievements() {
}

void RootViewController::showWebPage(std::string const&) {
}

void RootViewController::showDownloadPage() {
}

}
