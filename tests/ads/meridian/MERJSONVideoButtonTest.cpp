#include <ads/meridian/MERJSONVideoButton.hpp>

#include "MeridianTestSupport.hpp"

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <graphics/Font.hpp>
#include <graphics/StringDrawing.hpp>
#include <toolkit/json/PJsonParser.hpp>
#include <ui/Button.hpp>

using ads::meridian::MERJSONVideoButton;

namespace {

base::Ref<MERJSONVideoButton> button(std::string const& json) {
    return MERJSONVideoButton::initWithJSONButton(
        toolkit::json::PJsonParser::parser()->objectWithString(json));
}

class Tapped final : public ads::meridian::MERJSONVideoButtonDelegate {
public:
    void jsonVideoButtonWasTapped(MERJSONVideoButton& tapped) override {
        buttons.push_back(&tapped);
    }
    std::vector<MERJSONVideoButton*> buttons;
};

using MERJSONVideoButtonTest = test::MeridianTest;

}

TEST_F(MERJSONVideoButtonTest, AnEmptyObjectGivesTheDefaults) {
    auto made = button("{}");
    EXPECT_EQ(made->imageURL(), std::nullopt);
    EXPECT_EQ(made->tapURL(), std::nullopt);
    EXPECT_EQ(made->component(), "");
    EXPECT_EQ(made->startOpacity(), 1);
    EXPECT_EQ(made->endOpacity(), 1);
    EXPECT_EQ(made->fadeDuration(), 1);
    EXPECT_EQ(made->appearanceDelay(), 0);
    EXPECT_EQ(made->buttonColor(), ui::Color::blackColor());
    EXPECT_EQ(made->textColor(), ui::Color::whiteColor());
    EXPECT_EQ(made->fontSize(), 10);
    EXPECT_TRUE(made->activity().isNull());
}

TEST_F(MERJSONVideoButtonTest, ReadsEveryFieldAndIgnoresWronglyTypedOnes) {
    auto made = button(R"({"image":"http://i.test/b.png","url":"http://t.test/tap",
        "activity":["http://a.test/1"],"x-location":12,"y-location":"30",
        "opacity":{"start":0.2,"end":0.9,"fadeDuration":2},"appearanceDelay":1.5,
        "inactivityTimeout":4,"title":"Buy","component":"cta","buttonColor":"#ff8000",
        "textColor":"0,0,1","width":80,"height":20,"fontSize":14})");
    EXPECT_EQ(made->imageURL(), "http://i.test/b.png");
    EXPECT_EQ(made->tapURL(), "http://t.test/tap");
    EXPECT_TRUE(made->activity().isArray());
    EXPECT_EQ(made->xLocation(), 12);
    EXPECT_EQ(made->yLocation(), 30);
    EXPECT_FLOAT_EQ(made->startOpacity(), 0.2f);
    EXPECT_FLOAT_EQ(made->endOpacity(), 0.9f);
    EXPECT_EQ(made->fadeDuration(), 2);
    EXPECT_EQ(made->inactivityTimeout(), 4);
    EXPECT_EQ(made->title(), "Buy");
    EXPECT_EQ(made->component(), "cta");
    EXPECT_EQ(made->buttonColor(), ui::Color::colorWithBytes(255, 128, 0));
    EXPECT_EQ(made->textColor(), ui::Color::blueColor());
    EXPECT_EQ(made->fontSize(), 14);

    auto wrong = button(R"({"image":5,"url":["x"],"activity":"http://a.test","x-location":{},
        "title":7,"component":false,"buttonColor":"1,2","textColor":9,"fontSize":-3})");
    EXPECT_EQ(wrong->imageURL(), std::nullopt);
    EXPECT_EQ(wrong->tapURL(), std::nullopt);
    EXPECT_TRUE(wrong->activity().isNull());
    EXPECT_EQ(wrong->xLocation(), 0);
    EXPECT_EQ(wrong->title(), std::nullopt);
    EXPECT_EQ(wrong->component(), "");
    EXPECT_EQ(wrong->buttonColor(), ui::Color::blackColor());
    EXPECT_EQ(wrong->textColor(), ui::Color::whiteColor());
    EXPECT_EQ(wrong->fontSize(), 10);
}

TEST_F(MERJSONVideoButtonTest, ATitledButtonWithoutAWidthTakesTheSizeOfItsTitle) {
    auto made = button(R"({"title":"Watch again","x-location":5,"y-location":6,"height":30,
        "fontSize":12})");
    auto& platform = made->button();
    auto expected = graphics::sizeWithFont("Watch again", *graphics::Font::systemFontOfSize(12));
    EXPECT_EQ(platform.frame().origin.x, 5);
    EXPECT_EQ(platform.frame().origin.y, 6);
    EXPECT_EQ(platform.frame().size.width, expected.width);
    EXPECT_EQ(platform.frame().size.height, expected.height);
    EXPECT_EQ(platform.titleForState(ui::ControlState::Selected), "Watch again");
    // Built once.
    EXPECT_EQ(&made->button(), &platform);
}

TEST_F(MERJSONVideoButtonTest, ATapPostsTheNotificationAndTellsTheDelegateOnlyWithATapURL) {
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().observe(
        MERJSONVideoButton::tappedNotification, [&](auto const&) { ++posted; });
    Tapped delegate;
    auto tappable = button(R"({"title":"Go","url":"http://t.test/go"})");
    auto inert = button(R"({"title":"Go","url":""})");
    tappable->setDelegate(&delegate);
    inert->setDelegate(&delegate);
    tappable->button().sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    inert->button().sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(delegate.buttons, (std::vector<MERJSONVideoButton*> {tappable.get()}));
}

TEST_F(MERJSONVideoButtonTest, EqualityLooksAtTheImageAndTheTapURLs) {
    struct Case {
        char const* a;
        char const* b;
        bool equal;
    };
    for (auto const& c : std::initializer_list<Case> {
             {R"({"image":"i","url":"t"})", R"({"image":"i","url":"t"})", true},
             {R"({"image":"i","url":"t"})", R"({"image":"i"})", true},
             {R"({"image":"i","url":"t"})", R"({"image":"i","url":"u"})", false},
             {R"({"image":"i"})", R"({"image":"j"})", false},
             {R"({})", R"({})", true},
         })
        EXPECT_EQ(button(c.a)->isEqualToVideoButton(*button(c.b)), c.equal) << c.a << " " << c.b;
}

TEST_F(MERJSONVideoButtonTest, AnArchivedButtonDecodesWithEveryField) {
    auto made = button(R"({"image":"http://i.test/b.png","url":"http://t.test/tap",
        "activity":["http://a.test/1"],"x-location":12,"y-location":30,
        "opacity":{"start":0.2,"end":0.9,"fadeDuration":2},"appearanceDelay":1.5,
        "inactivityTimeout":4,"title":"Buy","component":"cta","buttonColor":"#ff8000",
        "width":80,"height":20,"fontSize":14})");
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(made);
    ASSERT_TRUE(data);
    auto back = foundation::KeyedUnarchiver::unarchiveObjectWithData<MERJSONVideoButton>(*data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->imageURL(), made->imageURL());
    EXPECT_EQ(back->tapURL(), made->tapURL());
    EXPECT_EQ(back->activity(), made->activity());
    EXPECT_EQ(back->xLocation(), 12);
    EXPECT_EQ(back->yLocation(), 30);
    EXPECT_FLOAT_EQ(back->startOpacity(), 0.2f);
    EXPECT_FLOAT_EQ(back->endOpacity(), 0.9f);
    EXPECT_EQ(back->fadeDuration(), 2);
    EXPECT_FLOAT_EQ(back->appearanceDelay(), 1.5f);
    EXPECT_EQ(back->inactivityTimeout(), 4);
    EXPECT_EQ(back->title(), "Buy");
    EXPECT_EQ(back->component(), "cta");
    EXPECT_EQ(describe(back->buttonColor()), describe(made->buttonColor()));
    EXPECT_EQ(describe(back->textColor()), describe(made->textColor()));
    EXPECT_EQ(back->buttonWidth(), 80);
    EXPECT_EQ(back->buttonHeight(), 20);
    EXPECT_EQ(back->fontSize(), 14);
    EXPECT_FALSE(back->isBuilt());
}

TEST_F(MERJSONVideoButtonTest, DescriptionNamesItsURLsAndComponent) {
    EXPECT_EQ(button(R"({"image":"i","url":"t","component":"c"})")->description(),
        "<MERJSONVideoButton: url = i, tap = t, component = c>");
    EXPECT_EQ(button("{}")->description(),
        "<MERJSONVideoButton: url = (null), tap = (null), component = >");
}
