#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/FontFace.hpp>

#include <filesystem>
#include <string>
#include <string_view>

namespace graphics {

// A font of the platform by name at one point size, with its metrics in points: the
// stand-in for the platform's font class that labels, views and the engine's text textures
// ask for by names such as "Helvetica" or "Arial-BoldMT".
//
// Linux has none of those fonts. The names the program uses map to free fonts installed
// from Debian, found by file path (metric-compatible Liberation Sans for the Helvetica and
// Arial names, DejaVu Sans for the others), with a fontconfig search for the same family as
// a second way; any other name is looked up through fontconfig as a family, full or
// PostScript name, and fails when nothing of that name is installed. Files registered by
// name come first, as the fonts an application brings along. Each file is loaded once per
// process and shared. Fonts are immutable values behind a reference; any thread.
class Font final : public base::Object {
    struct Private { };

public:
    // Null when no font answers to the name, or when the size is not above 0.
    static base::Ref<Font> fontWithName(std::string_view name, float pointSize);
    // Helvetica and Helvetica-Bold, the platform's interface fonts.
    static base::Ref<Font> systemFontOfSize(float pointSize);
    static base::Ref<Font> boldSystemFontOfSize(float pointSize);

    // From now on name answers with the font file at path, before any built-in mapping.
    // False and a logged line when the file is no font.
    static bool registerFontFile(std::string name, std::filesystem::path const& path);
    // Forgets every registered name (tests).
    static void removeRegisteredFonts();

    // The same face at another size; null when the size is not above 0.
    base::Ref<Font> fontWithSize(float pointSize) const;

    // The name the font was asked for.
    std::string const& fontName() const { return fontName_; }
    std::string const& familyName() const { return face_->familyName(); }
    float pointSize() const { return pointSize_; }
    // Points above the baseline, and below it as a negative number.
    float ascender() const { return scaled(face_->ascent()); }
    float descender() const { return scaled(face_->descent()); }
    // From one baseline to the next: ascender - descender + the font's line gap.
    float lineHeight() const;
    float capHeight() const { return scaled(face_->capHeight()); }
    float xHeight() const { return scaled(face_->xHeight()); }
    // Points per font unit.
    float scale() const { return pointSize_ / float(face_->unitsPerEm()); }

    FontFace& face() const { return *face_; }

private:
    float scaled(int units) const { return float(units) * scale(); }

    std::string fontName_;
    base::Ref<FontFace> face_;
    float pointSize_;

    friend base::Factory;

    Font(Private, std::string name, base::Ref<FontFace> face, float pointSize);
};

}
