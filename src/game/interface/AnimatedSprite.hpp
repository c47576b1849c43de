#pragma once

#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <engine/AtlasSprite.hpp>
#include <engine/AtlasSpriteManager.hpp>

#include <string>

namespace game {

// A looping frame animation cut from a sprite sheet: "<name>.png" holds every
// frame and "<name>.plist" gives each frame's rectangle and offset under "frames".
// Frames play in the order of their keys compared without regard to case, at 8
// frames a second unless set otherwise, as the owner ticks update with each
// frame's time. The effect list "vfxList.plist" gives each named effect an extra
// offset, which with the frames' own offsets sets the sprite's anchor point.
//
// The sprite draws through a batch node of its own, which creation adds to the
// parent given; the parent owns the batch node and the batch node the sprite.
// The creator keeps a reference and calls destroy to take the effect off the
// screen. Main thread only.
class AnimatedSprite : public engine::AtlasSprite {
public:
    static constexpr char const* animationName = "Animation";

    // With the offset of the name's entry in "vfxList.plist" ((0, 0) when the
    // entry or a value is missing).
    static base::Ref<AnimatedSprite> init(
        std::string const& name, float x, float y, engine::SceneNode* parent, float z);
    static base::Ref<AnimatedSprite> init(std::string const& name, float x, float y,
        engine::SceneNode* parent, float z, engine::Point offset);

    // Shows the frame when it differs from the current one.
    void setFrameIndex(int index);
    int getFrameIndex() const { return curFrameIndex; }
    // The next frame, wrapping to the first after the last.
    void nextFrame();
    // The previous frame, wrapping to the last before the first.
    void prevFrame();
    // Shows the current frame and applies the anchor point.
    void updateFrame();
    void updateAnchorPoint();
    // Cut to a whole number toward zero; 0 stops the animation.
    void setFPS(float fps) { fFPS = int(fps); }
    int fps() const { return fFPS; }
    // Advances at most one frame per call, once 1 / fps has gathered; what
    // gathered beyond it is dropped. Sheets with fewer than 2 frames stand still.
    void update(float dt);

    void stop();
    void pause();
    void resume();

    // Moves the batch node to the z-order within the parent.
    void updateZPos(int z);
    int getZPos() const;
    void setStroke(bool stroke);
    void setStrokeColor(engine::Color3B color);
    void setStrokeSize(float size);

    // The frame's rectangle, or origin (-1, -1) with size 0 for an unknown key.
    engine::Rect getPicRect(std::string const& key) const;
    // Appends the frame of the key to the animation and takes its anchor point.
    void addFrame(std::string const& key);

    // Takes the batch node, and with it the sprite, off the parent.
    void destroy();

    engine::AtlasSpriteManager* manager() const { return pManager.get(); }
    engine::Point globalOffset() const { return fGlobalOffset; }
    engine::Point frameOffset() const { return fFrameOffset; }
    std::size_t frameCount() const;

protected:
    friend base::Factory;
    explicit AnimatedSprite(engine::AtlasSpriteManager* manager);

private:
    engine::SceneNode* pParent {nullptr};
    base::Ref<base::Dictionary> framesDict;
    // Owned by the parent; the batch node owns this sprite.
    base::WeakRef<engine::AtlasSpriteManager> pManager;
    base::Ref<engine::AtlasAnimation> pAnimation;
    engine::Point fGlobalOffset;
    engine::Point fFrameOffset;
    float frameDuration {0};
    int curFrameIndex {0};
    int fFPS {8};
};

}
