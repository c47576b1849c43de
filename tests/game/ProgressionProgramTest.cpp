// Plays the built program headless against a loopback game server whose clock is two days past
// the stored daily bonus: the loading screen's check opens the prize wheel with the two
// tokens, a scripted spin and stop pay a prize, the wheel closes back to the title; the main
// menu then opens the achievements screen, which closes back to the menu. Each look is a run
// of the same script stopped at that frame in a fresh copy of the sandbox (headless runs are
// deterministic); the pictures stay in the build tree under progression/.

#include <base/Value.hpp>
#include <foundation/Base64.hpp>
#include <foundation/PropertyList.hpp>
#include <graphics/Image.hpp>
#include <support/GameServerStandIn.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The server's clock: 14 March 2026, noon (UTC, the zone the program runs in here).
constexpr char const* serverTime = "2026-03-14 12:00:00";

// Seconds from the platform's reference date (1 January 2001, UTC) to the server's time.
double serverSeconds() {
    using namespace std::chrono;
    auto days = sys_days(year(2026) / March / 14) - sys_days(year(2001) / January / 1);
    return double(duration_cast<seconds>(days).count() + 12 * 3600);
}

constexpr double day = 86400;

struct Look {
    char const* name;
    int frames;
};

// Where each screen can be seen in the script (tests/game/data/progression/phone.txt).
constexpr Look wheelOpen {"wheel-open", 280};
constexpr Look wheelStopped {"wheel-stopped", 1000};
constexpr Look wheelClosed {"wheel-closed", 1150};
constexpr Look achievements {"achievements", 1550};
constexpr Look menuAgain {"menu-again", 1700};

class ProgressionProgram : public ::testing::Test {
protected:
    void SetUp() override {
        server.http().route("GET", "/time.php",
            test::HttpResponse::text(foundation::Base64::encode(foundation::ByteView(
                reinterpret_cast<std::uint8_t const*>(serverTime), std::strlen(serverTime)))));
        fs::remove_all(out());
        fs::create_directories(out());
    }

    static fs::path out() { return fs::path(QUILLABY_BUILD_DIR) / "progression"; }
    static fs::path home(std::string const& name) { return out() / "homes" / name; }
    static fs::path shot(Look const& look) { return out() / (std::string(look.name) + ".png"); }
    static fs::path preferences(std::string const& name) {
        return home(name) / "Library" / "Preferences" / "net.quillaby.salon.plist";
    }

    // Runs the program with that sandbox; the exit status.
    int run(std::string const& name, std::string const& arguments) {
        std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY TZ=UTC QUILLABY_NETWORK=online"
                              " QUILLABY_GAME_SERVER_HOST="
            + server.host() + " QUILLABY_HOME='" + home(name).string()
            + "' '" QUILLABY_PROGRAM "' --headless " + arguments + " >'"
            + (home(name) / "out.txt").string() + "' 2>&1";
        int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    // Plays the script to the look's frame in a copy of the prepared sandbox.
    int play(Look const& look) {
        fs::remove_all(home(look.name));
        fs::copy(home("start"), home(look.name), fs::copy_options::recursive);
        std::string script = std::string(QUILLABY_TEST_DATA) + "/progression/phone.txt";
        return run(look.name,
            "--frames " + std::to_string(look.frames) + " --script '" + script + "' --screenshot '"
                + shot(look).string() + "'");
    }

    static std::string printed(Look const& look) {
        std::ifstream file(home(look.name) / "out.txt");
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    static base::Ref<base::Dictionary> saved(std::string const& name) {
        return foundation::PropertyList::dictionaryWithContentsOfFile(preferences(name).string());
    }
    static graphics::Image picture(Look const& look) {
        auto image = graphics::Image::decodeFile(shot(look));
        EXPECT_TRUE(image) << look.name;
        return image ? *image : graphics::Image();
    }
    static long long integer(base::Dictionary const& save, char const* key) {
        auto value = save.objectForKey(key);
        return value.isNil() ? 0 : value.longLongValue();
    }

    test::GameServerStandIn server;
};

// How far apart two colours are, summed over the channels.
int distance(graphics::Rgba a, graphics::Rgba b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// The average distance between two pictures of the same size, on a grid of points.
double difference(graphics::Image const& a, graphics::Image const& b) {
    long total = 0;
    long count = 0;
    for (int y = 0; y < a.height(); y += 4) {
        for (int x = 0; x < a.width(); x += 4) {
            total += distance(a.pixel(x, y), b.pixel(x, y));
            ++count;
        }
    }
    return count ? double(total) / double(count) : 0;
}

}

TEST_F(ProgressionProgram, TheDailyBonusOpensTheWheelWhoseSpinPaysAndTheMenuShowsAchievements) {
    // A saved salon with money, its last bonus two days and an hour before the server's clock.
    fs::create_directories(home("start"));
    ASSERT_EQ(run("start", "--salon-day=1 --frames 2"), 0);
    auto start = saved("start");
    ASSERT_TRUE(start);
    double lastBonus = serverSeconds() - 2 * day - 3600;
    start->setObject("WHEEL_LASTBONUSTIME_KEY", lastBonus);
    ASSERT_TRUE(
        foundation::PropertyList::writeToFile(base::Value(start), preferences("start").string()));
    auto money = integer(*start, "DATA_MONEY");
    auto petPoints = integer(*start, "SYS_PETPOINTS");
    ASSERT_GT(money, 0);

    // The wheel opened by the loading screen's check holds the two days' tokens.
    ASSERT_EQ(play(wheelOpen), 0) << printed(wheelOpen);
    auto open = saved(wheelOpen.name);
    ASSERT_TRUE(open);
    EXPECT_EQ(integer(*open, "credit"), 2);
    EXPECT_EQ(integer(*open, "WHEEL_TRACKING_BONUS_KEY"), 2);
    // The last bonus moves on by the two whole days; the hour carries over.
    EXPECT_DOUBLE_EQ(
        open->objectForKey("WHEEL_LASTBONUSTIME_KEY").doubleValue(), lastBonus + 2 * day);
    auto openPicture = picture(wheelOpen);

    // A spin and a stop: one token spent, one prize paid onto its counter, its row lit.
    ASSERT_EQ(play(wheelStopped), 0) << printed(wheelStopped);
    auto stopped = saved(wheelStopped.name);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(integer(*stopped, "credit"), 1);
    auto moneyPrizes = integer(*stopped, "WHEEL_TRACKING_PRIZE_KEY_0");
    auto pointPrizes = integer(*stopped, "WHEEL_TRACKING_PRIZE_KEY_1");
    EXPECT_EQ(moneyPrizes + pointPrizes, 1);
    if (moneyPrizes) {
        EXPECT_GT(integer(*stopped, "DATA_MONEY"), money);
        EXPECT_EQ(integer(*stopped, "SYS_PETPOINTS"), petPoints);
    } else {
        EXPECT_EQ(integer(*stopped, "DATA_MONEY"), money);
        EXPECT_GT(integer(*stopped, "SYS_PETPOINTS"), petPoints);
    }
    // The prize list's seven rows (at the right of the phone's screen, 37 points apart): one is
    // honey-coloured, far less blue than the pale paper of the others.
    auto stoppedPicture = picture(wheelStopped);
    std::vector<int> blues;
    for (int row = 0; row < 7; ++row)
        blues.push_back(stoppedPicture.pixel(284, 56 + 37 * row).b);
    auto palest = *std::max_element(blues.begin(), blues.end());
    int lit = 0;
    for (int blue : blues)
        lit += blue + 40 < palest;
    EXPECT_EQ(lit, 1) << ::testing::PrintToString(blues);
    // Before the spin no row was lit.
    for (int row = 0; row < 7; ++row)
        EXPECT_GT(openPicture.pixel(284, 56 + 37 * row).b + 40, palest) << row;

    // Closed, the wheel leaves the title screen behind it.
    ASSERT_EQ(play(wheelClosed), 0) << printed(wheelClosed);
    auto closedPicture = picture(wheelClosed);
    EXPECT_GT(difference(closedPicture, stoppedPicture), 20.0);

    // The main menu's achievements button opens the achievements screen; its Close button
    // goes back to the menu.
    ASSERT_EQ(play(achievements), 0) << printed(achievements);
    auto achievementsPicture = picture(achievements);
    ASSERT_EQ(play(menuAgain), 0) << printed(menuAgain);
    auto menuPicture = picture(menuAgain);
    EXPECT_GT(difference(achievementsPicture, menuPicture), 20.0);
    EXPECT_GT(difference(achievementsPicture, closedPicture), 20.0);
    auto after = saved(menuAgain.name);
    ASSERT_TRUE(after);
    EXPECT_EQ(integer(*after, "credit"), 1);

    for (auto const* look : {&wheelOpen, &wheelStopped, &wheelClosed, &achievements, &menuAgain})
        EXPECT_EQ(printed(*look).find("nothing was drawn"), std::string::npos) << look->name;
}
