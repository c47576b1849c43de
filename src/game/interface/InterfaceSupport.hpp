#pragma once

// Small helpers that the interface's source files share.

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Bundle.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/SoundEngine.hpp>

#include <string>
#include <string_view>

namespace game::interface_support {

inline constexpr engine::Color3B white {255, 255, 255};
inline constexpr engine::Color3B pink {230, 50, 118};
inline constexpr engine::Color3B levelRed {253, 55, 90};

inline std::string localized(std::string_view key) {
    return foundation::Bundle::mainBundle().localizedString(key);
}

inline void playSound(std::string const& name) {
    if (auto* engine = SoundEngine::sharedManager())
        engine->playSoundName(name);
}

inline engine::Size sizeOf(engine::SceneNode const* node) {
    return node ? node->contentSize() : engine::Size {};
}

// A Helvetica label with a box, shown, added to the parent.
inline base::Ref<engine::Label> boxLabel(std::string const& text, engine::Size box, float fontSize,
    engine::Color3B color, engine::SceneNode* parent, int z, engine::Point position,
    engine::TextAlignment alignment = engine::TextAlignment::Center) {
    auto label = engine::Label::labelWithString(text, box, alignment, "Helvetica", fontSize);
    label->setColor(color);
    label->setPosition(position);
    label->setVisible(true);
    if (parent)
        parent->addChild(label, z);
    return label;
}

inline base::Ref<engine::Sprite> shownSprite(
    std::string const& file, float x, float y, engine::SceneNode* parent, int z) {
    auto sprite = GraphicEngine::createSprite(file, x, y, parent, float(z));
    if (sprite)
        sprite->setVisible(true);
    return sprite;
}

// The file name with "_iPad" before the extension on the tablet.
inline std::string art(std::string const& file, bool pad) {
    if (!pad)
        return file;
    auto dot = file.rfind('.');
    return file.substr(0, dot) + "_iPad" + file.substr(dot);
}

// A name from downloaded data that becomes a file of the data folder: one plain file
// name, never a path, so that it cannot reach out of the folder.
inline bool isPlainFileName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos
        && name.find('\\') == std::string_view::npos && name.find("..") == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

// Removes the node from its parent with cleanup, when it has one.
inline void removeFromParent(engine::SceneNode* node) {
    if (node && node->parent())
        node->parent()->removeChild(node, engine::Cleanup::Yes);
}

}
