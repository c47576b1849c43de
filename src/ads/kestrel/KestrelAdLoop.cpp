#include <ads/kestrel/KestrelAdLoop.hpp>

#include <ads/kestrel/KestrelAdAssignment.hpp>
#include <ads/kestrel/KestrelAdCanvasViewController.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdTakeOverViewController.hpp>
#include <ads/kestrel/KestrelAdView.hpp>

#include <analytics/KestrelAnalytics.hpp>
#include <analytics/KestrelHeartBeater.hpp>
#include <analytics/KestrelSession.hpp>
#include <analytics/KestrelUtil.hpp>

#include <foundation/NotificationCenter.hpp>
#include <ui/AlertView.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <mutex>

namespace ads::kestrel {

namespace {

std::mutex urlMutex;
std::optional<std::string> canvasUrl;
std::optional<std::string> landscapeCanvasUrl;
std::optional<std::string> appStoreUrl;

}

std::optional<std::string> KestrelAdLoop::canvasURL() {
    std::lock_guard lock(urlMutex);
    return canvasUrl;
}

std::optional<std::string> KestrelAdLoop::landscapeCanvasURL() {
    std::lock_guard lock(urlMutex);
    return landscapeCanvasUrl;
}

std::optional<std::string> KestrelAdLoop::appStoreURL() {
    std::lock_guard lock(urlMutex);
    return appStoreUrl;
}

void KestrelAdLoop::setCanvasURL(std::optional<std::string> url) {
    std::lock_guard lock(urlMutex);
    canvasUrl = std::move(url);
}

void KestrelAdLoop::setLandscapeCanvasURL(std::optional<std::string> url) {
    std::lock_guard lock(urlMutex);
    landscapeCanvasUrl = std::move(url);
}

void KestrelAdLoop::setAppStoreURL(std::optional<std::string> url) {
    std::lock_guard lock(urlMutex);
    appStoreUrl = std::move(url);
}

void KestrelAdLoop::setAdServiceBaseURL(std::string const& base) {
    std::lock_guard lock(urlMutex);
    canvasUrl = base + canvasPath;
    landscapeCanvasUrl = base + landscapeCanvasPath;
    appStoreUrl = base + appStorePath;
}

void KestrelAdLoop::reset() {
    std::lock_guard lock(urlMutex);
    canvasUrl.reset();
    landscapeCanvasUrl.reset();
    appStoreUrl.reset();
}

}

// ---- the guarded operations

namespace ads::kestrel {

namespace {

using analytics::KestrelUtil;

// The observer address of the resign-active registrations.
char const resignActiveObserver = 0;

template<typename Result, typename Body> Result guarded(Result failure, Body&& body) {
    try {
        return body();
    } catch (...) {
        KestrelUtil::handleException(std::current_exception());
        return failure;
    }
}

void showAlert(std::string const& message) {
    ui::AlertView::create("", message, nullptr, "Cancel")->show();
}

bool isBlank(std::optional<std::string> const& hook) {
    return !hook || hook->find_first_not_of(' ') == std::string::npos;
}

// The guards of an operation: false (after the alert) when it must not go on.
bool passesGuards(std::optional<std::string> const& hook, std::string const& disabledMessage,
    std::string const& blankMessage) {
    if (!KestrelAdLoop::adLoopEnabled()) {
        showAlert(disabledMessage);
        return false;
    }
    if (isBlank(hook)) {
        showAlert(blankMessage);
        return false;
    }
    return true;
}

bool usageAllowed(char const* operation) {
    if (analytics::KestrelAnalytics::sendUsageInfo())
        return true;
    KestrelUtil::debugLog("KestrelAdLoop: %@ disabled.", operation);
    return false;
}

// A count by the parser that answers: the current one once it has finished a reply,
// else the old one; 0 before any reply of this run.
int countFrom(std::optional<std::string> const& hook, char const* operation, bool offers) {
    std::lock_guard lock(KestrelAdParser::classLock());
    auto current = KestrelAdParser::instance();
    if (!current->internetAvailable())
        return 0;
    if (current->adParsingPhase() > 0) {
        KestrelUtil::debugLog("KestrelAdLoop: %@ using current adParser", operation);
        return offers ? current->getOfferCount(hook) : current->getAppAdCount(hook);
    }
    if (auto old = KestrelAdParser::oldInstance()) {
        KestrelUtil::debugLog("KestrelAdLoop: %@ using old adParser", operation);
        return offers ? old->getOfferCount(hook) : old->getAppAdCount(hook);
    }
    return 0;
}

}

void KestrelAdLoop::setAdLoopEnabled(bool enabled) {
    analytics::KestrelAnalytics::setAdLoopEnabled(enabled);
    if (enabled) {
        analytics::KestrelHeartBeater::createAndStartInstance(1.0);
        auto current = KestrelAdParser::instance();
        KestrelAdParser::oldInstance();
        analytics::KestrelSession::setAdLoopAdParser(current.get());
    }
    foundation::NotificationCenter::defaultCenter().addObserver(&resignActiveObserver,
        ui::Application::WillResignActiveNotification, [](auto const&) { pauseSession(); });
}

bool KestrelAdLoop::adLoopEnabled() {
    return analytics::KestrelAnalytics::adLoopEnabled();
}

void KestrelAdLoop::pauseSession() {
    if (auto* canvas = KestrelAdCanvasViewController::getOpenCanvasController())
        canvas->cancel();
    if (auto* takeover = KestrelAdTakeOverViewController::getOpenTakeOverController())
        takeover->removeWindow();
    KestrelUtil::debugLog("KestrelAdLoop: session is being paused and placed into background");
}

bool KestrelAdLoop::appAdIsAvailable(std::optional<std::string> const& hook) {
    if (!usageAllowed("appAdIsAvailable"))
        return false;
    return guarded(false, [&] {
        if (!passesGuards(hook,
                "KestrelAdLoop: AdLoop is disabled. Please enable AdLoop from Kestrel SDK before "
                "using AdLoop appAdIsAvailable.",
                "KestrelAdLoop: Attempting to pass blank hook name to appAdIsAvailable. Please use "
                "a non-blank string for hook name."))
            return false;
        return countFrom(hook, "appAdIsAvailable", false) > 0;
    });
}

int KestrelAdLoop::getAppAdCount(std::optional<std::string> const& hook) {
    if (!usageAllowed("getAppAdCount"))
        return 0;
    if (!adLoopEnabled()) {
        showAlert("KestrelAdLoop: Please enable AdLoop from Kestrel SDK before using "
                  "getAppAdCount.");
        return 0;
    }
    if (isBlank(hook)) {
        showAlert("KestrelAdLoop: Attempting to pass blank hook name to getAppAdCount. Please "
                  "use a non-blank string for hook name.");
        return -1;
    }
    return countFrom(hook, "getAppAdCount", false);
}

int KestrelAdLoop::getOfferCount(std::optional<std::string> const& hook) {
    if (!usageAllowed("getOfferCount"))
        return 0;
    if (!adLoopEnabled()) {
        showAlert("KestrelAdLoop: Please enable AdLoop from Kestrel SDK before using "
                  "getOfferCount.");
        return 0;
    }
    if (isBlank(hook)) {
        showAlert("KestrelAdLoop: Attempting to pass blank hook name to getOfferCount. Please "
                  "use a non-blank string for hook name.");
        return -1;
    }
    return countFrom(hook, "getOfferCount", true);
}

base::Ref<KestrelAdView> KestrelAdLoop::getHook(
    std::optional<std::string> const& hook, int xLoc, int yLoc, ui::View* view) {
    return getHook(hook, xLoc, yLoc, view, true, "portrait", "portrait", false, true, std::nullopt,
        std::nullopt);
}

base::Ref<KestrelAdView> KestrelAdLoop::getHook(std::optional<std::string> const& hook, int xLoc,
    int yLoc, ui::View* view, bool attachToView, std::optional<std::string> orientation,
    std::optional<std::string> canvasOrientation, bool autoRefresh, bool canvasAnimated,
    std::optional<std::string> rewardMessage, std::optional<KestrelCookies> userCookies) {
    if (!usageAllowed("getHook"))
        return nullptr;
    return guarded(base::Ref<KestrelAdView>(), [&]() -> base::Ref<KestrelAdView> {
        if (!passesGuards(hook,
                "KestrelAdLoop: AdLoop is disabled. Please enable AdLoop from Kestrel SDK before "
                "using AdLoop banners.",
                "KestrelAdLoop: Attempting to pass blank hook name to getHook. Please use a "
                "non-blank string for hook name."))
            return nullptr;
        auto parentName = KestrelAdView::descriptionOf(view, "View");
        auto assignment = KestrelAdAssignment::createInstance();
        if (auto placed = assignment->assignedBanner(hook, parentName))
            return base::Ref<KestrelAdView>(dynamic_cast<KestrelAdView*>(placed.get()));
        auto ad = KestrelAdParser::fastAdWithHook(hook, parentName);
        if (!ad)
            return nullptr;
        auto banner = KestrelAdView::initWithAd(ad, hook, xLoc, yLoc, view, attachToView,
            std::move(orientation), std::move(canvasOrientation), autoRefresh,
            std::move(rewardMessage));
        banner->setAdDelegate(KestrelAdParser::instance()->adDelegate());
        banner->setCanvasAnimated(canvasAnimated);
        banner->setUserCookies(std::move(userCookies));
        assignment->assignBanner(banner, hook, parentName);
        return banner;
    });
}

void KestrelAdLoop::updateHook(KestrelAdView* banner) {
    if (!usageAllowed("updateHook"))
        return;
    guarded(0, [&] {
        if (banner)
            banner->refreshWithAd();
        return 0;
    });
}

void KestrelAdLoop::removeHook(KestrelAdView* banner) {
    if (!usageAllowed("removeHook"))
        return;
    guarded(0, [&] {
        if (banner) {
            if (auto assignment = KestrelAdAssignment::instance())
                assignment->unassignBanner(banner->hook(), banner->parentName());
        }
        return 0;
    });
}

void KestrelAdLoop::openCatalog(std::optional<std::string> const& hook,
    std::optional<std::string> canvasOrientation, bool canvasAnimated) {
    if (!usageAllowed("openCatalog"))
        return;
    guarded(0, [&] {
        if (!passesGuards(hook,
                "KestrelAdLoop: AdLoop is disabled. Please enable AdLoop from Kestrel SDK before "
                "using AdLoop openCatalog.",
                "KestrelAdLoop: Attempting to pass blank hook name to openCatalog. Please use a "
                "non-blank string for hook name."))
            return 0;
        auto ad = KestrelAdParser::fastAdWithHook(hook, std::nullopt);
        auto impression = KestrelAdImpression::initWithHook(
            hook, KestrelAdImpression::formatCatalogCanvas, KestrelAdParser::instance());
        if (!ad)
            return 0;
        impression->updateWithAd(*ad);
        auto webUrl = KestrelAdView::webUrlForCanvas(
            true, hook, ad.get(), impression.get(), canvasOrientation, nullptr);
        auto appStoreUrl = KestrelAdView::webUrlForCanvas(
            false, hook, ad.get(), impression.get(), canvasOrientation, nullptr);
        KestrelUtil::debugLog("KestrelAdLoop: Click url[%@]", KestrelAdView::withoutQuery(webUrl));
        auto canvas = KestrelAdCanvasViewController::init();
        canvas->setWebUrl(std::move(webUrl));
        canvas->setAppStoreUrl(std::move(appStoreUrl));
        canvas->setAdImpression(impression);
        canvas->setAd(ad);
        canvas->setAdDelegate(KestrelAdParser::instance()->adDelegate());
        canvas->setCanvasOrientation(std::move(canvasOrientation));
        canvas->setCanvasAnimated(canvasAnimated);
        canvas->setClickAction(1);
        canvas->createCanvasWindow();
        return 0;
    });
}

void KestrelAdLoop::openTakeover(std::optional<std::string> const& hook,
    std::optional<std::string> orientation, base::Ref<ui::Image> rewardImage,
    std::optional<std::string> rewardMessage, std::optional<KestrelCookies> userCookies) {
    if (!usageAllowed("openTakeover"))
        return;
    guarded(0, [&] {
        if (!passesGuards(hook,
                "KestrelAdLoop: AdLoop is disabled. Please enable AdLoop from Kestrel SDK before "
                "using AdLoop openTakeover.",
                "KestrelAdLoop: Attempting to pass blank hook name to openTakeover. Please use a "
                "non-blank string for hook name."))
            return 0;
        auto ad = KestrelAdParser::fastAdWithHook(hook, std::nullopt);
        base::Ref<KestrelAd> subAds[3];
        for (int i = 0; i < 3; ++i)
            subAds[i] = KestrelAdParser::fastAdWithHook(takeoverSubAdHooks[i], std::nullopt);
        if (!ad)
            return 0;
        auto takeover = KestrelAdTakeOverViewController::init();
        takeover->setAdImpression(KestrelAdImpression::initWithHook(
            hook, KestrelAdImpression::formatTakeover, KestrelAdParser::instance()));
        takeover->setRewardMessage(std::move(rewardMessage));
        takeover->setRewardImage(std::move(rewardImage));
        takeover->setOrientation(std::move(orientation));
        takeover->setHook(hook);
        for (int slot = 1; slot <= 3; ++slot)
            takeover->setSubAdHook(slot, std::string(takeoverSubAdHooks[slot - 1]));
        takeover->setAdDelegate(KestrelAdParser::instance()->adDelegate());
        takeover->setAd(ad);
        if (KestrelUtil::isIPad()) {
            for (int slot = 1; slot <= 3; ++slot)
                takeover->setSubAd(slot, subAds[slot - 1]);
        }
        takeover->setUserCookies(std::move(userCookies));
        takeover->adImpression()->updateWithAd(*ad);
        takeover->createWindow();
        if (auto* key = ui::Application::sharedApplication().keyWindow())
            key->addSubview(base::Ref<ui::View>(takeover->view()));
        return 0;
    });
}

void KestrelAdLoop::setAdLoopDelegate(KestrelAdDelegate* delegate) {
    if (!usageAllowed("setAdLoopDelegate"))
        return;
    guarded(0, [&] {
        KestrelAdParser::instance()->setAdDelegate(delegate);
        return 0;
    });
}

bool KestrelAdLoop::getOffer(std::optional<std::string> const& hook, KestrelOffer* offer) {
    if (!usageAllowed("getOffer"))
        return false;
    if (!passesGuards(hook,
            "KestrelAdLoop: AdLoop is disabled. Please enable AdLoop from Kestrel SDK before "
            "using AdLoop getOffer.",
            "KestrelAdLoop: Attempting to pass blank hook name to getOffer. Please use a "
            "non-blank string for hook name."))
        return false;
    if (!offer)
        return false;
    auto impression = KestrelAdImpression::initWithHook(
        hook, KestrelAdImpression::formatOffer, KestrelAdParser::instance());
    return KestrelAdParser::fastOfferWithHook(hook, impression.get(), offer);
}

bool KestrelAdLoop::getOffer(std::optional<std::string> const& hook, KestrelOffer* offer,
    KestrelCookies const* userCookies) {
    if (!getOffer(hook, offer))
        return false;
    if (offer->referralUrl)
        offer->referralUrl = KestrelAdView::appendWebUrl(*offer->referralUrl, userCookies);
    return true;
}

bool KestrelAdLoop::peekOffer(std::optional<std::string> const& hook, KestrelOffer* offer) {
    if (!usageAllowed("peekOffer"))
        return false;
    if (!passesGuards(hook,
            "KestrelAdLoop: AdLoop is disabled. Please enable AdLoop from Kestrel SDK before "
            "using AdLoop peekOffer.",
            "KestrelAdLoop: Attempting to pass blank hook name to peekOffer. Please use a "
            "non-blank string for hook name."))
        return false;
    if (!offer)
        return false;
    return KestrelAdParser::fastOfferWithHook(hook, nullptr, offer);
}

}
