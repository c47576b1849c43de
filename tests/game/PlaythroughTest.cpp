// Plays the built program from launch by a script of touches, headless, on the phone and the
// tablet: title, main menu, NEW GAME, the salon, pause, SAVE & QUIT, the main menu again,
// options (music off), back, RESUME. Each look is a run of the same script stopped at that
// frame in a fresh sandbox (headless runs are deterministic); the pictures stay in the build
// tree under playthrough/.

#include <base/Value.hpp>
#include <foundation/PropertyList.hpp>
#include <graphics/Image.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct Look {
    char const* name;
    int frames;
};

// Where each screen can be seen in the script.
constexpr Look looks[] = {{"title", 300}, {"menu", 520}, {"pause", 1260}, {"menu-again", 1700},
    {"options", 1900}, {"music-off", 1925}, {"resumed", 2600}};

class Playthrough : public ::testing::TestWithParam<bool> {
protected:
    bool pad() const { return GetParam(); }
    std::string device() const { return pad() ? "tablet" : "phone"; }
    std::filesystem::path out() const {
        return std::filesystem::path(QUILLABY_BUILD_DIR) / "playthrough";
    }
    std::filesystem::path home(Look const& look) const {
        return out() / "homes" / (device() + "-" + look.name);
    }
    std::filesystem::path shot(Look const& look) const {
        return out() / (device() + "-" + look.name + ".png");
    }

    // Runs the script to the look's frame in a fresh sandbox; the exit status.
    int play(Look const& look) {
        std::filesystem::remove_all(home(look));
        std::filesystem::create_directories(home(look));
        std::string script = std::string(QUILLABY_TEST_DATA) + "/playthrough/" + device() + ".txt";
        std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QUILLABY_HOME='"
            + home(look).string() + "' '" QUILLABY_PROGRAM "' --headless" + (pad() ? " --ipad" : "")
            + " --frames " + std::to_string(look.frames) + " --script '" + script
            + "' --screenshot '" + shot(look).string() + "' >'" + (home(look) / "out.txt").string()
            + "' 2>&1";
        int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    base::Ref<base::Dictionary> saved(Look const& look) const {
        return foundation::PropertyList::dictionaryWithContentsOfFile(
            (home(look) / "Library" / "Preferences" / "net.quillaby.salon.plist").string());
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

TEST_P(Playthrough, FromTheTitleToTheResumedSalon) {
    std::filesystem::create_directories(out());
    std::vector<graphics::Image> pictures;
    for (auto const& look : looks) {
        SCOPED_TRACE(look.name);
        ASSERT_EQ(play(look), 0);
        auto image = graphics::Image::decodeFile(shot(look));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width(), pad() ? 1024 : 480);
        EXPECT_EQ(image->height(), pad() ? 768 : 320);
        pictures.push_back(*image);
    }
    // Every step changes the screen: the title, the menu over it, the salon's pause menu, the menu
    // (now with RESUME), the options, the marker on music off, the salon.
    // (The tablet's options panel draws its selection markers under the switch icons, so
    // there the music switch's move cannot be seen; the saved switch is checked below.)
    for (size_t i = 1; i < pictures.size(); ++i) {
        if (pad() && std::string(looks[i].name) == "music-off")
            continue;
        EXPECT_GT(difference(pictures[i - 1], pictures[i]), 1.0) << looks[i].name;
    }

    // Nothing is saved before the new game; SAVE & QUIT leaves a day-1 salon with 200 money.
    auto atMenu = saved(looks[1]);
    EXPECT_TRUE(!atMenu || atMenu->objectForKey("DATA_MONEY").isNil());
    auto afterQuit = saved(looks[3]);
    ASSERT_TRUE(afterQuit);
    EXPECT_EQ(afterQuit->objectForKey("DATA_MONEY").intValue(), 200);
    EXPECT_TRUE(musicOn(*afterQuit));
    // The music switch is saved off, and resuming kept the save.
    auto resumed = saved(looks[6]);
    ASSERT_TRUE(resumed);
    EXPECT_FALSE(musicOn(*resumed));
    EXPECT_EQ(resumed->objectForKey("DATA_MONEY").intValue(), 200);
    EXPECT_EQ(resumed->objectForKey("DATA_DAY").intValue(), 1);
}

INSTANTIATE_TEST_SUITE_P(Devices, Playthrough, ::testing::Values(false, true),
    [](auto const& device) { return device.param ? "Tablet" : "Phone"; });

}
