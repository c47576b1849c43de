#pragma once

#include <base/Value.hpp>
#include <foundation/URLError.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace ui {
class View;
}

namespace game {

// Device questions, bundle and data-folder paths, file checks, network
// reachability with the standard connection alert, digests, date and number
// conversions, small view fades and store links, for the whole game. No state of
// its own; never instantiated. The reachability questions block while the system
// answers and may be asked on any thread; everything else belongs to the main
// thread.
class Utilities {
public:
    Utilities() = delete;

    // --- the device ---
    // True when the device settings say tablet.
    static bool isiPad();
    // The system version read as a number: 4.3 for "4.3.1".
    static float getOSVersion();
    static std::string getDeviceName();
    // An identifier made of 40 lower-case hexadecimal digits, drawn at random the
    // first time it is asked for and kept in the sandbox from then on: the same
    // for every run of one installation, and nothing read from the machine.
    static std::string getUDID();

    // --- files ---
    // The bundle path of a file name with extension (split at its last dot), or
    // none when the bundle lacks it.
    static std::optional<std::string> getPathForResource(std::string_view fileName);
    // The path of a file in the data folder "/var/mobile/Library/Marrowby", where
    // downloaded content lives: "<sandbox>/Library/Marrowby/<name>" (the folder is
    // made when missing). None, with a log line, for a name that is empty, absolute
    // or leads out of the folder ("../x", "a/../.."); inner folders are allowed.
    static std::optional<std::string> getPathForSavedData(std::string_view fileName);
    // True when a file or folder exists at the path; device paths ("/var/mobile/...")
    // are looked for in the sandbox.
    static bool isFileExist(std::string_view path);
    // Removes a file or folder when it exists; errors are ignored. Only paths in the
    // sandbox (or device paths that map there) are removed, never the sandbox itself.
    static void deleteFile(std::string_view path);

    // --- the network ---
    // True when the host of the address is reachable with no connection having to
    // be set up first; false for an address with no host.
    static bool reachable(std::string_view address);
    // The same for the network at large; false when the state cannot be read.
    static bool haveInternetConnection();
    // "Connection Error": "Please make sure your device is connected to the
    // Internet." with an "OK" button, through the shell's alert presenter.
    static void showInternetConnectionAlert();

    // --- conversions ---
    // MD5 of the UTF-8 bytes as 32 upper-case hexadecimal digits.
    static std::string getMD5(std::string_view text);
    // The date moved from the named zone's offset to the local zone's (an unknown
    // zone counts as GMT).
    static base::Date convertDateToLocalTimeZone(base::Date date, std::string_view timeZoneName);
    // Decimal with grouping: 1234567 gives "1,234,567".
    static std::string formatNumber(int number);
    // a + (b - a) x p, written so that a > b works the same way.
    static float inBetweenFromValue(float a, float b, float percentage);
    static void logCurrentTime();
    // Logs the error's description, reason and suggestion; a missing error logs
    // "Error log is null!".
    static void logError(foundation::URLError const* error);

    // --- view fades, one step per call from a frame loop ---
    static void fadeInUIView(ui::View& view, float speed);
    static void fadeOutUIView(ui::View& view, float speed);
    // Moves the opacity toward a triangle wave between 0 and 1 that the clock drives.
    static void flashUIView(ui::View& view, float speed);

    // --- store links (the host is ServerConfig::appStoreHost) ---
    static void launchAppStore(std::string_view applicationID);
    // The review page on phones; the store page on tablets.
    static void launchAppStoreReview(std::string_view applicationID);
    // True when the platform's installation list (Library/Caches in the sandbox)
    // names the bundle identifier among its system or user applications.
    static bool checkAppInstalled(std::string_view bundleIdentifier);
};

}
