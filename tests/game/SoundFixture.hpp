#pragma once

#include <game/shell/OpenALEngine.hpp>
#include <game/shell/SoundEngine.hpp>

#include <media/AudioSession.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Sandbox.hpp>

#include "foundation/MainLoopFixture.hpp"
#include "media/LoopbackOutput.hpp"
#include "media/SoundFiles.hpp"
#include <support/TempDir.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace test {

// A sound test on the main run loop under a manual clock, with loopback output,
// a fresh bundle folder and a fresh sandbox whose data folder exists. The sound
// singletons and the audio session start and end new.
class SoundTest : public MainLoopTest {
protected:
    SoundTest() {
        std::filesystem::create_directories(bundle);
        std::filesystem::create_directories(dataFolder);
        foundation::Bundle::setMainBundlePath(bundle.string());
        foundation::Sandbox::setRoot((dir / "home").string());
        media::AudioSession::reset();
    }

    ~SoundTest() override {
        game::SoundEngine::releaseManager();
        game::OpenALEngine::shutdownOpenAlEngine();
        media::AudioSession::reset();
        foundation::Bundle::setMainBundlePath({});
        foundation::Sandbox::setRoot({});
    }

    // An XML property list of string values.
    static void writeSoundList(
        std::filesystem::path const& path, std::map<std::string, std::string> const& entries) {
        std::ofstream out(path);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
               "<plist version=\"1.0\">\n<dict>\n";
        for (auto const& [key, value] : entries)
            out << "  <key>" << key << "</key>\n  <string>" << value << "</string>\n";
        out << "</dict>\n</plist>\n";
    }

    LoopbackOutput loopback;
    TempDir dir;
    std::filesystem::path bundle {dir / "bundle"};
    std::filesystem::path dataFolder {dir / "home" / "Library" / "Marrowby"};
};

}
