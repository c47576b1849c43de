#include <engine/MenuItemLabel.hpp>

#include <base/Verify.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Label.hpp>
#include <engine/LabelAtlas.hpp>

namespace engine {

base::Ref<MenuItemLabel> MenuItemLabel::itemWithLabel(
    base::Ref<SceneNode> label, Invocation invocation) {
    return base::make<MenuItemLabel>(std::move(label), std::move(invocation));
}

MenuItemLabel::MenuItemLabel(base::Ref<SceneNode> label, Invocation invocation)
    : MenuItem(std::move(invocation)) {
    setLabel(std::move(label));
}

void MenuItemLabel::setLabel(base::Ref<SceneNode> label) {
    VERIFY_MSG(
        dynamic_cast<LabelProtocol*>(label.get()) && dynamic_cast<RGBAProtocol*>(label.get()),
        "A menu item's label answers setString: and the colour operations");
    label_ = std::move(label);
    setContentSize(label_->contentSize());
}

void MenuItemLabel::setString(std::string const& string) {
    dynamic_cast<LabelProtocol*>(label_.get())->setString(string);
    setContentSize(label_->contentSize());
}

RGBAProtocol* MenuItemLabel::rgba() const {
    return dynamic_cast<RGBAProtocol*>(label_.get());
}

void MenuItemLabel::zoomTo(float scale) {
    if (!isEnabled())
        return;
    stopActionByTag(zoomActionTag);
    auto zoom = ScaleTo::actionWithDuration(0.1f, scale);
    zoom->setTag(zoomActionTag);
    runAction(zoom);
}

void MenuItemLabel::selected() {
    zoomTo(1.2f);
}

void MenuItemLabel::unselected() {
    zoomTo(1.0f);
}

void MenuItemLabel::activate() {
    if (!isEnabled())
        return;
    stopAllActions();
    setScale(1.0f);
    MenuItem::activate();
}

void MenuItemLabel::setIsEnabled(bool enabled) {
    if (enabled != isEnabled()) {
        if (enabled) {
            rgba()->setColor(colorBackup_);
        } else {
            colorBackup_ = rgba()->color();
            rgba()->setColor(disabledColor_);
        }
    }
    MenuItem::setIsEnabled(enabled);
}

void MenuItemLabel::draw() {
    label_->draw();
}

Color3B MenuItemLabel::color() const {
    return rgba()->color();
}

void MenuItemLabel::setColor(Color3B color) {
    rgba()->setColor(color);
}

std::uint8_t MenuItemLabel::opacity() const {
    return rgba()->opacity();
}

void MenuItemLabel::setOpacity(std::uint8_t opacity) {
    rgba()->setOpacity(opacity);
}

namespace {

base::Ref<SceneNode> atlasLabel(std::string const& value, std::string const& charMapFile,
    int itemWidth, int itemHeight, char startCharMap) {
    VERIFY_MSG(!value.empty(), "value lenght must be greater than 0");
    return LabelAtlas::labelAtlasWithString(
        value, charMapFile, itemWidth, itemHeight, startCharMap);
}

struct FontSettings {
    std::string name {"Marker Felt"};
    int size {32};
};

FontSettings& fontSettings() {
    static FontSettings settings;
    return settings;
}

base::Ref<SceneNode> fontLabel(std::string const& value) {
    VERIFY_MSG(!value.empty(), "Value lenght must be greater than 0");
    return Label::labelWithString(value, fontSettings().name, float(fontSettings().size));
}

}

base::Ref<MenuItemAtlasFont> MenuItemAtlasFont::itemFromString(std::string const& value,
    std::string const& charMapFile, int itemWidth, int itemHeight, char startCharMap,
    Invocation invocation) {
    return base::make<MenuItemAtlasFont>(
        value, charMapFile, itemWidth, itemHeight, startCharMap, std::move(invocation));
}

MenuItemAtlasFont::MenuItemAtlasFont(std::string const& value, std::string const& charMapFile,
    int itemWidth, int itemHeight, char startCharMap, Invocation invocation)
    : MenuItemLabel(atlasLabel(value, charMapFile, itemWidth, itemHeight, startCharMap),
        std::move(invocation)) {
}

void MenuItemFont::setFontSize(int size) {
    fontSettings().size = size;
}

int MenuItemFont::fontSize() {
    return fontSettings().size;
}

void MenuItemFont::setFontName(std::string name) {
    fontSettings().name = std::move(name);
}

std::string const& MenuItemFont::fontName() {
    return fontSettings().name;
}

base::Ref<MenuItemFont> MenuItemFont::itemFromString(
    std::string const& value, Invocation invocation) {
    return base::make<MenuItemFont>(value, std::move(invocation));
}

MenuItemFont::MenuItemFont(std::string const& value, Invocation invocation)
    : MenuItemLabel(fontLabel(value), std::move(invocation)) {
}

}
