#include "TestFont.hpp"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>

namespace test {

namespace {

class Writer {
public:
    void u8(unsigned value) { bytes.push_back(std::uint8_t(value)); }
    void u16(unsigned value) {
        u8(value >> 8);
        u8(value);
    }
    void i16(int value) { u16(std::uint16_t(std::int16_t(value))); }
    void u32(std::uint32_t value) {
        u16(value >> 16);
        u16(value & 0xFFFF);
    }
    void zeros(std::size_t count) { bytes.insert(bytes.end(), count, 0); }
    void append(std::vector<std::uint8_t> const& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
    }
    void put16(std::size_t at, unsigned value) {
        bytes[at] = std::uint8_t(value >> 8);
        bytes[at + 1] = std::uint8_t(value);
    }
    void put32(std::size_t at, std::uint32_t value) {
        put16(at, value >> 16);
        put16(at + 2, value & 0xFFFF);
    }
    std::size_t size() const { return bytes.size(); }

    std::vector<std::uint8_t> bytes;
};

struct Mapping {
    char32_t code;
    std::uint16_t glyph;
};

std::vector<Mapping> mappings(TestFontSpec const& spec) {
    std::vector<Mapping> result;
    for (std::size_t i = 0; i < spec.characters.size(); ++i)
        result.push_back({spec.characters[i], std::uint16_t(i + 1)});
    std::sort(result.begin(), result.end(),
        [](Mapping const& a, Mapping const& b) { return a.code < b.code; });
    return result;
}

std::vector<std::uint8_t> format4(TestFontSpec const& spec, bool rangeOffsets) {
    struct Segment {
        unsigned start, end;
        std::vector<std::uint16_t> glyphs;
    };
    std::vector<Segment> segments;
    for (auto const& m : mappings(spec)) {
        if (m.code > 0xFFFE)
            continue;
        if (!segments.empty() && segments.back().end + 1 == m.code
            && segments.back().glyphs.back() + 1 == m.glyph) {
            segments.back().end = m.code;
            segments.back().glyphs.push_back(m.glyph);
        } else {
            segments.push_back({unsigned(m.code), unsigned(m.code), {m.glyph}});
        }
    }
    segments.push_back({0xFFFF, 0xFFFF, {0}});
    unsigned segCount = unsigned(segments.size());

    Writer w;
    w.u16(4);
    w.u16(0); // length, patched below
    w.u16(0);
    w.u16(segCount * 2);
    unsigned searchRange = 2, entrySelector = 0;
    while (searchRange * 2 <= segCount * 2) {
        searchRange *= 2;
        ++entrySelector;
    }
    w.u16(searchRange);
    w.u16(entrySelector);
    w.u16(segCount * 2 - searchRange);
    for (auto const& s : segments)
        w.u16(s.end);
    w.u16(0);
    for (auto const& s : segments)
        w.u16(s.start);
    std::vector<std::uint16_t> glyphArray;
    std::vector<unsigned> rangeOffset(segCount, 0);
    for (unsigned i = 0; i < segCount; ++i) {
        auto const& s = segments[i];
        bool last = i + 1 == segCount;
        if (rangeOffsets && !last) {
            w.u16(0);
            rangeOffset[i] = 2 * (segCount - i) + 2 * unsigned(glyphArray.size());
            glyphArray.insert(glyphArray.end(), s.glyphs.begin(), s.glyphs.end());
        } else {
            w.u16((s.glyphs.front() - s.start) & 0xFFFF);
        }
    }
    for (unsigned offset : rangeOffset)
        w.u16(offset);
    for (auto glyph : glyphArray)
        w.u16(glyph);
    w.put16(2, unsigned(w.size()));
    return w.bytes;
}

std::vector<std::uint8_t> format12(TestFontSpec const& spec) {
    std::vector<std::array<std::uint32_t, 3>> groups;
    for (auto const& m : mappings(spec)) {
        if (!groups.empty() && groups.back()[1] + 1 == m.code
            && groups.back()[2] + (groups.back()[1] - groups.back()[0]) + 1 == m.glyph)
            groups.back()[1] = m.code;
        else
            groups.push_back({m.code, m.code, m.glyph});
    }
    Writer w;
    w.u16(12);
    w.u16(0);
    w.u32(std::uint32_t(16 + 12 * groups.size()));
    w.u32(0);
    w.u32(std::uint32_t(groups.size()));
    for (auto const& g : groups) {
        w.u32(g[0]);
        w.u32(g[1]);
        w.u32(g[2]);
    }
    return w.bytes;
}

std::vector<std::uint8_t> glyphOutline(TestFontSpec const& spec) {
    Writer w;
    w.i16(1);
    w.i16(spec.inkLeft);
    w.i16(spec.inkBottom);
    w.i16(spec.inkRight);
    w.i16(spec.inkTop);
    w.u16(3); // end point of the one contour
    w.u16(0); // no instructions
    for (int i = 0; i < 4; ++i)
        w.u8(0x01); // on the curve, 16-bit coordinates
    // Clockwise: bottom-left, top-left, top-right, bottom-right.
    int width = spec.inkRight - spec.inkLeft, height = spec.inkTop - spec.inkBottom;
    for (int dx : {spec.inkLeft, 0, width, 0})
        w.i16(dx);
    for (int dy : {spec.inkBottom, height, 0, -height})
        w.i16(dy);
    return w.bytes;
}

std::vector<std::uint8_t> table(TestFontSpec const& spec, std::string const& tag) {
    int glyphCount = int(spec.characters.size()) + 1;
    Writer w;
    if (tag == "head") {
        w.u32(0x00010000);
        w.u32(0x00010000);
        w.u32(0); // checksum adjustment
        w.u32(0x5F0F3CF5);
        w.u16(0x000B);
        w.u16(unsigned(spec.unitsPerEm));
        w.zeros(16); // created, modified
        w.i16(spec.inkLeft);
        w.i16(std::min(spec.inkBottom, 0));
        w.i16(spec.inkRight);
        w.i16(spec.inkTop);
        w.u16(0); // mac style
        w.u16(8);
        w.i16(2);
        w.i16(0); // short loca offsets
        w.i16(0);
    } else if (tag == "hhea") {
        w.u32(0x00010000);
        w.i16(spec.ascent);
        w.i16(spec.descent);
        w.i16(spec.lineGap);
        w.u16(unsigned(spec.advance));
        w.i16(spec.inkLeft);
        w.i16(spec.advance - spec.inkRight);
        w.i16(spec.inkRight);
        w.i16(1);
        w.i16(0);
        w.i16(0);
        w.zeros(8);
        w.i16(0);
        w.u16(unsigned(glyphCount));
    } else if (tag == "maxp") {
        w.u32(0x00010000);
        w.u16(unsigned(glyphCount));
        w.u16(4); // points
        w.u16(1); // contours
        w.u16(0);
        w.u16(0);
        w.u16(2); // zones
        w.zeros(16);
    } else if (tag == "hmtx") {
        for (int i = 0; i < glyphCount; ++i) {
            w.u16(unsigned(spec.advance));
            w.i16(i == 0 ? 0 : spec.inkLeft);
        }
    } else if (tag == "glyf" || tag == "loca") {
        auto outline = glyphOutline(spec);
        Writer glyf, loca;
        loca.u16(0);
        for (int i = 0; i < glyphCount; ++i) {
            if (i > 0 && spec.characters[std::size_t(i - 1)] != U' ')
                glyf.append(outline);
            loca.u16(unsigned(glyf.size() / 2));
        }
        return tag == "glyf" ? glyf.bytes : loca.bytes;
    } else if (tag == "cmap") {
        return buildCmapTable(spec);
    } else if (tag == "name") {
        return buildNameTable(spec);
    } else if (tag == "post") {
        w.u32(0x00030000);
        w.zeros(28);
    } else if (tag == "OS/2") {
        w.u16(4);
        w.i16(spec.advance);
        w.u16(400);
        w.u16(5);
        w.u16(0);
        w.zeros(22); // sub- and superscripts, strikeout, family class
        w.zeros(10); // panose
        w.zeros(16); // unicode ranges
        w.u32(0x54455354); // "TEST"
        w.u16(0x40);
        w.u16(0x20);
        w.u16(0xFFFF);
        w.i16(spec.ascent);
        w.i16(spec.descent);
        w.i16(spec.lineGap);
        w.u16(unsigned(spec.ascent));
        w.u16(unsigned(-spec.descent));
        w.zeros(8); // code pages
        w.i16(spec.xHeight);
        w.i16(spec.capHeight);
        w.u16(0);
        w.u16(0x20);
        w.u16(1);
    }
    return w.bytes;
}

std::uint32_t tagValue(std::string const& tag) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | std::uint8_t(i < tag.size() ? tag[i] : ' ');
    return value;
}

}

TestFontSpec::TestFontSpec() {
    for (char32_t c = 0x20; c < 0x7F; ++c)
        characters.push_back(c);
    characters.push_back(0x2026);
    characters.push_back(0x1F600);
    for (auto const& [id, text] : std::initializer_list<std::pair<int, std::u16string_view>> {
             {1, u"Test Box"}, {4, u"Test Box Regular"}, {6, u"TestBox-Regular"}})
        names.push_back({3, 1, 0x409, std::uint16_t(id), utf16BigEndian(text)});
}

std::uint16_t TestFontSpec::glyphFor(char32_t character) const {
    auto found = std::find(characters.begin(), characters.end(), character);
    return found == characters.end() ? 0 : std::uint16_t(found - characters.begin() + 1);
}

std::vector<std::uint8_t> utf16BigEndian(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(std::uint8_t(unit >> 8));
        bytes.push_back(std::uint8_t(unit));
    }
    return bytes;
}

std::vector<std::uint8_t> buildCmapTable(TestFontSpec const& spec) {
    Writer w;
    w.u16(0);
    w.u16(unsigned(spec.cmaps.size()));
    std::vector<std::vector<std::uint8_t>> subtables;
    std::size_t offset = 4 + 8 * spec.cmaps.size();
    for (auto const& cmap : spec.cmaps) {
        subtables.push_back(cmap.format == 12 ? format12(spec) : format4(spec, cmap.rangeOffsets));
        w.u16(cmap.platform);
        w.u16(cmap.encoding);
        w.u32(std::uint32_t(offset));
        offset += subtables.back().size();
    }
    for (auto const& subtable : subtables)
        w.append(subtable);
    return w.bytes;
}

std::vector<std::uint8_t> buildNameTable(TestFontSpec const& spec) {
    Writer w;
    w.u16(0);
    w.u16(unsigned(spec.names.size()));
    w.u16(unsigned(6 + 12 * spec.names.size()));
    Writer storage;
    for (auto const& name : spec.names) {
        w.u16(name.platform);
        w.u16(name.encoding);
        w.u16(name.language);
        w.u16(name.nameId);
        w.u16(unsigned(name.bytes.size()));
        w.u16(unsigned(storage.size()));
        storage.append(name.bytes);
    }
    w.append(storage.bytes);
    return w.bytes;
}

std::vector<std::uint8_t> buildTestFont(TestFontSpec const& spec) {
    std::vector<std::string> tags {
        "OS/2", "cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "name", "post"};
    std::map<std::string, std::vector<std::uint8_t>> tables;
    for (auto const& tag : tags) {
        if (spec.omitTables.count(tag))
            continue;
        auto replaced = spec.replaceTables.find(tag);
        tables[tag] = replaced != spec.replaceTables.end() ? replaced->second : table(spec, tag);
    }
    for (auto const& [tag, bytes] : spec.replaceTables) {
        if (!tables.count(tag))
            tables[tag] = bytes;
    }

    Writer w;
    unsigned count = unsigned(tables.size());
    unsigned searchRange = 1, entrySelector = 0;
    while (searchRange * 2 <= count) {
        searchRange *= 2;
        ++entrySelector;
    }
    w.u32(0x00010000);
    w.u16(count);
    w.u16(searchRange * 16);
    w.u16(entrySelector);
    w.u16(count * 16 - searchRange * 16);
    std::size_t directory = w.size();
    w.zeros(16 * std::size_t(count));
    std::size_t index = 0;
    for (auto const& [tag, bytes] : tables) {
        while (w.size() % 4)
            w.u8(0);
        std::size_t record = directory + 16 * index++;
        w.put32(record, tagValue(tag));
        std::uint32_t sum = 0;
        for (std::size_t i = 0; i < bytes.size(); i += 4) {
            std::uint32_t word = 0;
            for (std::size_t j = 0; j < 4; ++j)
                word = word << 8 | (i + j < bytes.size() ? bytes[i + j] : 0);
            sum += word;
        }
        w.put32(record + 4, sum);
        w.put32(record + 8, std::uint32_t(w.size()));
        w.put32(record + 12, std::uint32_t(bytes.size()));
        w.append(bytes);
    }
    while (w.size() % 4)
        w.u8(0);
    return w.bytes;
}

void writeTestFont(std::filesystem::path const& path, TestFontSpec const& spec) {
    auto bytes = buildTestFont(spec);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<char const*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write the test font " + path.string());
}

::testing::AssertionResult inkExactlyIn(
    graphics::Image const& image, std::vector<std::array<int, 4>> const& boxes) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            bool inside = false;
            for (auto const& b : boxes)
                inside = inside || (x >= b[0] && x < b[2] && y >= b[1] && y < b[3]);
            int alpha = image.pixel(x, y).a;
            if (alpha != (inside ? 255 : 0))
                return ::testing::AssertionFailure()
                    << "pixel (" << x << ", " << y << ") is " << alpha;
        }
    }
    return ::testing::AssertionSuccess();
}

TextCanvas::TextCanvas(int width, int height)
    : context_(
        graphics::BitmapContext::create(width, height, graphics::BitmapContext::Format::Grey8)) {
    if (!context_)
        throw std::runtime_error("no bitmap context");
    context_->translateCTM(0, float(height));
    context_->scaleCTM(1, -1);
    context_->setGrayFillColor(1, 1);
    graphics::BitmapContext::pushContext(*context_);
}

TextCanvas::~TextCanvas() {
    graphics::BitmapContext::popContext();
}

InkSplit inkAround(graphics::Image const& image, int x0, int y0, int x1, int y1) {
    InkSplit split;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            bool in = x >= x0 && x < x1 && y >= y0 && y < y1;
            (in ? split.inside : split.outside) += image.pixel(x, y).a;
        }
    }
    return split;
}

}
