// Runs the built program as a user would and looks at what it leaves behind.

#include <graphics/Image.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>

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
    Outcome run(std::string const& arguments) {
        std::string command = "cd '" + folder.path().string()
            + "' && env -u DISPLAY -u WAYLAND_DISPLAY '" QUILLABY_PROGRAM "' " + arguments
            + " >out.txt 2>err.txt";
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

constexpr graphics::Rgba sky {24, 52, 84, 255};
constexpr graphics::Rgba floorColour {46, 112, 86, 255};
constexpr graphics::Rgba marker {250, 200, 60, 255};

}

TEST_F(ProgramTest, AHeadlessRunWritesItsLastFrameAsAPictureOfTheScreen) {
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
    EXPECT_GE(colours.size(), 5u) << "the picture is nearly blank";
    EXPECT_TRUE(near(image, 5, 5, sky));
    EXPECT_TRUE(near(image, 470, 315, floorColour));
    EXPECT_TRUE(near(image, 240, 160, marker));
}

TEST_F(ProgramTest, WithoutADisplayItDrawsOffScreenAndWritesQuillabyPng) {
    auto result = run("");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("no display"), std::string::npos) << result.out;
    auto image = picture("quillaby.png");
    EXPECT_EQ(image.width(), 480);
    EXPECT_EQ(image.height(), 320);
}

TEST_F(ProgramTest, AScriptedTapMovesTheSquareThere) {
    // The scene runs from the first frame on; a touch before it reaches nobody.
    write(
        "tap.txt", "# a tap on the right\n0 down 20 20\n0 up 20 20\n5 down 400 80\n7 up 400 80\n");
    auto result = run("--headless --frames 60 --screenshot tapped.png --script tap.txt");
    ASSERT_EQ(result.status, 0) << result.err;
    auto image = picture("tapped.png");
    ASSERT_EQ(image.width(), 480);
    EXPECT_TRUE(near(image, 400, 80, marker));
    EXPECT_FALSE(near(image, 240, 160, marker));

    // Dragging takes it along.
    write("drag.txt", "1 down 100 100\n10 move 150 120\n20 move 60 200\n30 up 60 200\n");
    result = run("--headless --frames 40 --screenshot dragged.png --script drag.txt");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(near(picture("dragged.png"), 60, 200, marker));
}

TEST_F(ProgramTest, TheTabletScreenAndTheScaleSetThePictureSize) {
    auto result = run("--headless --frames 2 --ipad --screenshot ipad.png");
    ASSERT_EQ(result.status, 0) << result.err;
    auto ipad = picture("ipad.png");
    EXPECT_EQ(ipad.width(), 1024);
    EXPECT_EQ(ipad.height(), 768);

    result = run("--headless --frames 2 --scale 2 --screenshot big.png");
    ASSERT_EQ(result.status, 0) << result.err;
    auto big = picture("big.png");
    ASSERT_EQ(big.width(), 960);
    ASSERT_EQ(big.height(), 640);
    // The scene fills the larger picture: sky at the top, the floor and the square in place.
    EXPECT_TRUE(near(big, 10, 10, sky));
    EXPECT_TRUE(near(big, 940, 630, floorColour));
    EXPECT_TRUE(near(big, 480, 320, marker));
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
    for (char const* option :
        {"--headless", "--frames", "--screenshot", "--script", "--ipad", "--scale"})
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
}

TEST_F(ProgramTest, AKeyShowsAnAlertOverTheSceneAndATapOnItsButtonClosesIt) {
    // The alert's box, left of its texts and button; the sky lies there without it.
    int const boxX = 104, boxY = 150;
    constexpr graphics::Rgba panel {25, 45, 110, 255};
    write("shown.txt", "10 key a\n");
    auto result = run("--headless --frames 60 --screenshot shown.png --script shown.txt");
    ASSERT_EQ(result.status, 0) << result.err;
    auto shown = picture("shown.png");
    ASSERT_EQ(shown.width(), 480);
    EXPECT_TRUE(near(shown, boxX, boxY, panel));
    EXPECT_TRUE(near(shown, 5, 5, sky)) << "the scene goes on around the alert";
    EXPECT_FALSE(near(shown, 240, 160, marker)) << "the alert covers the square";

    // The OK button sits in the middle of the box's lower part; the tap stays in the alert.
    write("closed.txt", "10 key a\n30 down 240 188\n31 up 240 188\n");
    result = run("--headless --frames 60 --screenshot closed.png --script closed.txt");
    ASSERT_EQ(result.status, 0) << result.err;
    auto closed = picture("closed.png");
    EXPECT_TRUE(near(closed, boxX, boxY, sky));
    EXPECT_TRUE(near(closed, 240, 160, marker)) << "the tap on OK did not reach the scene";
}
