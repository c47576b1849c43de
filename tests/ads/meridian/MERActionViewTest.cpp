#include <ads/meridian/MERActionView.hpp>

#include "MeridianTestSupport.hpp"

#include <ui/Animator.hpp>

using ads::meridian::MERActionView;

namespace {

class MERActionViewTest : public test::MeridianTest {
protected:
    ~MERActionViewTest() override {
        MERActionView::removeCurrentView();
        ui::Animator::reset();
    }
    base::Ref<ui::View> screen = ui::View::create({{0, 0}, {320, 480}});
};

}

TEST_F(MERActionViewTest, APanelPopsInCentredWithItsBarAndText) {
    auto panel = MERActionView::errorViewForView(*screen, "Loading");
    EXPECT_EQ(MERActionView::current(), panel.get());
    EXPECT_EQ(panel->superview(), screen.get());
    EXPECT_EQ(panel->textLabel().text(), "Loading");
    EXPECT_EQ(panel->progress().frame(), (graphics::Rect {{20, 50}, {160, 40}}));
    EXPECT_FLOAT_EQ(panel->alpha(), 1);
    EXPECT_FLOAT_EQ(panel->layer().cornerRadius(), 10);
    panel->layoutSubviews();
    EXPECT_EQ(panel->center(), screen->center());
    EXPECT_EQ(panel->bounds().size, (graphics::Size {200, 154}));
    EXPECT_EQ(panel->textLabel().frame(), (graphics::Rect {{20, 87}, {160, 60}}));
}

TEST_F(MERActionViewTest, ASecondPanelRemovesTheFirst) {
    auto first = MERActionView::initForView(*screen, "one");
    auto second = MERActionView::initForView(*screen, "two");
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(second->superview(), screen.get());
    EXPECT_EQ(MERActionView::current(), second.get());
}

TEST_F(MERActionViewTest, RemovingFadesOutThenGoes) {
    auto panel = MERActionView::initForView(*screen, "one");
    foundation::RunLoop::main().runFor(1);
    panel->removeView();
    EXPECT_EQ(panel->superview(), screen.get());
    foundation::RunLoop::main().runFor(0.6);
    EXPECT_EQ(panel->superview(), nullptr);
    EXPECT_EQ(MERActionView::current(), nullptr);
}
