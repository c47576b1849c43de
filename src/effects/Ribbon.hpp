#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/BlendFunc.hpp>
#include <engine/Color.hpp>
#include <engine/Forward.hpp>
#include <engine/Geometry.hpp>
#include <engine/SceneNode.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace effects {

// A block of 50 points of a ribbon's strip, each point two vertices across the strip with
// their texture coordinates, colours and the ribbon time it was added. Points fade over the
// ribbon's fade time; a full block whose points have all faded is finished and can be
// reused. Main thread.
class RibbonSegment final : public base::Object {
public:
    static constexpr unsigned points = 50;

    static base::Ref<RibbonSegment> create() { return base::make<RibbonSegment>(); }

    void reset();
    // Draws the points from begin to end as one triangle strip: in the plain colour when the
    // ribbon's time is still 0, else with each point's alpha fading from 255 to 0 over the fade
    // time (faded points move begin on). The caller has set up the texture and arrays.
    void draw(float curTime, float fadeTime, engine::Color4B color);
    // "<RibbonSegment = 0x... | end = %i, begin = %i>".
    std::string description() const;

    std::array<float, points * 6> verts {};
    std::array<float, points * 4> coords {};
    std::array<std::uint8_t, points * 8> colors {};
    std::array<float, points> creationTime {};
    bool finished {false};
    unsigned end {0};
    unsigned begin {0};

private:
    friend base::Factory;
    RibbonSegment() = default;
};

// A textured strip of constant width drawn through the points added to it; each point fades
// out over the fade time after it was added (by the time update accumulates), so the strip's
// tail disappears. Points live in segments of 50; consecutive segments share a point so the
// strip has no gap, and finished segments are reused. Main thread, GL context current.
class Ribbon : public engine::SceneNode {
public:
    // The texture from the texture cache, linear and repeating along the strip; one repetition
    // covers `length` points of strip.
    static base::Ref<Ribbon> ribbonWithWidth(
        float width, std::string const& image, float length, engine::Color4B color, float fade);

    // The first point only records where the strip starts.
    void addPointAt(engine::Point location, float width);
    void update(float dt);
    void draw() override;

    static engine::Point rotatePoint(engine::Point point, float rotation);
    static float sideOfLine(engine::Point p, engine::Point l1, engine::Point l2);

    engine::Texture2D* texture() const { return texture_.get(); }
    // The node's content size becomes the texture's.
    void setTexture(base::Ref<engine::Texture2D> texture);
    float textureLength() const { return textureLength_; }
    void setTextureLength(float length) { textureLength_ = length; }
    engine::Color4B color() const { return color_; }
    void setColor(engine::Color4B color) { color_ = color; }
    engine::BlendFunc blendFunc() const { return blendFunc_; }
    void setBlendFunc(engine::BlendFunc blendFunc) { blendFunc_ = blendFunc; }

    std::vector<base::Ref<RibbonSegment>> const& segments() const { return mSegments; }
    std::vector<base::Ref<RibbonSegment>> const& reusableSegments() const { return dSegments; }
    float curTime() const { return mCurTime; }
    float texVPos() const { return mTexVPos; }
    engine::Point lastLocation() const { return mLastLocation; }

protected:
    ~Ribbon() override;

private:
    friend base::Factory;
    Ribbon(float width, std::string const& image, float length, engine::Color4B color, float fade);

    std::vector<base::Ref<RibbonSegment>> mSegments;
    std::vector<base::Ref<RibbonSegment>> dSegments;
    engine::Point mLastPoint1;
    engine::Point mLastPoint2;
    engine::Point mLastLocation;
    int mVertCount {0};
    float mTexVPos {0};
    float mCurTime {0};
    float mFadeTime {0};
    float mDelta {0};
    float mLastWidth {0};
    float mLastSign {0};
    bool mPastFirstPoint {false};
    base::Ref<engine::Texture2D> texture_;
    float textureLength_ {0};
    engine::Color4B color_;
    engine::BlendFunc blendFunc_ {engine::straightAlphaBlendFunc};
};

// A trail behind a moving node: a ribbon child fed with the node's world position whenever
// the node has moved more than the minimum segment length since the last point; the ribbon is
// moved back by that position so its world-space points show in place. Assumes no ancestor
// scales or rotates the streak. update is scheduled every frame. Main thread.
class MotionStreak : public engine::SceneNode {
public:
    static base::Ref<MotionStreak> streakWithFade(float fade, float minSeg,
        std::string const& image, float width, float length, engine::Color4B color);

    void update(float dt);

    Ribbon* ribbon() const { return ribbon_.get(); }
    engine::Texture2D* texture() const { return ribbon_->texture(); }
    void setTexture(base::Ref<engine::Texture2D> texture) {
        ribbon_->setTexture(std::move(texture));
    }
    engine::BlendFunc blendFunc() const { return ribbon_->blendFunc(); }
    void setBlendFunc(engine::BlendFunc blendFunc) { ribbon_->setBlendFunc(blendFunc); }

protected:
    ~MotionStreak() override;

private:
    friend base::Factory;
    MotionStreak(float fade, float minSeg, std::string const& image, float width, float length,
        engine::Color4B color);

    base::Ref<Ribbon> ribbon_;
    float mSegThreshold {0};
    float mWidth {0};
    engine::Point mLastLocation;
};

}
