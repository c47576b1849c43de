#pragma once

#include <base/Ref.hpp>
#include <graphics/Font.hpp>
#include <ui/Color.hpp>
#include <ui/TextLayout.hpp>
#include <ui/View.hpp>

#include <string>

namespace ui {

// Text in a box: one font and colour, aligned across the box and centred down it,
// wrapped and cut by numberOfLines (0: as many as fit) and the line-break mode. With
// adjustsFontSizeToFitWidth a single line that is too wide is set in a smaller size,
// down to minimumFontSize, before it is cut. A shadow colour other than clear draws the
// text again underneath, offset by shadowOffset. Starts white and opaque with black
// system text of 17 points, tail truncation, one line, taking no touches.
// Main thread only.
class Label : public View {
public:
    static base::Ref<Label> create(graphics::Rect frame = {});

    std::string const& text() const { return text_; }
    void setText(std::string text);
    // Never null while the system font is installed: setting null gives the system font of
    // 17 points back, as the platform does.
    graphics::Font* font() const { return font_.get(); }
    void setFont(base::Ref<graphics::Font> font);
    Color textColor() const { return textColor_; }
    void setTextColor(Color color);
    // Used while highlighted when set (not clear).
    Color highlightedTextColor() const { return highlightedTextColor_; }
    void setHighlightedTextColor(Color color);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    // A disabled label draws its text in grey.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment);
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines);
    LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(LineBreakMode mode);
    bool adjustsFontSizeToFitWidth() const { return adjustsFontSizeToFitWidth_; }
    void setAdjustsFontSizeToFitWidth(bool adjusts);
    float minimumFontSize() const { return minimumFontSize_; }
    void setMinimumFontSize(float size);
    Color shadowColor() const { return shadowColor_; }
    void setShadowColor(Color color);
    graphics::Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(graphics::Size offset);

    // The font the text is drawn with in a box of width: the label's font, or a smaller
    // size of it when the label adjusts its font to fit.
    base::Ref<graphics::Font> fontForWidth(float width) const;
    // The text laid out as it is drawn in rect.
    TextLayout layoutForRect(graphics::Rect rect) const;
    // Where the text goes within bounds (its lines' box, centred down the bounds).
    virtual graphics::Rect textRectForBounds(graphics::Rect bounds, int numberOfLines) const;
    // Draws the text within rect; called by drawRect with the bounds.
    virtual void drawTextInRect(GraphicsContext& context, graphics::Rect rect);

    graphics::Size sizeThatFits(graphics::Size size) const override;
    void drawRect(GraphicsContext& context, graphics::Rect rect) override;

private:
    std::string text_;
    base::Ref<graphics::Font> font_;
    Color textColor_ {Color::blackColor()};
    Color highlightedTextColor_ {Color::clearColor()};
    Color shadowColor_ {Color::clearColor()};
    graphics::Size shadowOffset_ {0, -1};
    TextAlignment alignment_ {TextAlignment::Left};
    LineBreakMode lineBreakMode_ {LineBreakMode::TailTruncation};
    int numberOfLines_ {1};
    float minimumFontSize_ {0};
    bool adjustsFontSizeToFitWidth_ {false};
    bool highlighted_ {false};
    bool enabled_ {true};

protected:
    friend base::Factory;

    // Protected so that labels with their own text placement can derive from it.
    explicit Label(graphics::Rect frame = {});
};

}
