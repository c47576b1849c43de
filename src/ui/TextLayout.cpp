#include <ui/FontEngine.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/TextLayout.hpp>

#include <cmath>

namespace ui {

namespace {

constexpr std::string_view ellipsis = "\xE2\x80\xA6";

// The byte offsets where the code points of text start, and its length at the end.
std::vector<std::size_t> boundaries(std::string_view text) {
    std::vector<std::size_t> result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            result.push_back(i);
    }
    result.push_back(text.size());
    return result;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimEnd(std::string_view text) {
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view trimStart(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

class Setter {
public:
    Setter(Font const& font, float width)
        : font_(font)
        , width_(width) { }

    float measure(std::string_view text) const { return fontengine::width(font_, text); }
    bool fits(std::string_view text) const { return width_ <= 0 || measure(text) <= width_; }

    // The number of code points of text (from its start, or from its end) that fit.
    std::size_t fittingCount(
        std::string_view text, bool fromEnd, std::string_view extra = {}) const {
        auto bounds = boundaries(text);
        std::size_t count = bounds.size() - 1;
        auto piece = [&](std::size_t n) {
            std::string s;
            if (fromEnd)
                s = std::string(extra) + std::string(text.substr(bounds[count - n]));
            else
                s = std::string(text.substr(0, bounds[n])) + std::string(extra);
            return s;
        };
        std::size_t low = 0, high = count;
        while (low < high) {
            std::size_t mid = (low + high + 1) / 2;
            if (fits(piece(mid)))
                low = mid;
            else
                high = mid - 1;
        }
        return low;
    }

    std::string_view prefix(std::string_view text, std::size_t codePoints) const {
        auto bounds = boundaries(text);
        return text.substr(0, bounds[std::min(codePoints, bounds.size() - 1)]);
    }

    std::string_view suffix(std::string_view text, std::size_t codePoints) const {
        auto bounds = boundaries(text);
        std::size_t count = bounds.size() - 1;
        return text.substr(bounds[count - std::min(codePoints, count)]);
    }

    // Breaks one paragraph into lines no wider than the width.
    void wrap(std::string_view paragraph, bool byWord, std::vector<std::string>& lines) const {
        if (paragraph.empty() || width_ <= 0) {
            lines.emplace_back(paragraph);
            return;
        }
        std::string_view rest = paragraph;
        while (!rest.empty()) {
            if (fits(rest)) {
                lines.emplace_back(trimEnd(rest));
                return;
            }
            std::size_t cut = 0;
            if (byWord)
                cut = lastWordBreak(rest);
            if (cut == 0) {
                // A word wider than the line: as many characters as fit, at least one.
                cut = prefix(rest, std::max<std::size_t>(1, fittingCount(rest, false))).size();
            }
            lines.emplace_back(trimEnd(rest.substr(0, cut)));
            rest = trimStart(rest.substr(cut));
        }
    }

    // The end of the longest run of whole words of text that fits, or 0.
    std::size_t lastWordBreak(std::string_view text) const {
        std::size_t best = 0;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            bool breakHere
                = i == text.size() || (isSpace(text[i]) && (i == 0 || !isSpace(text[i - 1])));
            if (!breakHere)
                continue;
            if (i == 0)
                continue;
            if (!fits(text.substr(0, i)))
                break;
            best = i;
        }
        return best;
    }

    std::string truncate(std::string_view text, LineBreakMode mode) const {
        text = trimEnd(text);
        if (fits(text))
            return std::string(text);
        switch (mode) {
        case LineBreakMode::HeadTruncation: {
            auto n = fittingCount(text, true, ellipsis);
            return std::string(ellipsis) + std::string(trimStart(suffix(text, n)));
        }
        case LineBreakMode::MiddleTruncation: {
            auto bounds = boundaries(text);
            std::size_t count = bounds.size() - 1;
            auto piece = [&](std::size_t kept) {
                return std::string(trimEnd(prefix(text, (kept + 1) / 2))) + std::string(ellipsis)
                    + std::string(trimStart(suffix(text, kept / 2)));
            };
            std::size_t low = 0, high = count;
            while (low < high) {
                std::size_t mid = (low + high + 1) / 2;
                if (fits(piece(mid)))
                    low = mid;
                else
                    high = mid - 1;
            }
            return piece(low);
        }
        default: {
            auto n = fittingCount(text, false, ellipsis);
            return std::string(trimEnd(prefix(text, n))) + std::string(ellipsis);
        }
        }
    }

    // Text with an ellipsis that shows more follows: cut as mode says when it does not
    // fit, else marked at its end.
    std::string ellipsize(std::string_view rest, LineBreakMode mode) const {
        auto cut = truncate(rest, mode);
        if (cut != trimEnd(rest))
            return cut;
        std::string marked = std::string(trimEnd(rest)) + std::string(ellipsis);
        return fits(marked) ? marked : truncate(marked, LineBreakMode::TailTruncation);
    }

private:
    Font const& font_;
    float width_;
};

bool truncates(LineBreakMode mode) {
    return mode == LineBreakMode::HeadTruncation || mode == LineBreakMode::TailTruncation
        || mode == LineBreakMode::MiddleTruncation;
}

}

TextLayout TextLayout::layout(std::string_view text, Font const& font, float width,
    LineBreakMode mode, int maxLines, float maxHeight) {
    TextLayout result;
    result.font_ = font;
    Setter setter(font, width);

    std::vector<std::string_view> paragraphs;
    for (std::size_t start = 0;;) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            paragraphs.push_back(text.substr(start));
            break;
        }
        paragraphs.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    std::size_t limit = maxLines > 0 ? std::size_t(maxLines) : SIZE_MAX;
    if (maxHeight > 0) {
        float lineHeight = font.lineHeight();
        std::size_t fitting
            = lineHeight > 0 ? std::size_t(std::floor(maxHeight / lineHeight + 1e-4f)) : 1;
        limit = std::min(limit, std::max<std::size_t>(1, fitting));
    }

    if (limit == 1 && width > 0) {
        std::string_view line = paragraphs.front();
        bool dropped = paragraphs.size() > 1;
        if (setter.fits(line) && !dropped) {
            result.lines_.emplace_back(line);
        } else {
            result.truncated_ = true;
            auto whole = [&] {
                return setter.prefix(
                    line, std::max<std::size_t>(1, setter.fittingCount(line, false)));
            };
            switch (mode) {
            case LineBreakMode::WordWrap: {
                auto cut = setter.lastWordBreak(line);
                result.lines_.emplace_back(cut ? trimEnd(line.substr(0, cut)) : whole());
                break;
            }
            case LineBreakMode::CharacterWrap:
                result.lines_.emplace_back(whole());
                break;
            case LineBreakMode::Clip:
                result.lines_.emplace_back(line);
                break;
            default:
                result.lines_.push_back(setter.ellipsize(line, mode));
                break;
            }
        }
    } else {
        std::vector<std::string> lines;
        for (auto paragraph : paragraphs)
            setter.wrap(paragraph, mode != LineBreakMode::CharacterWrap, lines);
        if (lines.size() > limit) {
            result.truncated_ = true;
            if (truncates(mode) && width > 0) {
                std::string rest = lines[limit - 1];
                for (std::size_t i = limit; i < lines.size(); ++i)
                    rest += " " + lines[i];
                lines[limit - 1] = setter.ellipsize(rest, mode);
            }
            lines.resize(limit);
        }
        result.lines_ = std::move(lines);
    }
    for (auto const& line : result.lines_)
        result.widths_.push_back(setter.measure(line));
    return result;
}

graphics::Size TextLayout::size() const {
    float width = 0;
    for (float w : widths_)
        width = std::fmax(width, w);
    float height = float(lines_.size()) * font_.lineHeight();
    return {std::ceil(width), std::ceil(height)};
}

void TextLayout::draw(
    GraphicsContext& context, graphics::Rect rect, TextAlignment alignment) const {
    float lineHeight = font_.lineHeight();
    float ascender = font_.ascender();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        float x = rect.origin.x;
        if (alignment == TextAlignment::Center)
            x += (rect.size.width - widths_[i]) / 2;
        else if (alignment == TextAlignment::Right)
            x += rect.size.width - widths_[i];
        context.showTextLine(
            lines_[i], font_, {x, rect.origin.y + float(i) * lineHeight + ascender});
    }
}

graphics::Size sizeWithFont(std::string_view text, Font const& font) {
    return TextLayout::layout(text, font, 0, LineBreakMode::WordWrap, 1).size();
}

graphics::Size sizeWithFont(
    std::string_view text, Font const& font, graphics::Size constrained, LineBreakMode mode) {
    return TextLayout::layout(text, font, constrained.width, mode, 0, constrained.height).size();
}

graphics::Size sizeWithFont(
    std::string_view text, Font const& font, float width, LineBreakMode mode) {
    return TextLayout::layout(text, font, width, mode, 1).size();
}

}
