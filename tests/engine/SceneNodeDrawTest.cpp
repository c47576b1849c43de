#include "EngineFixture.hpp"
#include "NodeHelpers.hpp"

#include <engine/Camera.hpp>
#include <engine/GridBase.hpp>
#include <engine/SceneNode.hpp>
#include <support/GLFixture.hpp>

#include <GLES/gl.h>
#include <gtest/gtest.h>

using engine::Point;
using engine::SceneNode;
using Matrix = std::array<float, 16>;

namespace {

struct Vec4 {
    float x, y, z, w;
};

Vec4 mapped(Matrix const& m, Vec4 v) {
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w,
        m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,
        m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w,
        m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w};
}

// The fixture leaves the model-view matrix current and the identity; the engine's shared
// objects start and end new.
class SceneNodeDrawTest : public test::GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        test::resetEngineSingletons();
    }
    void TearDown() override {
        test::resetEngineSingletons();
        GLFixture::TearDown();
    }

    base::Ref<test::JournalNode> journalNode(std::string name) {
        return base::make<test::JournalNode>(std::move(name), &journal);
    }

    std::vector<std::string> journal;
};

// Records the model-view matrix each time it is drawn.
class MatrixNode : public SceneNode {
public:
    void draw() override { drawn.push_back(test::modelViewMatrix()); }
    std::vector<Matrix> drawn;

private:
    friend base::Factory;

    MatrixNode() = default;
};

class JournalGrid : public engine::GridBase {
public:
    void beforeDraw() override { journal->push_back("grid:beforeDraw"); }
    void afterDraw(engine::Camera* camera) override {
        journal->push_back("grid:afterDraw");
        cameraSeen = camera;
    }
    std::vector<std::string>* journal;
    engine::Camera* cameraSeen {nullptr};

private:
    friend base::Factory;

    explicit JournalGrid(std::vector<std::string>* log)
        : journal(log) { }
};

}

TEST_F(SceneNodeDrawTest, TransformDrawsWhereTheNodeToParentTransformMaps) {
    struct Case {
        char const* name;
        test::Placement placement;
    };
    Case const cases[] = {
        {"identity", {{0, 0}, 0, 1, 1, {0, 0}, true}},
        {"position", {{10, 20}, 0, 1, 1, {0, 0}, true}},
        {"anchor at position", {{100, 50}, 0, 1, 1, {10, 5}, true}},
        {"lower left at position", {{100, 50}, 0, 1, 1, {10, 5}, false}},
        {"rotation", {{30, 40}, 37, 1, 1, {0, 0}, true}},
        {"rotation about anchor", {{30, 40}, -120, 1, 1, {8, 4}, true}},
        {"scale", {{0, 0}, 0, 2, 0.5f, {0, 0}, true}},
        {"everything", {{240, 160}, 45, 1.5f, 3, {20, 10}, false}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto node = test::placedNode(c.placement);
        glLoadIdentity();
        node->transform();
        Matrix m = test::modelViewMatrix();
        auto t = node->nodeToParentTransform();
        for (Point p : {Point {0, 0}, Point {1, 0}, Point {0, 1}, Point {13, -7}}) {
            Vec4 drawn = mapped(m, {p.x, p.y, 0, 1});
            Point expected = t.apply(p);
            EXPECT_NEAR(drawn.x, expected.x, 1e-3f);
            EXPECT_NEAR(drawn.y, expected.y, 1e-3f);
            EXPECT_NEAR(drawn.z, 0, 1e-6f);
        }
    }
}

TEST_F(SceneNodeDrawTest, VertexZRidesOnEveryTranslation) {
    struct Case {
        char const* name;
        Point position;
        Point anchor;
        bool relative;
        float z;
    };
    Case const cases[] = {
        {"no translation, no depth", {0, 0}, {0, 0}, true, 0},
        {"position only", {5, 5}, {0, 0}, true, 2},
        {"anchor, not relative", {5, 5}, {1, 1}, false, 4},
        {"anchor, relative", {5, 5}, {1, 1}, true, 6},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto node = SceneNode::node();
        node->setVertexZ(2);
        node->setPosition(c.position);
        node->setTransformAnchor(c.anchor);
        node->setRelativeAnchorPoint(c.relative);
        glLoadIdentity();
        node->transform();
        EXPECT_FLOAT_EQ(test::modelViewMatrix()[14], c.z);
    }
}

TEST_F(SceneNodeDrawTest, VisitDrawsNegativeZChildrenBeforeTheParentThenTheRest) {
    auto root = journalNode("root");
    char const* names[] = {"first1", "zero", "second1", "minus"};
    int const zs[] = {1, 0, 1, -1};
    for (int i = 0; i < 4; ++i)
        root->addChild(journalNode(names[i]), zs[i]);
    root->visit();
    EXPECT_EQ(journal,
        (std::vector<std::string> {
            "minus:draw", "root:draw", "zero:draw", "first1:draw", "second1:draw"}));
}

TEST_F(SceneNodeDrawTest, AnInvisibleNodeDrawsNothingOfItsSubtree) {
    auto root = journalNode("root");
    auto hidden = journalNode("hidden");
    hidden->addChild(journalNode("below"), -1);
    hidden->addChild(journalNode("above"), 1);
    root->addChild(hidden);
    hidden->setVisible(false);
    root->visit();
    EXPECT_EQ(journal, (std::vector<std::string> {"root:draw"}));
}

TEST_F(SceneNodeDrawTest, ChildrenDrawWithTheirParentsTransformAndTheMatrixIsRestored) {
    auto parent = base::make<MatrixNode>();
    auto child = base::make<MatrixNode>();
    parent->addChild(child);
    parent->setPosition({100, 0});
    parent->setScale(2);
    child->setPosition({10, 10});
    glTranslatef(1, 2, 0);
    Matrix before = test::modelViewMatrix();
    parent->visit();
    EXPECT_EQ(test::modelViewMatrix(), before);
    ASSERT_EQ(child->drawn.size(), 1u);
    Vec4 origin = mapped(child->drawn[0], {0, 0, 0, 1});
    EXPECT_FLOAT_EQ(origin.x, 1 + 100 + 20);
    EXPECT_FLOAT_EQ(origin.y, 2 + 20);
}

TEST_F(SceneNodeDrawTest, AnActiveGridWrapsTheDrawingAndGetsTheNodesCamera) {
    auto node = journalNode("node");
    auto grid = base::make<JournalGrid>(&journal);
    node->setGrid(grid);
    node->visit();
    EXPECT_EQ(journal, (std::vector<std::string> {"node:draw"}));
    journal.clear();
    grid->setActive(true);
    node->visit();
    EXPECT_EQ(
        journal, (std::vector<std::string> {"grid:beforeDraw", "node:draw", "grid:afterDraw"}));
    EXPECT_EQ(grid->cameraSeen, node->camera());
}

TEST_F(SceneNodeDrawTest, AnActiveGridAppliesTheAncestorsBeforeTheNode) {
    auto root = base::make<MatrixNode>();
    auto middle = base::make<MatrixNode>();
    auto leaf = base::make<MatrixNode>();
    root->addChild(middle);
    middle->addChild(leaf);
    root->setPosition({100, 0});
    middle->setPosition({10, 0});
    leaf->setPosition({1, 0});
    auto grid = base::make<engine::GridBase>();
    grid->setActive(true);
    leaf->setGrid(grid);
    // The base grid's beforeDraw changes nothing, so the ancestors apply twice:
    // once on the way down and once for the grid.
    root->visit();
    ASSERT_EQ(leaf->drawn.size(), 1u);
    EXPECT_FLOAT_EQ(mapped(leaf->drawn[0], {0, 0, 0, 1}).x, 221);
}

TEST_F(SceneNodeDrawTest, ADirtyCameraReplacesTheTransformsAbove) {
    test::FakeDirector director({480, 320}, 1);
    auto parent = base::make<MatrixNode>();
    auto child = base::make<MatrixNode>();
    parent->addChild(child);
    parent->setPosition({50, 50});
    auto* camera = child->camera();
    camera->setEyeX(240, 160, 100);
    child->setPosition({10, 0});
    parent->visit();
    ASSERT_EQ(child->drawn.size(), 1u);
    // Look-at from 100 above the centre, then the child's own translation.
    Vec4 p = mapped(child->drawn[0], {230, 160, 0, 1});
    EXPECT_NEAR(p.x, 0, 1e-3f);
    EXPECT_NEAR(p.y, 0, 1e-3f);
    EXPECT_NEAR(p.z, -100, 1e-3f);

    // A clean camera is not applied.
    camera->setDirty(false);
    child->drawn.clear();
    parent->visit();
    EXPECT_FLOAT_EQ(mapped(child->drawn[0], {0, 0, 0, 1}).x, 60);
}

TEST_F(SceneNodeDrawTest, LocateRotatesForTheDeviceOrientation) {
    struct Case {
        int orientation;
        Vec4 in;
        Vec4 out;
    };
    float const zEye = 320 / 1.1566f;
    Case const cases[] = {
        {1, {240, 160, 0, 1}, {0, 0, -zEye, 1}},
        {1, {250, 160, 0, 1}, {10, 0, -zEye, 1}},
        {2, {250, 160, 0, 1}, {-10, 0, -zEye, 1}},
        {3, {330, 80, 0, 1}, {0, -10, -zEye, 1}},
        {4, {330, 80, 0, 1}, {0, 10, -zEye, 1}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.orientation);
        test::FakeDirector director({480, 320}, c.orientation);
        auto camera = base::make<engine::Camera>();
        glLoadIdentity();
        glTranslatef(5, 5, 5);
        camera->locate();
        EXPECT_FLOAT_EQ(test::modelViewMatrix()[12], 5) << "a clean camera does nothing";
        camera->setDirty(true);
        camera->locate();
        Vec4 p = mapped(test::modelViewMatrix(), c.in);
        EXPECT_NEAR(p.x, c.out.x, 1e-3f);
        EXPECT_NEAR(p.y, c.out.y, 1e-3f);
        EXPECT_NEAR(p.z, c.out.z, 1e-3f);
        EXPECT_TRUE(camera->dirty());
    }
}
