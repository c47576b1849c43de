#pragma once

#include <engine/Geometry.hpp>
#include <graphics/Image.hpp>
#include <graphics/TextLayout.hpp>

#include <optional>
#include <string>

namespace engine {

// The text engine under the text textures: measures a string in a named font and renders it
// into an 8-bit alpha mask, optionally thickened for an outline. The font is the bundle's
// TrueType font of that name (ttf::FontManager) when there is one, else the platform font of
// that name, else the platform's system font (the last logged once per name). Main thread.
class TextMask {
public:
    // The size of the string on one line, unconstrained, in whole points; (0, 0) for "".
    static Size measure(std::string const& string, std::string const& fontName, float fontSize);

    // A mask of width x height pixels (rows from the top) with the string drawn in the box
    // (0, 0, box) from the top-left corner, word-wrapped and aligned in it. nullopt, with a
    // logged line, for a side outside 1 ... graphics::Image::maxSide.
    static std::optional<graphics::Image> render(std::string const& string, Size box,
        graphics::TextAlignment alignment, std::string const& fontName, float fontSize,
        unsigned width, unsigned height);

    // The outline passes over a mask: as many as the stroke size rounded up (none for 0 or
    // less). Each pass sums every pixel with its left and right neighbours (capped at 255),
    // then averages the result with the pixels above and below, the edges repeated; the
    // glyphs widen sideways and soften vertically.
    static void thicken(graphics::Image& mask, float strokeSize);

    // A box side as the texture takes it: whole pixels, 0 for negative or non-finite values.
    static unsigned wholePixels(float side);
};

}
