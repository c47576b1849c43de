#include <engine/TextMask.hpp>

#include <base/Log.hpp>
#include <graphics/BitmapContext.hpp>
#include <graphics/Font.hpp>
#include <graphics/StringDrawing.hpp>
#include <ttf/FontManager.hpp>
#include <ttf/TTFLabelStringDrawing.hpp>

#include <cmath>
#include <set>

namespace engine {

namespace {

base::Ref<graphics::Font> platformFont(std::string const& fontName, float fontSize) {
    if (auto font = graphics::Font::fontWithName(fontName, fontSize))
        return font;
    static std::set<std::string> reported;
    if (reported.insert(fontName).second)
        base::logLine("Texture2D: no font named \"" + fontName + "\"; the system font stands in");
    return graphics::Font::systemFontOfSize(fontSize);
}

}

unsigned TextMask::wholePixels(float side) {
    if (!std::isfinite(side) || side <= 0)
        return 0;
    return side >= 4294967295.0f ? 4294967295u : unsigned(side);
}

Size TextMask::measure(std::string const& string, std::string const& fontName, float fontSize) {
    if (string.empty())
        return {0, 0};
    if (auto font = ttf::FontManager::sharedManager().ttFontWithName(fontName, fontSize))
        return ttf::sizeWithTTFont(string, *font);
    auto font = platformFont(fontName, fontSize);
    return font ? graphics::sizeWithFont(string, *font) : Size {0, 0};
}

std::optional<graphics::Image> TextMask::render(std::string const& string, Size box,
    graphics::TextAlignment alignment, std::string const& fontName, float fontSize, unsigned width,
    unsigned height) {
    if (width < 1 || height < 1 || width > unsigned(graphics::Image::maxSide)
        || height > unsigned(graphics::Image::maxSide)) {
        base::logLine("Texture2D: a text texture of " + std::to_string(width) + " x "
            + std::to_string(height) + " pixels is out of range");
        return std::nullopt;
    }
    auto context = graphics::BitmapContext::create(
        int(width), int(height), graphics::BitmapContext::Format::Grey8);
    if (!context) {
        base::logLine("invalid context");
        return graphics::Image(int(width), int(height), graphics::Image::Format::A8);
    }
    context->setGrayFillColor(1, 1);
    context->translateCTM(0, float(height));
    context->scaleCTM(1, -1);
    graphics::BitmapContext::pushContext(*context);
    Rect rect {{0, 0}, box};
    if (string.empty()) {
        // Nothing to draw.
    } else if (auto font = ttf::FontManager::sharedManager().ttFontWithName(fontName, fontSize)) {
        ttf::drawInRect(string, rect, *font, graphics::LineBreakMode::WordWrap, alignment);
    } else if (auto platform = platformFont(fontName, fontSize)) {
        graphics::drawInRect(string, rect, *platform, graphics::LineBreakMode::WordWrap, alignment);
    }
    graphics::BitmapContext::popContext();
    return context->image();
}

void TextMask::thicken(graphics::Image& mask, float strokeSize) {
    int const width = mask.width(), height = mask.height();
    if (mask.format() != graphics::Image::Format::A8 || width == 0 || height == 0)
        return;
    // 3 to the power 0.9, rounded: the divisor of the vertical pass.
    double const divisor = std::round(std::pow(3.0, 0.9));
    auto pixels = mask.pixels();
    std::vector<std::uint8_t> across(pixels.size());
    auto at
        = [width](int x, int y) { return std::size_t(y) * std::size_t(width) + std::size_t(x); };
    for (int pass = 0; float(pass) < strokeSize; ++pass) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                int sum = pixels[at(std::max(x - 1, 0), y)] + pixels[at(x, y)]
                    + pixels[at(std::min(x + 1, width - 1), y)];
                across[at(x, y)] = std::uint8_t(std::min(sum, 255));
            }
        }
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                int sum = across[at(x, std::max(y - 1, 0))] + across[at(x, y)]
                    + across[at(x, std::min(y + 1, height - 1))];
                pixels[at(x, y)] = std::uint8_t(std::min(int(double(sum) / divisor), 255));
            }
        }
    }
}

}
