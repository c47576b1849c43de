#pragma once

#include <base/Ref.hpp>
#include <engine/EngineFixture.hpp>
#include <engine/SceneNode.hpp>
#include <foundation/Clock.hpp>
#include <support/GLFixture.hpp>
#include <support/TempDir.hpp>

#include <string>

namespace test {

// The salon's objects on the generated application bundle: an off-screen GL context
// for their textures, a fresh sandbox, fresh engine singletons, a 480 x 320
// landscape screen, the manual clock, and a layer to put sprites on.
class SalonFixture : public GLFixture {
protected:
    // The framebuffer's size in pixels.
    explicit SalonFixture(int width = 480, int height = 320);
    ~SalonFixture() override;

    void SetUp() override;
    void TearDown() override;

    // Runs frames of 1/60 s: the run loop's timers, then the scheduler (actions).
    void frames(int count);

    TempDir sandbox;
    std::string previousRoot;
    std::string previousBundle;
    foundation::ScopedManualClock clock;
    FakeDirector director {{480, 320}, 1};
    base::Ref<engine::SceneNode> layer;
};

}
