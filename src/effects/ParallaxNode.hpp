#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <effects/Forward.hpp>
#include <engine/Geometry.hpp>
#include <engine/SceneNode.hpp>

#include <vector>

namespace effects {

// Ties a parallax child to its ratio and offset. The child is not retained: the node holds
// it as its child.
class CGPointObject final : public base::Object {
public:
    static base::Ref<CGPointObject> pointWithCGPoint(engine::Point ratio, engine::Point offset);

    engine::Point ratio() const { return ratio_; }
    void setRatio(engine::Point ratio) { ratio_ = ratio; }
    engine::Point offset() const { return offset_; }
    void setOffset(engine::Point offset) { offset_ = offset; }
    engine::SceneNode* child() const { return child_; }
    void setChild(engine::SceneNode* child) { child_ = child; }

private:
    engine::Point ratio_;
    engine::Point offset_;
    engine::SceneNode* child_ {nullptr};

    friend base::Factory;

    CGPointObject(engine::Point ratio, engine::Point offset)
        : ratio_(ratio)
        , offset_(offset) { }
};

// A node whose children move at their own rates as the node (or an ancestor) moves: before
// each draw in which the node's absolute position changed, a child with ratio r and offset o
// is placed so that it shows at A·r + o, A being that absolute position. Ratio 1 moves with
// the node, 0 stays fixed on screen. Children come only through the parallax addChild; the
// list of records grows with them. Main thread.
class ParallaxNode : public engine::SceneNode {
public:
    static base::Ref<ParallaxNode> node();

    // A null child is a broken invariant ("Argument must be non-nil").
    ParallaxNode& addChild(
        base::Ref<engine::SceneNode> child, int z, engine::Point ratio, engine::Point offset);
    // Refused: "ParallaxNode: use addChild:z:parallaxRatio:positionOffset instead".
    engine::SceneNode& addChild(base::Ref<engine::SceneNode> child, int z, int tag) override;
    using engine::SceneNode::addChild;
    void removeChild(engine::SceneNode* child, engine::Cleanup cleanup) override;
    void removeAllChildrenWithCleanup(engine::Cleanup cleanup) override;

    // The node's position plus those of all its ancestors (translations only).
    engine::Point absolutePosition_() const;
    void visit() override;

    std::vector<base::Ref<CGPointObject>> const& parallaxArray() const { return parallaxArray_; }
    void setParallaxArray(std::vector<base::Ref<CGPointObject>> array) {
        parallaxArray_ = std::move(array);
    }
    engine::Point lastPosition() const { return lastPosition_; }

protected:
    ~ParallaxNode() override = default;

    friend base::Factory;

    ParallaxNode();

private:
    std::vector<base::Ref<CGPointObject>> parallaxArray_;
    engine::Point lastPosition_ {-100, -100};
};

}
