#include <support/TempDir.hpp>
#include <ui/TouchScript.hpp>

#include <gtest/gtest.h>

#include <fstream>

using Phase = graphics::PointerEvent::Phase;
using Step = ui::TouchScript::Step;

TEST(TouchScript, ReadsStepsSkippingBlankLinesAndCommentsAndOrdersThemByFrame) {
    std::string error;
    auto script = ui::TouchScript::parse("# a drag\n"
                                         "\n"
                                         "12 move 30.5 40\r\n"
                                         "  10\tdown 1 2  \n"
                                         "12 up 30.5 40\n"
                                         "0 down 0 -3",
        error);
    ASSERT_TRUE(script) << error;
    EXPECT_EQ(script->steps(),
        (std::vector<Step> {{0, Phase::Began, 0, -3}, {10, Phase::Began, 1, 2},
            {12, Phase::Moved, 30.5f, 40}, {12, Phase::Ended, 30.5f, 40}}));
}

TEST(TouchScript, ReadsKeyPressesAmongTouchesAsTheKeyThatTypesTheCharacter) {
    std::string error;
    auto script = ui::TouchScript::parse("10 key a\n5 down 1 2\n10 key A\n12 key 7\n", error);
    ASSERT_TRUE(script) << error;
    using Kind = Step::Kind;
    EXPECT_EQ(script->steps(),
        (std::vector<Step> {{5, Phase::Began, 1, 2}, {10, Phase::Began, 0, 0, Kind::Key, 'a'},
            {10, Phase::Began, 0, 0, Kind::Key, 'a'}, {12, Phase::Began, 0, 0, Kind::Key, '7'}}));
}

TEST(TouchScript, ReadsAddressesToOpenAsOneWordEach) {
    std::string error;
    auto script = ui::TouchScript::parse("20 open quillaby://rvcoffer\n5 down 1 2\n", error);
    ASSERT_TRUE(script) << error;
    Step open {20, Phase::Began, 0, 0, Step::Kind::OpenURL};
    open.url = "quillaby://rvcoffer";
    EXPECT_EQ(script->steps(), (std::vector<Step> {{5, Phase::Began, 1, 2}, open}));
}

TEST(TouchScript, RefusesAnythingThatIsNotAStepNamingTheLine) {
    for (std::string line : {"1 down 2", "1 down 2 3 4", "x down 2 3", "-1 down 2 3", "1 tap 2 3",
             "1 down two 3", "1 down 2 nan", "1 down 2 inf", "1.5 up 2 3", "1 DOWN 2 3", "1 key",
             "1 key ab", "1 key a b", "x key a", "1 KEY a", "1 key \x7f", "1 key \xc3\xa9",
             "1 open", "1 open a b", "x open a", "1 OPEN a"}) {
        std::string error;
        auto script = ui::TouchScript::parse("0 down 1 1\n" + line + "\n", error);
        EXPECT_FALSE(script) << line;
        EXPECT_EQ(error.rfind("line 2: expected", 0), 0u) << error;
        EXPECT_NE(error.find(line), std::string::npos) << error;
    }
}

TEST(TouchScript, HandsOutEachStepOnceWhenItsFrameHasBeenDrawn) {
    std::string error;
    auto script = ui::TouchScript::parse("0 down 1 1\n2 move 2 2\n2 move 3 3\n5 up 3 3\n", error);
    ASSERT_TRUE(script);
    EXPECT_EQ(script->takeDue(0).size(), 1u);
    EXPECT_TRUE(script->takeDue(1).empty());
    EXPECT_EQ(script->takeDue(3).size(), 2u);
    EXPECT_TRUE(script->takeDue(3).empty());
    EXPECT_FALSE(script->finished());
    // A late look hands out everything due, in order.
    auto rest = script->takeDue(100);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].phase, Phase::Ended);
    EXPECT_TRUE(script->finished());
}

TEST(TouchScript, ReadsAFileAndNamesItInErrors) {
    test::TempDir folder;
    std::ofstream(folder / "good.txt") << "3 down 4 5\n";
    std::ofstream(folder / "bad.txt") << "3 down 4 5\nnonsense\n";
    std::string error;
    auto good = ui::TouchScript::read(folder / "good.txt", error);
    ASSERT_TRUE(good) << error;
    EXPECT_EQ(good->steps().size(), 1u);

    EXPECT_FALSE(ui::TouchScript::read(folder / "bad.txt", error));
    EXPECT_EQ(error.rfind((folder / "bad.txt").string() + ": line 2: ", 0), 0u) << error;
    EXPECT_FALSE(ui::TouchScript::read(folder / "missing.txt", error));
    EXPECT_NE(error.find("cannot be read"), std::string::npos) << error;
    EXPECT_FALSE(ui::TouchScript::read(folder.path(), error));
}
