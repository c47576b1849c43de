#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/FontFace.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ttf {

// A TrueType font of the bundle at one point size: the font file (shared with every other
// size of it) and the size, with the metrics scaled from the font's design units and rounded
// outwards to whole points, and the names read from its 'name' table on first request. The
// engine's text textures make one per render; short-lived and cheap. Main thread.
class TTFont final : public base::Object {
    struct Private { };

public:
    static base::Ref<TTFont> fontWithCGFont(base::Ref<graphics::FontFace> font, float size);

    graphics::FontFace* cgFont() const { return cgFont_.get(); }
    float pointSize() const { return pointSize_; }
    // Points per font unit: the size over the font's units per em.
    float ratio() const { return ratio_; }

    // ceil(ratio x ascent).
    float ascender() const;
    // floor(ratio x descent), negative below the baseline.
    float descender() const;
    // ascender - descender: the distance from one line to the next.
    float leading() const { return ascender() - descender(); }
    float capHeight() const;
    float xHeight() const;

    // Name ids 1, 4 and 6 of the 'name' table, read once; nullopt when the font has none (or
    // its table is damaged, which is logged).
    std::optional<std::string> const& familyName() const;
    std::optional<std::string> const& fontName() const;
    std::optional<std::string> const& postScriptName() const;

    // Itself when size is its size; otherwise the same font at that size, which must be above
    // 0 ("Invalid parameter not satisfying: fontSize > 0.0").
    base::Ref<TTFont> fontWithSize(float size);

    // The same font file (by identity) at the same size.
    bool isEqual(TTFont const& other) const;

    // The entry of the 'name' table with that id; nullopt when there is none, when the font
    // has no 'name' table or when the table is damaged (the last two logged).
    std::optional<std::string> copyNameTableEntryForID(std::uint16_t nameID) const;

private:
    struct CachedName {
        bool read {false};
        std::optional<std::string> value;
    };
    std::optional<std::string> const& cachedName(CachedName& name, std::uint16_t nameID) const;

    base::Ref<graphics::FontFace> cgFont_;
    float pointSize_;
    float ratio_;
    mutable CachedName familyName_;
    mutable CachedName fontName_;
    mutable CachedName postScriptName_;

    friend base::Factory;

    TTFont(Private, base::Ref<graphics::FontFace> font, float size);
};

}
