#include <engine/MenuItemSprite.hpp>

#include <engine/Sprite.hpp>

namespace engine {

namespace {

RGBAProtocol* rgbaOf(SceneNode* node) {
    return dynamic_cast<RGBAProtocol*>(node);
}

}

base::Ref<MenuItemSprite> MenuItemSprite::itemFromNormalSprite(base::Ref<SceneNode> normal,
    base::Ref<SceneNode> selected, base::Ref<SceneNode> disabled, Invocation invocation) {
    return base::make<MenuItemSprite>(
        std::move(normal), std::move(selected), std::move(disabled), std::move(invocation));
}

MenuItemSprite::MenuItemSprite(base::Ref<SceneNode> normal, base::Ref<SceneNode> selected,
    base::Ref<SceneNode> disabled, Invocation invocation)
    : MenuItem(std::move(invocation))
    , normalImage_(std::move(normal))
    , selectedImage_(std::move(selected))
    , disabledImage_(std::move(disabled)) {
    if (normalImage_)
        setContentSize(normalImage_->contentSize());
}

SceneNode* MenuItemSprite::shownImage() const {
    if (!isEnabled())
        return disabledImage_ ? disabledImage_.get() : normalImage_.get();
    return selected_ && selectedImage_ ? selectedImage_.get() : normalImage_.get();
}

void MenuItemSprite::draw() {
    if (SceneNode* image = shownImage())
        image->draw();
}

Color3B MenuItemSprite::color() const {
    auto* rgba = rgbaOf(normalImage_.get());
    return rgba ? rgba->color() : Color3B {};
}

void MenuItemSprite::setColor(Color3B color) {
    for (auto* image : {normalImage_.get(), selectedImage_.get(), disabledImage_.get()}) {
        if (auto* rgba = rgbaOf(image))
            rgba->setColor(color);
    }
}

std::uint8_t MenuItemSprite::opacity() const {
    auto* rgba = rgbaOf(normalImage_.get());
    return rgba ? rgba->opacity() : 0;
}

void MenuItemSprite::setOpacity(std::uint8_t opacity) {
    for (auto* image : {normalImage_.get(), selectedImage_.get(), disabledImage_.get()}) {
        if (auto* rgba = rgbaOf(image))
            rgba->setOpacity(opacity);
    }
}

base::Ref<MenuItemAtlasSprite> MenuItemAtlasSprite::itemFromNormalSprite(
    base::Ref<SceneNode> normal, base::Ref<SceneNode> selected, base::Ref<SceneNode> disabled,
    Invocation invocation) {
    return base::make<MenuItemAtlasSprite>(
        std::move(normal), std::move(selected), std::move(disabled), std::move(invocation));
}

MenuItemAtlasSprite::MenuItemAtlasSprite(base::Ref<SceneNode> normal, base::Ref<SceneNode> selected,
    base::Ref<SceneNode> disabled, Invocation invocation)
    : MenuItemSprite(
        std::move(normal), std::move(selected), std::move(disabled), std::move(invocation)) {
    show(normalImage_.get());
}

void MenuItemAtlasSprite::show(SceneNode* image) {
    for (auto* each : {normalImage_.get(), selectedImage_.get(), disabledImage_.get()}) {
        if (each)
            each->setVisible(each == image);
    }
}

void MenuItemAtlasSprite::setPosition(Point position) {
    MenuItemSprite::setPosition(position);
    for (auto* image : {normalImage_.get(), selectedImage_.get(), disabledImage_.get()}) {
        if (image)
            image->setPosition(position);
    }
}

void MenuItemAtlasSprite::setRotation(float degrees) {
    MenuItemSprite::setRotation(degrees);
    for (auto* image : {normalImage_.get(), selectedImage_.get(), disabledImage_.get()}) {
        if (image)
            image->setRotation(degrees);
    }
}

void MenuItemAtlasSprite::setScale(float scale) {
    MenuItemSprite::setScale(scale);
    for (auto* image : {normalImage_.get(), selectedImage_.get(), disabledImage_.get()}) {
        if (image)
            image->setScale(scale);
    }
}

void MenuItemAtlasSprite::selected() {
    if (!isEnabled())
        return;
    MenuItemSprite::selected();
    show(selectedImage_ ? selectedImage_.get() : normalImage_.get());
}

void MenuItemAtlasSprite::unselected() {
    if (!isEnabled())
        return;
    MenuItemSprite::unselected();
    show(normalImage_.get());
}

void MenuItemAtlasSprite::setIsEnabled(bool enabled) {
    MenuItemSprite::setIsEnabled(enabled);
    if (enabled)
        show(normalImage_.get());
    else
        show(disabledImage_ ? disabledImage_.get() : normalImage_.get());
}

base::Ref<MenuItemImage> MenuItemImage::itemFromNormalImage(std::string const& normal,
    std::string const& selected, std::string const& disabled, Invocation invocation) {
    return base::make<MenuItemImage>(normal, selected, disabled, std::move(invocation));
}

MenuItemImage::MenuItemImage(std::string const& normal, std::string const& selected,
    std::string const& disabled, Invocation invocation)
    : MenuItemSprite(Sprite::spriteWithFile(normal), Sprite::spriteWithFile(selected),
        disabled.empty() ? nullptr : base::Ref<SceneNode>(Sprite::spriteWithFile(disabled)),
        std::move(invocation)) {
}

}
