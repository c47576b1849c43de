#include "WheelFixture.hpp"

#include <foundation/RunLoop.hpp>
#include <game/progression/AnimViewManager.hpp>
#include <graphics/Image.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Image.hpp>

#include <filesystem>
#include <fstream>

namespace test {

namespace {

char const* const gameWheel = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>degreeUnit</key><real>15.0</real>
<key>prizes</key><array>
<dict><key>unit</key><integer>7</integer><key>money</key><integer>50</integer></dict>
<dict><key>unit</key><integer>6</integer><key>money</key><integer>100</integer></dict>
<dict><key>unit</key><integer>3</integer><key>money</key><integer>250</integer></dict>
<dict><key>unit</key><integer>4</integer><key>gamePoint</key><integer>1</integer></dict>
<dict><key>unit</key><integer>2</integer><key>gamePoint</key><integer>2</integer></dict>
<dict><key>unit</key><integer>1</integer><key>gamePoint</key><integer>5</integer></dict>
<dict><key>unit</key><integer>1</integer><key>money</key><integer>500</integer></dict>
</array></dict></plist>
)";

void writePicture(std::filesystem::path const& path, int width, int height) {
    graphics::Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, {200, 120, 40, 255});
    }
    ASSERT_TRUE(image.writePNG(path));
}

void resetAnimations() {
    game::AnimViewManager::releaseManager();
    ui::Animator::reset();
    ui::Image::purgeCache();
    game::LuckyWheelViewController::stopObservingServerTime();
    ui::Application::sharedApplication().setApplicationIconBadgeNumber(0);
}

}

void EventRecordingServices::logEvent(
    std::string const& name, base::Ref<base::Dictionary> parameters) {
    std::string text = name;
    if (parameters) {
        for (auto const& [key, value] : *parameters)
            text += " " + key + "=" + value.stringValue();
    }
    events.push_back(text);
}

WheelFixture::WheelFixture() {
    resetAnimations();
    game::ShellServices::setShared(&services);
    auto folder = sandbox / "bundle";
    for (int prize = 1; prize <= 7; ++prize)
        writePicture(folder / ("Wheel_11C_" + std::to_string(prize) + ".png"), 33, 125);
    writePicture(folder / "Wheel_Line.png", 4, 125);
    writePicture(folder / "Wheel_Light01.png", 8, 8);
    writePicture(folder / "Wheel_Light02.png", 8, 8);
    writeWheel(gameWheel);
}

WheelFixture::~WheelFixture() {
    resetAnimations();
    foundation::RunLoop::main().reset();
    game::ShellServices::setShared(nullptr);
}

void WheelFixture::writeWheel(std::string const& plist) {
    auto path = sandbox / "bundle/LuckyWheel.plist";
    std::filesystem::remove(path);
    if (plist.empty())
        return;
    std::ofstream(path) << plist;
}

base::Ref<game::MyLuckyWheelViewController> WheelFixture::loadedWheel() {
    auto wheel = game::MyLuckyWheelViewController::create();
    wheel->view();
    return wheel;
}

int WheelFixture::ticksUntil(game::LuckyWheelViewController& wheel, int state, int limit) {
    int ticks = 0;
    while (wheel.curState() != state && ticks < limit) {
        wheel.update(nullptr);
        ++ticks;
    }
    return ticks;
}

}
