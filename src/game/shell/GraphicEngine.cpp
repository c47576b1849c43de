#include <game/shell/GraphicEngine.hpp>

#include <engine/AtlasSprite.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <engine/TextureMgr.hpp>
#include <game/shell/Utilities.hpp>
#include <graphics/Font.hpp>
#include <graphics/StringDrawing.hpp>
#include <ui/Application.hpp>

#include <cmath>

namespace game {

namespace {

// The smallest font size the shrinking loops go down to: text that never fits
// would otherwise lower the size without end.
constexpr int smallestFontSize = 1;
// The height of the box the wrapped text is measured in.
constexpr float wrapMeasureHeight = 400;

base::Ref<graphics::Font> fontOf(char const* name, int size) {
    if (auto font = graphics::Font::fontWithName(name, float(size)))
        return font;
    return graphics::Font::systemFontOfSize(float(size));
}

float oneLineWidth(std::string const& text, char const* name, int size) {
    auto font = fontOf(name, size);
    return font ? graphics::sizeWithFont(text, *font).width : 0;
}

float screenWidth() {
    return engine::DirectorServices::current().winSize().width;
}

base::Ref<engine::Label> placeLabel(std::string const& text, float x, float y,
    engine::SceneNode* parent, float z, char const* fontName, int fontSize, int lines,
    float width) {
    auto label = engine::Label::labelWithString(text,
        engine::makeSize(width, float(fontSize) * 1.5f * float(lines)),
        engine::TextAlignment::Center, fontName, float(fontSize));
    label->setPosition({x, y});
    label->setVisible(false);
    label->setColor({0, 0, 0});
    if (parent)
        parent->addChild(label, int(z));
    return label;
}

template<typename Node> bool opacityIs(Node const* node, std::uint8_t opacity) {
    return node && node->opacity() == opacity;
}

template<typename Node> void fadeIn(Node* node, float time) {
    if (node && !opacityIs(node, 255))
        node->runAction(engine::FadeIn::actionWithDuration(time));
}

template<typename Node> void fadeOut(Node* node, float time) {
    if (node && !opacityIs(node, 0))
        node->runAction(engine::FadeOut::actionWithDuration(time));
}

template<typename Node> void fadeTo(Node* node, int target, float time) {
    auto opacity = static_cast<std::uint8_t>(target & 0xFF);
    if (node && !opacityIs(node, opacity))
        node->runAction(engine::FadeTo::actionWithDuration(time, opacity));
}

bool hitTest(engine::SceneNode* sprite, engine::Point point, float tolerance) {
    if (!sprite)
        return false;
    engine::Point local
        = sprite->parent() ? sprite->parent()->convertToNodeSpace(point) : engine::Point {0, 0};
    auto position = sprite->position();
    auto anchor = sprite->anchorPoint();
    auto size = sprite->contentSize();
    float centreX = position.x + (0.5f - anchor.x) * size.width;
    float centreY = position.y + (0.5f - anchor.y) * size.height;
    float left = centreX - size.width / 2 - tolerance;
    float bottom = centreY - size.height / 2 - tolerance;
    float right = left + size.width + 2 * tolerance;
    float top = bottom + size.height + 2 * tolerance;
    return local.x >= left && local.x < right && local.y >= bottom && local.y < top;
}

}

void GraphicEngine::preloadSprite(std::string const& file) {
    engine::TextureMgr::sharedTextureMgr().addImage(file);
}

void GraphicEngine::preloadSpriteWithCGImage(graphics::Image const& image) {
    engine::TextureMgr::sharedTextureMgr().addCGImage(image);
}

base::Ref<engine::Sprite> GraphicEngine::createSprite(
    std::string const& file, float x, float y, engine::SceneNode* parent, float z) {
    auto sprite = engine::Sprite::spriteWithFile(file);
    sprite->setPosition({x, y});
    sprite->setVisible(false);
    if (parent)
        parent->addChild(sprite, int(z));
    return sprite;
}

base::Ref<engine::Label> GraphicEngine::createLabel(std::string const& text, float x, float y,
    engine::SceneNode* parent, float z, int fontSize, int lines, float width) {
    int size = fontSize;
    bool givenWidth = width > 0;
    if (!givenWidth)
        width = screenWidth();
    if (lines > 1) {
        auto tooTall = [&](int candidate) {
            auto font = fontOf(labelFont, candidate);
            if (!font)
                return false;
            auto wrapped = graphics::sizeWithFont(text, *font,
                graphics::makeSize(width, wrapMeasureHeight), graphics::LineBreakMode::WordWrap);
            return wrapped.height > font->xHeight() * 2.4f * float(lines);
        };
        while (size > smallestFontSize && tooTall(size))
            --size;
    } else if (givenWidth) {
        while (size > smallestFontSize && width < oneLineWidth(text, labelFont, size))
            --size;
    }
    return placeLabel(text, x, y, parent, z, labelFont, size, lines, width);
}

base::Ref<engine::Label> GraphicEngine::createBoldLabel(std::string const& text, float x, float y,
    engine::SceneNode* parent, float z, int fontSize, int lines, float width) {
    int size = fontSize;
    if (width > 0) {
        while (size > smallestFontSize && width < oneLineWidth(text, boldLabelFont, size))
            --size;
    } else {
        width = screenWidth();
    }
    return placeLabel(text, x, y, parent, z, boldLabelFont, size, lines, width);
}

void GraphicEngine::fadeInSprite(engine::Sprite* sprite, float time) {
    fadeIn(sprite, time);
}

void GraphicEngine::fadeInAtlasSprite(engine::AtlasSprite* sprite, float time) {
    fadeIn(sprite, time);
}

void GraphicEngine::fadeInLabel(engine::Label* label, float time) {
    fadeIn(label, time);
}

void GraphicEngine::fadeOutSprite(engine::Sprite* sprite, float time) {
    fadeOut(sprite, time);
}

void GraphicEngine::fadeOutAtlasSprite(engine::AtlasSprite* sprite, float time) {
    fadeOut(sprite, time);
}

void GraphicEngine::fadeOutLabel(engine::Label* label, float time) {
    fadeOut(label, time);
}

void GraphicEngine::fadeToSprite(engine::Sprite* sprite, int target, float time) {
    fadeTo(sprite, target, time);
}

void GraphicEngine::fadeToAtlasSprite(engine::AtlasSprite* sprite, int target, float time) {
    fadeTo(sprite, target, time);
}

void GraphicEngine::fadeToLabel(engine::Label* label, int target, float time) {
    fadeTo(label, target, time);
}

bool GraphicEngine::fadeInSpriteDone(engine::Sprite const* sprite) {
    return opacityIs(sprite, 255);
}

bool GraphicEngine::fadeInAtlasSpriteDone(engine::AtlasSprite const* sprite) {
    return opacityIs(sprite, 255);
}

bool GraphicEngine::fadeInLabelDone(engine::Label const* label) {
    return opacityIs(label, 255);
}

bool GraphicEngine::fadeOutSpriteDone(engine::Sprite const* sprite) {
    return opacityIs(sprite, 0);
}

bool GraphicEngine::fadeOutAtlasSpriteDone(engine::AtlasSprite const* sprite) {
    return opacityIs(sprite, 0);
}

bool GraphicEngine::fadeOutLabelDone(engine::Label const* label) {
    return opacityIs(label, 0);
}

bool GraphicEngine::fadeToSpriteDone(engine::Sprite const* sprite, int target) {
    return opacityIs(sprite, static_cast<std::uint8_t>(target & 0xFF));
}

bool GraphicEngine::fadeToAtlasSpriteDone(engine::AtlasSprite const* sprite, int target) {
    return opacityIs(sprite, static_cast<std::uint8_t>(target & 0xFF));
}

bool GraphicEngine::fadeToLabelDone(engine::Label const* label, int target) {
    return opacityIs(label, static_cast<std::uint8_t>(target & 0xFF));
}

bool GraphicEngine::isPointInSprite(engine::Sprite* sprite, engine::Point point, float tolerance) {
    return hitTest(sprite, point, tolerance);
}

bool GraphicEngine::isPointInAtlasSpriteSprite(
    engine::AtlasSprite* sprite, engine::Point point, float tolerance) {
    return hitTest(sprite, point, tolerance);
}

bool GraphicEngine::isClickNearPoint(engine::Point point, engine::Point click, float tolerance) {
    return click.x >= point.x - tolerance && click.x <= point.x + tolerance
        && click.y >= point.y - tolerance && click.y <= point.y + tolerance;
}

engine::Point GraphicEngine::convertTouchPoint(engine::Point point) {
    bool pad = Utilities::isiPad();
    float height = 0;
    switch (ui::Application::sharedApplication().statusBarOrientation()) {
    case ui::InterfaceOrientation::Portrait:
    case ui::InterfaceOrientation::PortraitUpsideDown:
        height = pad ? 1024 : 480;
        break;
    case ui::InterfaceOrientation::LandscapeLeft:
    case ui::InterfaceOrientation::LandscapeRight:
        height = pad ? 768 : 320;
        break;
    default:
        return point;
    }
    return {point.x, height - point.y};
}

float GraphicEngine::getDistanceBetweenPoints(engine::Point a, engine::Point b) {
    float dx = b.x - a.x;
    float dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

float GraphicEngine::getWalkingDistanceBetweenPoints(engine::Point a, engine::Point b) {
    return std::fabs(a.x - b.x) + std::fabs(a.y - b.y);
}

}
