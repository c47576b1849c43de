#pragma once

#include <engine/LabelProtocol.hpp>
#include <engine/Texture2D.hpp>
#include <engine/TextureNode.hpp>

#include <string>

namespace engine {

// A node that shows a string rendered into a texture in a named font and size, optionally in
// a fixed box with word wrapping and alignment, and optionally outlined (an outline texture
// of the same text, thickened, drawn behind it in the outline colour). Every change of text
// renders afresh.
//
// In a box, setString shrinks the font one point at a time while the text overflows the box,
// the font is above 5 points and the text is at least 4.8 x-heights high (about two lines):
// a single line that is too tall for its box is left as it is. The lowered size stays for
// later texts. fastSetString renders at the current size. Measuring uses the platform font of
// the name (a box side of 0 measures without a limit). Main thread; rendering needs the GL
// context.
class Label : public TextureNode, public LabelProtocol {
public:
    static base::Ref<Label> labelWithString(std::string const& string, Size dimensions,
        TextAlignment alignment, std::string const& fontName, float fontSize);
    static base::Ref<Label> labelWithString(
        std::string const& string, std::string const& fontName, float fontSize);

    // Lets the director's frame-rate counter draw its text; labels do it on first use.
    static void installFPSTextDrawer();

    void setString(std::string const& string) override;
    void fastSetString(std::string const& string);
    // Renders the outline texture of the current text at the current stroke size.
    void updateStrokeTexture();

    // Outline settings; while the outline is on, each change renders it again.
    void setStroke(bool stroke);
    void setStrokeSize(float size);
    void setStrokeColor(Color3B color);

    // The size of the text in the font at its current size, wrapped within the box; (0, 0)
    // without text.
    Size getTextSize() const;
    std::string getText() const { return str_; }

    Size dimensions() const { return dimensions_; }
    TextAlignment alignment() const { return alignment_; }
    std::string const& fontName() const { return fontName_; }
    float fontSize() const { return fontSize_; }

    // The tallest measurement the shrink rule makes, in points.
    static constexpr float shrinkHeightLimit = 500;
    // The rule's smallest size and its x-height factor.
    static constexpr float shrinkFloor = 5;
    static constexpr double shrinkXHeights = 4.8;

private:
    void render(std::string const& string);

    Size dimensions_;
    TextAlignment alignment_ {TextAlignment::Left};
    std::string fontName_;
    float fontSize_ {0};
    std::string str_;

    friend base::Factory;

    // Raises "LabelInit": a label is made with its string and font.
    Label();
    Label(std::string const& string, Size dimensions, TextAlignment alignment,
        std::string const& fontName, float fontSize);
};

}
