#pragma once

#include <graphics/Font.hpp>
#include <graphics/Geometry.hpp>
#include <graphics/Image.hpp>
#include <ui/Color.hpp>
#include <ui/TextLayout.hpp>

#include <span>
#include <string_view>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace ui {

class Image;

// A bitmap to draw into with paths, fills, strokes, images and text: what views draw
// their content with, and what code builds pictures with. Coordinates are points from
// the top-left corner, y growing downwards, as the views' drawing expects; the bitmap
// holds scale pixels per point. Colours are set separately for filling and stroking;
// the path is not part of the saved state and is used up by fill and stroke, as the
// platform's contexts behave. Drawn on cairo. Used on one thread at a time.
//
// It stays apart from graphics::BitmapContext, the platform's bitmap context that text
// drawing and the engine's text textures target: that one counts pixels with y up and is
// made current on a per-thread stack, this one counts points with y down at a scale and
// takes the view system's colours and images. Both sit on cairo; they share the text layout
// (graphics::TextLayout and FontGlyphs), not a drawing class.
class GraphicsContext {
public:
    // The most pixels a side may have: a larger size (a forged or runaway frame) is cut
    // to it rather than allocated.
    static constexpr int maxPixels = 4096;

    // A transparent bitmap of size points (rounded up to whole pixels).
    explicit GraphicsContext(graphics::Size size, float scale = 1);
    ~GraphicsContext();
    GraphicsContext(GraphicsContext const&) = delete;
    GraphicsContext& operator=(GraphicsContext const&) = delete;

    graphics::Size size() const { return size_; }
    float scale() const { return scale_; }
    int pixelWidth() const { return pixelWidth_; }
    int pixelHeight() const { return pixelHeight_; }

    // --- state ---
    void saveGState();
    void restoreGState();
    void translateCTM(float x, float y);
    void scaleCTM(float sx, float sy);
    void rotateCTM(float angle);
    void concatCTM(graphics::AffineTransform const& transform);
    void setFillColor(Color color);
    void setStrokeColor(Color color);
    Color fillColor() const { return state_.back().fill; }
    Color strokeColor() const { return state_.back().stroke; }
    void setLineWidth(float width);
    // Multiplies everything drawn afterwards.
    void setAlpha(float alpha);
    // A shadow under text drawn afterwards, offset in points; blur is not drawn. A clear
    // colour turns it off.
    void setShadow(graphics::Size offset, float blur, Color color);

    // --- paths ---
    void beginPath();
    void moveToPoint(float x, float y);
    void addLineToPoint(float x, float y);
    // An arc of radius tangent to the lines from the current point to (x1, y1) and from
    // there to (x2, y2), with a line to its start.
    void addArcToPoint(float x1, float y1, float x2, float y2, float radius);
    // An arc around (x, y) from startAngle to endAngle (radians), clockwise on screen when
    // clockwise is false, as the platform counts in its flipped contexts.
    void addArc(float x, float y, float radius, float startAngle, float endAngle, bool clockwise);
    void addRect(graphics::Rect rect);
    void addEllipseInRect(graphics::Rect rect);
    // A rectangle with corners rounded by radius (0: square).
    void addRoundedRect(graphics::Rect rect, float radius);
    void closePath();
    bool isPathEmpty() const;
    void fillPath();
    void eoFillPath();
    void strokePath();
    // Both, the fill first.
    void drawPath();
    // Limits drawing to the path (and empties it).
    void clip();

    // --- shapes ---
    void fillRect(graphics::Rect rect);
    void strokeRect(graphics::Rect rect);
    void clearRect(graphics::Rect rect);
    void fillEllipseInRect(graphics::Rect rect);
    void strokeEllipseInRect(graphics::Rect rect);
    void fillRoundedRect(graphics::Rect rect, float radius);
    void strokeRoundedRect(graphics::Rect rect, float radius);
    // Separate segments between pairs of points.
    void strokeLineSegments(std::vector<graphics::Point> const& points);
    void clipToRect(graphics::Rect rect);
    // Paints the clip area with a radial gradient about center, from startColor at
    // startRadius to endColor at endRadius; nothing is painted inside the start circle
    // or beyond the end circle (no extension past either end).
    void drawRadialGradient(graphics::Point center, float startRadius, Color startColor,
        float endRadius, Color endColor);

    // --- images ---
    // Fills rect with image, stretched; a stretchable image keeps its caps and stretches
    // its middle.
    void drawImage(Image const& image, graphics::Rect rect, float alpha = 1);
    void drawImage(graphics::Image const& bitmap, graphics::Rect rect, float alpha = 1);
    // The same, with overlay laid over the image's own pixels only (darkening a pressed
    // image with translucent black, for instance).
    void drawImage(Image const& image, graphics::Rect rect, Color overlay);

    // --- text ---
    // Draws text in the fill colour, laid out within rect (its height limits the lines),
    // and answers the size it took. A null font draws nothing.
    graphics::Size drawText(std::string_view text, graphics::Rect rect, graphics::Font const* font,
        LineBreakMode mode = LineBreakMode::WordWrap,
        TextAlignment alignment = TextAlignment::Left);
    // Draws text in one line from point (its top-left corner).
    graphics::Size drawTextAtPoint(
        std::string_view text, graphics::Point point, graphics::Font const* font);
    // Draws glyphs of font at positions (baseline origins) moved by origin, with the shadow
    // first when one is set.
    void showGlyphs(graphics::Font const& font, std::span<graphics::GlyphId const> glyphs,
        std::span<graphics::Point const> positions, graphics::Point origin);

    // --- result ---
    // True once anything has been drawn.
    bool hasDrawn() const { return drawn_; }
    // The pixels, RGBA with premultiplied alpha, rows from the top.
    graphics::Image makeImage() const;
    // For drawing cairo offers and this class does not; call markDrawn after.
    cairo_t* cairo() const { return cairo_; }
    void markDrawn() { drawn_ = true; }

private:
    struct State {
        Color fill {Color::blackColor()};
        Color stroke {Color::blackColor()};
        float alpha {1};
        graphics::Size shadowOffset;
        Color shadowColor {Color::clearColor()};
    };

    void useColor(Color color);
    void drawBitmap(cairo_surface_t* surface, int width, int height, graphics::Rect rect,
        float alpha, int leftCap, int topCap, float imageScale);

    graphics::Size size_;
    float scale_;
    int pixelWidth_;
    int pixelHeight_;
    cairo_surface_t* surface_;
    cairo_t* cairo_;
    std::vector<State> state_;
    bool drawn_ {false};
};

}
