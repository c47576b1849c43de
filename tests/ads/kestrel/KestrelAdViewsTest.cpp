#include <ads/kestrel/KestrelAdCoding.hpp>
#include <ads/kestrel/KestrelAdListView.hpp>
#include <ads/kestrel/KestrelAdLocation.hpp>
#include <ads/kestrel/KestrelAdNavigationDelegate.hpp>
#include <ads/kestrel/VerticalUILabel.hpp>

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <ui/Application.hpp>
#include <ui/Touch.hpp>
#include <ui/ViewController.hpp>

#include <gtest/gtest.h>

using ads::kestrel::KestrelAdListView;
using ads::kestrel::VerticalUILabel;

namespace {

// A panel between 100 (open) and 300 (closed) under a web view that ends where it
// begins.
struct Panel {
    Panel(float y) {
        parent = ui::View::create({{0, 0}, {320, 480}});
        web = ui::View::create({{0, 0}, {320, y}});
        panel = KestrelAdListView::create({{0, y}, {320, 200}});
        panel->setUpperLocationLimit(100);
        panel->setLowerLocationLimit(300);
        panel->setWebView(web.get());
        parent->addSubview(web);
        parent->addSubview(panel);
    }

    ui::TouchSet touchAt(float y) {
        return ui::TouchSet({ui::Touch::create(panel.get(), nullptr, {10, y}, 1, 0)});
    }

    float y() const { return panel->frame().origin.y; }
    float webHeight() const { return web->frame().size.height; }

    base::Ref<ui::View> parent;
    base::Ref<ui::View> web;
    base::Ref<KestrelAdListView> panel;
};

TEST(KestrelAdListView, DragsStayBetweenTheLimits) {
    struct Case {
        float start;
        float dy;
        float end;
    };
    for (auto const& c : std::vector<Case> {
             {280, 50, 300}, {120, -50, 100}, {200, 30, 230}, {300, 10, 300}, {100, -1, 100}}) {
        Panel p(c.start);
        p.panel->dragByYDisplacement(c.dy);
        EXPECT_EQ(p.y(), c.end) << c.start << " + " << c.dy;
        EXPECT_EQ(p.webHeight(), c.end) << "the web view ends where the panel begins";
    }
    Panel p(200);
    p.panel->dragToYPosition(150);
    EXPECT_EQ(p.y(), 150);
    p.panel->setWebView(nullptr);
    p.panel->dragByYDisplacement(20);
    EXPECT_EQ(p.y(), 170);
    EXPECT_EQ(p.webHeight(), 150);
}

TEST(KestrelAdListView, TapsFlipAndDragsFollowTheFinger) {
    Panel open(100);
    open.panel->touchesBegan(open.touchAt(110), nullptr);
    open.panel->touchesEnded(open.touchAt(110), nullptr);
    EXPECT_EQ(open.y(), 300);

    Panel between(200);
    between.panel->touchesBegan(between.touchAt(210), nullptr);
    between.panel->touchesEnded(between.touchAt(210), nullptr);
    EXPECT_EQ(between.y(), 100);

    Panel dragged(200);
    dragged.panel->touchesBegan(dragged.touchAt(210), nullptr);
    dragged.panel->touchesMoved(dragged.touchAt(230), nullptr);
    EXPECT_EQ(dragged.y(), 220);
    dragged.panel->touchesEnded(dragged.touchAt(235), nullptr);
    EXPECT_EQ(dragged.y(), 225) << "the end of a drag moves by the last step, no flip";
    dragged.panel->touchesBegan(dragged.touchAt(230), nullptr);
    dragged.panel->touchesMoved(dragged.touchAt(240), nullptr);
    dragged.panel->touchesCancelled(dragged.touchAt(240), nullptr);
    dragged.panel->touchesBegan(dragged.touchAt(240), nullptr);
    dragged.panel->touchesEnded(dragged.touchAt(240), nullptr);
    EXPECT_EQ(dragged.y(), 100) << "after a cancel the next touch is a tap again";
}

TEST(VerticalUILabel, PlacesTheTextTopMiddleOrBottom) {
    auto label = VerticalUILabel::create({{0, 0}, {200, 120}});
    label->setText("One line");
    EXPECT_EQ(label->verticalAlignment(), 1);
    graphics::Rect bounds {{0, 10}, {200, 120}};
    auto middle = label->textRectForBounds(bounds, 1);
    float height = middle.size.height;
    ASSERT_GT(height, 0);
    EXPECT_FLOAT_EQ(middle.origin.y, 10 + (120 - height) / 2);
    struct Case {
        int alignment;
        float y;
    };
    for (auto const& c : std::vector<Case> {{0, 10}, {2, 10 + 120 - height},
             {1, 10 + (120 - height) / 2}, {7, 10 + (120 - height) / 2}}) {
        label->setVerticalAlignment(c.alignment);
        EXPECT_FLOAT_EQ(label->textRectForBounds(bounds, 1).origin.y, c.y) << c.alignment;
    }
}

TEST(KestrelAdNavigationDelegate, PoppingTheBarPopsOneControllerAnimated) {
    auto root = ui::ViewController::create();
    auto next = ui::ViewController::create();
    auto navigation = ui::NavigationController::create(root);
    navigation->pushViewController(next, false);
    auto delegate
        = ads::kestrel::KestrelAdNavigationDelegate::initWithNavigationController(navigation.get());
    delegate->navItems().push_back(ui::NavigationItem::create("one"));
    delegate->navItems().push_back(ui::NavigationItem::create("two"));
    auto bar = ui::NavigationBar::create({});
    auto item = ui::NavigationItem::create("two");
    EXPECT_TRUE(delegate->shouldPopItem(*bar, *item));
    EXPECT_EQ(delegate->navItems().size(), 1u);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    ui::Application::reset();
}

TEST(KestrelAdLocation, ArchiveKeysXAndY) {
    ads::kestrel::registerKestrelAdCoding();
    auto location = ads::kestrel::KestrelAdLocation::create();
    location->setX(-4);
    location->setY(9);
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(location);
    ASSERT_TRUE(data);
    auto back
        = foundation::KeyedUnarchiver::unarchiveObjectWithData<ads::kestrel::KestrelAdLocation>(
            *data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->x(), -4);
    EXPECT_EQ(back->y(), 9);
}

}
