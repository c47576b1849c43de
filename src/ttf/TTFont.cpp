#include <ttf/TTFont.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>
#include <ttf/NameTable.hpp>

#include <cmath>

namespace ttf {

base::Ref<TTFont> TTFont::fontWithCGFont(base::Ref<graphics::FontFace> font, float size) {
    VERIFY_MSG(font, "Argument must be non-nil");
    return base::make<TTFont>(Private {}, std::move(font), size);
}

TTFont::TTFont(Private, base::Ref<graphics::FontFace> font, float size)
    : cgFont_(std::move(font))
    , pointSize_(size)
    , ratio_(size / float(cgFont_->unitsPerEm())) {
}

float TTFont::ascender() const {
    return std::ceil(ratio_ * float(cgFont_->ascent()));
}

float TTFont::descender() const {
    return std::floor(ratio_ * float(cgFont_->descent()));
}

float TTFont::capHeight() const {
    return std::ceil(ratio_ * float(cgFont_->capHeight()));
}

float TTFont::xHeight() const {
    return std::ceil(ratio_ * float(cgFont_->xHeight()));
}

std::optional<std::string> const& TTFont::cachedName(CachedName& name, std::uint16_t nameID) const {
    if (!name.read) {
        name.value = copyNameTableEntryForID(nameID);
        name.read = true;
    }
    return name.value;
}

std::optional<std::string> const& TTFont::familyName() const {
    return cachedName(familyName_, NameTable::familyNameID);
}

std::optional<std::string> const& TTFont::fontName() const {
    return cachedName(fontName_, NameTable::fullNameID);
}

std::optional<std::string> const& TTFont::postScriptName() const {
    return cachedName(postScriptName_, NameTable::postScriptNameID);
}

base::Ref<TTFont> TTFont::fontWithSize(float size) {
    if (size == pointSize_)
        return base::Ref<TTFont>(this);
    VERIFY_MSG(size > 0.0f, "Invalid parameter not satisfying: fontSize > 0.0");
    return fontWithCGFont(cgFont_, size);
}

bool TTFont::isEqual(TTFont const& other) const {
    return cgFont_ == other.cgFont_ && pointSize_ == other.pointSize_;
}

std::optional<std::string> TTFont::copyNameTableEntryForID(std::uint16_t nameID) const {
    auto table = cgFont_->copyTable(graphics::FontFace::tag('n', 'a', 'm', 'e'));
    if (!table) {
        base::logLine(
            "CGFontCopyTableForTag returned NULL for 'name' tag in font " + cgFont_->origin());
        return std::nullopt;
    }
    return NameTable::entry(*table, nameID, cgFont_->origin());
}

}
