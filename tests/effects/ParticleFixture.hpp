#pragma once

#include "../engine/ResourceHelpers.hpp"
#include "EffectsFixture.hpp"

#include <engine/TextureMgr.hpp>
#include <foundation/Random.hpp>

#include <cmath>
#include <optional>

namespace test {

// An effects surface with a bundle of its own holding "fire.png" (a soft white dot of
// 32 x 32), the texture cache fresh and random() seeded with 1.
class ParticleTest : public EffectsTest {
protected:
    void SetUp() override {
        EffectsTest::SetUp();
        resources.emplace();
        graphics::Image dot(32, 32);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                float d = std::hypot(float(x) - 15.5f, float(y) - 15.5f) / 16;
                auto a = std::uint8_t(d >= 1 ? 0 : 255 * (1 - d));
                dot.setPixel(x, y, {255, 255, 255, a});
            }
        }
        writePNG(resources->bundle() / "fire.png", dot);
        engine::TextureMgr::purgeSharedTextureMgr();
        foundation::srandom(1);
    }

    void TearDown() override {
        engine::TextureMgr::purgeSharedTextureMgr();
        resources.reset();
        EffectsTest::TearDown();
    }

    std::optional<ResourceSandbox> resources;
};

}
