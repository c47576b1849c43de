#include "EngineFixture.hpp"

#include <base/Exception.hpp>
#include <engine/LabelProtocol.hpp>
#include <engine/Menu.hpp>
#include <engine/MenuItemLabel.hpp>
#include <engine/MenuItemSprite.hpp>
#include <engine/MenuItemToggle.hpp>
#include <engine/TouchDispatcher.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <optional>
#include <string>
#include <vector>

using engine::Menu;
using engine::MenuItem;
using engine::Point;
using engine::Size;

namespace {

// A text node as menu items see one: it keeps its text, colour and opacity.
class FakeLabel final : public engine::SceneNode,
                        public engine::LabelProtocol,
                        public engine::RGBAProtocol {
public:
    void setString(std::string const& string) override {
        text = string;
        setContentSize({float(string.size()) * 10, 20});
    }
    engine::Color3B color() const override { return color_; }
    void setColor(engine::Color3B color) override { color_ = color; }
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override { opacity_ = opacity; }

    std::string text;
    engine::Color3B color_ {255, 255, 255};
    std::uint8_t opacity_ {255};

private:
    friend base::Factory;

    explicit FakeLabel(Size size) { setContentSize(size); }
};

// Records what items tell it, by the item's tag.
struct Journal {
    std::vector<std::string> entries;
};

class RecordingItem final : public MenuItem {
public:
    void selected() override { journal.entries.push_back("selected " + std::to_string(tag())); }
    void unselected() override { journal.entries.push_back("unselected " + std::to_string(tag())); }
    Journal& journal;

private:
    friend base::Factory;

    RecordingItem(Journal& log, int tag, Size size)
        : MenuItem([&log](MenuItem* item) {
            log.entries.push_back("activate " + std::to_string(item->tag()));
        })
        , journal(log) {
        setTag(tag);
        setContentSize(size);
    }
};

base::Ref<MenuItem> sized(Size size, float scale = 1) {
    auto item = MenuItem::itemWithTarget({});
    item->setContentSize(size);
    item->setScale(scale);
    return item;
}

std::vector<Point> positions(Menu const& menu) {
    std::vector<Point> result;
    for (auto const& child : menu.children())
        result.push_back(child->position());
    return result;
}

class MenuTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        director.emplace(Size {480, 320}, 1);
        dispatcher().removeAllDelegates();
        dispatcher().setDispatchEvents(true);
        ui::Application::sharedApplication().setStatusBarHidden(true);
    }
    void TearDown() override {
        for (auto& menu : running)
            menu->onExit();
        dispatcher().removeAllDelegates();
        ui::Application::reset();
        director.reset();
        EngineTest::TearDown();
    }
    static engine::TouchDispatcher& dispatcher() {
        return engine::TouchDispatcher::sharedDispatcher();
    }

    // A running menu whose items lie at the given centres (menu space is the screen here).
    base::Ref<Menu> runningMenu(std::vector<base::Ref<MenuItem>> items) {
        auto menu = Menu::menuWithItems(std::move(items));
        menu->setPosition({0, 0});
        menu->onEnter();
        running.push_back(menu);
        return menu;
    }

    // Touches in window coordinates, y down from the top of the 480 x 320 screen.
    void touchBegins(Point at) {
        touch = ui::Touch::create(nullptr, nullptr, at, 1, 0);
        dispatcher().touchesBegan(ui::TouchSet({touch}), nullptr);
    }
    void touchMoves(Point to) {
        touch->update(ui::TouchPhase::Moved, to, 1);
        dispatcher().touchesMoved(ui::TouchSet({touch}), nullptr);
    }
    void touchEnds() {
        touch->update(ui::TouchPhase::Ended, touch->locationInView(nullptr), 2);
        dispatcher().touchesEnded(ui::TouchSet({touch}), nullptr);
    }
    void touchCancelled() {
        touch->update(ui::TouchPhase::Cancelled, touch->locationInView(nullptr), 2);
        dispatcher().touchesCancelled(ui::TouchSet({touch}), nullptr);
    }

    std::optional<test::FakeDirector> director;
    std::vector<base::Ref<Menu>> running;
    base::Ref<ui::Touch> touch;
    Journal journal;
};

}

TEST_F(MenuTest, IsMadeOnlyWithItems) {
    try {
        base::make<Menu>();
        FAIL();
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "MenuInit");
        EXPECT_EQ(e.reason(), "Use initWithItems instead");
    }
    try {
        base::make<MenuItem>();
        FAIL();
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "MenuItemInit");
    }
}

TEST_F(MenuTest, FillsTheWindowBelowTheStatusBar) {
    auto a = sized({10, 10}), b = sized({10, 10});
    auto menu = Menu::menuWithItems({a, b});
    EXPECT_EQ(menu->contentSize(), (Size {480, 320}));
    EXPECT_EQ(menu->position(), (Point {240, 160}));
    EXPECT_EQ(menu->anchorPoint(), (Point {0.5f, 0.5f}));
    EXPECT_FALSE(menu->relativeAnchorPoint());
    EXPECT_TRUE(menu->isTouchEnabled());
    EXPECT_EQ(a->zOrder(), 0);
    EXPECT_EQ(b->zOrder(), 1);
    ui::Application::sharedApplication().setStatusBarHidden(false);
    EXPECT_EQ(Menu::menuWithItems({})->position(), (Point {240, 150}));
}

TEST_F(MenuTest, TakesOnlyMenuItemsAsChildren) {
    auto menu = Menu::menuWithItems({});
    EXPECT_DEATH(menu->addChild(engine::SceneNode::node()), "Menu only supports MenuItem");
}

TEST_F(MenuTest, AlignsAColumnWithPaddingAndScale) {
    auto menu = Menu::menuWithItems({sized({50, 20}), sized({50, 30}), sized({50, 40})});
    menu->alignItemsVerticallyWithPadding(5);
    EXPECT_EQ(positions(*menu), (std::vector<Point> {{0, 40}, {0, 10}, {0, -30}}));
    menu = Menu::menuWithItems({sized({50, 20}, 2), sized({50, 10})});
    menu->alignItemsVertically();
    // Heights 40 and 10 with 5 between: 55 in all.
    EXPECT_EQ(positions(*menu), (std::vector<Point> {{0, 7.5f}, {0, -22.5f}}));
}

TEST_F(MenuTest, AlignsARowWithPaddingAndScale) {
    auto menu = Menu::menuWithItems({sized({20, 5}), sized({30, 5}), sized({40, 5}, 0.5f)});
    menu->alignItemsHorizontallyWithPadding(10);
    // Widths 20, 30 and 20 with 10 between: 90 in all.
    EXPECT_EQ(positions(*menu), (std::vector<Point> {{-35, 0}, {0, 0}, {35, 0}}));
}

TEST_F(MenuTest, AlignsAGridOfRows) {
    auto menu = Menu::menuWithItems(
        {sized({40, 20}), sized({40, 30}), sized({40, 10}), sized({40, 25}), sized({40, 15})});
    menu->alignItemsInColumns({2, 3});
    // Rows 30 and 25 high, 5 after each: height 60, y starts at 30 and the second row at
    // -5. Each row is spread over 480 / (items + 1), x stepping by that plus 10.
    EXPECT_EQ(positions(*menu),
        (std::vector<Point> {{160 - 240, 30 - 10}, {330 - 240, 30 - 15}, {120 - 240, -5 - 5},
            {250 - 240, -5 - 12.5f}, {380 - 240, -5 - 7.5f}}));
}

TEST_F(MenuTest, AlignsAGridOfColumns) {
    auto menu = Menu::menuWithItems(
        {sized({40, 20}), sized({60, 30}), sized({30, 10}), sized({20, 25}), sized({50, 15})});
    menu->alignItemsInRows({2, 3});
    // Columns 60 and 50 wide, 10 after each: width 120, x starts at -60 and the second
    // column at 5. Column heights 55 and 60; each column starts at (its height + 320) / 2
    // and steps down by each item's height + 10.
    EXPECT_EQ(positions(*menu),
        (std::vector<Point> {{-60 + 30, 187.5f - 160}, {-60 + 30, 157.5f - 160},
            {5 + 25, 190 - 160}, {5 + 25, 170 - 160}, {5 + 25, 135 - 160}}));
}

TEST_F(MenuTest, GridCountsMustMatchTheItems) {
    auto menu = Menu::menuWithItems({sized({40, 20}), sized({40, 20})});
    EXPECT_DEATH(menu->alignItemsInColumns({1}), "Too many menu items");
    EXPECT_DEATH(menu->alignItemsInColumns({3}), "Too many rows/columns");
    EXPECT_DEATH(menu->alignItemsInRows({0, 2}), "Can't have zero rows on a column");
}

TEST_F(MenuTest, ATapOnAnItemCallsItsTarget) {
    struct Target : base::Object {
        void pressed(MenuItem* item) { pressedItems.push_back(item); }
        std::vector<MenuItem*> pressedItems;

    private:
        friend base::Factory;

        Target() = default;
    };
    auto target = base::make<Target>();
    auto item = MenuItem::itemWithTarget(MenuItem::bind(target.get(), &Target::pressed));
    item->setContentSize({100, 40});
    item->setPosition({240, 160});
    auto menu = runningMenu({item});
    // The item covers x 190 to 290 and y 140 to 180 of the screen, counted from the bottom.
    touchBegins({200, 320 - 150});
    EXPECT_EQ(menu->state(), Menu::State::TrackingTouch);
    touchEnds();
    EXPECT_EQ(target->pressedItems, std::vector<MenuItem*> {item.get()});
    EXPECT_EQ(menu->state(), Menu::State::Waiting);
}

TEST_F(MenuTest, AGoneTargetIsNotCalled) {
    // The count lives outside the target, so a call on the freed target would still show.
    struct Target : base::Object {
        void pressed(MenuItem*) { ++*presses; }
        int* presses {nullptr};

    private:
        friend base::Factory;

        explicit Target(int* count)
            : presses(count) { }
    };
    int presses = 0;
    auto target = base::make<Target>(&presses);
    auto invocation = MenuItem::bind(target.get(), &Target::pressed);
    auto item = MenuItem::itemWithTarget(invocation);
    item->activate();
    EXPECT_EQ(presses, 1) << "a live target is called";
    target = nullptr;
    item->activate();
    EXPECT_EQ(presses, 1) << "the freed target was called";
}

TEST_F(MenuTest, FollowsTheTouchFromItemToItemAndActivatesWhereItEnds) {
    auto a = base::make<RecordingItem>(journal, 1, Size {100, 40});
    auto b = base::make<RecordingItem>(journal, 2, Size {100, 40});
    a->setPosition({100, 100});
    b->setPosition({300, 100});
    auto menu = runningMenu({a, b});
    touchBegins({100, 220});
    touchMoves({110, 220});
    touchMoves({300, 220});
    touchEnds();
    EXPECT_EQ(journal.entries,
        (std::vector<std::string> {
            "selected 1", "unselected 1", "selected 2", "unselected 2", "activate 2"}));
}

TEST_F(MenuTest, ATouchEndingOffEveryItemActivatesNothing) {
    auto a = base::make<RecordingItem>(journal, 1, Size {100, 40});
    a->setPosition({100, 100});
    runningMenu({a});
    touchBegins({100, 220});
    touchMoves({400, 20});
    touchEnds();
    EXPECT_EQ(journal.entries, (std::vector<std::string> {"selected 1", "unselected 1"}));
}

TEST_F(MenuTest, ACancelledTouchOnlyUnselects) {
    auto a = base::make<RecordingItem>(journal, 1, Size {100, 40});
    a->setPosition({100, 100});
    auto menu = runningMenu({a});
    touchBegins({100, 220});
    touchCancelled();
    EXPECT_EQ(journal.entries, (std::vector<std::string> {"selected 1", "unselected 1"}));
    EXPECT_EQ(menu->state(), Menu::State::Waiting);
}

TEST_F(MenuTest, ATouchOnNoItemIsNotClaimedAndPassesOn) {
    struct Behind : base::Object, engine::StandardTouchDelegate {
        bool ccTouchesBegan(ui::TouchSet&, ui::Event*) override {
            ++touches;
            return true;
        }
        int touches {0};

    private:
        friend base::Factory;

        Behind() = default;
    };
    auto a = base::make<RecordingItem>(journal, 1, Size {100, 40});
    a->setPosition({100, 100});
    auto menu = runningMenu({a});
    auto behind = base::make<Behind>();
    dispatcher().addStandardDelegate(behind.get(), 0);
    touchBegins({400, 20});
    EXPECT_EQ(menu->state(), Menu::State::Waiting);
    EXPECT_EQ(behind->touches, 1);
    touchBegins({100, 220});
    EXPECT_EQ(behind->touches, 1) << "a claimed touch is swallowed";
}

TEST_F(MenuTest, OneTouchAtATime) {
    auto a = base::make<RecordingItem>(journal, 1, Size {100, 40});
    a->setPosition({100, 100});
    auto menu = runningMenu({a});
    touchBegins({100, 220});
    auto first = touch;
    touchBegins({110, 220});
    EXPECT_EQ(journal.entries, std::vector<std::string> {"selected 1"});
    touch = first;
    touchEnds();
    ASSERT_FALSE(journal.entries.empty());
    EXPECT_EQ(journal.entries.back(), "activate 1");
}

TEST_F(MenuTest, TheFirstOfOverlappingItemsWinsEvenDisabledOrHidden) {
    auto a = base::make<RecordingItem>(journal, 1, Size {100, 40});
    auto b = base::make<RecordingItem>(journal, 2, Size {100, 40});
    a->setPosition({100, 100});
    b->setPosition({120, 100});
    auto menu = runningMenu({a, b});
    a->setIsEnabled(false);
    a->setVisible(false);
    touchBegins({115, 220});
    EXPECT_EQ(menu->selectedItem(), a.get());
}

TEST_F(MenuTest, AnItemRemovedWhileTouchedIsForgotten) {
    auto a = base::make<RecordingItem>(journal, 1, Size {100, 40});
    a->setPosition({100, 100});
    auto menu = runningMenu({a});
    touchBegins({100, 220});
    menu->removeChild(a.get(), engine::Cleanup::Yes);
    a = nullptr;
    touchEnds();
    EXPECT_EQ(journal.entries, std::vector<std::string> {"selected 1"});
}

TEST_F(MenuTest, PassesColourAndOpacityToItsItems) {
    auto label = base::make<FakeLabel>(Size {40, 20});
    auto item = engine::MenuItemLabel::itemWithLabel(label, {});
    auto menu = Menu::menuWithItems({item});
    menu->setOpacity(100);
    menu->setColor({1, 2, 3});
    EXPECT_EQ(label->opacity(), 100);
    EXPECT_EQ(label->color(), (engine::Color3B {1, 2, 3}));
    EXPECT_EQ(menu->opacity(), 100);
}

TEST_F(MenuTest, LabelItemZoomsWhileSelected) {
    auto label = base::make<FakeLabel>(Size {40, 20});
    int presses = 0;
    auto item = engine::MenuItemLabel::itemWithLabel(label, [&](MenuItem*) { ++presses; });
    item->setPosition({100, 100});
    EXPECT_EQ(item->contentSize(), (Size {40, 20}));
    runningMenu({item});
    touchBegins({100, 220});
    tick(0);
    tick(0.1f);
    EXPECT_FLOAT_EQ(item->scale(), 1.2f);
    touchEnds();
    EXPECT_FLOAT_EQ(item->scale(), 1.0f);
    EXPECT_EQ(item->numberOfRunningActions(), 0);
    EXPECT_EQ(presses, 1);
    item->setString("longer");
    EXPECT_EQ(label->text, "longer");
    EXPECT_EQ(item->contentSize(), (Size {60, 20}));
}

TEST_F(MenuTest, DisabledLabelItemKeepsItsScaleAndCallsNothing) {
    auto label = base::make<FakeLabel>(Size {40, 20});
    label->setColor({10, 20, 30});
    int presses = 0;
    auto item = engine::MenuItemLabel::itemWithLabel(label, [&](MenuItem*) { ++presses; });
    item->setPosition({100, 100});
    runningMenu({item});
    item->setIsEnabled(false);
    EXPECT_EQ(label->color(), (engine::Color3B {126, 126, 126}));
    touchBegins({100, 220});
    tick(0);
    tick(0.1f);
    EXPECT_FLOAT_EQ(item->scale(), 1.0f);
    touchEnds();
    EXPECT_EQ(presses, 0);
    item->setIsEnabled(true);
    EXPECT_EQ(label->color(), (engine::Color3B {10, 20, 30}));
}

TEST_F(MenuTest, SpriteItemShowsTheImageOfItsState) {
    auto normal = base::make<FakeLabel>(Size {30, 30});
    auto selected = base::make<FakeLabel>(Size {30, 30});
    auto disabled = base::make<FakeLabel>(Size {30, 30});
    auto item = engine::MenuItemSprite::itemFromNormalSprite(normal, selected, disabled);
    EXPECT_EQ(item->contentSize(), (Size {30, 30}));
    EXPECT_EQ(item->shownImage(), normal.get());
    item->selected();
    EXPECT_EQ(item->shownImage(), selected.get());
    item->setIsEnabled(false);
    EXPECT_EQ(item->shownImage(), disabled.get());
    item->setDisabledImage(nullptr);
    EXPECT_EQ(item->shownImage(), normal.get());
    item->setOpacity(7);
    EXPECT_EQ(selected->opacity(), 7);
    EXPECT_EQ(item->opacity(), 7);
}

TEST_F(MenuTest, AtlasSpriteItemMakesItsImageVisibleAndMovesAllThree) {
    auto normal = base::make<FakeLabel>(Size {30, 30});
    auto selected = base::make<FakeLabel>(Size {30, 30});
    auto disabled = base::make<FakeLabel>(Size {30, 30});
    auto item = engine::MenuItemAtlasSprite::itemFromNormalSprite(normal, selected, disabled);
    auto visible = [&] {
        return std::vector<bool> {normal->visible(), selected->visible(), disabled->visible()};
    };
    EXPECT_EQ(visible(), (std::vector<bool> {true, false, false}));
    item->selected();
    EXPECT_EQ(visible(), (std::vector<bool> {false, true, false}));
    item->unselected();
    item->setIsEnabled(false);
    EXPECT_EQ(visible(), (std::vector<bool> {false, false, true}));
    item->selected();
    EXPECT_EQ(visible(), (std::vector<bool> {false, false, true}));
    item->setPosition({5, 6});
    item->setScale(2);
    EXPECT_EQ(selected->position(), (Point {5, 6}));
    EXPECT_EQ(disabled->scale(), 2);
}

TEST_F(MenuTest, ToggleCyclesBeforeCallingItsTarget) {
    std::vector<unsigned> seen;
    auto toggle = engine::MenuItemToggle::itemWithTarget(
        [&](MenuItem* item) {
            seen.push_back(static_cast<engine::MenuItemToggle*>(item)->selectedIndex());
        },
        {sized({10, 10}), sized({20, 20}), sized({30, 30})});
    EXPECT_EQ(toggle->selectedIndex(), 0u);
    toggle->setSelectedIndex(2);
    EXPECT_EQ(toggle->contentSize(), (Size {30, 30}));
    EXPECT_EQ(toggle->children().size(), 1u);
    EXPECT_EQ(toggle->selectedItem()->position(), (Point {15, 15}));
    toggle->activate();
    EXPECT_EQ(seen, std::vector<unsigned> {0});
    EXPECT_EQ(toggle->children().front().get(), toggle->subItems()[0].get());
    toggle->setIsEnabled(false);
    EXPECT_FALSE(toggle->subItems()[1]->isEnabled());
    toggle->activate();
    EXPECT_EQ(seen.size(), 1u);
}
