#include <ui/Font.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Label.hpp>
#include <ui/TextLayout.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using graphics::makeRect;
using graphics::Rect;
using ui::Font;
using ui::Label;
using ui::LineBreakMode;
using ui::TextLayout;

namespace {

Font const font = Font::systemFontOfSize(17);

float measure(std::string const& text) {
    return ui::sizeWithFont(text, font).width;
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

TEST(TextLayout, BreaksAndCutsAsTheModeSays) {
    std::string const ellipsis = "\xE2\x80\xA6";
    struct Case {
        char const* what;
        std::string text;
        float width;
        LineBreakMode mode;
        int maxLines;
        std::vector<std::string> lines;
    };
    Case const cases[] = {
        {"words wrap after spaces", "alpha beta gamma", measure("alpha beta") + 1,
            LineBreakMode::WordWrap, 0, {"alpha beta", "gamma"}},
        {"characters wrap anywhere", "aaaaaaaa", measure("aaaa") + 0.1f,
            LineBreakMode::CharacterWrap, 0, {"aaaa", "aaaa"}},
        {"a word wider than the line breaks by characters", "aaaaaaaa bb", measure("aaaa") + 0.1f,
            LineBreakMode::WordWrap, 0, {"aaaa", "aaaa", "bb"}},
        {"new lines always break", "one\ntwo", 0, LineBreakMode::WordWrap, 0, {"one", "two"}},
        {"no width, no wrapping", "alpha beta gamma", 0, LineBreakMode::WordWrap, 0,
            {"alpha beta gamma"}},
        {"tail truncation of one line", "abcdefghij", measure("abcde" + ellipsis) + 0.1f,
            LineBreakMode::TailTruncation, 1, {"abcde" + ellipsis}},
        {"head truncation of one line", "abcdefghij", measure(ellipsis + "fghij") + 0.1f,
            LineBreakMode::HeadTruncation, 1, {ellipsis + "fghij"}},
        {"middle truncation of one line", "abcdefghij", measure("ab" + ellipsis + "ij") + 0.1f,
            LineBreakMode::MiddleTruncation, 1, {"ab" + ellipsis + "ij"}},
        {"clipping keeps the line whole", "abcdefghij", measure("abc"), LineBreakMode::Clip, 1,
            {"abcdefghij"}},
        {"one word-wrapped line stops after a whole word", "alpha beta gamma",
            measure("alpha beta") + 1, LineBreakMode::WordWrap, 1, {"alpha beta"}},
        {"a line that fits shows dropped lines with an ellipsis", "one\ntwo", 200,
            LineBreakMode::TailTruncation, 1, {"one" + ellipsis}},
    };
    for (auto const& c : cases) {
        auto layout = TextLayout::layout(c.text, font, c.width, c.mode, c.maxLines);
        EXPECT_EQ(layout.lines(), c.lines) << c.what;
    }
}

TEST(TextLayout, TheLastLineKeptShowsThatTextWasCut) {
    std::string const ellipsis = "\xE2\x80\xA6";
    float width = measure("alpha beta") + 1;
    auto layout = TextLayout::layout(
        "alpha beta gamma delta epsilon", font, width, LineBreakMode::TailTruncation, 2);
    ASSERT_EQ(layout.lines().size(), 2u);
    EXPECT_EQ(layout.lines()[0], "alpha beta");
    EXPECT_TRUE(layout.lines()[1].ends_with(ellipsis)) << layout.lines()[1];
    EXPECT_TRUE(layout.lines()[1].starts_with("gamma")) << layout.lines()[1];
    EXPECT_LE(layout.lineWidths()[1], width);
    EXPECT_TRUE(layout.isTruncated());

    // The height limits the lines as well.
    auto byHeight = TextLayout::layout(
        "a\nb\nc\nd", font, 100, LineBreakMode::WordWrap, 0, font.lineHeight() * 2.5f);
    EXPECT_EQ(byHeight.lines().size(), 2u);
    EXPECT_FLOAT_EQ(byHeight.size().height, std::ceil(font.lineHeight() * 2));
}

TEST(TextLayout, SizesAgreeWithTheLinesTheyMeasure) {
    EXPECT_FLOAT_EQ(ui::sizeWithFont("", font).width, 0);
    auto one = ui::sizeWithFont("Hello", font);
    EXPECT_GT(one.width, 0);
    EXPECT_FLOAT_EQ(one.height, std::ceil(font.lineHeight()));
    auto wrapped
        = ui::sizeWithFont("Hello Hello", font, {one.width + 1, 1000}, LineBreakMode::WordWrap);
    EXPECT_FLOAT_EQ(wrapped.width, one.width);
    EXPECT_FLOAT_EQ(wrapped.height, std::ceil(font.lineHeight() * 2));
    EXPECT_GT(ui::sizeWithFont("Hello", Font::systemFontOfSize(34)).width, one.width * 1.8f);
}

TEST(Font, NamesGiveFamilyAndStyle) {
    struct Case {
        char const* name;
        char const* family;
        bool bold, italic;
    };
    Case const cases[] = {
        {"Helvetica", "Helvetica", false, false},
        {"Helvetica-Bold", "Helvetica", true, false},
        {"Arial-BoldMT", "Arial", true, false},
        {"Helvetica-BoldOblique", "Helvetica", true, true},
        {"Marker Felt", "Marker Felt", false, false},
        {"Verdana-Italic", "Verdana", false, true},
    };
    for (auto const& c : cases) {
        auto f = Font::fontWithName(c.name, 12);
        EXPECT_EQ(f.familyName(), c.family) << c.name;
        EXPECT_EQ(f.isBold(), c.bold) << c.name;
        EXPECT_EQ(f.isItalic(), c.italic) << c.name;
        EXPECT_GT(f.ascender(), 0) << c.name;
        EXPECT_LT(f.descender(), 0) << c.name;
        EXPECT_GE(f.lineHeight(), f.ascender() - f.descender() - 0.01f) << c.name;
    }
    EXPECT_EQ(Font().pointSize(), 17);
    EXPECT_EQ(Font::boldSystemFontOfSize(15).fontName(), "Helvetica-Bold");
}

TEST(Label, StartsAsThePlatformsLabelsDo) {
    auto label = Label::create(makeRect(0, 0, 100, 20));
    EXPECT_EQ(label->backgroundColor(), ui::Color::whiteColor());
    EXPECT_EQ(label->textColor(), ui::Color::blackColor());
    EXPECT_EQ(label->numberOfLines(), 1);
    EXPECT_EQ(label->lineBreakMode(), LineBreakMode::TailTruncation);
    EXPECT_EQ(label->textAlignment(), ui::TextAlignment::Left);
    EXPECT_FALSE(label->isUserInteractionEnabled());
    EXPECT_EQ(label->font().pointSize(), 17);
}

TEST(Label, SizeThatFitsMeasuresOneLineOrWrapsWithinTheWidth) {
    auto label = Label::create();
    label->setText("Vov Azavuz");
    EXPECT_EQ(label->sizeThatFits({}), ui::sizeWithFont("Vov Azavuz", label->font()));
    label->setNumberOfLines(0);
    auto narrow = label->sizeThatFits({measure("Azavuz") + 1, 0});
    EXPECT_FLOAT_EQ(narrow.height, std::ceil(label->font().lineHeight() * 2));
    label->setText("");
    EXPECT_EQ(label->sizeThatFits({100, 100}), (graphics::Size {0, 0}));
}

TEST(Label, AdjustingTheFontShrinksOneLineToFitButNotBelowTheMinimum) {
    auto label = Label::create(makeRect(0, 0, 100, 30));
    label->setText("A rather long title for such a box");
    EXPECT_EQ(label->fontForWidth(100).pointSize(), 17);
    label->setAdjustsFontSizeToFitWidth(true);
    auto fitted = label->fontForWidth(100);
    EXPECT_LT(fitted.pointSize(), 17);
    EXPECT_LE(ui::sizeWithFont(label->text(), fitted).width, 100);
    EXPECT_GT(
        ui::sizeWithFont(label->text(), fitted.fontWithSize(fitted.pointSize() + 1)).width, 100);
    label->setMinimumFontSize(14);
    EXPECT_EQ(label->fontForWidth(100).pointSize(), 14);
    // Several lines are never shrunk.
    label->setNumberOfLines(2);
    EXPECT_EQ(label->fontForWidth(100).pointSize(), 17);
}

TEST(Label, TextIsCentredDownTheBoxAndDrawnOnlyInIt) {
    auto label = Label::create(makeRect(0, 0, 200, 60));
    label->setBackgroundColor(ui::Color::clearColor());
    label->setText("Hello");
    auto rect = label->textRectForBounds(label->bounds(), 1);
    EXPECT_FLOAT_EQ(rect.midY(), 30);
    EXPECT_FLOAT_EQ(rect.size.width, measure("Hello"));

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
    label->setFont(Font::boldSystemFontOfSize(24));
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
