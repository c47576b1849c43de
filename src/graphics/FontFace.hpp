#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

typedef struct _cairo_font_face cairo_font_face_t;

namespace graphics {

using GlyphId = std::uint16_t;

// One scalable font file (TrueType or OpenType) loaded through FreeType: the stand-in for the
// platform's font object made from a data provider. It answers the design metrics in font
// units, the raw sfnt tables, glyph advances in font units and the glyph of a character, and
// lends its face to bitmap contexts for drawing. Sizes are not its business: Font and the
// TrueType fonts of ttf/ scale its units.
//
// The bytes are read once and shared by the two FreeType faces made of them: one for the
// questions asked here, one that cairo owns for drawing (FreeType faces are not for two users
// at once). Immutable after creation; every FreeType call holds one process-wide lock, so a
// face may be used from any thread.
class FontFace final : public base::Object {
    // Only the create functions can name it.
    struct Private { };

public:
    // Null and one logged line when the file cannot be read or is no scalable font FreeType
    // accepts (a truncated or damaged file among them).
    static base::Ref<FontFace> createWithFile(std::filesystem::path const& path);
    static base::Ref<FontFace> createWithData(std::vector<std::uint8_t> bytes, std::string origin);

    // Where the bytes came from (a path, or what the caller named), for messages.
    std::string const& origin() const { return origin_; }
    std::string const& familyName() const { return familyName_; }
    std::string const& styleName() const { return styleName_; }
    // Empty when the font has none.
    std::string const& postScriptName() const { return postScriptName_; }

    // Design metrics in font units, y up: descent is negative below the baseline.
    int unitsPerEm() const { return unitsPerEm_; }
    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    int lineGap() const { return lineGap_; }
    // From the OS/2 table, else from the outlines of "H" and "x"; 0 when neither is known.
    int capHeight() const { return capHeight_; }
    int xHeight() const { return xHeight_; }
    int numberOfGlyphs() const { return numberOfGlyphs_; }

    // A copy of the sfnt table with that tag ('cmap' is 0x636D6170), or nullopt when the font
    // has none.
    std::optional<std::vector<std::uint8_t>> copyTable(std::uint32_t tag) const;

    // The advance of each glyph in font units; a glyph id the font does not have advances 0.
    void glyphAdvances(std::span<GlyphId const> glyphs, std::span<int> advances) const;
    int glyphAdvance(GlyphId glyph) const;
    // Through the font's Unicode character map; 0 (the missing glyph) when it has none.
    GlyphId glyphForCharacter(char32_t character) const;

    // The face cairo draws with; owned by this object, made on first use. Null when cairo
    // refused it (logged).
    cairo_font_face_t* cairoFace() const;

    static constexpr std::uint32_t tag(char a, char b, char c, char d) {
        return std::uint32_t(std::uint8_t(a)) << 24 | std::uint32_t(std::uint8_t(b)) << 16
            | std::uint32_t(std::uint8_t(c)) << 8 | std::uint32_t(std::uint8_t(d));
    }

    ~FontFace() override;

private:
    struct FreeTypeFace;

    bool load();

    std::shared_ptr<std::vector<std::uint8_t> const> bytes_;
    std::string origin_;
    std::unique_ptr<FreeTypeFace> face_;
    std::string familyName_;
    std::string styleName_;
    std::string postScriptName_;
    int unitsPerEm_ {0};
    int ascent_ {0};
    int descent_ {0};
    int lineGap_ {0};
    int capHeight_ {0};
    int xHeight_ {0};
    int numberOfGlyphs_ {0};
    mutable std::once_flag cairoOnce_;
    mutable cairo_font_face_t* cairoFace_ {nullptr};

    friend base::Factory;

    FontFace(Private, std::shared_ptr<std::vector<std::uint8_t> const> bytes, std::string origin);
};

}
