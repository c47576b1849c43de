#include <ui/Application.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using graphics::makeRect;
using graphics::Point;
using ui::View;

namespace {

std::vector<std::string> journal;

class Recording : public View {
protected:
    void willMoveToSuperview(View*) override { journal.push_back(name_ + ".willMoveToSuperview"); }
    void didMoveToSuperview() override { journal.push_back(name_ + ".didMoveToSuperview"); }
    void willMoveToWindow(ui::Window* window) override {
        journal.push_back(name_ + ".willMoveToWindow:" + (window ? "window" : "nil"));
    }
    void didMoveToWindow() override { journal.push_back(name_ + ".didMoveToWindow"); }
    void didAddSubview(View*) override { journal.push_back(name_ + ".didAddSubview"); }
    void willRemoveSubview(View*) override { journal.push_back(name_ + ".willRemoveSubview"); }

private:
    std::string name_;

    friend base::Factory;

    explicit Recording(std::string name, graphics::Rect frame = {})
        : View(frame)
        , name_(std::move(name)) { }
};

std::vector<int> tags(View const& view) {
    std::vector<int> result;
    for (auto const& subview : view.subviews())
        result.push_back(subview->tag());
    return result;
}

base::Ref<View> tagged(int tag, graphics::Rect frame = makeRect(0, 0, 10, 10)) {
    auto view = View::create(frame);
    view->setTag(tag);
    return view;
}

}

TEST(View, FrameCentreAndBoundsStayConsistent) {
    auto view = View::create(makeRect(10, 20, 100, 50));
    EXPECT_EQ(view->center(), (Point {60, 45}));
    EXPECT_EQ(view->bounds(), makeRect(0, 0, 100, 50));
    view->setCenter({0, 0});
    EXPECT_EQ(view->frame(), makeRect(-50, -25, 100, 50));
    view->setBounds(makeRect(5, 5, 20, 10));
    EXPECT_EQ(view->frame(), makeRect(-10, -5, 20, 10));
}

TEST(View, OrderingOperationsKeepSubviewsBackToFront) {
    auto parent = View::create();
    auto a = tagged(1), b = tagged(2), c = tagged(3);
    parent->addSubview(a);
    parent->addSubview(b);
    parent->insertSubviewAtIndex(c, 0);
    EXPECT_EQ(tags(*parent), (std::vector<int> {3, 1, 2}));
    parent->bringSubviewToFront(c.get());
    EXPECT_EQ(tags(*parent), (std::vector<int> {1, 2, 3}));
    parent->sendSubviewToBack(b.get());
    EXPECT_EQ(tags(*parent), (std::vector<int> {2, 1, 3}));
    auto d = tagged(4);
    parent->insertSubviewAbove(d, a.get());
    EXPECT_EQ(tags(*parent), (std::vector<int> {2, 1, 4, 3}));
    auto e = tagged(5);
    parent->insertSubviewBelow(e, b.get());
    EXPECT_EQ(tags(*parent), (std::vector<int> {5, 2, 1, 4, 3}));
    parent->exchangeSubviewAtIndex(0, 4);
    EXPECT_EQ(tags(*parent), (std::vector<int> {3, 2, 1, 4, 5}));
    a->removeFromSuperview();
    EXPECT_EQ(tags(*parent), (std::vector<int> {3, 2, 4, 5}));
    EXPECT_EQ(a->superview(), nullptr);
    EXPECT_EQ(parent->viewWithTag(4), d.get());
    EXPECT_EQ(parent->viewWithTag(9), nullptr);
}

TEST(View, MovingAViewToAnotherParentTakesItFromTheFirst) {
    auto first = View::create(), second = View::create();
    auto child = tagged(1);
    first->addSubview(child);
    second->addSubview(child);
    EXPECT_TRUE(first->subviews().empty());
    EXPECT_EQ(child->superview(), second.get());
    EXPECT_EQ(child->retainCount(), 2);
}

TEST(View, TellsTreeChangesInThePlatformsOrder) {
    ui::Application::reset();
    auto window = ui::Window::create(makeRect(0, 0, 480, 320));
    auto parent = base::make<Recording>("parent");
    auto child = base::make<Recording>("child");
    parent->addSubview(child);
    journal.clear();
    window->addSubview(parent);
    EXPECT_EQ(journal,
        (std::vector<std::string> {"parent.willMoveToSuperview", "parent.willMoveToWindow:window",
            "child.willMoveToWindow:window", "parent.didMoveToWindow", "child.didMoveToWindow",
            "parent.didMoveToSuperview"}));
    journal.clear();
    child->removeFromSuperview();
    EXPECT_EQ(journal,
        (std::vector<std::string> {"child.willMoveToSuperview", "child.willMoveToWindow:nil",
            "parent.willRemoveSubview", "child.didMoveToWindow", "child.didMoveToSuperview"}));
}

TEST(View, HitTestingSkipsHiddenTransparentAndNonInteractiveViews) {
    auto root = View::create(makeRect(0, 0, 100, 100));
    auto back = tagged(1, makeRect(0, 0, 100, 100));
    auto front = tagged(2, makeRect(10, 10, 50, 50));
    auto inner = tagged(3, makeRect(5, 5, 10, 10));
    root->addSubview(back);
    root->addSubview(front);
    front->addSubview(inner);

    struct Case {
        char const* what;
        std::function<void()> setUp;
        Point point;
        int expectedTag;
    };
    Case const cases[] = {
        {"inner view, deepest wins", [] {}, {17, 17}, 3},
        {"front view outside its child", [] {}, {30, 30}, 2},
        {"back view outside the front", [] {}, {80, 80}, 1},
        {"hidden front falls through", [&] { front->setHidden(true); }, {17, 17}, 1},
        {"transparent front falls through", [&] { front->setAlpha(0.005f); }, {17, 17}, 1},
        {"non-interactive front falls through", [&] { front->setUserInteractionEnabled(false); },
            {17, 17}, 1},
        {"outside the root", [] {}, {150, 10}, -1},
    };
    for (auto const& c : cases) {
        front->setHidden(false);
        front->setAlpha(1);
        front->setUserInteractionEnabled(true);
        c.setUp();
        View* hit = root->hitTest(c.point, nullptr);
        EXPECT_EQ(hit ? hit->tag() : -1, c.expectedTag) << c.what;
    }
}

TEST(View, ConvertsPointsThroughFramesAndBoundsOrigins) {
    auto root = View::create(makeRect(0, 0, 480, 320));
    auto a = View::create(makeRect(100, 50, 200, 200));
    auto b = View::create(makeRect(10, 20, 50, 50));
    root->addSubview(a);
    a->addSubview(b);
    EXPECT_EQ(b->convertPointToView({1, 2}, nullptr), (Point {111, 72}));
    EXPECT_EQ(b->convertPointFromView({111, 72}, root.get()), (Point {1, 2}));
    EXPECT_EQ(a->convertPointFromView({1, 2}, b.get()), (Point {11, 22}));
    a->setBounds(makeRect(5, 5, 200, 200));
    EXPECT_EQ(b->convertPointToView({0, 0}, nullptr), (Point {105, 65}));
}
