#include <base/Exception.hpp>
#include <base/Verify.hpp>
#include <engine/Action.hpp>
#include <engine/ActionManager.hpp>
#include <engine/Camera.hpp>
#include <engine/Describe.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/GridBase.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Scheduler.hpp>
#include <engine/Timer.hpp>

#include <graphics/DrawState.hpp>
#include <ui/Touch.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

#include <GLES/gl.h>
#include <algorithm>
#include <cmath>

namespace engine {

namespace {

bool isZero(Point p) {
    return p.x == 0 && p.y == 0;
}

// Conversions use whole-point anchors and positions, truncated toward zero.
float whole(float value) {
    return std::trunc(value);
}

}

base::Ref<SceneNode> SceneNode::node() {
    return base::make<SceneNode>();
}

SceneNode::SceneNode() {
}

SceneNode::~SceneNode() {
    // Children outlive their parent only through other references; they are
    // cleaned up as if removed with cleanup. No reference to this node may be
    // taken from here on.
    auto children = std::move(children_);
    for (auto& child : children) {
        if (!child)
            continue;
        child->setParent(nullptr);
        child->cleanup();
    }
}

std::string SceneNode::description() const {
    return "<" + className(*this) + " = " + objectAddress(this) + " | Tag = " + std::to_string(tag_)
        + ">";
}

void SceneNode::cleanup() {
    stopAllActions();
    // A node that is still running has its timers active: take them off the
    // scheduler too, or they would keep calling a node that was cleaned up.
    auto scheduled = std::move(scheduledSelectors_);
    scheduledSelectors_.clear();
    if (isRunning_) {
        auto& scheduler = Scheduler::sharedScheduler();
        for (auto& entry : scheduled) {
            if (scheduler.isScheduled(entry.second.get()))
                scheduler.unscheduleTimer(entry.second.get());
        }
    }
    auto children = this->children();
    for (auto& child : children)
        child->cleanup();
}

// Geometry

void SceneNode::invalidateTransform() {
    isTransformDirty_ = true;
    isInverseDirty_ = true;
}

void SceneNode::setRotation(float degrees) {
    rotation_ = degrees;
    invalidateTransform();
}

float SceneNode::scale() const {
    if (scaleX_ != scaleY_)
        throw base::Exception("SceneNode scale:", "scaleX is different from scaleY");
    return scaleX_;
}

void SceneNode::setScale(float scale) {
    scaleX_ = scale;
    scaleY_ = scale;
    invalidateTransform();
}

void SceneNode::setScaleX(float scaleX) {
    scaleX_ = scaleX;
    invalidateTransform();
}

void SceneNode::setScaleY(float scaleY) {
    scaleY_ = scaleY;
    invalidateTransform();
}

void SceneNode::setPosition(Point position) {
    position_ = position;
    invalidateTransform();
}

void SceneNode::setRelativeAnchorPoint(bool relative) {
    relativeAnchorPoint_ = relative;
    invalidateTransform();
}

void SceneNode::setTransformAnchor(Point anchor) {
    transformAnchor_ = anchor;
    invalidateTransform();
}

void SceneNode::setAnchorPoint(Point anchorPoint) {
    if (anchorPoint == anchorPoint_)
        return;
    anchorPoint_ = anchorPoint;
    setTransformAnchor({contentSize_.width * anchorPoint_.x, contentSize_.height * anchorPoint_.y});
}

void SceneNode::setContentSize(Size size) {
    if (size == contentSize_)
        return;
    contentSize_ = size;
    setTransformAnchor({contentSize_.width * anchorPoint_.x, contentSize_.height * anchorPoint_.y});
}

void SceneNode::setVertexZ(float vertexZ) {
    vertexZ_ = vertexZ;
}

void SceneNode::setVisible(bool visible) {
    visible_ = visible;
}

Camera* SceneNode::camera() {
    if (!camera_)
        camera_ = base::make<Camera>();
    return camera_.get();
}

void SceneNode::setGrid(base::Ref<GridBase> grid) {
    grid_ = std::move(grid);
}

// Children

SceneNode& SceneNode::addChild(base::Ref<SceneNode> child, int z, int tag) {
    VERIFY_MSG(child, "Argument must be non-nil");
    VERIFY_MSG(!child->parent_, "child already added. It can't be added again");
    for (SceneNode const* node = this; node; node = node->parent_)
        VERIFY_MSG(node != child.get(), "A node can't be added to itself or its descendants");
    if (children_.capacity() == 0)
        children_.reserve(4);
    SceneNode* added = child.get();
    insertChild(std::move(child), z);
    added->setTag(tag);
    added->setParent(this);
    if (isRunning_)
        added->onEnter();
    return *this;
}

SceneNode& SceneNode::addChild(base::Ref<SceneNode> child, int z) {
    VERIFY_MSG(child, "Argument must be non-nil");
    int tag = child->tag_;
    return addChild(std::move(child), z, tag);
}

SceneNode& SceneNode::addChild(base::Ref<SceneNode> child) {
    VERIFY_MSG(child, "Argument must be non-nil");
    int z = child->zOrder_;
    int tag = child->tag_;
    return addChild(std::move(child), z, tag);
}

std::vector<base::Ref<SceneNode>> const& SceneNode::children() const {
    // Main thread only, like the whole tree: squeezing out the empty places of
    // removed children on a read changes nothing a caller can see.
    if (emptyChildSlots_ > 0)
        const_cast<SceneNode*>(this)->compactChildren();
    return children_;
}

void SceneNode::compactChildren() {
    if (emptyChildSlots_ == 0)
        return;
    willCompactChildren();
    std::erase_if(children_, [](auto const& c) { return !c; });
    for (std::size_t i = 0; i < children_.size(); ++i)
        children_[i]->slotInParent_ = i;
    emptyChildSlots_ = 0;
}

void SceneNode::insertChild(base::Ref<SceneNode> child, int z) {
    SceneNode* inserted = child.get();
    inserted->setZOrderOnly(z);
    // The last place is never empty (see detachChild), so a child whose z is not
    // below the last one's goes at the end, where equal z keeps arrival order.
    if (children_.empty() || children_.back()->zOrder_ <= z) {
        inserted->slotInParent_ = children_.size();
        children_.push_back(std::move(child));
        return;
    }
    compactChildren();
    auto place = std::upper_bound(children_.begin(), children_.end(), z,
        [](int key, auto const& sibling) { return key < sibling->zOrder_; });
    auto at = children_.insert(place, std::move(child));
    for (auto i = static_cast<std::size_t>(at - children_.begin()); i < children_.size(); ++i)
        children_[i]->slotInParent_ = i;
}

void SceneNode::reorderChild(SceneNode* child, int z) {
    VERIFY_MSG(child, "Child must be non-nil");
    if (child->parent_ != this || child->zOrder_ == z)
        return;
    std::size_t slot = child->slotInParent_;
    if (slot >= children_.size() || children_[slot].get() != child)
        return;
    base::Ref<SceneNode> keep = std::move(children_[slot]);
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(slot));
    for (std::size_t i = slot; i < children_.size(); ++i) {
        if (children_[i])
            children_[i]->slotInParent_ = i;
    }
    while (!children_.empty() && !children_.back()) {
        children_.pop_back();
        --emptyChildSlots_;
    }
    insertChild(std::move(keep), z);
}

SceneNode* SceneNode::getChildByTag(int tag) const {
    VERIFY_MSG(tag != -1, "Invalid tag");
    for (auto const& child : children_) {
        if (child && child->tag_ == tag)
            return child.get();
    }
    return nullptr;
}

void SceneNode::removeChild(SceneNode* child, Cleanup cleanup) {
    if (!child)
        return;
    std::size_t slot = child->slotInParent_;
    bool isChild
        = child->parent_ == this && slot < children_.size() && children_[slot].get() == child;
    if (isChild)
        detachChild(child, cleanup);
}

void SceneNode::removeChildByTag(int tag, Cleanup cleanup) {
    VERIFY_MSG(tag != -1, "Invalid tag");
    if (SceneNode* child = getChildByTag(tag))
        removeChild(child, cleanup);
}

void SceneNode::removeAllChildrenWithCleanup(Cleanup cleanup) {
    auto removed = children();
    for (auto& child : removed) {
        if (isRunning_)
            child->onExit();
        if (cleanup == Cleanup::Yes)
            child->cleanup();
        child->setParent(nullptr);
    }
    // Children added by the callbacks above stay.
    compactChildren();
    std::erase_if(children_, [this](auto const& c) { return c->parent_ != this; });
    for (std::size_t i = 0; i < children_.size(); ++i)
        children_[i]->slotInParent_ = i;
}

void SceneNode::detachChild(SceneNode* child, Cleanup cleanup) {
    base::Ref<SceneNode> keep(child);
    if (isRunning_)
        child->onExit();
    if (cleanup == Cleanup::Yes)
        child->cleanup();
    child->setParent(nullptr);
    // The callbacks above may have moved the child's place.
    std::size_t slot = child->slotInParent_;
    if (slot >= children_.size() || children_[slot].get() != child)
        return;
    children_[slot] = nullptr;
    ++emptyChildSlots_;
    while (!children_.empty() && !children_.back()) {
        children_.pop_back();
        --emptyChildSlots_;
    }
    if (emptyChildSlots_ * 2 > children_.size())
        compactChildren();
}

// Drawing

void SceneNode::visit() {
    if (!visible_)
        return;
    // Kept alive while drawing, in case a draw changes the tree.
    base::Ref<SceneNode> self(this);
    graphics::DrawState::Run run;
    glPushMatrix();
    bool gridActive = grid_ && grid_->active();
    if (gridActive) {
        graphics::DrawState::restoreDefaults();
        grid_->beforeDraw();
        transformAncestors();
    }
    transform();
    compactChildren();
    // A child's visit may remove children: their places stay empty until the
    // next read, so the loops skip them.
    std::size_t i = 0;
    for (; i < children_.size() && (!children_[i] || children_[i]->zOrder_ < 0); ++i) {
        if (base::Ref<SceneNode> child = children_[i])
            child->visit();
    }
    // Draw code of its own expects texturing and the arrays off.
    if (!drawsThroughDrawState())
        graphics::DrawState::restoreDefaults();
    draw();
    for (; i < children_.size(); ++i) {
        if (base::Ref<SceneNode> child = children_[i])
            child->visit();
    }
    if (gridActive && grid_) {
        graphics::DrawState::restoreDefaults();
        grid_->afterDraw(camera());
    }
    glPopMatrix();
}

void SceneNode::transformAncestors() {
    if (parent_) {
        parent_->transformAncestors();
        parent_->transform();
    }
}

void SceneNode::transform() {
    if (!(grid_ && grid_->active()) && camera_)
        camera_->locate();
    Point const& a = transformAnchor_;
    Point const& p = position_;
    if (relativeAnchorPoint_ && !isZero(a))
        glTranslatef(-a.x, -a.y, vertexZ_);
    if (!isZero(a))
        glTranslatef(p.x + a.x, p.y + a.y, vertexZ_);
    else if (!isZero(p))
        glTranslatef(p.x, p.y, vertexZ_);
    if (rotation_ != 0)
        glRotatef(-rotation_, 0, 0, 1);
    if (scaleX_ != 1 || scaleY_ != 1)
        glScalef(scaleX_, scaleY_, 1);
    if (!isZero(a))
        glTranslatef(-a.x, -a.y, vertexZ_);
}

// Life cycle

void SceneNode::onEnter() {
    auto children = this->children();
    for (auto& child : children)
        child->onEnter();
    activateTimers();
    isRunning_ = true;
}

void SceneNode::onEnterTransitionDidFinish() {
    auto children = this->children();
    for (auto& child : children)
        child->onEnterTransitionDidFinish();
}

void SceneNode::onExit() {
    deactivateTimers();
    isRunning_ = false;
    auto children = this->children();
    for (auto& child : children)
        child->onExit();
}

// Actions

Action* SceneNode::runAction(base::Ref<Action> action) {
    VERIFY_MSG(action, "Argument must be non-nil");
    Action* running = action.get();
    ActionManager::sharedManager().addAction(std::move(action), this, !isRunning_);
    return running;
}

void SceneNode::stopAllActions() {
    ActionManager::sharedManager().removeAllActionsFromTarget(this);
}

void SceneNode::stopAction(Action* action) {
    ActionManager::sharedManager().removeAction(action);
}

void SceneNode::stopActionByTag(int tag) {
    VERIFY_MSG(tag != -1, "Invalid tag");
    ActionManager::sharedManager().removeActionByTag(tag, this);
}

Action* SceneNode::getActionByTag(int tag) const {
    VERIFY_MSG(tag != -1, "Invalid tag");
    return ActionManager::sharedManager().getActionByTag(tag, const_cast<SceneNode*>(this));
}

int SceneNode::numberOfRunningActions() const {
    return ActionManager::sharedManager().numberOfRunningActionsInTarget(
        const_cast<SceneNode*>(this));
}

// Scheduled selectors

void SceneNode::schedule(Selector selector, float interval) {
    VERIFY_MSG(selector, "Argument must be non-nil");
    VERIFY_MSG(interval >= 0, "Arguemnt must be positive");
    if (scheduledTimer(selector))
        return;
    if (scheduledSelectors_.capacity() == 0)
        scheduledSelectors_.reserve(2);
    auto timer = Timer::timerWithTarget(this, selector, interval);
    if (isRunning_)
        Scheduler::sharedScheduler().scheduleTimer(timer);
    scheduledSelectors_.emplace_back(std::move(selector), std::move(timer));
}

void SceneNode::unschedule(Selector const& selector) {
    if (!selector)
        return;
    auto found = std::find_if(scheduledSelectors_.begin(), scheduledSelectors_.end(),
        [&selector](auto const& entry) { return entry.first == selector; });
    if (found == scheduledSelectors_.end())
        return;
    base::Ref<Timer> timer = std::move(found->second);
    scheduledSelectors_.erase(found);
    if (isRunning_)
        Scheduler::sharedScheduler().unscheduleTimer(timer.get());
}

Timer* SceneNode::scheduledTimer(Selector const& selector) const {
    for (auto const& entry : scheduledSelectors_) {
        if (entry.first == selector)
            return entry.second.get();
    }
    return nullptr;
}

void SceneNode::activateTimers() {
    auto& scheduler = Scheduler::sharedScheduler();
    for (auto const& entry : scheduledSelectors_)
        scheduler.scheduleTimer(entry.second);
    ActionManager::sharedManager().resumeAllActionsForTarget(this);
}

void SceneNode::deactivateTimers() {
    auto& scheduler = Scheduler::sharedScheduler();
    for (auto const& entry : scheduledSelectors_)
        scheduler.unscheduleTimer(entry.second.get());
    ActionManager::sharedManager().pauseAllActionsForTarget(this);
}

// Transforms

AffineTransform SceneNode::nodeToParentTransform() {
    if (isTransformDirty_) {
        Point anchor {whole(transformAnchor_.x), whole(transformAnchor_.y)};
        AffineTransform t = AffineTransform::identity();
        if (!relativeAnchorPoint_)
            t = t.translated(anchor.x, anchor.y);
        t = t.translated(whole(position_.x), whole(position_.y));
        t = t.rotated(rotation_ / -180.0f * 3.1415927f);
        t = t.scaled(scaleX_, scaleY_);
        t = t.translated(-anchor.x, -anchor.y);
        transform_ = t;
        isTransformDirty_ = false;
    }
    return transform_;
}

AffineTransform SceneNode::parentToNodeTransform() {
    if (isInverseDirty_) {
        inverse_ = nodeToParentTransform().inverted();
        isInverseDirty_ = false;
    }
    return inverse_;
}

AffineTransform SceneNode::nodeToWorldTransform() {
    // Ancestors' transforms are nearly always cached: read them in place rather than
    // copying each one out through a call, which doubled the cost of this walk.
    AffineTransform t = nodeToParentTransform();
    for (SceneNode* p = parent_; p; p = p->parent_) {
        if (p->isTransformDirty_)
            p->nodeToParentTransform();
        t = AffineTransform::concat(t, p->transform_);
    }
    return t;
}

AffineTransform SceneNode::worldToNodeTransform() {
    return nodeToWorldTransform().inverted();
}

Point SceneNode::convertToNodeSpace(Point worldPoint) {
    return worldToNodeTransform().apply(worldPoint);
}

Point SceneNode::convertToWorldSpace(Point nodePoint) {
    return nodeToWorldTransform().apply(nodePoint);
}

Point SceneNode::convertToNodeSpaceAR(Point worldPoint) {
    return convertToNodeSpace(worldPoint) - transformAnchor_;
}

Point SceneNode::convertToWorldSpaceAR(Point nodePoint) {
    return convertToWorldSpace(nodePoint + transformAnchor_);
}

Point SceneNode::convertTouchToNodeSpace(ui::Touch const* touch) {
    VERIFY_MSG(touch, "Argument must be non-nil");
    return convertTouchToNodeSpace(touch->locationInView(touch->view()));
}

Point SceneNode::convertTouchToNodeSpaceAR(ui::Touch const* touch) {
    VERIFY_MSG(touch, "Argument must be non-nil");
    return convertTouchToNodeSpaceAR(touch->locationInView(touch->view()));
}

Point SceneNode::convertTouchToNodeSpace(Point locationInView) {
    return convertToNodeSpace(DirectorServices::current().convertCoordinate(locationInView));
}

Point SceneNode::convertTouchToNodeSpaceAR(Point locationInView) {
    return convertToNodeSpaceAR(DirectorServices::current().convertCoordinate(locationInView));
}

}
