#include <ui/ApplicationRunner.hpp>

#include <gtest/gtest.h>

using ui::ApplicationRunner;

namespace {

std::optional<ApplicationRunner::Options> parse(
    std::vector<std::string> arguments, std::string* error = nullptr) {
    std::string message;
    auto options = ApplicationRunner::parseArguments(arguments, message);
    if (error)
        *error = message;
    return options;
}

}

TEST(ApplicationRunnerArguments, NoArgumentsLeaveEveryChoiceToTheRun) {
    auto options = parse({});
    ASSERT_TRUE(options);
    EXPECT_FALSE(options->headless);
    EXPECT_FALSE(options->frames);
    EXPECT_FALSE(options->screenshot);
    EXPECT_FALSE(options->script);
    EXPECT_FALSE(options->ipad);
    EXPECT_EQ(options->scale, 1);
    EXPECT_EQ(options->screenSize(), graphics::makeSize(480, 320));
}

TEST(ApplicationRunnerArguments, ReadsEveryOptionInBothForms) {
    for (auto arguments : {std::vector<std::string> {"--headless", "--frames", "12", "--screenshot",
                               "a.png", "--script", "s.txt", "--ipad", "--scale", "1.5"},
             std::vector<std::string> {"--headless", "--frames=12", "--screenshot=a.png",
                 "--script=s.txt", "--ipad", "--scale=1.5"}}) {
        std::string error;
        auto options = parse(arguments, &error);
        ASSERT_TRUE(options) << error;
        EXPECT_TRUE(options->headless);
        EXPECT_EQ(options->frames, 12u);
        EXPECT_EQ(options->screenshot, "a.png");
        EXPECT_EQ(options->script, "s.txt");
        EXPECT_TRUE(options->ipad);
        EXPECT_EQ(options->scale, 1.5f);
        EXPECT_EQ(options->screenSize(), graphics::makeSize(1024, 768));
    }
    EXPECT_TRUE(parse({"--help"})->help);
    EXPECT_TRUE(parse({"-h"})->help);
}

TEST(ApplicationRunnerArguments, RefusesBadOptionsAndValuesWithAReason) {
    struct Case {
        std::vector<std::string> arguments;
        std::string reason;
    };
    Case const cases[] = {
        {{"--frames"}, "--frames needs a value"},
        {{"--frames", "0"}, "--frames needs a whole number above 0, not \"0\""},
        {{"--frames", "-3"}, "--frames needs a whole number above 0"},
        {{"--frames", "10x"}, "--frames needs a whole number above 0"},
        {{"--frames=99999999999999999999999"}, "--frames needs a whole number above 0"},
        {{"--scale", "0"}, "--scale needs a number above 0 and at most 8"},
        {{"--scale", "9"}, "--scale needs a number above 0 and at most 8"},
        {{"--scale", "nan"}, "--scale needs a number above 0 and at most 8"},
        {{"--screenshot="}, "--screenshot needs a file name"},
        {{"--headless=yes"}, "--headless takes no value"},
        {{"--fullscreen"}, "unknown option \"--fullscreen\""},
        {{"extra"}, "unknown option \"extra\""},
    };
    for (auto const& c : cases) {
        std::string error;
        EXPECT_FALSE(parse(c.arguments, &error)) << c.reason;
        EXPECT_EQ(error.rfind(c.reason, 0), 0u) << error;
    }
}

TEST(ApplicationRunnerArguments, UsageNamesEveryOption) {
    auto usage = ApplicationRunner::usage("quillaby");
    EXPECT_EQ(usage.rfind("Usage: quillaby", 0), 0u);
    for (char const* option : {"--headless", "--frames N", "--screenshot FILE", "--script FILE",
             "--ipad", "--scale N", "--help"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(ApplicationRunnerArguments, UsageShowsTheProgramsOwnOptionsBeforeHelp) {
    ApplicationRunner::setProgramOptionsUsage("  --own               the program's own\n");
    auto usage = ApplicationRunner::usage("quillaby");
    ApplicationRunner::setProgramOptionsUsage("");
    auto own = usage.find("  --own               the program's own\n");
    ASSERT_NE(own, std::string::npos) << usage;
    EXPECT_LT(usage.find("--scale N"), own);
    EXPECT_GT(usage.find("--help"), own);
    EXPECT_EQ(ApplicationRunner::usage("quillaby").find("--own"), std::string::npos);
}
