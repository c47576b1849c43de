#include <graphics/FontFace.hpp>

#include <base/Log.hpp>

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <fstream>
#include <system_error>

namespace graphics {

namespace {

// Font files above this size are not fonts the program ships or the system offers; refusing
// them early keeps a stray path from reading a huge file into memory.
constexpr std::uintmax_t maxFontFileSize = 64u * 1024 * 1024;

// The one FreeType library of the process and the lock that every FreeType call takes.
struct Library {
    std::mutex mutex;
    FT_Library library {nullptr};

    Library() {
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
            base::logLine("FontFace: FreeType could not be started");
        }
    }
};

// Never destroyed: fonts kept by other statics (and cairo's caches) are released during exit,
// in no order that could be relied on, and each release takes the lock.
Library& freeType() {
    static Library& library = *std::make_unique<Library>().release();
    return library;
}

// What cairo's face owns: its own FreeType face and a share of the bytes under it.
struct CairoFaceData {
    FT_Face face {nullptr};
    std::shared_ptr<std::vector<std::uint8_t> const> bytes;
};

cairo_user_data_key_t cairoFaceDataKey;

void destroyCairoFaceData(void* data) {
    std::unique_ptr<CairoFaceData> owned(static_cast<CairoFaceData*>(data));
    std::lock_guard lock(freeType().mutex);
    FT_Done_Face(owned->face);
}

std::uint32_t readU32(std::vector<std::uint8_t> const& bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16
        | std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

// FreeType reads tables only when asked, so a file cut short or with a forged table directory
// opens as if whole. Every table the directory lists (of the first font of a collection) must
// lie within the file. Wrapped forms (WOFF) are FreeType's own to check.
bool tablesWithinFile(std::vector<std::uint8_t> const& bytes) {
    std::size_t const size = bytes.size();
    if (size < 12)
        return false;
    std::size_t directory = 0;
    std::uint32_t version = readU32(bytes, 0);
    if (version == FontFace::tag('t', 't', 'c', 'f')) {
        if (size < 16 || readU32(bytes, 8) == 0)
            return false;
        directory = readU32(bytes, 12);
        if (directory > size || size - directory < 12)
            return false;
        version = readU32(bytes, directory);
    }
    if (version != 0x00010000 && version != FontFace::tag('t', 'r', 'u', 'e')
        && version != FontFace::tag('O', 'T', 'T', 'O')
        && version != FontFace::tag('t', 'y', 'p', '1'))
        return true;
    std::size_t count = std::size_t(bytes[directory + 4]) << 8 | bytes[directory + 5];
    if ((size - directory - 12) / 16 < count)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t record = directory + 12 + 16 * i;
        std::uint64_t offset = readU32(bytes, record + 8);
        std::uint64_t length = readU32(bytes, record + 12);
        if (offset + length > size)
            return false;
    }
    return true;
}

FT_Face openFace(std::vector<std::uint8_t> const& bytes) {
    FT_Face face = nullptr;
    auto& library = freeType();
    if (!library.library)
        return nullptr;
    if (FT_New_Memory_Face(library.library, bytes.data(), FT_Long(bytes.size()), 0, &face) != 0)
        return nullptr;
    return face;
}

}

struct FontFace::FreeTypeFace {
    FT_Face face {nullptr};
};

base::Ref<FontFace> FontFace::createWithFile(std::filesystem::path const& path) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error || size > maxFontFileSize) {
        base::logLine("FontFace: cannot read the font file " + path.string());
        return nullptr;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size))) {
        base::logLine("FontFace: cannot read the font file " + path.string());
        return nullptr;
    }
    return createWithData(std::move(bytes), path.string());
}

base::Ref<FontFace> FontFace::createWithData(std::vector<std::uint8_t> bytes, std::string origin) {
    auto shared = std::make_shared<std::vector<std::uint8_t> const>(std::move(bytes));
    auto face = base::make<FontFace>(Private {}, std::move(shared), std::move(origin));
    if (!face->load())
        return nullptr;
    return face;
}

FontFace::FontFace(
    Private, std::shared_ptr<std::vector<std::uint8_t> const> bytes, std::string origin)
    : bytes_(std::move(bytes))
    , origin_(std::move(origin))
    , face_(std::make_unique<FreeTypeFace>()) {
}

FontFace::~FontFace() {
    if (cairoFace_)
        cairo_font_face_destroy(cairoFace_);
    std::lock_guard lock(freeType().mutex);
    if (face_->face)
        FT_Done_Face(face_->face);
}

bool FontFace::load() {
    std::lock_guard lock(freeType().mutex);
    FT_Face face = openFace(*bytes_);
    if (!face) {
        base::logLine("FontFace: " + origin_ + " is no font that can be read");
        return false;
    }
    face_->face = face;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        base::logLine("FontFace: " + origin_ + " is no scalable font");
        return false;
    }
    if (FT_IS_SFNT(face) && !tablesWithinFile(*bytes_)) {
        base::logLine("FontFace: " + origin_ + " is damaged: a table lies outside the file");
        return false;
    }
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);

    familyName_ = face->family_name ? face->family_name : "";
    styleName_ = face->style_name ? face->style_name : "";
    if (char const* name = FT_Get_Postscript_Name(face))
        postScriptName_ = name;
    unitsPerEm_ = face->units_per_EM;
    ascent_ = face->ascender;
    descent_ = face->descender;
    lineGap_ = std::max(0, face->height - (face->ascender - face->descender));
    numberOfGlyphs_ = int(face->num_glyphs);

    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version >= 2 && os2->version != 0xFFFF) {
        capHeight_ = os2->sCapHeight;
        xHeight_ = os2->sxHeight;
    }
    // The top of an outline in font units, for fonts whose OS/2 table leaves the height out.
    auto top = [face](char32_t character) {
        FT_UInt glyph = FT_Get_Char_Index(face, character);
        if (glyph == 0 || FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) != 0)
            return 0;
        return int(face->glyph->metrics.horiBearingY);
    };
    if (capHeight_ <= 0)
        capHeight_ = top(U'H');
    if (xHeight_ <= 0)
        xHeight_ = top(U'x');
    return true;
}

std::optional<std::vector<std::uint8_t>> FontFace::copyTable(std::uint32_t tag) const {
    std::lock_guard lock(freeType().mutex);
    FT_Face face = face_->face;
    if (!FT_IS_SFNT(face))
        return std::nullopt;
    FT_ULong length = 0;
    if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0)
        return std::nullopt;
    std::vector<std::uint8_t> table(length);
    if (length > 0 && FT_Load_Sfnt_Table(face, tag, 0, table.data(), &length) != 0)
        return std::nullopt;
    table.resize(length);
    return table;
}

void FontFace::glyphAdvances(std::span<GlyphId const> glyphs, std::span<int> advances) const {
    std::lock_guard lock(freeType().mutex);
    FT_Face face = face_->face;
    for (std::size_t i = 0; i < glyphs.size() && i < advances.size(); ++i) {
        FT_Fixed advance = 0;
        if (glyphs[i] >= face->num_glyphs
            || FT_Get_Advance(face, glyphs[i], FT_LOAD_NO_SCALE, &advance) != 0)
            advance = 0;
        advances[i] = int(advance);
    }
}

int FontFace::glyphAdvance(GlyphId glyph) const {
    int advance = 0;
    glyphAdvances({&glyph, 1}, {&advance, 1});
    return advance;
}

GlyphId FontFace::glyphForCharacter(char32_t character) const {
    std::lock_guard lock(freeType().mutex);
    FT_UInt glyph = FT_Get_Char_Index(face_->face, character);
    return glyph <= 0xFFFF ? GlyphId(glyph) : 0;
}

cairo_font_face_t* FontFace::cairoFace() const {
    std::call_once(cairoOnce_, [this] {
        auto data = std::make_unique<CairoFaceData>();
        data->bytes = bytes_;
        {
            std::lock_guard lock(freeType().mutex);
            data->face = openFace(*bytes_);
        }
        if (!data->face) {
            base::logLine("FontFace: cannot open " + origin_ + " for drawing");
            return;
        }
        cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(data->face, 0);
        if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS
            || cairo_font_face_set_user_data(
                   face, &cairoFaceDataKey, data.get(), destroyCairoFaceData)
                != CAIRO_STATUS_SUCCESS) {
            base::logLine("FontFace: cairo cannot draw with " + origin_);
            cairo_font_face_destroy(face);
            std::lock_guard lock(freeType().mutex);
            FT_Done_Face(data->face);
            return;
        }
        [[maybe_unused]] CairoFaceData* ownedByCairo = data.release();
        cairoFace_ = face;
    });
    return cairoFace_;
}

}
