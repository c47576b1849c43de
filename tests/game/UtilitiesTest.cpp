#include "ShellFixture.hpp"

#include <foundation/Clock.hpp>
#include <foundation/Dates.hpp>
#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Random.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/TimeZone.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/Utilities.hpp>
#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using game::Utilities;
namespace Flags = foundation::ReachabilityFlags;

namespace {

class UtilitiesTest : public test::ShellFixture {
protected:
    ~UtilitiesTest() override {
        foundation::Reachability::clearForcedStatus();
        ui::Application::reset();
        unsetenv("QUILLABY_APP_STORE_HOST");
    }
};

}

// --- the device ---

TEST_F(UtilitiesTest, DeviceKindComesFromTheSettings) {
    EXPECT_FALSE(Utilities::isiPad());
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    EXPECT_TRUE(Utilities::isiPad());
}

TEST_F(UtilitiesTest, SystemVersionReadsAsANumber) {
    struct Case {
        char const* version;
        float expected;
    };
    std::vector<Case> const cases = {{"4.3.1", 4.3f}, {"5", 5.0f}, {"10.2", 10.2f}, {"", 0.0f}};
    for (auto const& c : cases) {
        ui::Device::currentDevice().setSystemVersion(c.version);
        EXPECT_FLOAT_EQ(Utilities::getOSVersion(), c.expected) << c.version;
    }
    ui::Device::currentDevice().setName("Test Device");
    EXPECT_EQ(Utilities::getDeviceName(), "Test Device");
}

// --- the network ---

TEST_F(UtilitiesTest, InternetConnectionNeedsReachableWithoutConnecting) {
    struct Case {
        char const* name;
        std::optional<std::uint32_t> flags;
        bool expected;
    };
    std::vector<Case> const cases = {
        {"reachable", Flags::Reachable, true},
        {"reachable and direct", Flags::Reachable | Flags::IsDirect, true},
        {"reachable on the mobile network", Flags::Reachable | Flags::IsWWAN, true},
        {"only after dialling", Flags::Reachable | Flags::ConnectionRequired, false},
        {"dialling without a route", Flags::ConnectionRequired, false},
        {"not reachable", 0u, false},
        {"flags unreadable", std::nullopt, false},
    };
    for (auto const& c : cases) {
        foundation::Reachability::setForcedFlags(c.flags);
        EXPECT_EQ(Utilities::haveInternetConnection(), c.expected) << c.name;
    }
}

TEST_F(UtilitiesTest, AddressesAreReachableByTheirHost) {
    foundation::Reachability::setForcedFlags(Flags::Reachable);
    EXPECT_TRUE(Utilities::reachable("http://example.com/some path"));
    EXPECT_FALSE(Utilities::reachable("no host here"));
    EXPECT_FALSE(Utilities::reachable(""));
    EXPECT_FALSE(Utilities::reachable("http://caf\xc3\xa9.example/"));
    foundation::Reachability::setForcedFlags(Flags::Reachable | Flags::ConnectionRequired);
    EXPECT_FALSE(Utilities::reachable("http://example.com/"));
}

TEST_F(UtilitiesTest, ConnectionAlertGoesToThePresenter) {
    Utilities::showInternetConnectionAlert();
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].title, "Connection Error");
    EXPECT_EQ(
        alerts.alerts[0].message, "Please make sure your device is connected to the Internet.");
    EXPECT_EQ(alerts.alerts[0].button, "OK");
}

TEST_F(UtilitiesTest, ConnectionAlertIsLoggedUntilAlertsExist) {
    game::AlertPresenter::setShared(nullptr);
    test::LogCapture log;
    Utilities::showInternetConnectionAlert();
    EXPECT_TRUE(log.contains("Connection Error"));
    EXPECT_TRUE(log.contains("Please make sure your device is connected to the Internet."));
}

// --- conversions ---

TEST_F(UtilitiesTest, MD5IsUpperCaseHexadecimal) {
    EXPECT_EQ(Utilities::getMD5(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(Utilities::getMD5("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(Utilities::getMD5("The quick brown fox jumps over the lazy dog"),
        "9E107D9D372BB6826BD81D3542A419D6");
    EXPECT_EQ(Utilities::getMD5("caf\xc3\xa9"), "07117FE4A1EBD544965DC19573183DA2");
}

TEST_F(UtilitiesTest, InBetweenWorksInBothDirections) {
    struct Case {
        float a, b, p, expected;
    };
    std::vector<Case> const cases = {
        {10, 20, 0.5f, 15},
        {20, 10, 0.5f, 15},
        {10, 20, 0, 10},
        {10, 20, 1, 20},
        {20, 10, 0.25f, 17.5f},
        {5, 5, 0.7f, 5},
        {-10, 10, 0.5f, 0},
    };
    for (auto const& c : cases)
        EXPECT_FLOAT_EQ(Utilities::inBetweenFromValue(c.a, c.b, c.p), c.expected)
            << c.a << " " << c.b << " " << c.p;
}

TEST_F(UtilitiesTest, NumbersAreGroupedByThousands) {
    struct Case {
        int number;
        char const* text;
    };
    std::vector<Case> const cases = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {99999, "99,999"},
        {1234567, "1,234,567"},
        {-1234, "-1,234"},
        {INT_MAX, "2,147,483,647"},
        {INT_MIN, "-2,147,483,648"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(Utilities::formatNumber(c.number), c.text);
}

TEST_F(UtilitiesTest, DatesMoveFromTheNamedZoneToTheLocalOne) {
    base::Date const date {800000000};
    int const local = foundation::TimeZone::local().secondsFromGMT(date);
    EXPECT_EQ(Utilities::convertDateToLocalTimeZone(date, "GMT+8").seconds,
        date.seconds - 8 * 3600 + local);
    EXPECT_EQ(Utilities::convertDateToLocalTimeZone(date, "GMT").seconds, date.seconds + local);
    EXPECT_EQ(
        Utilities::convertDateToLocalTimeZone(date, "Nowhere/Zone").seconds, date.seconds + local);
}

TEST_F(UtilitiesTest, ErrorsAreLoggedWithTheirParts) {
    test::LogCapture log;
    Utilities::logError(nullptr);
    auto error = foundation::URLError::withDomain("QBYKIT", 500, "Server error");
    error.failureReason = "The server broke";
    Utilities::logError(&error);
    EXPECT_EQ(log.lines(),
        (std::vector<std::string> {
            "Error log is null!", "Server error\nThe server broke\n(null)"}));
}

TEST_F(UtilitiesTest, CurrentTimeIsLoggedFromTheClock) {
    foundation::ScopedManualClock clock;
    test::LogCapture log;
    Utilities::logCurrentTime();
    EXPECT_EQ(log.lines(), std::vector<std::string> {foundation::format("%@", foundation::now())});
}

// --- view fades ---

TEST_F(UtilitiesTest, FadesStepTheOpacity) {
    auto view = ui::View::create();
    view->setAlpha(0.5f);
    Utilities::fadeInUIView(*view, 2);
    EXPECT_FLOAT_EQ(view->alpha(), 0.7f);
    Utilities::fadeOutUIView(*view, 1);
    EXPECT_FLOAT_EQ(view->alpha(), 0.6f);
    for (int i = 0; i < 20; ++i)
        Utilities::fadeInUIView(*view, 1);
    EXPECT_FLOAT_EQ(view->alpha(), 1.0f);
    for (int i = 0; i < 20; ++i)
        Utilities::fadeOutUIView(*view, 1);
    EXPECT_FLOAT_EQ(view->alpha(), 0.0f);
}

TEST_F(UtilitiesTest, FlashFollowsATriangleWaveOfTheClock) {
    foundation::ScopedManualClock clock;
    auto view = ui::View::create();

    // 1000.25 s at speed 1: 250 of every 2000 ticks, a target of 0.25.
    clock->setWallTime(1000.25);
    Utilities::flashUIView(*view, 1);
    EXPECT_NEAR(view->alpha(), 0.9f, 1e-5);
    for (int i = 0; i < 10; ++i)
        Utilities::flashUIView(*view, 1);
    EXPECT_NEAR(view->alpha(), 0.25f, 1e-5);

    // 1001.5 s: 1500 ticks, past the peak, so the target is 2 - 1.5.
    clock->setWallTime(1001.5);
    for (int i = 0; i < 10; ++i)
        Utilities::flashUIView(*view, 1);
    EXPECT_NEAR(view->alpha(), 0.5f, 1e-5);
}

// --- store links ---

TEST_F(UtilitiesTest, StoreLinksUseTheConfiguredHost) {
    setenv("QUILLABY_APP_STORE_HOST", "store.test", 1);
    Utilities::launchAppStore("728105396");
    Utilities::launchAppStoreReview("728105396");
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    Utilities::launchAppStoreReview("728105396");
    EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs(),
        (std::vector<std::string> {
            "https://store.test/WebObjects/MZStore.woa/wa/viewSoftware?id=728105396&mt=8",
            "itms-apps://store.test/WebObjects/MZStore.woa/wa/"
            "viewContentsUserReviews?type=Purple+Software&id=728105396",
            "https://store.test/WebObjects/MZStore.woa/wa/viewSoftware?id=728105396&mt=8",
        }));
}

TEST_F(UtilitiesTest, StoreLinksOpenNothingWithoutAConfiguredHost) {
    unsetenv("QUILLABY_APP_STORE_HOST");
    test::LogCapture log;
    Utilities::launchAppStore("728105396");
    Utilities::launchAppStoreReview("728105396");
    EXPECT_TRUE(ui::Application::sharedApplication().openedExternalURLs().empty());
    EXPECT_TRUE(log.contains("No application store host is configured"));
}

// --- the installation identifier ---

TEST_F(UtilitiesTest, IdentifierIsMadeOnceAndKeptInTheSandbox) {
    auto const first = Utilities::getUDID();
    EXPECT_EQ(first.size(), 40u);
    EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(Utilities::getUDID(), first);

    // Another run of the same installation reads the same identifier.
    foundation::UserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(Utilities::getUDID(), first);
    EXPECT_TRUE(std::filesystem::exists(sandboxPath("Library/DeviceIdentifier")));
}

TEST_F(UtilitiesTest, IdentifiersDifferBetweenInstallationsEvenWithTheSharedGeneratorSeeded) {
    foundation::seedArc4random(7);
    auto const first = Utilities::getUDID();
    test::TempDir other;
    foundation::Sandbox::setRoot(other.path().string());
    foundation::seedArc4random(7);
    auto const second = Utilities::getUDID();
    foundation::Sandbox::setRoot(sandbox.path().string());
    EXPECT_NE(first, second);
}

TEST_F(UtilitiesTest, AnIdentifierWriteKilledMidwayLeavesNothingBehind) {
    auto folder = sandboxPath("Library");
    auto file = sandboxPath("Library/DeviceIdentifier");
    std::mt19937 random(1210);
    std::uniform_int_distribution<int> delay(0, 20);
    for (int round = 0; round < 10; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(60);
            // Makes the identifier again and again, as a first launch does once.
            for (;;) {
                std::filesystem::remove(file);
                Utilities::getUDID();
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);
        auto identifier = Utilities::getUDID();
        EXPECT_EQ(identifier.size(), 40u) << "round " << round;
        std::vector<std::string> names;
        for (auto const& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string> {"DeviceIdentifier"}) << "round " << round;
    }
}

TEST_F(UtilitiesTest, DamagedIdentifierFileIsReplaced) {
    std::filesystem::create_directories(sandboxPath("Library"));
    std::ofstream(sandboxPath("Library/DeviceIdentifier")) << "not an identifier";
    test::LogCapture log;
    auto const identifier = Utilities::getUDID();
    EXPECT_EQ(identifier.size(), 40u);
    EXPECT_EQ(Utilities::getUDID(), identifier);
    EXPECT_TRUE(log.contains("identifier"));
}

// --- files ---

TEST_F(UtilitiesTest, DataFolderPathsStayInTheSandboxFolder) {
    auto const folder = sandboxPath("Library/Marrowby");
    EXPECT_EQ(Utilities::getPathForSavedData("unpacked.plist"), folder + "/unpacked.plist");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(Utilities::getPathForSavedData("pack1/pic.png"), folder + "/pack1/pic.png");
    EXPECT_EQ(Utilities::getPathForSavedData("pack1/../pic.png"), folder + "/pic.png");

    test::LogCapture log;
    for (char const* name : {"", "..", "../escape.plist", "a/../..", "/etc/passwd", ".", "a/.."})
        EXPECT_EQ(Utilities::getPathForSavedData(name), std::nullopt) << name;
    EXPECT_TRUE(log.contains("leads out of the data folder"));
}

TEST_F(UtilitiesTest, FilesAreFoundByMachineAndDevicePaths) {
    auto const path = *Utilities::getPathForSavedData("thumb.png");
    EXPECT_FALSE(Utilities::isFileExist(path));
    EXPECT_FALSE(Utilities::isFileExist("/var/mobile/Library/Marrowby/thumb.png"));
    std::ofstream(path) << "png";
    EXPECT_TRUE(Utilities::isFileExist(path));
    EXPECT_TRUE(Utilities::isFileExist("/var/mobile/Library/Marrowby/thumb.png"));
    EXPECT_TRUE(Utilities::isFileExist(sandboxPath("Library/Marrowby")));
    EXPECT_FALSE(Utilities::isFileExist(""));
}

TEST_F(UtilitiesTest, DeletingRemovesOnlyWhatIsInTheSandbox) {
    auto const file = *Utilities::getPathForSavedData("old.zip");
    auto const folder = *Utilities::getPathForSavedData("pack2");
    std::ofstream(file) << "zip";
    std::filesystem::create_directories(folder + "/inner");
    Utilities::deleteFile(file);
    Utilities::deleteFile("/var/mobile/Library/Marrowby/pack2");
    Utilities::deleteFile(file);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(folder));

    test::TempDir outside;
    auto const foreign = (outside / "keep.txt").string();
    std::ofstream(foreign) << "keep";
    Utilities::deleteFile(foreign);
    Utilities::deleteFile(sandbox.path().string());
    Utilities::deleteFile("/var/mobile/../../" + foreign);
    EXPECT_TRUE(std::filesystem::exists(foreign));
    EXPECT_TRUE(std::filesystem::exists(sandboxPath("Library/Marrowby")));
}

TEST_F(UtilitiesTest, ResourcesAreFoundInTheBundleByNameAndExtension) {
    std::filesystem::create_directories(sandboxPath("bundle"));
    std::ofstream(sandboxPath("bundle/bg01.png")) << "png";
    std::ofstream(sandboxPath("bundle/archive.tar.gz")) << "gz";
    std::ofstream(sandboxPath("bundle/README")) << "text";
    EXPECT_EQ(Utilities::getPathForResource("bg01.png"), sandboxPath("bundle/bg01.png"));
    EXPECT_EQ(
        Utilities::getPathForResource("archive.tar.gz"), sandboxPath("bundle/archive.tar.gz"));
    EXPECT_EQ(Utilities::getPathForResource("README"), sandboxPath("bundle/README"));
    EXPECT_EQ(Utilities::getPathForResource("bg02.png"), std::nullopt);
    EXPECT_EQ(Utilities::getPathForResource("../bundle/bg01.png"), std::nullopt);
}

TEST_F(UtilitiesTest, InstalledApplicationsComeFromTheCachedInstallationList) {
    EXPECT_FALSE(Utilities::checkAppInstalled("com.example.zorel"));
    auto list = base::Dictionary::create(
        {{"System",
             base::Dictionary::create({{"com.apple.mobilesafari", base::Dictionary::create()}})},
            {"User",
                base::Dictionary::create({{"com.example.zorel", base::Dictionary::create()}})}});
    ASSERT_TRUE(foundation::PropertyList::writeToFile(
        list, foundation::Sandbox::cachesPath() + "/com.apple.mobile.installation.plist"));
    EXPECT_TRUE(Utilities::checkAppInstalled("com.example.zorel"));
    EXPECT_TRUE(Utilities::checkAppInstalled("com.apple.mobilesafari"));
    EXPECT_FALSE(Utilities::checkAppInstalled("com.example.other"));
    EXPECT_FALSE(Utilities::checkAppInstalled("User"));
}

TEST_F(UtilitiesTest, UnreadableInstallationListMeansNotInstalled) {
    std::ofstream(foundation::Sandbox::cachesPath() + "/com.apple.mobile.installation.plist")
        << "garbage";
    test::LogCapture log;
    EXPECT_FALSE(Utilities::checkAppInstalled("com.example.zorel"));
}
