#include <engine/GLMatrix.hpp>
#include <support/GLFixture.hpp>

#include <GLES/gl.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// The fixture leaves the model-view matrix current and the identity.
class GLMatrixTest : public test::GLFixture { };

}

TEST_F(GLMatrixTest, PerspectiveIsTheFrustumOfTheFieldOfView) {
    engine::SetPerspective(60, 1.5f, 0.5f, 1500);
    auto m = test::modelViewMatrix();
    float const focal = 1 / std::tan(30 * 3.1415927f / 180);
    EXPECT_NEAR(m[5], focal, 1e-4f);
    EXPECT_NEAR(m[0], focal / 1.5f, 1e-4f);
    EXPECT_NEAR(m[10], -(1500 + 0.5f) / (1500 - 0.5f), 1e-5f);
    EXPECT_NEAR(m[14], -2 * 1500 * 0.5f / (1500 - 0.5f), 1e-4f);
    EXPECT_EQ(m[11], -1);
}

TEST_F(GLMatrixTest, LookAtMultipliesOntoTheCurrentMatrixAndMovesTheEyeToTheOrigin) {
    glTranslatef(0, 0, -10);
    engine::SetLookAt(240, 160, 276, 240, 160, 0, 0, 1, 0);
    auto m = test::modelViewMatrix();
    // The centre lands 276 ahead of the eye, then 10 further by the earlier translation.
    EXPECT_NEAR(m[0] * 240 + m[4] * 160 + m[12], 0, 1e-3f);
    EXPECT_NEAR(m[1] * 240 + m[5] * 160 + m[13], 0, 1e-3f);
    EXPECT_NEAR(m[14], -286, 1e-3f);
}
