// Runs the built program as a user would and looks at what it leaves behind.

#include <foundation/PropertyList.hpp>
#include <graphics/Image.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace {

struct Outcome {
    int status {-1};
    std::string out;
    std::string err;
};

std::string readFile(std::filesystem::path const& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class ProgramTest : public ::testing::Test {
protected:
    // Runs the program in the temporary folder with no display, so that nothing depends on
    // the machine the tests run on.
    Outcome run(std::string const& arguments, std::string const& environment = {}) {
        std::string command = "cd '" + folder.path().string()
            + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + environment + " '" QUILLABY_PROGRAM "' "
            + arguments + " >out.txt 2>err.txt";
        int raw = std::system(command.c_str());
        Outcome result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = readFile(folder / "out.txt");
        result.err = readFile(folder / "err.txt");
        return result;
    }

    graphics::Image picture(std::string const& name) {
        auto image = graphics::Image::decodeFile(folder / name);
        EXPECT_TRUE(image) << name << " is not a picture";
        return image ? *image : graphics::Image();
    }

    void write(std::string const& name, std::string const& text) {
        std::ofstream(folder / name) << text;
    }

    // Whether the pixel at (x, y) from the top-left is within 8 of the colour on each channel
    // (the game draws on a 16-bit surface).
    static bool near(graphics::Image const& image, int x, int y, graphics::Rgba colour) {
        auto p = image.pixel(x, y);
        return std::abs(p.r - colour.r) <= 8 && std::abs(p.g - colour.g) <= 8
            && std::abs(p.b - colour.b) <= 8;
    }

    test::TempDir folder;
};

// The loading bar's filled part, counted along the bar's middle row (14 points above the
// bottom of the phone's screen): its stripes are full red with much green.
int barPixels(graphics::Image const& image) {
    int count = 0;
    for (int x = 60; x < 420; ++x) {
        auto p = image.pixel(x, 306);
        count += p.r > 230 && p.g > 150;
    }
    return count;
}

bool black(graphics::Image const& image) {
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            auto p = image.pixel(x, y);
            if (p.r > 8 || p.g > 8 || p.b > 8)
                return false;
        }
    }
    return true;
}

}

TEST_F(ProgramTest, AHeadlessRunWritesItsLastFrameAsAPictureOfTheLoadingScreen) {
    auto result = run("--headless --frames 60 --screenshot shot.png");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("wrote shot.png (480 x 320 pixels)"), std::string::npos)
        << result.out;
    auto image = picture("shot.png");
    ASSERT_EQ(image.width(), 480);
    ASSERT_EQ(image.height(), 320);
    std::set<std::uint32_t> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            auto p = image.pixel(x, y);
            colours.insert(std::uint32_t(p.r) << 16 | std::uint32_t(p.g) << 8 | p.b);
            EXPECT_EQ(p.a, 255);
        }
    }
    EXPECT_GE(colours.size(), 50u) << "the title art is missing";
    int bar = barPixels(image);
    EXPECT_GT(bar, 0) << "nothing loaded yet";
    EXPECT_LT(bar, 300) << "the bar is full";
}

TEST_F(ProgramTest, TheLoadingBarGrowsUntilTheMainMenuStateTakesOver) {
    int previous = -1;
    for (int frames : {30, 50, 70}) {
        auto name = "at" + std::to_string(frames) + ".png";
        auto result
            = run("--headless --frames " + std::to_string(frames) + " --screenshot " + name);
        ASSERT_EQ(result.status, 0) << result.err;
        int bar = barPixels(picture(name));
        EXPECT_GT(bar, previous) << frames;
        previous = bar;
    }
    // Once loaded, the main menu's interface draws the animated title in place of the bar.
    auto result = run("--headless --frames 200 --screenshot menu.png");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(black(picture("menu.png")));
}

TEST_F(ProgramTest, WithoutADisplayItDrawsOffScreenAndWritesQuillabyPng) {
    auto result = run("");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("no display"), std::string::npos) << result.out;
    auto image = picture("quillaby.png");
    EXPECT_EQ(image.width(), 480);
    EXPECT_EQ(image.height(), 320);
}

TEST_F(ProgramTest, ScriptedTouchesAndKeysReachTheGameWithoutChangingTheLoading) {
    write("play.txt",
        "# taps during loading\n0 down 20 20\n0 up 20 20\n5 down 400 80\n"
        "7 move 300 90\n9 up 300 90\n12 key a\n");
    auto result = run("--headless --frames 60 --screenshot played.png --script play.txt");
    ASSERT_EQ(result.status, 0) << result.err;
    result = run("--headless --frames 60 --screenshot plain.png");
    ASSERT_EQ(result.status, 0) << result.err;
    auto played = picture("played.png");
    auto plain = picture("plain.png");
    ASSERT_EQ(played.width(), plain.width());
    for (int y = 0; y < plain.height(); y += 3) {
        for (int x = 0; x < plain.width(); x += 3)
            ASSERT_EQ(played.pixel(x, y), plain.pixel(x, y)) << x << ", " << y;
    }
}

TEST_F(ProgramTest, TheTabletScreenAndTheScaleSetThePictureSize) {
    auto result = run("--headless --frames 2 --ipad --screenshot ipad.png");
    ASSERT_EQ(result.status, 0) << result.err;
    auto ipad = picture("ipad.png");
    EXPECT_EQ(ipad.width(), 1024);
    EXPECT_EQ(ipad.height(), 768);

    result = run("--headless --frames 40 --screenshot small.png");
    ASSERT_EQ(result.status, 0) << result.err;
    result = run("--headless --frames 40 --scale 2 --screenshot big.png");
    ASSERT_EQ(result.status, 0) << result.err;
    auto small = picture("small.png");
    auto big = picture("big.png");
    ASSERT_EQ(big.width(), 960);
    ASSERT_EQ(big.height(), 640);
    // The screen fills the larger picture: the same scene at twice the size.
    for (auto [x, y] :
        {std::pair {10, 10}, std::pair {240, 60}, std::pair {120, 250}, std::pair {470, 310}}) {
        auto p = small.pixel(x, y);
        EXPECT_TRUE(near(big, 2 * x, 2 * y, p)) << x << ", " << y;
    }
}

TEST_F(ProgramTest, BadArgumentsAndScriptsStopItWithStatusTwoAndAReason) {
    struct Case {
        std::string arguments;
        std::string reason;
    };
    write("bad.txt", "0 down 1 2\n5 jump 3 4\n");
    for (auto const& c : {Case {"--frames 0", "--frames needs a whole number above 0"},
             Case {"--frames", "--frames needs a value"},
             Case {"--scale -1", "--scale needs a number above 0"},
             Case {"--frobnicate", "unknown option \"--frobnicate\""},
             Case {"--headless --script missing.txt", "missing.txt: cannot be read"},
             Case {"--headless --script bad.txt", "bad.txt: line 2: expected"}}) {
        auto result = run(c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments;
        EXPECT_NE(result.err.find(c.reason), std::string::npos)
            << c.arguments << ": " << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "quillaby.png"));
}

TEST_F(ProgramTest, HelpDescribesTheOptions) {
    auto result = run("--help");
    EXPECT_EQ(result.status, 0);
    for (char const* option : {"--headless", "--frames", "--screenshot", "--script", "--ipad",
             "--scale", "--salon-day[=LEVEL]"})
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
}

TEST_F(ProgramTest, TheSalonDayFlagStartsStraightInABusySalon) {
    // A home of its own: the flag saves the day it starts.
    auto result = run(
        "--headless --salon-day=8 --frames 1500 --screenshot salon.png", "QUILLABY_HOME=home");
    ASSERT_EQ(result.status, 0) << result.err;
    // The day's music starts when the salon opens.
    EXPECT_NE(result.err.find("Playing BGM:Marrowby_BGM2.mp3"), std::string::npos) << result.err;
    auto image = picture("salon.png");
    ASSERT_EQ(image.width(), 480);
    EXPECT_FALSE(black(image));
    std::filesystem::create_directories("test-output");
    std::filesystem::copy_file(folder / "salon.png", "test-output/salon-busy-day.png",
        std::filesystem::copy_options::overwrite_existing);

    auto bad = run("--headless --salon-day=zero --frames 1", "QUILLABY_HOME=home");
    EXPECT_EQ(bad.status, 2);
}

namespace {

// The top row of the achievement banner: the first row from y 250 down where shot differs
// from the same frame without a banner at most columns across the banner; 320 when none.
int bannerTop(graphics::Image const& shot, graphics::Image const& before) {
    for (int y = 250; y < 320; ++y) {
        int differing = 0;
        for (int x : {60, 160, 320, 420}) {
            auto p = shot.pixel(x, y);
            auto q = before.pixel(x, y);
            differing
                += std::abs(p.r - q.r) > 24 || std::abs(p.g - q.g) > 24 || std::abs(p.b - q.b) > 24;
        }
        if (differing >= 3)
            return y;
    }
    return 320;
}

TEST_F(ProgramTest, AFirstDayEarnsAchievementsWhoseBannerSlidesUpAndTheGameServiceKeepsThem) {
    // A fresh day at level 1, saved as if its working hours had just run out, so that
    // the day's accounting comes within the first frames.
    ASSERT_EQ(run("--headless --salon-day=1 --frames 2", "QUILLABY_HOME=home").status, 0);
    auto preferences = folder / "home/Library/Preferences/net.quillaby.salon.plist";
    auto save = foundation::PropertyList::dictionaryWithContentsOfFile(preferences.string());
    ASSERT_TRUE(save);
    save->setObject("DATA_SHOPTIME", "150.500000");
    // The Pet Point bonus panels were shown before, so that nothing covers the banner.
    save->setObject("PPBONUS_EOD1_BONUS", 1);
    save->setObject("PPBONUS_EOL_BONUS", 99);
    ASSERT_TRUE(foundation::PropertyList::writeToFile(base::Value(save), preferences.string()));
    for (char const* copy : {"plain", "sliding", "plain-sliding"})
        std::filesystem::copy(
            folder / "home", folder / copy, std::filesystem::copy_options::recursive);
    // The same day where every achievement is complete already: no banner.
    auto list = foundation::PropertyList::arrayWithContentsOfFile(
        std::string(QUILLABY_BUILD_DIR) + "/bundle/Achievements.plist");
    ASSERT_TRUE(list);
    for (auto const* copy : {"plain", "plain-sliding"}) {
        auto path = (folder / copy / "Library/Preferences/net.quillaby.salon.plist").string();
        auto complete = foundation::PropertyList::dictionaryWithContentsOfFile(path);
        ASSERT_TRUE(complete);
        for (std::size_t i = 0; i < list->size(); ++i)
            complete->setObject(
                list->at(i).dictionaryRef()->objectForKey("ID").stringValue(), "100.000000");
        ASSERT_TRUE(foundation::PropertyList::writeToFile(base::Value(complete), path));
    }
    std::string const online = "QUILLABY_NETWORK=online QUILLABY_HOME=";
    struct Shot {
        char const* home;
        int frames;
    } const shots[] = {{"plain-sliding", 105}, {"sliding", 105}, {"plain", 150}, {"home", 150}};
    std::string lastErr;
    for (auto const& shot : shots) {
        auto result = run("--headless --salon-day --frames " + std::to_string(shot.frames)
                + " --screenshot " + shot.home + ".png",
            online + shot.home);
        ASSERT_EQ(result.status, 0) << shot.home << result.err;
        lastErr = result.err;
    }
    EXPECT_NE(
        lastErr.find("Report Achievement Success: ach_perfectday, 100.000000"), std::string::npos)
        << lastErr;
    // Fully up, the 27-point banner's top edge is at 320 - 27; on its way up, lower.
    int up = bannerTop(picture("home.png"), picture("plain.png"));
    int rising = bannerTop(picture("sliding.png"), picture("plain-sliding.png"));
    EXPECT_GE(up, 291);
    EXPECT_LE(up, 295);
    EXPECT_GT(rising, up + 1);
    EXPECT_LT(rising, 318);
    std::filesystem::create_directories("test-output");
    std::filesystem::copy_file(folder / "sliding.png", "test-output/achievement-banner-sliding.png",
        std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(folder / "home.png", "test-output/achievement-banner-shown.png",
        std::filesystem::copy_options::overwrite_existing);

    // The game service's file holds the reports, and the next run starts from it.
    auto service = foundation::PropertyList::dictionaryWithContentsOfFile(
        (folder / "home/Library/GameKit/GameKit.plist").string());
    ASSERT_TRUE(service);
    auto player = service->objectForKey("Player").stringValue();
    auto record = service->objectForKey("Players").dictionaryRef();
    ASSERT_TRUE(record);
    auto kept = record->objectForKey(player).dictionaryRef();
    ASSERT_TRUE(kept);
    auto achieved = kept->objectForKey("Achievements").dictionaryRef();
    auto best = kept->objectForKey("Scores").dictionaryRef();
    ASSERT_TRUE(achieved && best);
    EXPECT_EQ(achieved->objectForKey("ach_perfectday").doubleValue(), 100);
    EXPECT_EQ(best->objectForKey("lb_shopdays").longLongValue(), 2);
    int achievements = int(achieved->size());
    int scores = int(best->size());
    auto next = run("--headless --salon-day --frames 2", online + "home");
    ASSERT_EQ(next.status, 0) << next.err;
    EXPECT_NE(next.err.find("Game service: player " + player + " kept with "
                  + std::to_string(achievements) + " achievements and " + std::to_string(scores)
                  + " scores"),
        std::string::npos)
        << next.err;
}

}

namespace {

// Sets string values in a saved game's preferences.
void editSave(
    std::filesystem::path const& home, std::vector<std::pair<char const*, char const*>> values) {
    auto preferences = home / "Library/Preferences/net.quillaby.salon.plist";
    auto save = foundation::PropertyList::dictionaryWithContentsOfFile(preferences.string());
    ASSERT_TRUE(save);
    for (auto const& [key, value] : values)
        save->setObject(key, value);
    ASSERT_TRUE(foundation::PropertyList::writeToFile(base::Value(save), preferences.string()));
}

TEST_F(ProgramTest, TheSalonHudAtMiddayAndTheDayReportUnderItsBonusOnPhoneAndTablet) {
    write("tap.txt", "30 down 240 160\n31 up 240 160\n");
    struct Device {
        char const* name;
        char const* flag;
        int width;
        int okX, okY; // inside the bonus panel's OK button, left of its text
    };
    for (auto device :
        {Device {"phone", "", 480, 180, 260}, Device {"tablet", "--ipad ", 1024, 400, 484}}) {
        std::string home = std::string("home-") + device.name;
        ASSERT_EQ(run("--headless --salon-day=1 --frames 2", "QUILLABY_HOME=" + home).status, 0);
        std::string midday = home + "-midday";
        std::string evening = home + "-evening";
        for (auto const& copy : {midday, evening})
            std::filesystem::copy(
                folder / home, folder / copy, std::filesystem::copy_options::recursive);
        // Halfway through the day, and just after closing time, with a few Vov Azavuz.
        editSave(folder / midday, {{"DATA_SHOPTIME", "75.000000"}, {"SYS_PETPOINTS", "25"}});
        editSave(folder / evening, {{"DATA_SHOPTIME", "150.500000"}, {"SYS_PETPOINTS", "25"}});
        auto day = run(std::string("--headless ") + device.flag
                + "--salon-day --frames 300 --script tap.txt --screenshot midday.png",
            "QUILLABY_HOME=" + midday);
        ASSERT_EQ(day.status, 0) << day.err;
        auto end = run(std::string("--headless ") + device.flag
                + "--salon-day --frames 200 --script tap.txt --screenshot evening.png",
            "QUILLABY_HOME=" + evening);
        ASSERT_EQ(end.status, 0) << end.err;
        auto noon = picture("midday.png");
        auto night = picture("evening.png");
        ASSERT_EQ(noon.width(), device.width);
        ASSERT_EQ(night.width(), device.width);
        EXPECT_FALSE(black(noon));
        // The salon levelled up, so the level bonus lies over the report with its OK button;
        // no panel covers the salon at midday.
        graphics::Rgba button {255, 154, 115, 255};
        EXPECT_TRUE(near(night, device.okX, device.okY, button)) << device.name;
        EXPECT_FALSE(near(noon, device.okX, device.okY, button)) << device.name;
        std::filesystem::create_directories("test-output");
        std::filesystem::copy_file(folder / "midday.png",
            std::string("test-output/salon-hud-midday-") + device.name + ".png",
            std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(folder / "evening.png",
            std::string("test-output/day-report-bonus-") + device.name + ".png",
            std::filesystem::copy_options::overwrite_existing);
    }
}

}

namespace {

TEST_F(ProgramTest, AFingerPlaysFromTheDaysReportThroughAHireAndTheChallengeIntoTheNextDay) {
    ASSERT_EQ(run("--headless --salon-day=1 --frames 2", "QUILLABY_HOME=start").status, 0);
    // Just after closing time, with the Pet Point bonuses and the tab bar's hint seen
    // before, so that nothing covers the report and the staff tab stays selected.
    editSave(folder / "start",
        {{"DATA_SHOPTIME", "150.500000"}, {"PPBONUS_EOD1_BONUS", "1"}, {"PPBONUS_EOL_BONUS", "99"},
            {"DATA_CCTAB_FIRSTRUN", "1"}});
    // The report is tapped away; the hire icon over the second staff member (paid in
    // money) opens its dialog, whose buy button hires; the next-day button draws the
    // day's challenge, whose report's OK starts the day; the lightning power-up is
    // pressed; after its announcement the pause button.
    write("play.txt",
        "150 down 240 160\n151 up 240 160\n"
        "320 down 140 210\n321 up 140 210\n"
        "420 down 270 252\n421 up 270 252\n"
        "700 down 410 295\n701 up 410 295\n"
        "820 down 240 263\n821 up 240 263\n"
        "1000 down 450 45\n1001 up 450 45\n"
        "1100 down 460 300\n1101 up 460 300\n");
    struct Shot {
        char const* name;
        int frames;
    } const shots[] = {{"hire-dialog", 400}, {"challenge-report", 800},
        {"power-up-announcement", 1040}, {"pause-menu", 1140}};
    for (auto const& shot : shots) {
        std::filesystem::copy(
            folder / "start", folder / shot.name, std::filesystem::copy_options::recursive);
        auto result = run("--headless --salon-day --frames " + std::to_string(shot.frames)
                + " --script play.txt --screenshot " + shot.name + ".png",
            std::string("QUILLABY_HOME=") + shot.name);
        ASSERT_EQ(result.status, 0) << shot.name << result.err;
        std::filesystem::create_directories("test-output");
        std::filesystem::copy_file(folder / (std::string(shot.name) + ".png"),
            std::string("test-output/play-") + shot.name + "-phone.png",
            std::filesystem::copy_options::overwrite_existing);
    }
    // The dialog's green buy button is lit: the money covers the price.
    auto buy = picture("hire-dialog.png").pixel(232, 262);
    EXPECT_GT(int(buy.g), int(buy.r) + 40) << int(buy.r) << " " << int(buy.g);

    // After the power-up: the hire paid in money, the next day begun with its challenge
    // and one lightning fewer.
    auto save = foundation::PropertyList::dictionaryWithContentsOfFile(
        (folder / "power-up-announcement/Library/Preferences/net.quillaby.salon.plist").string());
    ASSERT_TRUE(save);
    EXPECT_EQ(save->objectForKey("DATA_MONEY").intValue(), 5000 - 2000);
    EXPECT_EQ(save->objectForKey("DATA_STAFFENABLE1").intValue(), 1);
    EXPECT_EQ(save->objectForKey("DATA_DAY").intValue(), 3);
    EXPECT_EQ(save->objectForKey("DATA_SHOPSTATE").intValue(), 2);
    auto challenges = save->objectForKey("DATA_ACTIVE_QUESTS").arrayRef();
    ASSERT_TRUE(challenges);
    EXPECT_EQ(challenges->size(), 1u);
    auto lightning = save->objectForKey("SYS_SPITEM_BTN_SpeedBonus").dictionaryRef();
    ASSERT_TRUE(lightning);
    EXPECT_EQ(lightning->objectForKey("ITEM_COUNT").intValue(), 9);
}

// The saved day of the tablet's and the phone's plays: just after closing time, with the
// Pet Point bonuses and the tab bar's hint seen before.
class PlayTest : public ProgramTest {
protected:
    void SetUp() override {
        ASSERT_EQ(run("--headless --salon-day=1 --frames 2", "QUILLABY_HOME=start").status, 0);
        editSave(folder / "start",
            {{"DATA_SHOPTIME", "150.500000"}, {"PPBONUS_EOD1_BONUS", "1"},
                {"PPBONUS_EOL_BONUS", "99"}, {"DATA_CCTAB_FIRSTRUN", "1"}});
    }
    struct Shot {
        char const* name;
        int frames;
    };
    // Plays script from the saved day for each shot's frames, each in a home of its own and
    // all at once; the pictures are <name>.png, copied to test-output/ as
    // play-<name>-<device>.png.
    void play(std::string const& flags, std::string const& script, std::vector<Shot> const& shots,
        std::string const& device) {
        std::string command = "cd '" + folder.path().string() + "' || exit 1;";
        for (auto const& shot : shots) {
            std::string name = shot.name;
            std::filesystem::copy(
                folder / "start", folder / name, std::filesystem::copy_options::recursive);
            command += " (env -u DISPLAY -u WAYLAND_DISPLAY QUILLABY_HOME=" + name
                + " '" QUILLABY_PROGRAM "' --headless " + flags + "--salon-day --frames "
                + std::to_string(shot.frames) + " --script " + script + " --screenshot " + name
                + ".png >" + name + ".out 2>" + name + ".err; echo $? >" + name + ".status) &";
        }
        command += " wait";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::filesystem::create_directories("test-output");
        for (auto const& shot : shots) {
            std::string name = shot.name;
            ASSERT_EQ(readFile(folder / (name + ".status")), "0\n")
                << name << readFile(folder / (name + ".err"));
            std::filesystem::copy_file(folder / (name + ".png"),
                "test-output/play-" + name + "-" + device + ".png",
                std::filesystem::copy_options::overwrite_existing);
        }
    }
    base::Ref<base::Dictionary> save(std::string const& home) {
        return foundation::PropertyList::dictionaryWithContentsOfFile(
            (folder / home / "Library/Preferences/net.quillaby.salon.plist").string());
    }
};

TEST_F(PlayTest, OnTheTabletTheSameFingerReachesTheChallengeReportAndTakesItsOk) {
    // The phone's play at the tablet's places: the report tapped away, the hire icon over
    // the second staff member, the dialog's buy button, the next-day button, the challenge
    // report's OK, the lightning power-up, the pause button.
    write("ipad.txt",
        "150 down 512 384\n151 up 512 384\n"
        "320 down 298 488\n321 up 298 488\n"
        "420 down 610 625\n421 up 610 625\n"
        "700 down 835 705\n701 up 835 705\n"
        "820 down 512 569\n821 up 512 569\n"
        "1000 down 985 95\n1001 up 985 95\n"
        "1100 down 985 720\n1101 up 985 720\n");
    play("--ipad ", "ipad.txt",
        {{"hire-dialog", 400}, {"challenge-report", 800}, {"power-up-announcement", 1040},
            {"pause-menu", 1140}},
        "tablet");

    // The report lies in the middle of the screen, its OK button inside it.
    auto report = picture("challenge-report.png");
    ASSERT_EQ(report.width(), 1024);
    EXPECT_TRUE(near(report, 440, 570, {255, 154, 115, 255}))
        << int(report.pixel(440, 570).r) << " " << int(report.pixel(440, 570).g);
    // Its OK started the day: hired, the next day begun with its challenge, one lightning
    // used.
    auto after = save("power-up-announcement");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->objectForKey("DATA_MONEY").intValue(), 5000 - 2000);
    EXPECT_EQ(after->objectForKey("DATA_DAY").intValue(), 3);
    EXPECT_EQ(after->objectForKey("DATA_SHOPSTATE").intValue(), 2);
    auto challenges = after->objectForKey("DATA_ACTIVE_QUESTS").arrayRef();
    ASSERT_TRUE(challenges);
    EXPECT_EQ(challenges->size(), 1u);
    auto lightning = after->objectForKey("SYS_SPITEM_BTN_SpeedBonus").dictionaryRef();
    ASSERT_TRUE(lightning);
    EXPECT_EQ(lightning->objectForKey("ITEM_COUNT").intValue(), 9);
}

TEST_F(PlayTest, TheChallengeIsBackAfterARestartAndItsRewardIsPaidAtTheDaysEnd) {
    write("play.txt",
        "150 down 240 160\n151 up 240 160\n"
        "320 down 140 210\n321 up 140 210\n"
        "420 down 270 252\n421 up 270 252\n"
        "700 down 410 295\n701 up 410 295\n"
        "820 down 240 263\n821 up 240 263\n"
        "1000 down 450 45\n1001 up 450 45\n");
    // The phone's play into the next day, its challenge drawn and the power-up used.
    play("", "play.txt", {{"day", 1040}}, "phone");
    auto day = save("day");
    ASSERT_TRUE(day);
    int money = day->objectForKey("DATA_MONEY").intValue();
    auto drawn = day->objectForKey("DATA_ACTIVE_QUESTS").arrayRef();
    ASSERT_TRUE(drawn);
    ASSERT_EQ(drawn->size(), 1u);
    EXPECT_EQ(drawn->at(0).stringValue(), "q07_busy_bee");

    // The game is left and started again at closing time, the forty services the
    // challenge asks for counted (no finger grooms forty pets): the challenge comes back
    // with the day, the salon is empty, so the day ends at once and its report pays the
    // 800 coins.
    editSave(folder / "day", {{"DATA_SHOPTIME", "150.500000"}, {"DATA_CUSTOMER_SERVICE", "40"}});
    write("none.txt", "");
    auto end = run("--headless --salon-day --frames 300 --script none.txt --screenshot end.png",
        "QUILLABY_HOME=day");
    ASSERT_EQ(end.status, 0) << end.err;
    EXPECT_NE(end.err.find("q07_busy_bee added"), std::string::npos) << end.err;
    std::filesystem::copy_file(folder / "end.png", "test-output/play-challenge-complete-phone.png",
        std::filesystem::copy_options::overwrite_existing);
    auto ended = save("day");
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->objectForKey("DATA_SHOPSTATE").intValue(), 3);
    EXPECT_EQ(ended->objectForKey("DATA_MONEY").intValue(), money + 800);
}

TEST_F(ProgramTest, AnOpenedRvcofferAddressShowsTheCrossPromotionPanelOverTheMainMenu) {
    // Nothing listens at the store site's address: the panel shows its blank page.
    std::string site = "QUILLABY_PRODUCT_WEB_URL=http://127.0.0.1:9";
    write("open.txt", "250 open quillaby://rvcoffer\n");
    write("back.txt", "250 open quillaby://rvcoffer\n330 down 30 20\n331 up 30 20\n");
    write("other.txt", "250 open quillaby://open\n");
    for (auto const& [script, name] : {std::pair {"open.txt", "panel"},
             std::pair {"back.txt", "back"}, std::pair {"other.txt", "other"}}) {
        auto result = run(std::string("--headless --frames 360 --script ") + script
                + " --screenshot " + name + ".png",
            site + " QUILLABY_HOME=" + name);
        ASSERT_EQ(result.status, 0) << name << result.err;
    }
    auto panel = picture("panel.png");
    std::filesystem::create_directories("test-output");
    std::filesystem::copy_file(folder / "panel.png", "test-output/cross-promotion-over-menu.png",
        std::filesystem::copy_options::overwrite_existing);
    // The bar across the top right of its Back button, the blank page below across the
    // whole screen.
    EXPECT_TRUE(near(panel, 400, 20, {109, 132, 162, 255}));
    for (auto [x, y] : {std::pair {20, 100}, std::pair {240, 200}, std::pair {470, 310}})
        EXPECT_TRUE(near(panel, x, y, {255, 255, 255, 255})) << x << ", " << y;
    // Back closes it; another address opens nothing: the menu shows as it was.
    for (char const* name : {"back.png", "other.png"}) {
        auto menu = picture(name);
        EXPECT_FALSE(near(menu, 400, 20, {109, 132, 162, 255})) << name;
        EXPECT_FALSE(near(menu, 240, 200, {255, 255, 255, 255})) << name;
    }
}

}
