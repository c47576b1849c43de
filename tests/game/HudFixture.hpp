#pragma once

#include "SalonFixture.hpp"

#include <engine/TextureMgr.hpp>
#include <foundation/UserDefaults.hpp>
#include <ui/Device.hpp>
#include <ui/Touch.hpp>

namespace test {

// The salon HUD's widgets on the generated bundle, with fresh user defaults; phone
// unless a test switches to the tablet.
class HudTest : public SalonFixture {
protected:
    explicit HudTest(int width = 480, int height = 320)
        : SalonFixture(width, height) { }

    void SetUp() override {
        SalonFixture::SetUp();
        foundation::UserDefaults::resetStandardUserDefaults();
    }
    void TearDown() override {
        foundation::UserDefaults::resetStandardUserDefaults();
        ui::Device::reset();
        SalonFixture::TearDown();
    }
    static void tablet() {
        ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    }

    // A touch at a point of the scene (origin bottom-left) on the 480 x 320 screen.
    static ui::TouchSet touchAt(engine::Point point) {
        return ui::TouchSet({ui::Touch::create(nullptr, nullptr, {point.x, 320 - point.y}, 1, 0)});
    }
    static engine::Texture2D* texture(char const* file) {
        return engine::TextureMgr::sharedTextureMgr().addImage(file).get();
    }
    void seconds(float time) { frames(int(time * 60 + 0.5f)); }
};

}
