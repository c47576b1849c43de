#pragma once

#include <base/Value.hpp>
#include <services/Accelerometer.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ads::adnoria {

// The device signal value that ad requests ("ms" parameter) and click pings carry:
// a record of tagged facts packed into a 240-byte block, digested, put through a
// fixed transform and, for clicks, a step keyed with the click's "ai" value, then
// sent as 342 web-safe base64 characters. Only facts that identify nobody go in:
// the device kind and system version, the client version, activity times, the last
// touch on the ad, the accelerometer, whether the network is reachable, and a
// digest of the per-installation identifier. Process-wide state; main thread.
class ADNSignals {
public:
    static constexpr std::uint32_t RequestMask = 0x2000;
    static constexpr std::uint32_t ClickMask = 0x3fff;
    static constexpr std::size_t BlockSize = 240;
    static constexpr std::size_t EncodedSize = 256;
    static constexpr char const* ClickHandlerSymbol
        = "-[ADNBannerWebViewDelegate webView:shouldStartLoadWithRequest:navigationType:]";

    // The facts read from the device. Missing texts leave their entries out; the
    // numbers default to the values that stand for "cannot be read".
    struct DeviceFacts {
        std::optional<std::string> systemName;
        std::optional<std::string> systemVersion;
        std::int64_t deviceValue {0};
        std::int64_t deviceRatio {-100};
        std::int64_t deviceState {-1};
        std::optional<std::string> deviceText;
    };
    using FactsProvider = std::function<DeviceFacts()>;

    // The builder: appends the encoded value (or "7" when encoding fails) to out and
    // answers how many mask groups it recorded; 0 (nothing written) for a zero mask
    // or no output.
    static int buildSignal(
        std::uint32_t mask, std::optional<std::string_view> key, std::string* out);
    // Appends "ms=<value>" (or "ms=5" when nothing was built) and answers 1; 0 without out.
    static int clickSignalText(std::optional<std::string_view> key, std::string* out);
    static int requestSignalText(std::string* out);

    // Called when an ad URL arrives; the first call starts the activity and
    // accelerometer watching and keeps the version.
    static void adLoadEntry(int requestType, std::string const& sdkVersion);
    // The last touch on the ad; ignored when any value is -1.
    static void touchEntry(int x, int y, int duration);

    // The record framed, digested, transformed and keyed; nothing when there is
    // nothing to encode. A record too large for the block is replaced by the
    // overflow record (tag 20 = 1).
    static std::optional<std::string> encodeRecord(
        base::Bytes const& record, std::optional<std::string_view> key);
    // The caller of the click handler found in call-stack text, or "INVALID".
    static std::string clickPathFromStackText(std::string_view stackText);

    // For tests: a fixed random sequence, fake device facts, and back to the start.
    static void setRandomSeed(std::uint32_t seed);
    static void setFactsProvider(FactsProvider provider);
    static void reset();

    // Read-outs of the state, for tests.
    struct Snapshot {
        int requestType;
        bool initialised;
        std::string sdkVersion;
        std::int32_t firstActivity;
        std::int32_t lastActivity;
        bool active;
        int touchX, touchY, touchDuration;
        int accelX, accelY, accelZ, accelTime;
    };
    static Snapshot snapshot();
    // The value of the network entry for reachability flags.
    static int networkValue(std::uint32_t flags);
};

// Hooks the shared accelerometer, keeping the latest sample for the signal value
// and passing every sample on to the delegate it displaced. Main thread.
class ADNGestureUtil final : public services::AccelerometerDelegate {
public:
    static ADNGestureUtil& shared();
    static void initGestures() { chainAccDelegatesIfNeeded(); }
    static void chainAccDelegatesIfNeeded();
    // The flags of the network at large into flags; unchanged when unreadable.
    static void reachability(std::uint32_t* flags);
    void accelerometerDidAccelerate(double x, double y, double z, double timestamp) override;

    services::AccelerometerDelegate* chainedAccelerometerDelegate {nullptr};
};

}
