#pragma once

#include <engine/LabelProtocol.hpp>
#include <engine/MenuItem.hpp>
#include <engine/RGBAProtocol.hpp>

#include <string>

namespace engine {

// A menu item showing a text node (a label, an atlas label or a bitmap-font label) that it
// draws in its own space; the node is kept but is not a child. It grows to 1.2 times its size
// while selected and shows the disabled colour while disabled. Main thread.
class MenuItemLabel : public MenuItem, public RGBAProtocol {
public:
    // The tag of the selection's scale action.
    static constexpr int zoomActionTag = int(0xC0C05002u);

    // label must answer setString and the colour operations.
    static base::Ref<MenuItemLabel> itemWithLabel(
        base::Ref<SceneNode> label, Invocation invocation);

    SceneNode* label() const { return label_.get(); }
    // The content size follows the label's.
    void setLabel(base::Ref<SceneNode> label);
    void setString(std::string const& string);

    void selected() override;
    void unselected() override;
    void activate() override;
    void setIsEnabled(bool enabled) override;
    void draw() override;

    Color3B disabledColor() const { return disabledColor_; }
    void setDisabledColor(Color3B color) { disabledColor_ = color; }

    // Forwarded to the label.
    Color3B color() const override;
    void setColor(Color3B color) override;
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { setColor({r, g, b}); }
    std::uint8_t opacity() const override;
    void setOpacity(std::uint8_t opacity) override;

private:
    RGBAProtocol* rgba() const;
    // Runs the selection's scale action (when enabled), replacing one still running.
    void zoomTo(float scale);

    base::Ref<SceneNode> label_;
    Color3B colorBackup_ {255, 255, 255};
    Color3B disabledColor_ {126, 126, 126};

protected:
    friend base::Factory;

    MenuItemLabel(base::Ref<SceneNode> label, Invocation invocation);
};

// A text item drawn from a character-grid image (a LabelAtlas).
class MenuItemAtlasFont final : public MenuItemLabel {
public:
    // The string must not be empty ("value lenght must be greater than 0").
    static base::Ref<MenuItemAtlasFont> itemFromString(std::string const& value,
        std::string const& charMapFile, int itemWidth, int itemHeight, char startCharMap,
        Invocation invocation = {});

private:
    friend base::Factory;

    MenuItemAtlasFont(std::string const& value, std::string const& charMapFile, int itemWidth,
        int itemHeight, char startCharMap, Invocation invocation);
};

// A text item in a named font (a Label), by the class-wide font name and size of the moment
// it is made: "Marker Felt" at 32 points unless set otherwise.
class MenuItemFont final : public MenuItemLabel {
public:
    static void setFontSize(int size);
    static int fontSize();
    static void setFontName(std::string name);
    static std::string const& fontName();

    // The string must not be empty ("Value lenght must be greater than 0").
    static base::Ref<MenuItemFont> itemFromString(
        std::string const& value, Invocation invocation = {});

private:
    friend base::Factory;

    MenuItemFont(std::string const& value, Invocation invocation);
};

}
