#pragma once

#include <string>

namespace bundlegen {

// Builds the generated part of the application bundle: every picture of the catalogue
// for the phone and the tablet, the sprite sheets with their property lists, the sounds
// and music, and the fonts; then writes a manifest per folder and the contact sheet.
// Work items run on a pool of threads; each writes its own files, so nothing is shared
// but the result list, which a mutex guards.
class Generator {
public:
    struct Options {
        std::string bundleDir; // phone set, sounds, fonts
        std::string tabletDir; // tablet set of every picture
        std::string contactSheet; // overview PNG; pages go beside it
        int jobs {0}; // 0: one per core
        bool pictures {true};
        bool sounds {true};
    };

    explicit Generator(Options options);
    // Returns the number of failed items (0 on success); failures are printed.
    int run();

private:
    Options options_;
};

}
