#include "ControllerFixture.hpp"

#include <ui/ScrollView.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using graphics::Point;
using test::Journal;
using ui::ScrollView;
using Entries = std::vector<std::string>;

namespace {

// Writes the delegate calls down, folding runs of scrollViewDidScroll into one
// "scroll" entry.
class ScrollLog : public ui::ScrollViewDelegate {
public:
    explicit ScrollLog(Journal& journal)
        : journal_(journal) { }

    void scrollViewDidScroll(ScrollView&) override {
        ++scrolls;
        if (journal_.entries.empty() || journal_.entries.back() != "scroll")
            journal_.add("scroll");
    }
    void scrollViewWillBeginDragging(ScrollView&) override { journal_.add("willBeginDragging"); }
    void scrollViewDidEndDragging(ScrollView&, bool decelerate) override {
        journal_.add(decelerate ? "didEndDragging decelerate" : "didEndDragging");
    }
    void scrollViewWillBeginDecelerating(ScrollView&) override {
        journal_.add("willBeginDecelerating");
    }
    void scrollViewDidEndDecelerating(ScrollView&) override { journal_.add("didEndDecelerating"); }
    void scrollViewDidEndScrollingAnimation(ScrollView&) override {
        journal_.add("didEndScrollingAnimation");
    }

    int scrolls {0};

private:
    Journal& journal_;
};

class ScrollViewTest : public test::ControllerTest {
protected:
    ScrollViewTest() {
        scroll->setContentSize({480, 1000});
        scroll->setDelegate(&log);
        window->addSubview(scroll);
    }

    // A finger that moves from one point to another and rests before lifting.
    void slowDrag(Point from, Point to) {
        window->injectTouch(ui::TouchPhase::Began, from, 1, 10);
        for (int i = 1; i <= 10; ++i) {
            float t = float(i) / 10;
            window->injectTouch(ui::TouchPhase::Moved,
                {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t}, 1, 10 + 0.02 * i);
        }
        window->injectTouch(ui::TouchPhase::Ended, to, 1, 11);
    }

    Journal journal;
    ScrollLog log {journal};
    base::Ref<ScrollView> scroll = ScrollView::create(graphics::makeRect(0, 0, 480, 320));
};

}

TEST_F(ScrollViewTest, ContentOffsetIsTheBoundsOriginAndMovesTheContent) {
    auto button = ui::View::create(graphics::makeRect(0, 400, 100, 40));
    scroll->addSubview(button);
    EXPECT_EQ(window->hitTest({50, 100}, nullptr), scroll.get());
    scroll->setContentOffset({0, 300});
    EXPECT_EQ(scroll->bounds().origin, (Point {0, 300}));
    EXPECT_EQ(window->hitTest({50, 120}, nullptr), button.get());
    EXPECT_EQ(journal.take(), Entries {"scroll"});
    scroll->setContentOffset({0, 300});
    EXPECT_EQ(log.scrolls, 1) << "no report without a change";
}

TEST_F(ScrollViewTest, AnimatedOffsetMovesOverTimeAndReportsItsEnd) {
    scroll->setContentOffset({0, 200}, true);
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 0}));
    run(0.15);
    auto halfway = scroll->contentOffset().y;
    EXPECT_GT(halfway, 0);
    EXPECT_LT(halfway, 200);
    run(0.2);
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 200}));
    EXPECT_GT(log.scrolls, 5);
    EXPECT_EQ(journal.take(), (Entries {"scroll", "didEndScrollingAnimation"}));
}

TEST_F(ScrollViewTest, DragMovesTheContentWithTheFinger) {
    slowDrag({200, 250}, {200, 150});
    // The drag begins once the finger is more than 10 points away, at 230.
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 80}));
    EXPECT_FALSE(scroll->isDragging());
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_EQ(journal.take(), (Entries {"willBeginDragging", "scroll", "didEndDragging"}));
}

TEST_F(ScrollViewTest, SmallMovementsAndLockedAxesStartNoDrag) {
    slowDrag({200, 250}, {205, 242});
    scroll->setScrollEnabled(false);
    slowDrag({200, 250}, {200, 100});
    scroll->setScrollEnabled(true);
    slowDrag({200, 250}, {50, 250}) /* the content is no wider than the view */;
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 0}));
    EXPECT_EQ(journal.take(), Entries {});
}

TEST_F(ScrollViewTest, FlickGlidesOnAndComesToRestInside) {
    drag({200, 300}, {200, 100}, 5, 0.01);
    EXPECT_EQ(journal.take(),
        (Entries {
            "willBeginDragging", "scroll", "didEndDragging decelerate", "willBeginDecelerating"}));
    auto released = scroll->contentOffset().y;
    EXPECT_TRUE(scroll->isDecelerating());
    run(3);
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_GT(scroll->contentOffset().y, released);
    EXPECT_LE(scroll->contentOffset().y, 680);
    EXPECT_EQ(journal.take(), (Entries {"scroll", "didEndDecelerating"}));
}

TEST_F(ScrollViewTest, PastTheEdgeTheContentStretchesAndSpringsBack) {
    slowDrag({200, 100}, {200, 300});
    EXPECT_EQ(scroll->contentOffset(), (Point {0, -90}));
    EXPECT_EQ(journal.take(),
        (Entries {
            "willBeginDragging", "scroll", "didEndDragging decelerate", "willBeginDecelerating"}));
    run(0.35);
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 0}));
    EXPECT_EQ(journal.take(), (Entries {"scroll", "didEndDecelerating"}));
}

TEST_F(ScrollViewTest, WithoutBouncingTheContentStopsAtTheEdge) {
    scroll->setBounces(false);
    slowDrag({200, 100}, {200, 300});
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 0}));
    EXPECT_EQ(journal.take(), (Entries {"willBeginDragging", "didEndDragging"}));
}

TEST_F(ScrollViewTest, PagingSettlesOnTheNearestPageOrTheNextOneAfterAFlick) {
    scroll->setContentSize({1440, 320});
    scroll->setPagingEnabled(true);
    struct Case {
        char const* name;
        Point from;
        Point to;
        bool flick;
        float page;
    };
    Case const cases[] = {
        {"short slow drag stays", {300, 100}, {200, 100}, false, 0},
        {"long slow drag moves on", {400, 100}, {100, 100}, false, 480},
        {"short flick moves on", {300, 100}, {220, 100}, true, 960},
        {"flick back", {200, 100}, {280, 100}, true, 480},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.flick)
            drag(c.from, c.to, 4, 0.01);
        else
            slowDrag(c.from, c.to);
        run(0.35);
        EXPECT_EQ(scroll->contentOffset(), (Point {c.page, 0}));
    }
}

TEST_F(ScrollViewTest, TouchDuringAGlideStopsIt) {
    drag({200, 300}, {200, 100}, 5, 0.01);
    run(0.1);
    window->injectTouch(ui::TouchPhase::Began, {200, 200}, 1, 50);
    EXPECT_FALSE(scroll->isDecelerating());
    auto stopped = scroll->contentOffset();
    run(1);
    EXPECT_EQ(scroll->contentOffset(), stopped);
    window->injectTouch(ui::TouchPhase::Ended, {200, 200}, 1, 50.1);
}

TEST_F(ScrollViewTest, InsetsWidenTheRangeOfRest) {
    scroll->setContentInset({50, 0, 20, 0});
    EXPECT_EQ(scroll->minimumContentOffset(), (Point {0, -50}));
    EXPECT_EQ(scroll->maximumContentOffset(), (Point {0, 700}));
    scroll->scrollRectToVisible(graphics::makeRect(0, 900, 10, 50), false);
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 630}));
    scroll->scrollRectToVisible(graphics::makeRect(0, 700, 10, 50), false);
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 630})) << "already visible";
    scroll->scrollRectToVisible(graphics::makeRect(0, 10, 10, 50), false);
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 10}));
}

TEST_F(ScrollViewTest, ScrollViewDroppedWhileGlidingStopsQuietly) {
    drag({200, 300}, {200, 100}, 5, 0.01);
    scroll->removeFromSuperview();
    scroll = nullptr;
    journal.take();
    run(3);
    EXPECT_EQ(journal.take(), Entries {});
}
