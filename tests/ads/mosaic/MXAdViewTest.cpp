#include "MosaicTestSupport.hpp"

#include <ads/mosaic/MXAdView.hpp>
#include <foundation/Clock.hpp>
#include <ui/Animator.hpp>

#include <gtest/gtest.h>

#include <set>

using namespace ads::mosaic;

namespace {

class MXAdViewTest : public ::testing::Test {
protected:
    ~MXAdViewTest() override {
        view = nullptr;
        ui::Animator::reset();
    }

    test::MosaicScope scope {""};
    foundation::ScopedManualClock clock;
    base::Ref<MXAdView> view = MXAdView::initWithAdUnitId("", graphics::makeSize(320, 50));
};

TEST_F(MXAdViewTest, StartsWithTheDefaultsAndTheBuiltInUnit) {
    EXPECT_EQ(view->adUnitId(), MXAdView::defaultAdUnitId);
    EXPECT_EQ(view->adManager()->adUnitId(), MXAdView::defaultAdUnitId);
    EXPECT_TRUE(view->clipsToBounds());
    EXPECT_TRUE(view->locationEnabled());
    EXPECT_EQ(view->locationPrecision(), 6u);
    EXPECT_EQ(view->animationType(), 0);
    EXPECT_EQ(view->adContentViewSize().width, 320);
    EXPECT_FALSE(view->locationDescriptionPair());
    view->setLocation(MXLocation {1.25, 2.5});
    ASSERT_TRUE(view->locationDescriptionPair());
    EXPECT_EQ((*view->locationDescriptionPair())[0], "1.25");
    EXPECT_EQ((*view->locationDescriptionPair())[1], "2.5");
}

TEST_F(MXAdViewTest, EachAnimationTypeShowsTheNewCreativeAndDropsTheOldOne) {
    for (int type : {0, 1, 2, 3, 4, 5, 6, 9}) {
        auto first = ui::View::create();
        view = MXAdView::initWithAdUnitId("unit", graphics::makeSize(320, 50));
        view->setAnimationType(type);
        // The first creative shows without a transition, whatever the type.
        view->setAdContentView(first);
        EXPECT_EQ(view->adContentView(), first.get()) << type;

        auto second = ui::View::create();
        view->setAdContentView(second);
        EXPECT_EQ(second->superview(), view.get()) << type;
        bool const animated = type >= 1 && type <= 6;
        EXPECT_EQ(view->adContentView(), animated ? first.get() : second.get()) << type;
        foundation::RunLoop::main().runFor(1.1);
        EXPECT_EQ(view->adContentView(), second.get()) << type;
        EXPECT_EQ(first->superview(), nullptr) << type;
        EXPECT_FLOAT_EQ(second->alpha(), 1.0f) << type;
    }
}

TEST_F(MXAdViewTest, BackFillHidesTheBanner) {
    view->backFillWithNothing();
    EXPECT_TRUE(view->isHidden());
    view->setAdContentView(ui::View::create());
    EXPECT_FALSE(view->isHidden());
}

TEST(MXAdViewRandom, TypeOnePicksAmongTheFiveTransitions) {
    MXAdView::seedRandomAnimationType(7);
    std::set<int> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(MXAdView::randomAnimationType());
    EXPECT_EQ(seen, (std::set<int> {2, 3, 4, 5, 6}));
}

}
