#pragma once

#include <base/Ref.hpp>
#include <graphics/Font.hpp>
#include <graphics/Geometry.hpp>
#include <graphics/TextLayout.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace ui {

class GraphicsContext;

// The line-break modes and alignments of the platform's text, shared with the engine's.
using LineBreakMode = graphics::LineBreakMode;
using TextAlignment = graphics::TextAlignment;

// UTF-8 text laid out in lines of one platform font for views: the platform's layout rules
// (graphics::TextLayout) with the limits views set, a width, a number of lines and a height.
// One line (maxLines 1) is laid out as a single line, newlines becoming spaces, as labels of
// one line are. A plain value; main thread only.
class TextLayout {
public:
    // width and maxHeight of 0 or less and maxLines of 0 mean no limit. A null font lays out
    // nothing.
    static TextLayout layout(std::string_view text, graphics::Font const* font, float width,
        LineBreakMode mode, TextAlignment alignment = TextAlignment::Left, int maxLines = 0,
        float maxHeight = 0);

    // Each line as drawing receives it: glyphs placed from the layout's top-left corner, and
    // aligned across the width when there is one.
    std::vector<graphics::TextLayout::Line> const& lines() const { return lines_; }
    // The text kept on line i (without an ellipsis added), as UTF-8.
    std::string lineText(std::size_t i) const;
    graphics::Font const* font() const { return font_.get(); }
    // The widest line by the lines' heights, unrounded.
    graphics::Size size() const { return size_; }

    // Draws the lines with their top-left corner at origin, in the context's fill colour.
    void draw(GraphicsContext& context, graphics::Point origin) const;

private:
    std::vector<graphics::TextLayout::Line> lines_;
    base::Ref<graphics::Font const> font_;
    graphics::Size size_;
};

}
