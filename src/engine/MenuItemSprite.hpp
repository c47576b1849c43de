#pragma once

#include <engine/MenuItem.hpp>
#include <engine/RGBAProtocol.hpp>

#include <string>

namespace engine {

// A menu item shown by one of three images (nodes with a colour: sprites, textured nodes):
// the selected one while the finger is on it, the disabled one (the normal one when there
// is none) while disabled, else the normal one. The images are kept, not children; the item
// draws the one that shows in its own space. Its size is the normal image's. Main thread.
class MenuItemSprite : public MenuItem, public RGBAProtocol {
public:
    static base::Ref<MenuItemSprite> itemFromNormalSprite(base::Ref<SceneNode> normal,
        base::Ref<SceneNode> selected, base::Ref<SceneNode> disabled = nullptr,
        Invocation invocation = {});

    SceneNode* normalImage() const { return normalImage_.get(); }
    void setNormalImage(base::Ref<SceneNode> image) { normalImage_ = std::move(image); }
    SceneNode* selectedImage() const { return selectedImage_.get(); }
    void setSelectedImage(base::Ref<SceneNode> image) { selectedImage_ = std::move(image); }
    SceneNode* disabledImage() const { return disabledImage_.get(); }
    void setDisabledImage(base::Ref<SceneNode> image) { disabledImage_ = std::move(image); }

    bool isSelected() const { return selected_; }
    // Set and cleared also while disabled.
    void selected() override { selected_ = true; }
    void unselected() override { selected_ = false; }
    void draw() override;

    // To every image; read from the normal one.
    Color3B color() const override;
    void setColor(Color3B color) override;
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { setColor({r, g, b}); }
    std::uint8_t opacity() const override;
    void setOpacity(std::uint8_t opacity) override;

    // The image that shows now.
    SceneNode* shownImage() const;

protected:
    bool selected_ {false};
    base::Ref<SceneNode> normalImage_;
    base::Ref<SceneNode> selectedImage_;
    base::Ref<SceneNode> disabledImage_;

    friend base::Factory;

    MenuItemSprite(base::Ref<SceneNode> normal, base::Ref<SceneNode> selected,
        base::Ref<SceneNode> disabled, Invocation invocation);
};

// A menu item whose images are sprites of a sprite sheet, drawn by their own batch node: the
// item only makes the right one visible and moves, turns and scales all three with itself.
class MenuItemAtlasSprite final : public MenuItemSprite {
public:
    static base::Ref<MenuItemAtlasSprite> itemFromNormalSprite(base::Ref<SceneNode> normal,
        base::Ref<SceneNode> selected, base::Ref<SceneNode> disabled = nullptr,
        Invocation invocation = {});

    void setPosition(Point position) override;
    void setRotation(float degrees) override;
    void setScale(float scale) override;

    void selected() override;
    void unselected() override;
    void setIsEnabled(bool enabled) override;
    // The sprites' batch node draws them.
    void draw() override { }

private:
    void show(SceneNode* image);

    friend base::Factory;

    MenuItemAtlasSprite(base::Ref<SceneNode> normal, base::Ref<SceneNode> selected,
        base::Ref<SceneNode> disabled, Invocation invocation);
};

// A menu item of three pictures loaded from image files (no disabled picture without a
// name).
class MenuItemImage final : public MenuItemSprite {
public:
    static base::Ref<MenuItemImage> itemFromNormalImage(std::string const& normal,
        std::string const& selected, std::string const& disabled = {}, Invocation invocation = {});

private:
    friend base::Factory;

    MenuItemImage(std::string const& normal, std::string const& selected,
        std::string const& disabled, Invocation invocation);
};

}
