#pragma once

#include <engine/Layer.hpp>
#include <engine/Sprite.hpp>

#include <string>
#include <vector>

namespace game {

class CCTabBar;

// Told when the player, or the first-run hint, picks a tab.
class CCTabBarDelegate {
public:
    virtual ~CCTabBarDelegate() = default;
    virtual void ccTabBar(CCTabBar& bar, int tab) = 0;
};

// The row of tabs hanging from the top of the salon screen. It slides its tabs into
// view and out of it, highlights the selected tab, tells its delegate of selections
// and, the first time the tabs come into view on this installation, plays a hint: a
// blinking finger walking across the first three tabs while they are selected in
// turn. Drawn clipped to a band 150 points high below its position, so a retracted
// tab shows only its lower part. The interface makes it and is its delegate (not
// retained). Main thread.
//
// States: retracted (start), extending, extended, retracting. A slide lasts 0.8 s; a
// slide the other way cut short still ends with every tab at its resting place, and
// layout waits for the end of a slide.
class CCTabBar final : public engine::Layer {
public:
    static constexpr char const* firstRunKey = "DATA_CCTAB_FIRSTRUN";

    static base::Ref<CCTabBar> init();

    // Takes effect at the next layout().
    void setBarPosition(engine::Point position) { bar_position = position; }
    engine::Point barPosition() const { return bar_position; }
    void addTab(std::string const& icon);
    void setDelegate(CCTabBarDelegate* delegate) { tab_delegate = delegate; }
    bool isRetracted() const { return _isRetracted; }
    bool inTransition() const { return _inTransition; }
    // Ignores the selected index and those out of range; unless silent, tells the
    // delegate.
    void selectTab(int index, bool silent);
    int selectedTab() const { return selected_tab; }
    void layout();
    void retractTabs();
    void extendTabs();
    void transitionEnd();
    void checkStartTutorial();
    void tutorialNextTab();
    void endTutorial();

    // Answers true when a tab was touched; touches pass on while retracted or retracting.
    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;
    void visit() override;

    std::vector<base::Ref<engine::Sprite>> const& tabs() const { return tab_list; }
    engine::Sprite* tutorialFinger() const { return tutorial_finger.get(); }
    float tabSpacing() const { return tab_spacing; }

private:
    friend base::Factory;
    CCTabBar();

    void slide(float dy);
    float slideHeight() const;

    bool _inTransition {false};
    bool _isRetracted {true};
    engine::Point bar_position;
    float tab_spacing {-5};
    std::string tab_active_path {"tab2.png"};
    std::string tab_inactive_path {"tab1.png"};
    std::vector<base::Ref<engine::Sprite>> tab_list;
    int selected_tab {0};
    base::Ref<engine::Sprite> tutorial_finger;
    int tutorial_tab {0};
    CCTabBarDelegate* tab_delegate {nullptr};
};

}
