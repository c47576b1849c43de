#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Forward.hpp>
#include <engine/Geometry.hpp>
#include <engine/Selector.hpp>

#include <ui/Forward.hpp>

#include <string>
#include <utility>
#include <vector>

namespace engine {

enum class Cleanup { No, Yes };

// The base of everything the engine draws: scenes, layers, sprites, labels,
// menus and the game's own screens. A node has a 2D transform (position,
// rotation, scale, anchor), a z-order among its siblings, a tag, children sorted
// by z, an optional camera and grid effect, the selectors scheduled on it and
// the actions run on it. Main thread only.
//
// Ownership: a node retains its children; the parent pointer is not retained.
// The Scheduler keeps a node alive while one of its timers is scheduled, the
// ActionManager while it has actions.
//
// A node is running while it is part of the running scene. onEnter starts the
// children first, then the node's own timers and actions; onExit stops the node
// first, then its children. Selectors scheduled and actions run while the node
// is not running wait for the next onEnter. Removing a node with cleanup drops
// its timers and actions for good, recursively.
//
// Subclasses that override one addChild keep the other overloads visible with
// `using SceneNode::addChild;`.
class SceneNode : public base::Object {
public:
    static base::Ref<SceneNode> node();

    virtual std::string description() const;

    // Stops every action, unschedules and forgets every selector, and cleans up
    // every child. The node stays in the tree.
    virtual void cleanup();

    // Geometry. Each setter invalidates the cached transforms.
    float rotation() const { return rotation_; }
    virtual void setRotation(float degrees);
    // Raises "SceneNode scale:" when the two factors differ.
    float scale() const;
    virtual void setScale(float scale);
    float scaleX() const { return scaleX_; }
    virtual void setScaleX(float scaleX);
    float scaleY() const { return scaleY_; }
    virtual void setScaleY(float scaleY);
    Point position() const { return position_; }
    virtual void setPosition(Point position);
    bool relativeAnchorPoint() const { return relativeAnchorPoint_; }
    virtual void setRelativeAnchorPoint(bool relative);
    Point transformAnchor() const { return transformAnchor_; }
    virtual void setTransformAnchor(Point anchor);
    Point anchorPoint() const { return anchorPoint_; }
    virtual void setAnchorPoint(Point anchorPoint);
    Size contentSize() const { return contentSize_; }
    virtual void setContentSize(Size size);
    float vertexZ() const { return vertexZ_; }
    virtual void setVertexZ(float vertexZ);
    bool visible() const { return visible_; }
    virtual void setVisible(bool visible);

    // Made on first call.
    Camera* camera();
    GridBase* grid() const { return grid_.get(); }
    void setGrid(base::Ref<GridBase> grid);

    int zOrder() const { return zOrder_; }
    // Sorted by ascending z, equal z in insertion order.
    std::vector<base::Ref<SceneNode>> const& children() const;
    bool isRunning() const { return isRunning_; }
    SceneNode* parent() const { return parent_; }
    void setParent(SceneNode* parent) { parent_ = parent; }
    // The place of this node in its parent's list of children, for the parent.
    std::size_t slotInParent() const { return slotInParent_; }
    // -1 means no tag.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    void* userData() const { return userData_; }
    void setUserData(void* userData) { userData_ = userData; }

    // Children. Adding a node that already has a parent, or the node itself or
    // one of its ancestors, is a broken invariant.
    virtual SceneNode& addChild(base::Ref<SceneNode> child, int z, int tag);
    SceneNode& addChild(base::Ref<SceneNode> child, int z);
    SceneNode& addChild(base::Ref<SceneNode> child);
    // Moves a child to its place for z (after the children of equal z). A child
    // already at z stays where it is; a node that is not a child is ignored.
    virtual void reorderChild(SceneNode* child, int z);
    SceneNode* getChildByTag(int tag) const;
    // Ignores null and nodes that are not children.
    virtual void removeChild(SceneNode* child, Cleanup cleanup);
    void removeChildByTag(int tag, Cleanup cleanup);
    virtual void removeAllChildrenWithCleanup(Cleanup cleanup);

    // Drawing; need a current GL ES 1.1 context. visit draws the subtree: the
    // children with negative z, then draw, then the others.
    virtual void draw() { }
    virtual void visit();
    // Whether draw sets its GL state only through graphics::DrawState (as the
    // textured nodes do), so that a visit may leave texturing and the arrays as the
    // previous draw left them. A subclass that adds GL calls of its own to such a
    // draw answers false.
    virtual bool drawsThroughDrawState() const { return false; }
    // Applies every ancestor's transform, root first.
    void transformAncestors();
    // Applies this node's camera and transform to the model-view matrix.
    void transform();

    // Life cycle.
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish();
    virtual void onExit();

    // Actions, through the shared ActionManager with this node as the target.
    Action* runAction(base::Ref<Action> action);
    void stopAllActions();
    void stopAction(Action* action);
    void stopActionByTag(int tag);
    Action* getActionByTag(int tag) const;
    int numberOfRunningActions() const;

    // Scheduled selectors, through the shared Scheduler. Scheduling a selector
    // already scheduled keeps the first interval; unscheduling one that is not
    // scheduled does nothing.
    void schedule(Selector selector, float interval = 0);
    void unschedule(Selector const& selector);
    template<typename T> void schedule(void (T::*method)(float), float interval = 0) {
        schedule(Selector::make(method, static_cast<T*>(this)), interval);
    }
    template<typename T> void unschedule(void (T::*method)(float)) {
        unschedule(Selector::make(method, static_cast<T*>(this)));
    }
    // The timer of a scheduled selector, or null.
    Timer* scheduledTimer(Selector const& selector) const;

    // Transforms between this node's space and its parent's or the world's; the
    // anchor and position count in whole points here.
    AffineTransform nodeToParentTransform();
    AffineTransform parentToNodeTransform();
    AffineTransform nodeToWorldTransform();
    AffineTransform worldToNodeTransform();
    Point convertToNodeSpace(Point worldPoint);
    Point convertToWorldSpace(Point nodePoint);
    // As above, relative to the anchor rather than the lower-left corner.
    Point convertToNodeSpaceAR(Point worldPoint);
    Point convertToWorldSpaceAR(Point nodePoint);
    // A touch's location in its own view, converted by the director to the
    // engine's space and then into this node's. The point forms take a location
    // already read from the touch's view.
    Point convertTouchToNodeSpace(ui::Touch const* touch);
    Point convertTouchToNodeSpaceAR(ui::Touch const* touch);
    Point convertTouchToNodeSpace(Point locationInView);
    Point convertTouchToNodeSpaceAR(Point locationInView);

protected:
    ~SceneNode() override;

    void activateTimers();
    void deactivateTimers();

    // The children with the places of removed ones still empty (null): a removal
    // empties its place instead of moving every later child, and the places are
    // squeezed out on the next read of children(), before an insertion in the
    // middle, or once they outnumber the children. A child's place is its slot
    // below. Subclasses that keep a list parallel to the children (a sprite
    // batch's quads) follow the places and are told before each squeeze.
    std::vector<base::Ref<SceneNode>> const& childSlots() const { return children_; }
    std::size_t emptyChildSlots() const { return emptyChildSlots_; }
    virtual void willCompactChildren() { }
    void compactChildren();

private:
    void insertChild(base::Ref<SceneNode> child, int z);
    void setZOrderOnly(int z) { zOrder_ = z; }
    void detachChild(SceneNode* child, Cleanup cleanup);
    void invalidateTransform();

    float rotation_ {0};
    float scaleX_ {1}, scaleY_ {1};
    Point position_;
    bool relativeAnchorPoint_ {true};
    Point transformAnchor_;
    Point anchorPoint_;
    Size contentSize_;
    AffineTransform transform_;
    AffineTransform inverse_;
    bool isTransformDirty_ {true};
    bool isInverseDirty_ {true};
    float vertexZ_ {0};
    bool visible_ {true};
    base::Ref<Camera> camera_;
    base::Ref<GridBase> grid_;
    int zOrder_ {0};
    std::vector<base::Ref<SceneNode>> children_;
    std::size_t emptyChildSlots_ {0};
    std::size_t slotInParent_ {0};
    bool isRunning_ {false};
    SceneNode* parent_ {nullptr};
    int tag_ {-1};
    // In the order the selectors were first scheduled, so timers activate in a
    // repeatable order.
    std::vector<std::pair<Selector, base::Ref<Timer>>> scheduledSelectors_;
    void* userData_ {nullptr};

protected:
    friend base::Factory;

    SceneNode();
};

}
