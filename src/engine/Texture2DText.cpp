// The text textures of Texture2D: alpha masks of a string drawn by the text engine.

#include <engine/TextMask.hpp>
#include <engine/Texture2D.hpp>

#include <algorithm>
#include <optional>

namespace engine {

namespace {

base::Ref<Texture2D> textTexture(std::string const& string, Size dimensions,
    TextAlignment alignment, std::string const& fontName, float fontSize,
    std::optional<float> strokeSize) {
    unsigned width = nextPowerOfTwo(std::max(1u, TextMask::wholePixels(dimensions.width)));
    unsigned height = nextPowerOfTwo(std::max(1u, TextMask::wholePixels(dimensions.height)));
    auto mask = TextMask::render(string, dimensions, graphics::TextAlignment(int(alignment)),
        fontName, fontSize, width, height);
    if (!mask)
        return nullptr;
    if (strokeSize)
        TextMask::thicken(*mask, *strokeSize);
    return Texture2D::initWithMask(*mask, dimensions);
}

}

base::Ref<Texture2D> Texture2D::initWithString(
    std::string const& string, std::string const& fontName, float fontSize) {
    return initWithString(string, TextMask::measure(string, fontName, fontSize),
        TextAlignment::Center, fontName, fontSize);
}

base::Ref<Texture2D> Texture2D::initWithString(std::string const& string, Size dimensions,
    TextAlignment alignment, std::string const& fontName, float fontSize) {
    return textTexture(string, dimensions, alignment, fontName, fontSize, std::nullopt);
}

base::Ref<Texture2D> Texture2D::initWithString(
    std::string const& string, std::string const& fontName, float fontSize, float strokeSize) {
    return initWithString(string, TextMask::measure(string, fontName, fontSize),
        TextAlignment::Center, fontName, fontSize, strokeSize);
}

base::Ref<Texture2D> Texture2D::initWithString(std::string const& string, Size dimensions,
    TextAlignment alignment, std::string const& fontName, float fontSize, float strokeSize) {
    return textTexture(string, dimensions, alignment, fontName, fontSize, strokeSize);
}

}
