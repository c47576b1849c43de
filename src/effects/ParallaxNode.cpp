#include <effects/ParallaxNode.hpp>

#include <base/Verify.hpp>

namespace effects {

base::Ref<CGPointObject> CGPointObject::pointWithCGPoint(
    engine::Point ratio, engine::Point offset) {
    return base::make<CGPointObject>(ratio, offset);
}

base::Ref<ParallaxNode> ParallaxNode::node() {
    return base::make<ParallaxNode>();
}

ParallaxNode::ParallaxNode() {
    parallaxArray_.reserve(5);
}

ParallaxNode& ParallaxNode::addChild(
    base::Ref<engine::SceneNode> child, int z, engine::Point ratio, engine::Point offset) {
    VERIFY_MSG(child, "Argument must be non-nil");
    auto record = CGPointObject::pointWithCGPoint(ratio, offset);
    record->setChild(child.get());
    parallaxArray_.push_back(record);
    engine::Point p = position();
    child->setPosition({p.x * ratio.x + offset.x, p.y * ratio.y + offset.y});
    int tag = child->tag();
    engine::SceneNode::addChild(std::move(child), z, tag);
    return *this;
}

engine::SceneNode& ParallaxNode::addChild(base::Ref<engine::SceneNode>, int, int) {
    VERIFY_MSG(false, "ParallaxNode: use addChild:z:parallaxRatio:positionOffset instead");
    return *this;
}

void ParallaxNode::removeChild(engine::SceneNode* child, engine::Cleanup cleanup) {
    for (auto it = parallaxArray_.begin(); it != parallaxArray_.end(); ++it) {
        if ((*it)->child() == child) {
            parallaxArray_.erase(it);
            break;
        }
    }
    engine::SceneNode::removeChild(child, cleanup);
}

void ParallaxNode::removeAllChildrenWithCleanup(engine::Cleanup cleanup) {
    parallaxArray_.clear();
    engine::SceneNode::removeAllChildrenWithCleanup(cleanup);
}

engine::Point ParallaxNode::absolutePosition_() const {
    engine::Point result = position();
    for (engine::SceneNode* node = parent(); node; node = node->parent()) {
        result.x += node->position().x;
        result.y += node->position().y;
    }
    return result;
}

void ParallaxNode::visit() {
    engine::Point a = absolutePosition_();
    if (a.x != lastPosition_.x || a.y != lastPosition_.y) {
        for (auto const& record : parallaxArray_) {
            engine::Point ratio = record->ratio(), offset = record->offset();
            record->child()->setPosition(
                {-a.x + a.x * ratio.x + offset.x, -a.y + a.y * ratio.y + offset.y});
        }
        lastPosition_ = a;
    }
    engine::SceneNode::visit();
}

}
