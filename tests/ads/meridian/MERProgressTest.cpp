#include <ads/meridian/MERProgress.hpp>

#include <ui/GraphicsContext.hpp>

#include <gtest/gtest.h>

using ads::meridian::MERProgress;

TEST(MERProgress, TheFillReachesTheLevelOfTheValueOverTheSpan) {
    auto bar = MERProgress::initWithFrame({{0, 0}, {200, 20}});
    EXPECT_EQ(bar->fillLevel(), 0);
    bar->setCurrentValue(0.5f);
    EXPECT_EQ(bar->fillLevel(), 100);
    // The minimum is not taken off the value.
    bar->setMinValue(0.25f);
    bar->setMaxValue(0.75f);
    EXPECT_EQ(bar->fillLevel(), 200);
}

TEST(MERProgress, DrawsTheTrackAndTheFillUpToTheLevel) {
    auto bar = MERProgress::initWithFrame({{0, 0}, {200, 20}});
    bar->setLineColor(ui::Color::whiteColor());
    bar->setProgressRemainingColor(ui::Color::redColor());
    bar->setProgressColor(ui::Color::blueColor());
    auto pixel = [&](float value, int x) {
        bar->setCurrentValue(value);
        ui::GraphicsContext context({200, 20});
        bar->drawRect(context, bar->bounds());
        return context.makeImage().pixel(x, 14);
    };
    // In the lower half the fills are opaque: blue up to the level, red past it.
    auto filled = pixel(0.5f, 60);
    EXPECT_GT(filled.b, 200);
    EXPECT_LT(filled.r, 60);
    auto remaining = pixel(0.5f, 150);
    EXPECT_GT(remaining.r, 200);
    EXPECT_LT(remaining.b, 60);
    auto empty = pixel(0, 60);
    EXPECT_GT(empty.r, 200);
}
