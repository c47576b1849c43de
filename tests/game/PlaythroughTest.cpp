// Plays the built program from launch by a script of touches, headless, on the phone and the
// tablet: title, main menu, NEW GAME, the salon, pause, SAVE & QUIT, the main menu again,
// options (music off), back, RESUME, and the rest of the day to its report. Each look is a run
// of the same script stopped at that frame in a fresh sandbox (scripted runs are
// deterministic). The same script then plays in a window on an X server of the test's own,
// its touches pressing the server's pointer, and a restart resumes the saved game. The
// pictures stay in the build tree under playthrough/.

#include <base/Value.hpp>
#include <foundation/PropertyList.hpp>
#include <graphics/Image.hpp>
#include <support/VirtualDisplay.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct Look {
    char const* name;
    int frames;
};

// Where each screen can be seen in the script; the last is the day's report.
constexpr Look looks[] = {{"title", 300}, {"menu", 520}, {"pause", 1260}, {"menu-again", 1700},
    {"options", 1900}, {"music-off", 1925}, {"resumed", 2600}, {"report", 17200}};
constexpr Look const& report = looks[std::size(looks) - 1];
// A restart with the saved game: the title, RESUME, and the salon behind it.
constexpr Look restart {"restart", 900};

class Playthrough : public ::testing::TestWithParam<bool> {
protected:
    bool pad() const { return GetParam(); }
    std::string device() const { return pad() ? "tablet" : "phone"; }
    std::filesystem::path out() const {
        return std::filesystem::path(QUILLABY_BUILD_DIR) / "playthrough";
    }
    std::filesystem::path home(std::string const& name) const {
        return out() / "homes" / (device() + "-" + name);
    }
    std::filesystem::path shot(std::string const& name) const {
        return out() / (device() + "-" + name + ".png");
    }
    std::string script(std::string const& suffix = "") const {
        return std::string(QUILLABY_TEST_DATA) + "/playthrough/" + device() + suffix + ".txt";
    }

    // Runs the program on a script to a frame in the sandbox `home`, writing the picture
    // `name`; the exit status. `display` is the X server to open the window on, or empty to
    // draw off-screen.
    int run(std::string const& home, std::string const& name, std::string const& script, int frames,
        std::string const& display = "") {
        auto folder = this->home(home);
        std::filesystem::create_directories(folder);
        std::string environment = display.empty()
            ? "env -u DISPLAY -u WAYLAND_DISPLAY"
            : "env -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 DISPLAY=" + display;
        std::string command = environment + " QUILLABY_HOME='" + folder.string()
            + "' '" QUILLABY_PROGRAM "'" + (display.empty() ? " --headless" : "")
            + (pad() ? " --ipad" : "") + " --frames " + std::to_string(frames) + " --script '"
            + script + "' --screenshot '" + shot(name).string() + "' >'"
            + (folder / (name + ".txt")).string() + "' 2>&1";
        int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    // Runs the script to the look's frame off-screen in a fresh sandbox.
    int play(Look const& look) {
        std::filesystem::remove_all(home(look.name));
        return run(look.name, look.name, script(), look.frames);
    }
    std::string output(std::string const& home, std::string const& name) const {
        std::ifstream file(this->home(home) / (name + ".txt"));
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    base::Ref<base::Dictionary> saved(std::string const& home) const {
        return foundation::PropertyList::dictionaryWithContentsOfFile(
            (this->home(home) / "Library" / "Preferences" / "net.quillaby.salon.plist").string());
    }
    std::optional<graphics::Image> picture(std::string const& name) const {
        return graphics::Image::decodeFile(shot(name));
    }
    // The saved music switch, on when never saved.
    static bool musicOn(base::Dictionary const& save) {
        auto value = save.objectForKey("SYS_BGM");
        return value.isNil() || value.boolValue();
    }
    static double difference(graphics::Image const& a, graphics::Image const& b) {
        long total = 0;
        long count = 0;
        for (int y = 0; y < a.height(); y += 4) {
            for (int x = 0; x < a.width(); x += 4) {
                auto p = a.pixel(x, y);
                auto q = b.pixel(x, y);
                total += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
                ++count;
            }
        }
        return double(total) / double(count);
    }
};

TEST_P(Playthrough, FromTheTitleToTheDaysReport) {
    std::filesystem::create_directories(out());
    std::vector<graphics::Image> pictures;
    for (auto const& look : looks) {
        // The tablet's whole day takes the software rasteriser too long for the suite.
        if (pad() && &look == &report)
            break;
        SCOPED_TRACE(look.name);
        ASSERT_EQ(play(look), 0);
        auto image = picture(look.name);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width(), pad() ? 1024 : 480);
        EXPECT_EQ(image->height(), pad() ? 768 : 320);
        pictures.push_back(*image);
    }
    // Every step changes the screen: the title, the menu over it, the salon's pause menu, the menu
    // (now with RESUME), the options, the marker on music off, the salon, the day's report.
    // (The tablet's options panel draws its selection markers under the switch icons, so
    // there the music switch's move cannot be seen; the saved switch is checked below.)
    for (size_t i = 1; i < pictures.size(); ++i) {
        if (pad() && std::string(looks[i].name) == "music-off")
            continue;
        EXPECT_GT(difference(pictures[i - 1], pictures[i]), 1.0) << looks[i].name;
    }

    // Nothing is saved before the new game; SAVE & QUIT leaves a day-1 salon with 200 money.
    auto atMenu = saved(looks[1].name);
    EXPECT_TRUE(!atMenu || atMenu->objectForKey("DATA_MONEY").isNil());
    auto afterQuit = saved(looks[3].name);
    ASSERT_TRUE(afterQuit);
    EXPECT_EQ(afterQuit->objectForKey("DATA_MONEY").intValue(), 200);
    EXPECT_TRUE(musicOn(*afterQuit));
    // The music switch is saved off, and resuming kept the save.
    auto resumed = saved(looks[6].name);
    ASSERT_TRUE(resumed);
    EXPECT_FALSE(musicOn(*resumed));
    EXPECT_EQ(resumed->objectForKey("DATA_MONEY").intValue(), 200);
    EXPECT_EQ(resumed->objectForKey("DATA_DAY").intValue(), 1);
    // The day ran to its closing: the salon is saved after hours, behind the day's report.
    if (pad())
        return;
    auto closed = saved(report.name);
    ASSERT_TRUE(closed);
    EXPECT_EQ(closed->objectForKey("DATA_SHOPSTATE").intValue(), 3);
    EXPECT_EQ(closed->objectForKey("DATA_DAY").intValue(), 1);
    EXPECT_FALSE(musicOn(*closed));
    auto said = output(report.name, report.name);
    EXPECT_NE(said.find("Report Achievement Success: ach_dayearn0"), std::string::npos);
}

// In a window: the phone only, since the window draws slowly on the software rasteriser.
class PlaythroughInAWindow : public Playthrough { };

// The same script in a window on an X server of the test's own: its touches move and press the
// server's pointer, and the window's mouse events play it to the very frame the off-screen run
// draws. A restart in the window then shows the saved game behind RESUME, again as off-screen.
TEST_P(PlaythroughInAWindow, WithTheMouseAndAfterARestart) {
    test::VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << display.why();
    std::filesystem::create_directories(out());
    std::string const folder = "window";
    std::filesystem::remove_all(home(folder));
    ASSERT_EQ(run(folder, "window-report", script(), report.frames, display.name()), 0)
        << output(folder, "window-report");
    // A window was opened on the server (no fall back to drawing off-screen).
    auto said = output(folder, "window-report");
    EXPECT_EQ(said.find("off-screen"), std::string::npos) << said;
    std::filesystem::remove_all(home("window-reference"));
    ASSERT_EQ(run("window-reference", "window-reference", script(), report.frames), 0);
    auto played = picture("window-report");
    auto reference = picture("window-reference");
    ASSERT_TRUE(played && reference);
    EXPECT_EQ(played->width(), pad() ? 1024 : 480);
    EXPECT_EQ(difference(*played, *reference), 0.0);
    auto day = saved(folder);
    ASSERT_TRUE(day);
    EXPECT_FALSE(musicOn(*day));
    EXPECT_EQ(day->objectForKey("DATA_SHOPSTATE").intValue(), 3);

    // A restart in the window: the title, RESUME, and the saved salon after hours, as an
    // off-screen restart of the same save shows it; the save stays as it was.
    for (auto name : {"restart-menu", "restart-reference"}) {
        std::filesystem::remove_all(home(name));
        std::filesystem::copy(home(folder), home(name), std::filesystem::copy_options::recursive);
    }
    ASSERT_EQ(run(folder, "window-restart", script("-restart"), restart.frames, display.name()), 0)
        << output(folder, "window-restart");
    ASSERT_EQ(run("restart-reference", "restart-reference", script("-restart"), restart.frames), 0);
    ASSERT_EQ(run("restart-menu", "restart-menu", script("-restart"), looks[1].frames), 0);
    auto resumed = picture("window-restart");
    auto offScreen = picture("restart-reference");
    auto menu = picture("restart-menu");
    ASSERT_TRUE(resumed && offScreen && menu);
    EXPECT_EQ(difference(*resumed, *offScreen), 0.0);
    EXPECT_GT(difference(*menu, *resumed), 1.0);
    auto again = saved(folder);
    ASSERT_TRUE(again);
    for (auto key : {"DATA_DAY", "DATA_MONEY", "DATA_SHOPSTATE"})
        EXPECT_EQ(again->objectForKey(key).intValue(), day->objectForKey(key).intValue()) << key;
    EXPECT_FALSE(musicOn(*again));
}

INSTANTIATE_TEST_SUITE_P(Devices, Playthrough, ::testing::Values(false, true),
    [](auto const& device) { return device.param ? "Tablet" : "Phone"; });
INSTANTIATE_TEST_SUITE_P(
    Devices, PlaythroughInAWindow, ::testing::Values(false), [](auto const&) { return "Phone"; });

}
