#pragma once

#include <graphics/FontFace.hpp>
#include <graphics/Geometry.hpp>
#include <graphics/TextLayout.hpp>

#include <cstdint>
#include <span>
#include <string_view>

namespace ttf {

class FontTable;
class TTFont;

using graphics::LineBreakMode;
using graphics::Point;
using graphics::Rect;
using graphics::Size;
using graphics::TextAlignment;

// String measuring and drawing in a TrueType font of the bundle without the platform's text
// system: characters become glyphs through the font's own 'cmap' table (FontTable), glyphs
// are measured with the font's advances and laid out by graphics::TextLayout, whose rules
// (paragraphs, word and character wrapping, truncation, alignment) apply unchanged. The
// engine's text textures size labels with sizeWithTTFont and draw them with drawInRect in
// word-wrap mode.
//
// Text is UTF-8. Measured sizes are rounded up to whole points, drawn ones are not. Drawing
// goes to the current bitmap context (graphics::BitmapContext::pushContext), taken as y down,
// in its fill colour; without one nothing is drawn. A font without a usable character map
// lays out as empty: no width, one line height per line. Main thread.

Size sizeWithTTFont(std::string_view text, TTFont const& font);
Size sizeWithTTFont(std::string_view text, TTFont const& font, Size constrainedToSize);
Size sizeWithTTFont(
    std::string_view text, TTFont const& font, Size constrainedToSize, LineBreakMode mode);

Size drawAtPoint(std::string_view text, Point point, TTFont const& font);
// One line in a box of width by the font's leading.
Size drawAtPoint(
    std::string_view text, Point point, float width, TTFont const& font, LineBreakMode mode);
Size drawInRect(std::string_view text, Rect const& rect, TTFont const& font);
Size drawInRect(std::string_view text, Rect const& rect, TTFont const& font, LineBreakMode mode);
Size drawInRect(std::string_view text, Rect const& rect, TTFont const& font, LineBreakMode mode,
    TextAlignment alignment);

// The same with a font file at a point size.
Size sizeWithCGFont(std::string_view text, graphics::FontFace& font, float pointSize);
Size sizeWithCGFont(
    std::string_view text, graphics::FontFace& font, float pointSize, Size constrainedToSize);
Size sizeWithCGFont(std::string_view text, graphics::FontFace& font, float pointSize,
    Size constrainedToSize, LineBreakMode mode);
Size drawAtPoint(std::string_view text, Point point, graphics::FontFace& font, float pointSize);
Size drawInRect(std::string_view text, Rect const& rect, graphics::FontFace& font, float pointSize);
Size drawInRect(std::string_view text, Rect const& rect, graphics::FontFace& font, float pointSize,
    LineBreakMode mode);
Size drawInRect(std::string_view text, Rect const& rect, graphics::FontFace& font, float pointSize,
    LineBreakMode mode, TextAlignment alignment);

// The width of the glyphs (their font-unit advances times the font's ratio) by the font's
// leading, each glyph's advance in points into advances when given.
Size computeGlyphAdvances(
    TTFont const& font, std::span<graphics::GlyphId const> glyphs, std::span<float> advances = {});

// Lays the text out in the font and, when draw is set, draws it into the current context.
Size layoutAndDrawTTFontText(bool draw, std::u16string_view text, TTFont const& font, Size box,
    LineBreakMode mode, TextAlignment alignment, bool singleLine);
// Draws into the current context from point: the font set in, glyphs upright in a y-down
// space, the state restored afterwards.
Size drawTTFontTextInContext(Point point, Size box, std::u16string_view text, TTFont const& font,
    LineBreakMode mode, TextAlignment alignment, bool singleLine);

}
