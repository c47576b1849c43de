#pragma once

#include <analytics/KestrelSession.hpp>

#include <ui/NavigationController.hpp>
#include <ui/TabBarController.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>

#include <functional>
#include <string>
#include <vector>

namespace analytics {

// Counts page views by standing between a navigation or tab-bar controller and
// that controller's own delegate: every call is passed on unchanged to the previous
// delegate, and a shown screen or a selected tab counts a page view on the session
// that was current when the wrapper was made. The wrapper retains its session and,
// when it is an object, the previous delegate. Controllers do not retain their
// delegates, so the wrappers that createDelegateOnTarget installs are kept here
// until their controller goes. Main thread only.
class KestrelPageViewDelegate final : public base::Object,
                                      public ui::NavigationControllerDelegate,
                                      public ui::TabBarControllerDelegate {
public:
    // Installs a new wrapper over the present delegate of a navigation or tab-bar
    // controller and answers it; for any other controller none, and nothing changes.
    static base::Ref<KestrelPageViewDelegate> createDelegateOnTarget(
        ui::ViewController* controller);

    // The delegate is either kind (or both, or none).
    static base::Ref<KestrelPageViewDelegate> initWithSession(base::Ref<KestrelSession> session,
        ui::NavigationControllerDelegate* navigationDelegate,
        ui::TabBarControllerDelegate* tabBarDelegate);

    // A call bound to its target: invoking it makes the call.
    static std::function<void()> createInvocationOnSelector(
        std::function<void(KestrelPageViewDelegate&)> selector, KestrelPageViewDelegate& target);

    void willShowViewController(
        ui::NavigationController& controller, ui::ViewController& shown, bool animated) override;
    void didShowViewController(
        ui::NavigationController& controller, ui::ViewController& shown, bool animated) override;

    bool shouldSelectViewController(
        ui::TabBarController& controller, ui::ViewController& tab) override;
    void didSelectViewController(
        ui::TabBarController& controller, ui::ViewController& tab) override;
    void willBeginCustomizingViewControllers(ui::TabBarController& controller,
        std::vector<base::Ref<ui::ViewController>> const& tabs) override;
    void willEndCustomizingViewControllers(ui::TabBarController& controller,
        std::vector<base::Ref<ui::ViewController>> const& tabs, bool changed) override;
    void didEndCustomizingViewControllers(ui::TabBarController& controller,
        std::vector<base::Ref<ui::ViewController>> const& tabs, bool changed) override;

    base::Ref<KestrelSession> const& session() const { return session_; }
    void setSession(base::Ref<KestrelSession> session) { session_ = std::move(session); }
    ui::NavigationControllerDelegate* navigationDelegate() const { return navigationDelegate_; }
    ui::TabBarControllerDelegate* tabBarDelegate() const { return tabBarDelegate_; }
    void setDelegate(ui::NavigationControllerDelegate* navigationDelegate,
        ui::TabBarControllerDelegate* tabBarDelegate);

    // Drops the wrappers kept for their controllers (tests).
    static void removeInstalledDelegates();

    std::string description() const;

private:
    friend base::Factory;
    KestrelPageViewDelegate(base::Ref<KestrelSession> session,
        ui::NavigationControllerDelegate* navigationDelegate,
        ui::TabBarControllerDelegate* tabBarDelegate);

    void countPageView();

    ui::NavigationControllerDelegate* navigationDelegate_ {nullptr};
    ui::TabBarControllerDelegate* tabBarDelegate_ {nullptr};
    // Holds the previous delegate when it is an object.
    base::Ref<base::Object> retainedDelegate_;
    base::Ref<KestrelSession> session_;
};

}
