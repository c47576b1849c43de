#pragma once

#include "ProgressionFixture.hpp"

#include <game/progression/MyLuckyWheelViewController.hpp>
#include <game/shell/ShellServices.hpp>

#include <string>
#include <vector>

namespace test {

// Keeps the analytics events the game reports, as "name parameter=value".
class EventRecordingServices final : public game::ShellServices {
public:
    void logEvent(std::string const& name, base::Ref<base::Dictionary> parameters) override;

    std::vector<std::string> events;
};

// A progression fixture with the game's wheel in the bundle: 15-degree units, prizes
// $50 (7 units), $100 (6), $250 (3), 1 Pet Point (4), 2 Pet Points (2), 5 Pet Points
// (1) and $500 (1), each with its sector art, and the two frames of the lights. No animation queue,
// image cache or clock registration of the wheel is left from before; analytics events are
// recorded.
class WheelFixture : public ProgressionFixture {
protected:
    WheelFixture();
    ~WheelFixture() override;

    // Replaces the wheel file's text (empty: no file).
    void writeWheel(std::string const& plist);
    // A wheel screen of the game with its view loaded.
    base::Ref<game::MyLuckyWheelViewController> loadedWheel();
    // Runs update ticks until the wheel is in state, at most limit; answers how many.
    static int ticksUntil(game::LuckyWheelViewController& wheel, int state, int limit = 2000);

    EventRecordingServices services;
};

}
