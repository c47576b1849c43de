#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/FontFace.hpp>
#include <graphics/Geometry.hpp>
#include <graphics/Image.hpp>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace graphics {

// A drawing context over a pixel buffer of its own, the stand-in for the platform's bitmap
// context, drawn with cairo: the engine's text textures and the labels of views render into
// it. Its user space is the platform's: the origin at the bottom-left corner, y up, one unit
// per pixel, until the caller transforms it (flipping it to y down is the usual first step
// for text).
//
// Two kinds: Grey8, one byte per pixel, which holds coverage (what text masks need); a grey
// fill colour paints with its grey level times its alpha. RGBA8, premultiplied colour.
//
// The graphics state (transform, fill colour, font and font size) is saved and restored as a
// stack. The text matrix is not part of it, as on the platform. Glyphs are drawn unhinted with
// grey antialiasing at exact positions, so measuring and drawing agree and results repeat.
//
// Not thread-safe: one thread draws into a context at a time. The current-context stack is
// per thread.
//
// It stays a class apart from ui::GraphicsContext, though both draw with cairo: this one is
// the target of text drawing and of the engine's text textures (made current on a stack,
// y up, pixels, a coverage-only format for masks), while that one is what views draw their
// content into (y down, points at a scale, paths, images and shadows in the view system's
// colours). One class would force a single coordinate convention on both, and put the view
// system's colours and images below the view system.
class BitmapContext final : public base::Object {
    struct Private { };

public:
    enum class Format { Grey8, RGBA8 };

    // A zero-filled context; null when a side is not in 1 ... Image::maxSide or cairo refuses.
    static base::Ref<BitmapContext> create(int width, int height, Format format);

    int width() const { return width_; }
    int height() const { return height_; }
    Format format() const { return format_; }

    // The pixels, rows from the top: A8 for Grey8 (the grey levels read as coverage), RGBA8
    // with premultiplied alpha otherwise.
    Image image() const;

    void saveGState();
    // Unbalanced restores are ignored.
    void restoreGState();

    void translateCTM(float tx, float ty);
    void scaleCTM(float sx, float sy);
    void concatCTM(AffineTransform const& transform);
    AffineTransform ctm() const;

    void setGrayFillColor(float gray, float alpha);
    void setRGBFillColor(float r, float g, float b, float alpha);
    void fillRect(Rect const& rect);
    // Fills the closed polygon through the user-space points (nonzero winding); fewer
    // than three points fill nothing.
    void fillPolygon(std::span<Point const> points);

    // The font glyphs are drawn in; null draws nothing.
    void setFont(FontFace* face);
    FontFace* font() const;
    void setFontSize(float pointSize);
    float fontSize() const;
    // Maps glyph space (y up) to user space before the size is applied; (1, 0, 0, -1, 0, 0)
    // makes glyphs stand upright in a user space flipped to y down.
    void setTextMatrix(AffineTransform const& matrix) { textMatrix_ = matrix; }
    AffineTransform textMatrix() const { return textMatrix_; }

    // Each glyph with its baseline origin at the user-space point of the same index, in the
    // fill colour.
    void showGlyphs(std::span<GlyphId const> glyphs, std::span<Point const> positions);

    // The platform's current-context stack, where string drawing finds its target.
    static void pushContext(BitmapContext& context);
    static void popContext();
    static BitmapContext* currentContext();

    ~BitmapContext() override;

private:
    struct TextState {
        base::Ref<FontFace> font;
        float size {12};
    };

    int width_;
    int height_;
    Format format_;
    int stride_;
    std::vector<std::uint8_t> pixels_;
    cairo_surface_t* surface_ {nullptr};
    cairo_t* cairo_ {nullptr};
    std::vector<TextState> textStates_;
    AffineTransform textMatrix_;

    friend base::Factory;

    BitmapContext(Private, int width, int height, Format format);
};

}
