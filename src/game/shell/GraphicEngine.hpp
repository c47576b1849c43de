#pragma once

#include <base/Ref.hpp>
#include <engine/Forward.hpp>
#include <engine/Geometry.hpp>

#include <graphics/Forward.hpp>

namespace engine {
class Label;
}

#include <cstdint>
#include <string>

namespace game {

// One-call helpers of the game screens: sprites and labels made, placed, hidden
// and added to a parent; fades that do nothing when the node is already there
// (so a fade asked for every frame never restarts); hit tests with a tolerance;
// touch points turned into scene points; distances. No state; never
// instantiated. Main thread only.
//
// Every node made here starts invisible; the caller shows it, often with a fade.
// A z given as a float is cut to a whole z-order.
class GraphicEngine {
public:
    GraphicEngine() = delete;

    static constexpr char const* labelFont = "Helvetica";
    static constexpr char const* boldLabelFont = "Helvetica-Bold";

    // Loads the image into the texture cache.
    static void preloadSprite(std::string const& file);
    // Caches an in-memory image under its address ("%08X").
    static void preloadSpriteWithCGImage(graphics::Image const& image);

    static base::Ref<engine::Sprite> createSprite(
        std::string const& file, float x, float y, engine::SceneNode* parent, float z);

    // A centred black label in Helvetica, as wide as width (the screen's width
    // when width is 0 or less) and fontSize x 1.5 x lines high. The font shrinks
    // one point at a time, never below 1: a single line until it fits the width
    // (not when the width is the screen's), several lines until their wrapped
    // height is at most 2.4 x-heights a line.
    static base::Ref<engine::Label> createLabel(std::string const& text, float x, float y,
        engine::SceneNode* parent, float z, int fontSize, int lines = 1, float width = -1);
    // The same in Helvetica-Bold, shrunk (when a width is given) to the largest
    // size, not above fontSize nor below 1, at which the text fits on one line;
    // the line count only sets the height.
    static base::Ref<engine::Label> createBoldLabel(std::string const& text, float x, float y,
        engine::SceneNode* parent, float z, int fontSize, int lines = 1, float width = -1);

    // Fades: each does nothing when its "done" test holds, and otherwise runs a
    // new fade action on the node beside whatever else runs there. Null nodes are
    // ignored (and are never done).
    static void fadeInSprite(engine::Sprite* sprite, float time);
    static void fadeInAtlasSprite(engine::AtlasSprite* sprite, float time);
    static void fadeInLabel(engine::Label* label, float time);
    static void fadeOutSprite(engine::Sprite* sprite, float time);
    static void fadeOutAtlasSprite(engine::AtlasSprite* sprite, float time);
    static void fadeOutLabel(engine::Label* label, float time);
    // The target's low byte is the opacity.
    static void fadeToSprite(engine::Sprite* sprite, int target, float time);
    static void fadeToAtlasSprite(engine::AtlasSprite* sprite, int target, float time);
    static void fadeToLabel(engine::Label* label, int target, float time);

    // Opacity 255, 0, or the target's low byte.
    static bool fadeInSpriteDone(engine::Sprite const* sprite);
    static bool fadeInAtlasSpriteDone(engine::AtlasSprite const* sprite);
    static bool fadeInLabelDone(engine::Label const* label);
    static bool fadeOutSpriteDone(engine::Sprite const* sprite);
    static bool fadeOutAtlasSpriteDone(engine::AtlasSprite const* sprite);
    static bool fadeOutLabelDone(engine::Label const* label);
    static bool fadeToSpriteDone(engine::Sprite const* sprite, int target);
    static bool fadeToAtlasSpriteDone(engine::AtlasSprite const* sprite, int target);
    static bool fadeToLabelDone(engine::Label const* label, int target);

    // Whether a world point lies in the sprite's unscaled, unrotated rectangle
    // grown by the tolerance on every side, its lower and left edges included and
    // its upper and right edges not. The point is taken into the parent's space
    // first; a sprite without a parent tests the point (0, 0). False for null.
    static bool isPointInSprite(engine::Sprite* sprite, engine::Point point, float tolerance);
    static bool isPointInAtlasSpriteSprite(
        engine::AtlasSprite* sprite, engine::Point point, float tolerance);
    // Whether the click lies in the square of side 2 x tolerance centred on point.
    static bool isClickNearPoint(engine::Point point, engine::Point click, float tolerance);

    // A point of the platform's view (origin top-left) as the scene counts it
    // (origin bottom-left), by the status bar's orientation: the height is 480
    // (1024 on the tablet) in portrait, 320 (768) in landscape. Any other
    // orientation leaves the point as it is.
    static engine::Point convertTouchPoint(engine::Point point);

    static float getDistanceBetweenPoints(engine::Point a, engine::Point b);
    // |dx| + |dy|.
    static float getWalkingDistanceBetweenPoints(engine::Point a, engine::Point b);
};

}
