#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <engine/AtlasAnimation.hpp>
#include <engine/AtlasSprite.hpp>
#include <engine/AtlasSpriteManager.hpp>
#include <engine/Color.hpp>
#include <engine/Geometry.hpp>
#include <engine/SceneNode.hpp>

#include <array>
#include <string>

namespace game {

// The drawable body of a salon actor: one sprite sheet drawn by its own batch node
// on the salon layer, sixteen animations (four actions by four facings), its own
// frame stepping, walking to a point at a fixed speed, and a drawing order that
// follows its height on the screen (lower is in front). The characters derive
// from it and add the frames and all behaviour.
//
// A sheet is "<name>.png" beside "<name>.plist", whose "frames" maps each frame
// name to its rectangle ("x", "y" from the image's top-left, "width", "height")
// and reference point ("offsetX", "offsetY"). Both come from the bundle, or both
// from the data folder when the bundle lacks the list.
//
// The batch node is a child of the layer while the sprite lives; the layer is not
// kept alive by it. Main thread.
class CharacterSprite : public base::Object {
public:
    enum Action { STAND = 0, WALK = 1, SIT = 2, SERVING = 3 };
    enum Direction { UP = 0, RIGHT = 1, DOWN = 2, LEFT = 3 };

    // The sheet's body at (x, y) on the layer, invisible, standing and facing down,
    // with no frames yet. offset is the character's own anchor offset.
    static base::Ref<CharacterSprite> create(std::string const& sheetName, float x, float y,
        engine::SceneNode* layer, engine::Point offset);

    // Appends the sheet's frame to an animation; a frame the sheet lacks is skipped.
    // The anchor of the last frame added decides the animation's anchor.
    void addFrame(std::string const& frameName, int action, int direction);

    // A new action or direction starts its animation at the first frame.
    void changeAction(int action);
    int getAction() const { return curActionIndex; }
    void changeDirection(int direction);
    int getDirection() const { return curDirectionIndex; }
    void setFrameIndex(int index);
    int getFrameIndex() const { return curFrameIndex; }

    // Shows the current frame (mirrored when facing left), its anchor and depth.
    void updateFrame();
    // Reorders the batch node to int(10 x screen height - 10 x y) + the z offset.
    void updateZPos();
    int getZPos() const;
    void updateAnchorPoint();
    void nextFrame();
    void prevFrame();

    // The outline around the body, drawn by the batch node.
    void setStroke(bool stroke);
    void setStrokeColor(engine::Color3B color);
    void setStrokeSize(int size);

    // "STAND", "WALK", "SIT" or "SERVING" followed by "UP", "RIGHT", "DOWN" or
    // "LEFT"; a direction other than 0, 1 and 3 reads as "DOWN".
    static std::string getAnimationName(int action, int direction);

    engine::Point getDestPoint() const { return destPoint; }
    void setDestPoint(engine::Point point) { destPoint = point; }
    // The frame's rectangle in the sheet, or (-1, -1, 0, 0) when the sheet lacks it.
    engine::Rect getPicRect(std::string const& frameName) const;

    // Stored cut to whole numbers.
    void setFPS(float fps) { fFPS = int(fps); }
    void setWalkSpeed(float speed) { fSpeed = int(speed); }
    int fps() const { return fFPS; }
    int walkSpeed() const { return fSpeed; }
    void setZPosOffset(int offset) { nZPosOffset = offset; }
    int zPosOffset() const { return nZPosOffset; }

    // One animation step: at most one frame further once 1 / fps has gone by since
    // the last change; the remainder is dropped. Animations of fewer than two frames
    // stand still.
    void update(float dt);
    // Walks straight to the point at the walking speed, facing the way the larger of
    // the two distances goes (down or up on a tie). The end is not signalled: the
    // owner compares the position with the destination.
    void walkTo(engine::Point point);
    // Stops walking where the body is and stands.
    void stop();
    // The body's actions.
    virtual void pause();
    virtual void resume();

    engine::AtlasSprite* pSprite() const { return pSprite_.get(); }
    void setPSprite(base::Ref<engine::AtlasSprite> sprite) { pSprite_ = std::move(sprite); }
    engine::AtlasSpriteManager* pManager() const { return pManager_.get(); }
    engine::AtlasAnimation* animation(int action, int direction) const;
    engine::Point frameOffset(int action, int direction) const;

protected:
    friend base::Factory;
    CharacterSprite(std::string const& sheetName, float x, float y, engine::SceneNode* layer,
        engine::Point offset);
    ~CharacterSprite() override;

private:
    // The row of the tables a direction uses: 0, 1 and 3 as they are, anything else
    // as DOWN.
    static int directionSlot(int direction);
    static int actionSlot(int action);
    int currentFrameCount() const;

    base::WeakRef<engine::SceneNode> pLayer;
    base::Ref<base::Dictionary> framesDict;
    base::Ref<engine::AtlasSpriteManager> pManager_;
    base::Ref<engine::AtlasSprite> pSprite_;
    std::array<std::array<base::Ref<engine::AtlasAnimation>, 4>, 4> pAnimation;
    engine::Point destPoint;
    engine::Point fGlobalOffset;
    std::array<std::array<engine::Point, 4>, 4> fFrameOffset {};
    float frameDuration {0};
    int curActionIndex {STAND};
    int curDirectionIndex {DOWN};
    int curFrameIndex {0};
    int nZPosOffset {0};
    int fFPS {8};
    int fSpeed {60};
};

}
