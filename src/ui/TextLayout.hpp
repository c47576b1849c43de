#pragma once

#include <graphics/Geometry.hpp>
#include <ui/Font.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace ui {

class GraphicsContext;

// How text that does not fit is broken or cut, numbered as the platform numbers them.
enum class LineBreakMode {
    WordWrap = 0,
    CharacterWrap = 1,
    Clip = 2,
    HeadTruncation = 3,
    TailTruncation = 4,
    MiddleTruncation = 5,
};

// Where lines sit across their box, numbered as the platform numbers them.
enum class TextAlignment { Left = 0, Center = 1, Right = 2 };

// UTF-8 text set in lines of one font: broken at "\n", wrapped to a width and cut to a
// number of lines as the line-break mode says. Word wrapping breaks after spaces and
// breaks a word that is wider than the line by characters. When lines are left over,
// the truncating modes put an ellipsis ("…") into the last line kept (at its end, start
// or middle), the others just drop them. A single line (maxLines 1) is never wrapped:
// it is cut after its last whole word (word wrap), its last whole character (character
// wrap), kept whole for the box to clip (clip), or shortened with an ellipsis.
// A plain value; main thread only (measuring uses the font engine).
class TextLayout {
public:
    // width and maxHeight of 0 or less and maxLines of 0 mean no limit; at least one line
    // is always kept.
    static TextLayout layout(std::string_view text, Font const& font, float width,
        LineBreakMode mode, int maxLines = 0, float maxHeight = 0);

    std::vector<std::string> const& lines() const { return lines_; }
    std::vector<float> const& lineWidths() const { return widths_; }
    Font const& font() const { return font_; }
    // The widest line and the lines' total height, each rounded up to whole points.
    graphics::Size size() const;
    // True when text was dropped or cut.
    bool isTruncated() const { return truncated_; }

    // Draws the lines down from rect's top, each aligned across rect's width, in the
    // context's fill colour.
    void draw(GraphicsContext& context, graphics::Rect rect, TextAlignment alignment) const;

private:
    std::vector<std::string> lines_;
    std::vector<float> widths_;
    Font font_;
    bool truncated_ {false};
};

// The size of text set in one line.
graphics::Size sizeWithFont(std::string_view text, Font const& font);
// The size of text wrapped within size.width and cut to the lines that fit size.height.
graphics::Size sizeWithFont(
    std::string_view text, Font const& font, graphics::Size constrained, LineBreakMode mode);
// The size of text set in one line cut to width.
graphics::Size sizeWithFont(
    std::string_view text, Font const& font, float width, LineBreakMode mode);

}
