#include <graphics/TextLayout.hpp>

#include <graphics/BitmapContext.hpp>

#include <foundation/CharacterSet.hpp>
#include <foundation/Strings.hpp>

#include <algorithm>
#include <numeric>
#include <optional>

namespace graphics {

namespace {

bool isTruncating(LineBreakMode mode) {
    return mode == LineBreakMode::HeadTruncation || mode == LineBreakMode::TailTruncation
        || mode == LineBreakMode::MiddleTruncation;
}

bool isAlphanumeric(char32_t character) {
    static foundation::CharacterSet const alphanumerics = foundation::CharacterSet::alphanumerics();
    return alphanumerics.contains(character);
}

// The code point that starts at unit i, a valid surrogate pair read as one.
char32_t codePointAt(std::u16string_view units, std::size_t i) {
    return foundation::decodeUtf16(units, i);
}

// One paragraph mapped to glyphs, with what the line breaking asks of each glyph.
struct Paragraph {
    std::u16string_view units;
    std::vector<GlyphId> glyphs;
    std::vector<std::uint8_t> unitCounts;
    std::vector<std::size_t> firstUnit;
    std::vector<float> advances;
    float width {0};

    void map(std::u16string_view text, GlyphSource const& font) {
        units = text;
        glyphs.clear();
        unitCounts.clear();
        font.mapCharacters(units, glyphs, unitCounts);
        unitCounts.resize(glyphs.size(), 1);
        firstUnit.assign(glyphs.size(), 0);
        // A font that maps fewer units than the paragraph has leaves the rest unplaced.
        std::size_t unit = 0;
        for (std::size_t i = 0; i < glyphs.size(); ++i) {
            firstUnit[i] = std::min(unit, units.size());
            unit += unitCounts[i];
        }
        advances.assign(glyphs.size(), 0.0f);
        if (!glyphs.empty() && !font.glyphAdvances(glyphs, advances))
            std::fill(advances.begin(), advances.end(), 0.0f);
        width = std::accumulate(advances.begin(), advances.end(), 0.0f);
    }

    std::size_t size() const { return glyphs.size(); }
    bool isSpace(std::size_t i) const {
        return unitCounts[i] == 1 && firstUnit[i] < units.size() && units[firstUnit[i]] == u' ';
    }
    std::size_t endUnit(std::size_t i) const {
        return std::min(firstUnit[i] + unitCounts[i], units.size());
    }
    float widthOf(std::size_t from, std::size_t to) const {
        return std::accumulate(
            advances.begin() + std::ptrdiff_t(from), advances.begin() + std::ptrdiff_t(to), 0.0f);
    }
};

struct Ellipsis {
    GlyphId glyph {0};
    float advance {0};
};

Ellipsis ellipsisOf(GlyphSource const& font) {
    std::vector<GlyphId> glyphs;
    std::vector<std::uint8_t> counts;
    font.mapCharacters(u"\u2026", glyphs, counts);
    Ellipsis ellipsis;
    if (!glyphs.empty()) {
        ellipsis.glyph = glyphs.front();
        float advance = 0;
        if (font.glyphAdvances({&ellipsis.glyph, 1}, {&advance, 1}))
            ellipsis.advance = advance;
    }
    return ellipsis;
}

}

bool TextLayout::isNewline(char16_t unit) {
    return unit == u'\n' || unit == 0x0B || unit == 0x0C || unit == u'\r' || unit == 0x85
        || unit == 0x2028 || unit == 0x2029;
}

Size TextLayout::layout(std::u16string_view text, GlyphSource const& font, Size box,
    LineBreakMode mode, TextAlignment alignment, bool singleLine, LineSink const& sink) {
    std::u16string chars;
    chars.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isNewline(text[i])) {
            chars.push_back(text[i]);
            continue;
        }
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        chars.push_back(singleLine ? u' ' : u'\n');
    }

    float const boxWidth = box.width;
    float const boxHeight = box.height;
    float const leading = font.leading();
    float const ascender = font.ascender();
    float totalHeight = 0;
    float widest = 0;
    float x = 0;
    float y = 0;
    std::optional<Ellipsis> ellipsis;
    Paragraph paragraph;

    std::size_t start = 0;
    while (start < chars.size()) {
        std::size_t end = std::min(chars.find(u'\n', start), chars.size());
        bool anotherParagraph = end + 1 < chars.size();
        paragraph.map(std::u16string_view(chars).substr(start, end - start), font);
        std::size_t const count = paragraph.size();
        float unplaced = paragraph.width;

        std::size_t first = 0;
        do {
            totalHeight += leading;
            bool const lastLine = totalHeight + ascender > boxHeight;
            if (lastLine && mode == LineBreakMode::Clip)
                mode = LineBreakMode::CharacterWrap;

            std::size_t lineEnd = count;
            std::size_t next = count;
            float lineWidth = unplaced;
            if (unplaced > boxWidth) {
                float run = 0;
                std::size_t i = first;
                std::optional<std::pair<std::size_t, float>> wordBreak;
                for (; i < count; ++i) {
                    if (i > first && run + paragraph.advances[i] > boxWidth)
                        break;
                    if (paragraph.isSpace(i) && paragraph.firstUnit[i] > 0)
                        wordBreak = {i, run};
                    run += paragraph.advances[i];
                }
                lineEnd = i;
                lineWidth = run;
                if (i < count && paragraph.isSpace(i)) {
                    while (lineEnd > first && paragraph.isSpace(lineEnd - 1)) {
                        --lineEnd;
                        lineWidth -= paragraph.advances[lineEnd];
                    }
                } else if (i < count) {
                    bool characterBreak = mode == LineBreakMode::CharacterWrap
                        || (lastLine && isTruncating(mode)) || !wordBreak;
                    if (!characterBreak) {
                        lineEnd = wordBreak->first;
                        lineWidth = wordBreak->second;
                    }
                }
                next = std::max(lineEnd, first + 1);
                while (next < count && paragraph.isSpace(next))
                    ++next;
                unplaced -= paragraph.widthOf(first, next);
            }

            Line line;
            line.glyphs.assign(paragraph.glyphs.begin() + std::ptrdiff_t(first),
                paragraph.glyphs.begin() + std::ptrdiff_t(lineEnd));
            std::vector<float> advances(paragraph.advances.begin() + std::ptrdiff_t(first),
                paragraph.advances.begin() + std::ptrdiff_t(lineEnd));
            std::size_t kept = line.glyphs.size();

            bool const textLeft = next < count || anotherParagraph;
            if (lastLine && textLeft && mode == LineBreakMode::TailTruncation) {
                if (!ellipsis)
                    ellipsis = ellipsisOf(font);
                auto drop = [&] {
                    --kept;
                    lineWidth -= advances[kept];
                };
                while (lineWidth + ellipsis->advance > boxWidth && kept > 1)
                    drop();
                // No lone first letter of a cut word before the ellipsis.
                if (kept >= 2) {
                    std::size_t last = first + kept - 1;
                    std::size_t after = paragraph.endUnit(last);
                    if (!paragraph.isSpace(last) && paragraph.isSpace(last - 1)
                        && after < paragraph.units.size()
                        && isAlphanumeric(codePointAt(paragraph.units, after)))
                        drop();
                }
                while (kept > 1 && paragraph.isSpace(first + kept - 1))
                    drop();
                line.glyphs.resize(kept);
                advances.resize(kept);
                line.glyphs.push_back(ellipsis->glyph);
                advances.push_back(ellipsis->advance);
                lineWidth += ellipsis->advance;
                line.ellipsis = true;
            }
            line.width = lineWidth;
            widest = std::max(widest, lineWidth);

            if (sink) {
                switch (alignment) {
                case TextAlignment::Left:
                    x = 0;
                    break;
                case TextAlignment::Center:
                    x = (boxWidth - lineWidth) / 2;
                    break;
                case TextAlignment::Right:
                    x = boxWidth - lineWidth;
                    break;
                }
                float pen = x;
                line.positions.reserve(advances.size());
                for (float advance : advances) {
                    line.positions.push_back({pen, y + ascender});
                    pen += advance;
                }
                if (kept > 0) {
                    std::size_t fromUnit = paragraph.firstUnit[first];
                    std::size_t toUnit = paragraph.endUnit(first + kept - 1);
                    line.text = std::u16string(paragraph.units.substr(fromUnit, toUnit - fromUnit));
                }
                sink(line);
                y += leading;
            }

            if (lastLine)
                return {widest, totalHeight};
            first = next;
        } while (first < count);
        start = end + 1;
    }
    return {widest, totalHeight};
}

Size TextLayout::drawInContext(Point point, Size box, std::u16string_view text,
    GlyphSource const& font, LineBreakMode mode, TextAlignment alignment, bool singleLine) {
    BitmapContext* context = BitmapContext::currentContext();
    if (!context)
        return layout(text, font, box, mode, alignment, singleLine);
    context->saveGState();
    context->setFont(font.face());
    context->setFontSize(font.pointSize());
    AffineTransform textMatrix = context->textMatrix();
    context->setTextMatrix({1, 0, 0, -1, 0, 0});
    context->translateCTM(point.x, point.y);
    Size size = layout(text, font, box, mode, alignment, singleLine,
        [context](Line const& line) { context->showGlyphs(line.glyphs, line.positions); });
    context->setTextMatrix(textMatrix);
    context->restoreGState();
    return size;
}

}
