#include <engine/Label.hpp>

#include <base/Exception.hpp>
#include <engine/Director.hpp>
#include <graphics/Font.hpp>
#include <graphics/StringDrawing.hpp>

#include <cfloat>

namespace engine {

namespace {

// The frame-rate counter's text: 100 x 30 points, left-aligned, "Arial" at 24, its
// lower-left corner at (5, 2).
void drawFPSText(char const* text) {
    if (auto texture
        = Texture2D::initWithString(text ? text : "", {100, 30}, TextAlignment::Left, "Arial", 24))
        texture->drawAtPoint({5, 2});
}

base::Ref<graphics::Font> measuringFont(std::string const& name, float size) {
    if (auto font = graphics::Font::fontWithName(name, size))
        return font;
    return graphics::Font::systemFontOfSize(size);
}

// A box side of 0 sets no limit.
float limitOf(float side) {
    return side > 0 ? side : FLT_MAX;
}

}

void Label::installFPSTextDrawer() {
    Director::setFPSTextDrawer(&drawFPSText);
}

base::Ref<Label> Label::labelWithString(std::string const& string, Size dimensions,
    TextAlignment alignment, std::string const& fontName, float fontSize) {
    return base::make<Label>(string, dimensions, alignment, fontName, fontSize);
}

base::Ref<Label> Label::labelWithString(
    std::string const& string, std::string const& fontName, float fontSize) {
    return base::make<Label>(string, Size {0, 0}, TextAlignment::Left, fontName, fontSize);
}

Label::Label() {
    throw base::Exception(
        "LabelInit", "Use initWithString:dimensions:aligment:fontName:font instead");
}

Label::Label(std::string const& string, Size dimensions, TextAlignment alignment,
    std::string const& fontName, float fontSize)
    : dimensions_(dimensions)
    , alignment_(alignment)
    , fontName_(fontName)
    , fontSize_(fontSize) {
    static bool installed = false;
    if (!installed) {
        installFPSTextDrawer();
        installed = true;
    }
    setString(string);
}

void Label::setString(std::string const& string) {
    bool boxed = dimensions_.width != 0 || dimensions_.height != 0;
    if (boxed) {
        auto measure = [&](float size) -> Size {
            auto font = measuringFont(fontName_, size);
            if (!font || string.empty())
                return {0, 0};
            return graphics::sizeWithFont(string, *font,
                {limitOf(dimensions_.width), shrinkHeightLimit}, graphics::LineBreakMode::WordWrap);
        };
        auto xHeight = [&](float size) {
            auto font = measuringFont(fontName_, size);
            return font ? double(font->xHeight()) : 0.0;
        };
        Size size = measure(fontSize_);
        while (size.height > dimensions_.height && fontSize_ > shrinkFloor
            && double(size.height) >= shrinkXHeights * xHeight(fontSize_)) {
            fontSize_ -= 1;
            size = measure(fontSize_);
        }
    }
    render(string);
}

void Label::fastSetString(std::string const& string) {
    render(string);
}

void Label::render(std::string const& string) {
    bool boxed = dimensions_.width != 0 || dimensions_.height != 0;
    auto texture = boxed
        ? Texture2D::initWithString(string, dimensions_, alignment_, fontName_, fontSize_)
        : Texture2D::initWithString(string, fontName_, fontSize_);
    setTexture(std::move(texture));
    str_ = string;
    if (stroke())
        updateStrokeTexture();
}

void Label::updateStrokeTexture() {
    bool boxed = dimensions_.width != 0 || dimensions_.height != 0;
    setOutlineTexture(nullptr);
    setOutlineTexture(boxed ? Texture2D::initWithString(
                          str_, dimensions_, alignment_, fontName_, fontSize_, strokeSize())
                            : Texture2D::initWithString(str_, fontName_, fontSize_, strokeSize()));
}

void Label::setStroke(bool stroke) {
    TextureNode::setStroke(stroke);
    if (stroke)
        updateStrokeTexture();
}

void Label::setStrokeSize(float size) {
    TextureNode::setStrokeSize(size);
    if (stroke())
        updateStrokeTexture();
}

void Label::setStrokeColor(Color3B color) {
    TextureNode::setStrokeColor(color);
    if (stroke())
        updateStrokeTexture();
}

Size Label::getTextSize() const {
    if (str_.empty())
        return {0, 0};
    auto font = measuringFont(fontName_, fontSize_);
    if (!font)
        return {0, 0};
    return graphics::sizeWithFont(str_, *font,
        {limitOf(dimensions_.width), limitOf(dimensions_.height)},
        graphics::LineBreakMode::WordWrap);
}

}
