#include <graphics/Font.hpp>
#include <graphics/StringDrawing.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Label.hpp>
#include <ui/TextLayout.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using graphics::makeRect;
using graphics::Rect;
using ui::Label;
using ui::LineBreakMode;
using ui::TextLayout;

namespace {

base::Ref<graphics::Font> systemFont() {
    return graphics::Font::systemFontOfSize(17);
}

float measure(std::string const& text) {
    return graphics::sizeWithFont(text, *systemFont()).width;
}

// The box around every pixel with ink (alpha above a trace), or an empty rect.
struct Ink {
    int minX {1 << 30}, minY {1 << 30}, maxX {-1}, maxY {-1};
    int count {0};
    bool any() const { return count > 0; }
};

Ink inkOf(graphics::Image const& image, int threshold = 8) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y).a > threshold) {
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y);
                ink.maxY = std::max(ink.maxY, y);
                ++ink.count;
            }
        }
    }
    return ink;
}

graphics::Image draw(Label& label) {
    ui::GraphicsContext context(label.bounds().size);
    label.drawRect(context, label.bounds());
    return context.makeImage();
}

}

TEST(TextLayout, ViewsLimitTheLinesByCountHeightAndWidth) {
    auto font = systemFont();
    ASSERT_TRUE(font);
    float leading = font->lineHeight();
    struct Case {
        char const* what;
        std::string text;
        float width;
        int maxLines;
        float maxHeight;
        std::vector<std::string> lines;
    };
    Case const cases[] = {
        {"no limits", "one\ntwo\nthree", 0, 0, 0, {"one", "two", "three"}},
        {"a count of lines", "one\ntwo\nthree", 0, 2, 0, {"one", "two"}},
        {"a height", "one\ntwo\nthree", 0, 0, leading * 2, {"one", "two"}},
        {"one line turns newlines into spaces", "one\ntwo", 0, 1, 0, {"one two"}},
        {"a width wraps words", "alpha beta gamma", measure("alpha beta") + 1, 0, 0,
            {"alpha beta", "gamma"}},
    };
    for (auto const& c : cases) {
        auto layout = TextLayout::layout(c.text, font.get(), c.width, LineBreakMode::WordWrap,
            ui::TextAlignment::Left, c.maxLines, c.maxHeight);
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < layout.lines().size(); ++i)
            lines.push_back(layout.lineText(i));
        EXPECT_EQ(lines, c.lines) << c.what;
    }
    EXPECT_TRUE(TextLayout::layout("text", nullptr, 100, LineBreakMode::WordWrap).lines().empty());
}

TEST(TextLayout, AlignsAcrossTheWidthAndMarksATruncatedLine) {
    auto font = systemFont();
    float width = measure("Hi") + 40;
    auto centred = TextLayout::layout(
        "Hi", font.get(), width, LineBreakMode::Clip, ui::TextAlignment::Center, 1);
    ASSERT_EQ(centred.lines().size(), 1u);
    auto const& line = centred.lines()[0];
    EXPECT_NEAR(line.positions.front().x, (width - line.width) / 2, 1e-3);
    EXPECT_NEAR(line.positions.front().y, font->ascender(), 1e-3);

    auto cut = TextLayout::layout("A rather long line of text", font.get(), measure("A rather"),
        LineBreakMode::TailTruncation, ui::TextAlignment::Left, 1);
    ASSERT_EQ(cut.lines().size(), 1u);
    EXPECT_TRUE(cut.lines()[0].ellipsis);
    EXPECT_LE(cut.size().width, measure("A rather"));
    EXPECT_FLOAT_EQ(std::ceil(cut.size().height), std::ceil(font->lineHeight()));
}

TEST(Label, StartsAsThePlatformsLabelsDo) {
    auto label = Label::create(makeRect(0, 0, 100, 20));
    EXPECT_EQ(label->backgroundColor(), ui::Color::whiteColor());
    EXPECT_EQ(label->textColor(), ui::Color::blackColor());
    EXPECT_EQ(label->numberOfLines(), 1);
    EXPECT_EQ(label->lineBreakMode(), LineBreakMode::TailTruncation);
    EXPECT_EQ(label->textAlignment(), ui::TextAlignment::Left);
    EXPECT_FALSE(label->isUserInteractionEnabled());
    ASSERT_NE(label->font(), nullptr);
    EXPECT_EQ(label->font()->pointSize(), 17);
    label->setFont(graphics::Font::fontWithName("Verdana", 30));
    EXPECT_EQ(label->font()->pointSize(), 30);
    label->setFont(nullptr);
    EXPECT_EQ(label->font()->pointSize(), 17);
}

TEST(Label, SizeThatFitsMeasuresOneLineOrWrapsWithinTheWidth) {
    auto label = Label::create();
    label->setText("Vov Azavuz");
    EXPECT_EQ(label->sizeThatFits({}), graphics::sizeWithFont("Vov Azavuz", *label->font()));
    label->setNumberOfLines(0);
    auto narrow = label->sizeThatFits({measure("Azavuz") + 1, 0});
    EXPECT_FLOAT_EQ(narrow.height, std::ceil(label->font()->lineHeight() * 2));
    label->setText("");
    EXPECT_EQ(label->sizeThatFits({100, 100}), (graphics::Size {0, 0}));
}

TEST(Label, AdjustingTheFontShrinksOneLineToFitButNotBelowTheMinimum) {
    auto label = Label::create(makeRect(0, 0, 100, 30));
    label->setText("A rather long title for such a box");
    EXPECT_EQ(label->fontForWidth(100)->pointSize(), 17);
    label->setAdjustsFontSizeToFitWidth(true);
    auto fitted = label->fontForWidth(100);
    EXPECT_LT(fitted->pointSize(), 17);
    EXPECT_LE(graphics::sizeWithFont(label->text(), *fitted).width, 100);
    auto larger = fitted->fontWithSize(fitted->pointSize() + 1);
    EXPECT_GT(graphics::sizeWithFont(label->text(), *larger).width, 100);
    label->setMinimumFontSize(14);
    EXPECT_EQ(label->fontForWidth(100)->pointSize(), 14);
    // Several lines are never shrunk.
    label->setNumberOfLines(2);
    EXPECT_EQ(label->fontForWidth(100)->pointSize(), 17);
}

TEST(Label, TextIsCentredDownTheBoxAndDrawnOnlyInIt) {
    auto label = Label::create(makeRect(0, 0, 200, 60));
    label->setBackgroundColor(ui::Color::clearColor());
    label->setText("Hello");
    auto rect = label->textRectForBounds(label->bounds(), 1);
    EXPECT_FLOAT_EQ(rect.midY(), 30);
    EXPECT_NEAR(rect.size.width, measure("Hello"), 1);

    auto ink = inkOf(draw(*label));
    ASSERT_TRUE(ink.any());
    EXPECT_GE(ink.minY, int(rect.minY()) - 1);
    EXPECT_LE(ink.maxY, int(rect.maxY()) + 1);
    EXPECT_LE(ink.maxX, int(rect.maxX()) + 1);
    EXPECT_LT(ink.minX, 4);

    label->setTextAlignment(ui::TextAlignment::Right);
    auto right = inkOf(draw(*label));
    EXPECT_GE(right.minX, int(200 - measure("Hello")) - 1);
    EXPECT_GE(right.maxX, 195);
}

TEST(Label, ShadowAndStateColourTheText) {
    auto label = Label::create(makeRect(0, 0, 120, 40));
    label->setBackgroundColor(ui::Color::clearColor());
    label->setText("IIII");
    label->setFont(graphics::Font::boldSystemFontOfSize(24));
    label->setTextColor(ui::Color::blueColor());
    label->setShadowColor(ui::Color::redColor());
    label->setShadowOffset({0, 6});
    auto image = draw(*label);
    int red = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            auto p = image.pixel(x, y);
            red += p.a > 200 && p.r > 200 && p.b < 50;
            blue += p.a > 200 && p.b > 200 && p.r < 50;
        }
    }
    EXPECT_GT(red, 10);
    EXPECT_GT(blue, 10);

    label->setShadowColor(ui::Color::clearColor());
    label->setEnabled(false);
    auto grey = draw(*label);
    auto ink = inkOf(grey, 200);
    ASSERT_TRUE(ink.any());
    auto p = grey.pixel((ink.minX + ink.maxX) / 2, (ink.minY + ink.maxY) / 2);
    EXPECT_EQ(p.r, p.b);
}
