#pragma once

// A check-in client set up against a loopback check-in service, with a 480 x 320 key
// window, the manual clock and a bundle whose Info.plist names the game's URL scheme
// "quillaby", its name and icon. The companion program is not installed unless a test
// installs it.

#include <ads/howdy/HZExplainScreenView.hpp>
#include <ads/howdy/HowdySDK.hpp>
#include <foundation/Clock.hpp>
#include <support/LoopbackServer.hpp>
#include <support/TempDir.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

class HowdyTest : public ::testing::Test {
protected:
    HowdyTest();
    ~HowdyTest() override;

    static void installCompanion(bool installed);
    // Lets the clock and the run loop go on.
    void advance(double seconds);
    // Runs the run loop until the service has received count events; false after 10 s.
    bool waitForEvents(std::size_t count);
    // The "type" of every event the service received once count have arrived, sorted
    // (events sent together may arrive in any order).
    std::vector<std::string> events(std::size_t count);
    // The explain screen on the key window, or null.
    ads::howdy::HZExplainScreenView* explainScreen() const;
    static std::vector<std::string> const& opened();

    foundation::ScopedManualClock clock;
    LoopbackServer service;
    TempDir bundle;
    base::Ref<ui::Window> window;
};

}
