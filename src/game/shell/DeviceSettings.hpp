#pragma once

#include <string>

namespace game {

// What the game may ask about the device it pretends to run on. Set once by the
// program at start (its --ipad flag chooses the tablet) and read by Utilities;
// nothing is read from the machine. One instance for the process; main thread.
struct DeviceSettings {
    // Numbered as the platform numbers its interface idioms.
    enum class Idiom { Phone = 0, Pad = 1 };

    static DeviceSettings& current();
    // Back to a phone with the default version and name (tests).
    static void reset();

    Idiom idiom {Idiom::Phone};
    std::string systemVersion {"4.3.1"};
    std::string name {"Quillaby"};
};

}
