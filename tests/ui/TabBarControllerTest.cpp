#include <ui/TabBarController.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using base::Ref;
using ui::TabBarController;
using ui::ViewController;

namespace {

class Recorder final : public ui::TabBarControllerDelegate {
public:
    bool shouldSelectViewController(TabBarController&, ViewController& tab) override {
        calls.push_back("should " + tab.title());
        return tab.title() != refused;
    }
    void didSelectViewController(TabBarController&, ViewController& tab) override {
        calls.push_back("did " + tab.title());
    }
    void willBeginCustomizingViewControllers(
        TabBarController&, std::vector<Ref<ViewController>> const&) override {
        calls.push_back("willBegin");
    }
    void willEndCustomizingViewControllers(
        TabBarController&, std::vector<Ref<ViewController>> const&, bool changed) override {
        calls.push_back(changed ? "willEnd changed" : "willEnd");
    }
    void didEndCustomizingViewControllers(
        TabBarController&, std::vector<Ref<ViewController>> const&, bool changed) override {
        calls.push_back(changed ? "didEnd changed" : "didEnd");
    }

    std::vector<std::string> calls;
    std::string refused;
};

Ref<TabBarController> tabsNamed(std::vector<std::string> const& names) {
    std::vector<Ref<ViewController>> controllers;
    for (auto const& name : names) {
        auto controller = ViewController::create();
        controller->setTitle(name);
        controllers.push_back(controller);
    }
    auto tabs = TabBarController::create();
    tabs->setViewControllers(std::move(controllers));
    return tabs;
}

}

TEST(TabBarController, FirstTabIsSelectedAndCodeSelectionsAskNobody) {
    auto tabs = tabsNamed({"a", "b"});
    Recorder recorder;
    tabs->setDelegate(&recorder);
    EXPECT_EQ(tabs->selectedIndex(), 0u);
    EXPECT_EQ(tabs->selectedViewController()->title(), "a");
    tabs->setSelectedIndex(1);
    tabs->setSelectedIndex(7);
    EXPECT_EQ(tabs->selectedIndex(), 1u);
    EXPECT_TRUE(recorder.calls.empty());

    auto empty = TabBarController::create();
    EXPECT_EQ(empty->selectedViewController(), nullptr);
    EXPECT_FALSE(empty->userSelectTab(0));
}

TEST(TabBarController, UserSelectionsAskTheDelegateWhichMayRefuse) {
    auto tabs = tabsNamed({"a", "b", "c"});
    Recorder recorder;
    recorder.refused = "c";
    tabs->setDelegate(&recorder);
    EXPECT_TRUE(tabs->userSelectTab(1));
    EXPECT_FALSE(tabs->userSelectTab(2));
    EXPECT_FALSE(tabs->userSelectTab(3));
    EXPECT_EQ(tabs->selectedIndex(), 1u);
    tabs->beginCustomizing();
    tabs->endCustomizing(false);
    EXPECT_EQ(recorder.calls,
        (std::vector<std::string> {
            "should b", "did b", "should c", "willBegin", "willEnd", "didEnd"}));
}
