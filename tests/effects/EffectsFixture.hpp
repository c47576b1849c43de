#pragma once

#include <support/GLFixture.hpp>

#include <effects/Grid.hpp>
#include <engine/ActionManager.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Scheduler.hpp>
#include <foundation/Random.hpp>

#include <gtest/gtest.h>

#include <optional>

namespace test {

// A director of a fixed surface: size, orientation and an RGBA8888 colour format unless
// told otherwise.
class SurfaceDirector final : public engine::DirectorServices {
public:
    SurfaceDirector(engine::Size size, int orientation = 1, int format = 1)
        : size_(size)
        , orientation_(orientation)
        , format_(format) {
        install(this);
    }
    ~SurfaceDirector() override { install(nullptr); }

    engine::Size displaySize() const override { return size_; }
    int deviceOrientation() const override { return orientation_; }
    engine::Point convertCoordinate(engine::Point p) const override {
        return {p.x, size_.height - p.y};
    }
    int pixelFormat() const override { return format_; }

private:
    engine::Size size_;
    int orientation_;
    int format_;
};

// An off-screen surface of width x height pixels with a director of that size, fresh engine
// singletons, and the director's default 3D projection, as a frame draws under it.
class EffectsTest : public GLFixture {
protected:
    explicit EffectsTest(int width = 480, int height = 320)
        : GLFixture(width, height) { }

    void SetUp() override {
        GLFixture::SetUp();
        resetEngine();
        director_.emplace(engine::Size {float(width()), float(height())});
        effects::GridBase::set3DProjection();
        foundation::srand(1);
    }

    void TearDown() override {
        resetEngine();
        director_.reset();
        GLFixture::TearDown();
    }

    static void resetEngine() {
        engine::ActionManager::purgeSharedManager();
        engine::Scheduler::purgeSharedScheduler();
    }

    static void tick(float dt) { engine::Scheduler::sharedScheduler().tick(dt); }

    // Clears to opaque black and visits the node with the director's blending.
    static void drawFrame(engine::SceneNode& root) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glPushMatrix();
        root.visit();
        glPopMatrix();
        glFinish();
    }

    std::optional<SurfaceDirector> director_;
};

// With a node that the actions under test run on.
class EffectActionTest : public EffectsTest {
protected:
    void SetUp() override {
        EffectsTest::SetUp();
        node = engine::SceneNode::node();
    }

    // Starts the action on the node, as the action manager does, and updates it to t.
    template<typename A> A& startAt(base::Ref<A> const& action, float t) {
        action->setTarget(node.get());
        action->start();
        action->update(t);
        return *action;
    }

    // The node's grid as a mesh or tiles.
    template<typename G> G& gridOf() const {
        auto* grid = dynamic_cast<G*>(node->grid());
        EXPECT_TRUE(grid);
        return *grid;
    }

    base::Ref<engine::SceneNode> node;
};

}
