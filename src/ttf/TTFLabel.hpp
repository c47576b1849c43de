#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/Font.hpp>
#include <graphics/Geometry.hpp>
#include <graphics/Image.hpp>
#include <graphics/TextLayout.hpp>
#include <ttf/TTFont.hpp>

#include <string>

namespace ttf {

// A label that draws its text in a TrueType font of the bundle with the layout of
// TTFLabelStringDrawing: one line centred vertically (optionally shrunk to fit its width),
// or several lines centred as a block. It carries the label properties that drawing needs and
// draws into the current bitmap context; a view that shows it hosts it (ttf sits beside the
// view system, not above it). Without a TrueType font it draws with its platform font. Main
// thread.
class TTFLabel final : public base::Object {
public:
    // The font from FontManager; none when the bundle has no font file of that name.
    static base::Ref<TTFLabel> labelWithFrame(
        graphics::Rect frame, std::string const& fontName, float pointSize);
    static base::Ref<TTFLabel> labelWithFrame(graphics::Rect frame, base::Ref<TTFont> ttFont);
    static base::Ref<TTFLabel> labelWithFrame(
        graphics::Rect frame, base::Ref<graphics::FontFace> font, float pointSize);

    graphics::Rect frame() const { return frame_; }
    void setFrame(graphics::Rect frame) { frame_ = frame; }
    graphics::Rect bounds() const { return {{0, 0}, frame_.size}; }

    TTFont* ttFont() const { return ttFont_.get(); }
    void setTTFont(base::Ref<TTFont> font) { ttFont_ = std::move(font); }
    // The TrueType font's file; setting another keeps the point size.
    graphics::FontFace* cgFont() const;
    void setCGFont(base::Ref<graphics::FontFace> font);
    // The TrueType font's size (the platform font's without one); setting another size
    // replaces the font with the same file at that size.
    float pointSize() const;
    void setPointSize(float pointSize);

    // The platform label's part: what draws without a TrueType font, and the properties.
    graphics::Font* font() const { return font_.get(); }
    void setFont(base::Ref<graphics::Font> font) { font_ = std::move(font); }
    std::string const& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    graphics::Rgba textColor() const { return textColor_; }
    void setTextColor(graphics::Rgba color) { textColor_ = color; }
    graphics::TextAlignment textAlignment() const { return textAlignment_; }
    void setTextAlignment(graphics::TextAlignment alignment) { textAlignment_ = alignment; }
    graphics::LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(graphics::LineBreakMode mode) { lineBreakMode_ = mode; }
    // 0 for as many as fit.
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines) { numberOfLines_ = lines; }
    bool adjustsFontSizeToFitWidth() const { return adjustsFontSizeToFitWidth_; }
    void setAdjustsFontSizeToFitWidth(bool adjusts) { adjustsFontSizeToFitWidth_ = adjusts; }
    float minimumFontSize() const { return minimumFontSize_; }
    void setMinimumFontSize(float size) { minimumFontSize_ = size; }
    // 0 keeps the baselines where they were when the font shrinks, 1 the line centres.
    int baselineAdjustment() const { return baselineAdjustment_; }
    void setBaselineAdjustment(int adjustment) { baselineAdjustment_ = adjustment; }

    // Draws the text into rect of the current bitmap context, in the text colour.
    void drawTextInRect(graphics::Rect rect) const;
    // Where text in bounds would go when limited to numberOfLines (0: no limit).
    graphics::Rect textRectForBounds(graphics::Rect bounds, int numberOfLines) const;
    // drawTextInRect over the bounds.
    void drawRect() const { drawTextInRect(bounds()); }

private:
    void drawWithPlatformFont(graphics::Rect rect) const;

    graphics::Rect frame_;
    base::Ref<TTFont> ttFont_;
    base::Ref<graphics::Font> font_;
    std::string text_;
    graphics::Rgba textColor_ {0, 0, 0, 255};
    graphics::TextAlignment textAlignment_ {graphics::TextAlignment::Left};
    graphics::LineBreakMode lineBreakMode_ {graphics::LineBreakMode::TailTruncation};
    int numberOfLines_ {1};
    bool adjustsFontSizeToFitWidth_ {false};
    float minimumFontSize_ {0};
    int baselineAdjustment_ {0};

    friend base::Factory;

    explicit TTFLabel(graphics::Rect frame);
};

}
