#pragma once

#include <engine/AtlasSpriteManager.hpp>
#include <engine/BitmapFontConfiguration.hpp>
#include <engine/LabelProtocol.hpp>
#include <engine/RGBAProtocol.hpp>

#include <string>

namespace engine {

// A string shown with a bitmap font: one AtlasSprite of the font's sheet per character, at
// its pen position with its drawing offsets and the pair kerning of the description file. The
// sprite of position i carries tag i and is reused by later strings; a shorter string hides
// the sprites beyond it. A character the font's 256-entry table cannot hold (a code above
// 255) is left out, with a logged line, instead of being read past the table. Main thread;
// drawing needs the GL context.
class BitmapFontAtlas final : public AtlasSpriteManager, public LabelProtocol, public RGBAProtocol {
public:
    // The description (parsed once per file name) and its sheet image, both found as
    // resources. Null, with a logged line, when the file is refused or its sheet cannot be
    // loaded.
    static base::Ref<BitmapFontAtlas> bitmapFontAtlasWithString(
        std::string const& string, std::string const& fntFile);

    // The sheet image's resource path as the description file names it; nullopt when the
    // file cannot be read or names no acceptable sheet (logged).
    static std::optional<std::string> atlasNameFromFntFile(std::string const& fntFile);

    void setString(std::string const& string) override;
    std::string const& string() const { return string_; }
    BitmapFontConfiguration const& configuration() const { return *configuration_; }

    // The file's amount for the pair; 0 when it has none.
    int kerningAmmountForFirst(unsigned first, unsigned second) const;

    // Stored and passed to every character.
    Color3B color() const override { return color_; }
    void setColor(Color3B color) override;
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { setColor({r, g, b}); }
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;
    void setOpacityModifyRGB(bool modify) override;
    bool doesOpacityModifyRGB() const override { return opacityModifyRGB_; }

    // A new anchor lays the text out again.
    void setAnchorPoint(Point anchorPoint) override;

    void createFontChars();

private:
    std::string string_;
    base::Ref<BitmapFontConfiguration> configuration_;
    std::uint8_t opacity_ {255};
    Color3B color_ {255, 255, 255};
    bool opacityModifyRGB_ {false};

    friend base::Factory;

    // Use bitmapFontAtlasWithString.
    BitmapFontAtlas(std::string const& string, base::Ref<BitmapFontConfiguration> configuration,
        base::Ref<Texture2D> sheet);
};

}
