#include <analytics/KestrelPageViewDelegate.hpp>

#include <analytics/KestrelUtil.hpp>

#include <foundation/Format.hpp>

#include <algorithm>
#include <utility>

namespace analytics {

namespace {

// A wrapper kept alive for as long as the controller it serves.
struct Installed {
    base::WeakRef<ui::ViewController> controller;
    base::Ref<KestrelPageViewDelegate> wrapper;
};

std::vector<Installed>& installedDelegates() {
    static std::vector<Installed> installed;
    return installed;
}

void keepFor(ui::ViewController& controller, base::Ref<KestrelPageViewDelegate> wrapper) {
    auto& installed = installedDelegates();
    std::erase_if(installed, [](Installed const& entry) { return !entry.controller; });
    installed.push_back({base::WeakRef<ui::ViewController>(&controller), std::move(wrapper)});
}

}

KestrelPageViewDelegate::KestrelPageViewDelegate(base::Ref<KestrelSession> session,
    ui::NavigationControllerDelegate* navigationDelegate,
    ui::TabBarControllerDelegate* tabBarDelegate)
    : session_(std::move(session)) {
    setDelegate(navigationDelegate, tabBarDelegate);
}

base::Ref<KestrelPageViewDelegate> KestrelPageViewDelegate::initWithSession(
    base::Ref<KestrelSession> session, ui::NavigationControllerDelegate* navigationDelegate,
    ui::TabBarControllerDelegate* tabBarDelegate) {
    auto wrapper = base::make<KestrelPageViewDelegate>(
        std::move(session), navigationDelegate, tabBarDelegate);
    KestrelUtil::debugLog("Kestrel: KestrelPageViewDelegate session[%@] delegate[%p] created",
        wrapper->session_,
        navigationDelegate ? static_cast<void const*>(navigationDelegate)
                           : static_cast<void const*>(tabBarDelegate));
    return wrapper;
}

base::Ref<KestrelPageViewDelegate> KestrelPageViewDelegate::createDelegateOnTarget(
    ui::ViewController* controller) {
    if (auto* navigation = dynamic_cast<ui::NavigationController*>(controller)) {
        auto wrapper
            = initWithSession(KestrelSession::currentSession(), navigation->delegate(), nullptr);
        navigation->setDelegate(wrapper.get());
        keepFor(*navigation, wrapper);
        return wrapper;
    }
    if (auto* tabBar = dynamic_cast<ui::TabBarController*>(controller)) {
        auto wrapper
            = initWithSession(KestrelSession::currentSession(), nullptr, tabBar->delegate());
        tabBar->setDelegate(wrapper.get());
        keepFor(*tabBar, wrapper);
        return wrapper;
    }
    return nullptr;
}

std::function<void()> KestrelPageViewDelegate::createInvocationOnSelector(
    std::function<void(KestrelPageViewDelegate&)> selector, KestrelPageViewDelegate& target) {
    base::Ref<KestrelPageViewDelegate> held(&target);
    return [selector = std::move(selector), held] { selector(*held); };
}

void KestrelPageViewDelegate::setDelegate(ui::NavigationControllerDelegate* navigationDelegate,
    ui::TabBarControllerDelegate* tabBarDelegate) {
    // A wrapper never passes calls on to itself.
    navigationDelegate_ = navigationDelegate == this ? nullptr : navigationDelegate;
    tabBarDelegate_ = tabBarDelegate == this ? nullptr : tabBarDelegate;
    base::Object* object = nullptr;
    if (navigationDelegate_)
        object = dynamic_cast<base::Object*>(navigationDelegate_);
    if (!object && tabBarDelegate_)
        object = dynamic_cast<base::Object*>(tabBarDelegate_);
    retainedDelegate_ = base::Ref<base::Object>(object);
}

void KestrelPageViewDelegate::removeInstalledDelegates() {
    auto installed = std::exchange(installedDelegates(), {});
}

void KestrelPageViewDelegate::countPageView() {
    if (session_) {
        session_->maybeIncrementPageView();
        KestrelUtil::debugLog("Kestrel: pageViewCount[%d]", session_->pageViewCount());
    }
}

void KestrelPageViewDelegate::willShowViewController(
    ui::NavigationController& controller, ui::ViewController& shown, bool animated) {
    base::Ref<KestrelPageViewDelegate> keep(this);
    KestrelUtil::debugLog(
        "Kestrel: KestrelPageViewDelegate [%@] [%@] [%d]", &controller, &shown, animated);
    if (navigationDelegate_)
        navigationDelegate_->willShowViewController(controller, shown, animated);
}

void KestrelPageViewDelegate::didShowViewController(
    ui::NavigationController& controller, ui::ViewController& shown, bool animated) {
    base::Ref<KestrelPageViewDelegate> keep(this);
    KestrelUtil::debugLog("Kestrel: KestrelPageViewDelegate [%@]", &controller);
    if (navigationDelegate_)
        navigationDelegate_->didShowViewController(controller, shown, animated);
    KestrelUtil::debugLog("Kestrel: Navigation View [%@]", &shown);
    countPageView();
}

bool KestrelPageViewDelegate::shouldSelectViewController(
    ui::TabBarController& controller, ui::ViewController& tab) {
    base::Ref<KestrelPageViewDelegate> keep(this);
    if (tabBarDelegate_)
        return tabBarDelegate_->shouldSelectViewController(controller, tab);
    return true;
}

void KestrelPageViewDelegate::didSelectViewController(
    ui::TabBarController& controller, ui::ViewController& tab) {
    base::Ref<KestrelPageViewDelegate> keep(this);
    KestrelUtil::debugLog("Kestrel: KestrelPageViewDelegate [%@] [%@]", &controller, &tab);
    if (tabBarDelegate_)
        tabBarDelegate_->didSelectViewController(controller, tab);
    countPageView();
}

void KestrelPageViewDelegate::willBeginCustomizingViewControllers(
    ui::TabBarController& controller, std::vector<base::Ref<ui::ViewController>> const& tabs) {
    base::Ref<KestrelPageViewDelegate> keep(this);
    if (tabBarDelegate_)
        tabBarDelegate_->willBeginCustomizingViewControllers(controller, tabs);
}

void KestrelPageViewDelegate::willEndCustomizingViewControllers(ui::TabBarController& controller,
    std::vector<base::Ref<ui::ViewController>> const& tabs, bool changed) {
    base::Ref<KestrelPageViewDelegate> keep(this);
    KestrelUtil::debugLog(
        "Kestrel: KestrelPageViewDelegate [%@] [%@] [%d]", &controller, tabs.size(), changed);
    if (tabBarDelegate_)
        tabBarDelegate_->willEndCustomizingViewControllers(controller, tabs, changed);
}

void KestrelPageViewDelegate::didEndCustomizingViewControllers(ui::TabBarController& controller,
    std::vector<base::Ref<ui::ViewController>> const& tabs, bool changed) {
    base::Ref<KestrelPageViewDelegate> keep(this);
    KestrelUtil::debugLog(
        "Kestrel: KestrelPageViewDelegate [%@] [%@] [%d]", &controller, tabs.size(), changed);
    if (tabBarDelegate_)
        tabBarDelegate_->didEndCustomizingViewControllers(controller, tabs, changed);
}

std::string KestrelPageViewDelegate::description() const {
    return foundation::format("<KestrelPageViewDelegate: %p>", static_cast<void const*>(this));
}

}
