#include "TextRenderHelpers.hpp"

#include <engine/Label.hpp>
#include <engine/LabelAtlas.hpp>
#include <engine/Menu.hpp>
#include <engine/MenuItemLabel.hpp>
#include <engine/MenuItemSprite.hpp>
#include <engine/TouchDispatcher.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

using engine::Menu;
using engine::MenuItem;
using engine::MenuItemFont;
using engine::Size;
using namespace test::colours;

namespace {

class MenuItemTextTest : public test::TextRenderTest {
protected:
    void SetUp() override {
        TextRenderTest::SetUp();
        savedName = MenuItemFont::fontName();
        savedSize = MenuItemFont::fontSize();
        MenuItemFont::setFontName("Box");
        MenuItemFont::setFontSize(20);
    }
    void TearDown() override {
        MenuItemFont::setFontName(savedName);
        MenuItemFont::setFontSize(savedSize);
        TextRenderTest::TearDown();
    }

    static engine::Label* labelOf(engine::MenuItemLabel& item) {
        return dynamic_cast<engine::Label*>(item.label());
    }

    std::string savedName;
    int savedSize {0};
};

}

TEST_F(MenuItemTextTest, FontItemsTakeTheClassWideFontWhenMade) {
    EXPECT_EQ(savedName, "Marker Felt");
    EXPECT_EQ(savedSize, 32);
    auto before = MenuItemFont::itemFromString("ab");
    MenuItemFont::setFontSize(10);
    auto after = MenuItemFont::itemFromString("ab");
    EXPECT_EQ(labelOf(*before)->fontSize(), 20);
    EXPECT_EQ(labelOf(*after)->fontSize(), 10);
    EXPECT_EQ(labelOf(*after)->fontName(), "Box");
    EXPECT_EQ(before->contentSize(), (Size {20, 20}));
    EXPECT_EQ(after->contentSize(), (Size {10, 10}));
    after->setString("abcd");
    EXPECT_EQ(after->contentSize(), (Size {20, 10}));
}

TEST_F(MenuItemTextTest, TextItemsNeedText) {
    EXPECT_DEATH(MenuItemFont::itemFromString(""), "Value lenght must be greater than 0");
    EXPECT_DEATH(engine::MenuItemAtlasFont::itemFromString("", "digits.png", 10, 10, '0'),
        "value lenght must be greater than 0");
}

TEST_F(MenuItemTextTest, AtlasFontItemShowsAnAtlasLabel) {
    test::writePNG(resources->bundle() / "digits.png", test::solidImage(40, 10, white));
    auto item = engine::MenuItemAtlasFont::itemFromString("123", "digits.png", 10, 10, '0');
    EXPECT_TRUE(dynamic_cast<engine::LabelAtlas*>(item->label()));
    EXPECT_EQ(item->contentSize(), (Size {30, 10}));
}

TEST_F(MenuItemTextTest, ImageItemLoadsItsPictures) {
    test::writePNG(resources->bundle() / "on.png", test::solidImage(24, 12, red));
    test::writePNG(resources->bundle() / "off.png", test::solidImage(24, 12, green));
    auto item = engine::MenuItemImage::itemFromNormalImage("on.png", "off.png");
    EXPECT_EQ(item->contentSize(), (Size {24, 12}));
    EXPECT_TRUE(item->selectedImage());
    EXPECT_FALSE(item->disabledImage());
}

TEST_F(MenuItemTextTest, AMenuDrawsItsFontItemWhereItWasLaidOut) {
    test::FakeDirector director({128, 128}, 1);
    ui::Application::sharedApplication().setStatusBarHidden(true);
    auto& dispatcher = engine::TouchDispatcher::sharedDispatcher();
    dispatcher.removeAllDelegates();
    dispatcher.setDispatchEvents(true);
    int presses = 0;
    auto item = MenuItemFont::itemFromString("ab", [&](MenuItem*) { ++presses; });
    auto menu = Menu::menuWithItems({item});
    menu->alignItemsVertically();
    drawScene(*menu);
    // The item is centred on the menu's position (64, 64): 20 x 20 from (54, 54).
    EXPECT_TRUE(near(rgb(59, 65), white));
    EXPECT_EQ(inkAroundGL(55, 58, 74, 72).outside, 0);

    menu->onEnter();
    auto touch = ui::Touch::create(nullptr, nullptr, {60, 128 - 60}, 1, 0);
    dispatcher.touchesBegan(ui::TouchSet({touch}), nullptr);
    touch->update(ui::TouchPhase::Ended, {60, 128 - 60}, 1);
    dispatcher.touchesEnded(ui::TouchSet({touch}), nullptr);
    EXPECT_EQ(presses, 1);
    menu->onExit();
    ui::Application::reset();
}
