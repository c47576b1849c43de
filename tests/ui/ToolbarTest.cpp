#include <ui/BarButtonItem.hpp>
#include <ui/Button.hpp>
#include <ui/Toolbar.hpp>

#include <gtest/gtest.h>

TEST(Toolbar, FlexibleSpacesShareTheWidthLeft) {
    auto toolbar = ui::Toolbar::create(graphics::makeRect(0, 276, 480, 44));
    auto flexible = [] {
        return ui::BarButtonItem::initWithBarButtonSystemItem(
            ui::BarButtonSystemItem::FlexibleSpace, nullptr);
    };
    auto back = ui::BarButtonItem::initWithTitle("<", ui::BarButtonItemStyle::Plain, nullptr);
    back->setWidth(40);
    auto done = ui::BarButtonItem::initWithTitle("Done", ui::BarButtonItemStyle::Done, nullptr);
    done->setWidth(60);
    toolbar->setItems({back, flexible(), done});
    EXPECT_EQ(toolbar->viewForItem(back.get())->frame(), graphics::makeRect(6, 7, 40, 30));
    EXPECT_EQ(toolbar->viewForItem(done.get())->frame(), graphics::makeRect(414, 7, 60, 30));

    toolbar->setItems({flexible(), back, flexible(), done, flexible()});
    EXPECT_NEAR(toolbar->viewForItem(back.get())->frame().origin.x, 6 + 122.67f, 0.01f);
    EXPECT_EQ(toolbar->viewForItem(flexible().get()), nullptr);
}

TEST(Toolbar, ItemsFollowTheirItemAndCallTheirAction) {
    auto toolbar = ui::Toolbar::create(graphics::makeRect(0, 0, 320, 44));
    int pressed = 0;
    auto item = ui::BarButtonItem::initWithTitle(
        "Reload", ui::BarButtonItemStyle::Bordered, [&](ui::BarButtonItem&) { ++pressed; });
    toolbar->setItems({item});
    auto area = dynamic_cast<ui::Button*>(toolbar->viewForItem(item.get()));
    ASSERT_NE(area, nullptr);
    item->setTitle("Stop");
    item->setEnabled(false);
    EXPECT_EQ(area->currentTitle(), "Stop");
    EXPECT_FALSE(area->isEnabled());
    item->sendAction();
    EXPECT_EQ(pressed, 0);
    item->setEnabled(true);
    item->sendAction();
    EXPECT_EQ(pressed, 1);
}
