#include <ads/adnoria/ADNSignals.hpp>

#include <ads/adnoria/ADNCallStackDescription.hpp>
#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNStringEncoding.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Digest.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/Strings.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>

#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace ads::adnoria {

namespace {

constexpr double SecondsFrom1970To2001 = 978307200.0;

struct SignalState {
    int requestType {-1};
    bool initialised {false};
    std::optional<std::string> sdkVersion;
    std::int32_t firstActivity {-1};
    std::int32_t lastActivity {-1};
    bool active {false};
    int touchX {0}, touchY {0}, touchDuration {0};
    int accelX {0}, accelY {0}, accelZ {0}, accelTime {0};
    std::minstd_rand random {1};
    bool seeded {false};
    ADNSignals::FactsProvider facts;
    std::vector<foundation::ObservationToken> observers;
};

SignalState& state() {
    static SignalState signalState;
    return signalState;
}

std::int32_t now() {
    return std::int32_t(
        std::floor(foundation::Clock::current().wallTime() + SecondsFrom1970To2001));
}

std::uint32_t nextRandom() {
    return std::uint32_t(state().random());
}

std::int64_t secondsSince(std::int32_t reference) {
    auto current = now();
    if (reference <= 0 || reference > current)
        return -1;
    return current - reference;
}

ADNSignals::DeviceFacts defaultFacts() {
    ADNSignals::DeviceFacts facts;
    auto& device = ui::Device::currentDevice();
    facts.systemName = device.isPad() ? "iPad" : "iPhone";
    facts.systemVersion = device.systemVersion();
    auto const& identifier = ADNConfiguration::current().installationIdentifier;
    if (!identifier.empty())
        facts.deviceText = identifier;
    return facts;
}

// Entries: the tag, a kind byte ('i' or 's'), then a zigzag varint for an
// integer, or a length byte and up to 255 bytes of text.
class SignalRecord {
public:
    SignalRecord() { bytes_.reserve(256); }

    void addInteger(std::uint8_t tag, std::int64_t value) {
        bytes_.push_back(tag);
        bytes_.push_back('i');
        auto zigzag = (std::uint64_t(value) << 1) ^ std::uint64_t(value >> 63);
        do {
            std::uint8_t byte = zigzag & 0x7f;
            zigzag >>= 7;
            bytes_.push_back(zigzag ? byte | 0x80 : byte);
        } while (zigzag);
    }

    void addText(std::uint8_t tag, std::string_view text) {
        if (text.size() > 255)
            text = text.substr(0, 255);
        bytes_.push_back(tag);
        bytes_.push_back('s');
        bytes_.push_back(std::uint8_t(text.size()));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
    }

    base::Bytes const& bytes() const { return bytes_; }

private:
    base::Bytes bytes_;
};

// A fixed permutation of the 256 positions with a fixed mask over the bytes.
std::array<std::uint8_t, 256> transform(std::array<std::uint8_t, 256> const& in) {
    std::array<std::uint8_t, 256> out {};
    for (unsigned i = 0; i < 256; ++i)
        out[(i * 167u + 89u) & 0xff] = std::uint8_t(in[i] ^ ((i * 73u + 41u) & 0xff));
    return out;
}

// XOR with a key stream of SHA-256 blocks over the key and a counter.
void keyedStep(std::array<std::uint8_t, 256>& bytes, std::string_view key) {
    for (unsigned block = 0; block < 8; ++block) {
        std::string message(key);
        message.push_back(char(block));
        message.push_back(2);
        auto stream = foundation::Digest::sha256(message);
        for (unsigned i = 0; i < 32; ++i)
            bytes[block * 32 + i] ^= stream[i];
    }
}

}

void ADNSignals::setRandomSeed(std::uint32_t seed) {
    state().random.seed(seed ? seed : 1);
    state().seeded = true;
}

void ADNSignals::setFactsProvider(FactsProvider provider) {
    state().facts = std::move(provider);
}

void ADNSignals::reset() {
    auto& gestures = ADNGestureUtil::shared();
    if (services::Accelerometer::sharedAccelerometer().delegate() == &gestures)
        services::Accelerometer::sharedAccelerometer().setDelegate(
            gestures.chainedAccelerometerDelegate);
    gestures.chainedAccelerometerDelegate = nullptr;
    state() = SignalState {};
}

ADNSignals::Snapshot ADNSignals::snapshot() {
    auto const& s = state();
    return Snapshot {s.requestType, s.initialised, s.sdkVersion.value_or(""), s.firstActivity,
        s.lastActivity, s.active, s.touchX, s.touchY, s.touchDuration, s.accelX, s.accelY, s.accelZ,
        s.accelTime};
}

int ADNSignals::networkValue(std::uint32_t flags) {
    if (!(flags & foundation::ReachabilityFlags::Reachable))
        return -1;
    return flags & foundation::ReachabilityFlags::IsWWAN ? 0 : 1;
}

void ADNSignals::adLoadEntry(int requestType, std::string const& sdkVersion) {
    auto& s = state();
    s.requestType = requestType;
    if (s.initialised)
        return;
    if (!s.seeded)
        setRandomSeed(std::uint32_t(now()));
    s.lastActivity = now();
    s.active = true;
    if (s.firstActivity == -1)
        s.firstActivity = s.lastActivity;
    auto& center = foundation::NotificationCenter::defaultCenter();
    auto activate = [](foundation::Notification const&) {
        state().lastActivity = now();
        state().active = true;
    };
    s.observers.push_back(center.observe(ui::Application::DidBecomeActiveNotification, activate));
    s.observers.push_back(
        center.observe(ui::Application::DidReceiveMemoryWarningNotification, activate));
    s.observers.push_back(center.observe(
        ui::Application::WillResignActiveNotification, [](foundation::Notification const&) {
            state().lastActivity = -1;
            state().active = false;
        }));
    ADNGestureUtil::initGestures();
    s.initialised = true;
    s.sdkVersion = sdkVersion;
}

void ADNSignals::touchEntry(int x, int y, int duration) {
    if (x == -1 || y == -1 || duration == -1)
        return;
    state().touchX = x;
    state().touchY = y;
    state().touchDuration = duration;
}

int ADNSignals::buildSignal(
    std::uint32_t mask, std::optional<std::string_view> key, std::string* out) {
    if (mask == 0 || !out)
        return 0;
    if (!state().initialised)
        adLoadEntry(-1, "missing");
    auto& s = state();
    auto facts = s.facts ? s.facts() : defaultFacts();
    SignalRecord record;
    int groups = 0;
    auto group = [&](std::uint32_t bit) {
        if (!(mask & bit))
            return false;
        ++groups;
        return true;
    };

    if (facts.systemName && facts.systemVersion)
        record.addText(1, *facts.systemName + " " + *facts.systemVersion);
    if (s.sdkVersion)
        record.addText(2, *s.sdkVersion);
    record.addInteger(21, s.requestType);
    record.addInteger(25, now());
    if (group(0x1))
        record.addInteger(3, std::int64_t((nextRandom() % 4 + 1) | (s.active ? 0x10 : 0)));
    if (group(0x2)) {
        record.addInteger(5, facts.deviceValue);
        record.addInteger(6, facts.deviceRatio);
    }
    if (group(0x4))
        record.addInteger(4, secondsSince(s.lastActivity));
    if (group(0x80))
        record.addInteger(17, secondsSince(s.firstActivity));
    if (group(0x1000))
        record.addInteger(23, s.firstActivity);
    if (group(0x8)) {
        std::uint32_t flags = 0;
        ADNGestureUtil::reachability(&flags);
        record.addInteger(11, networkValue(flags));
    }
    if (group(0x10))
        record.addInteger(12, facts.deviceState);
    if (group(0x400)) {
        ADNGestureUtil::chainAccDelegatesIfNeeded();
        record.addInteger(7, s.accelX);
        record.addInteger(8, s.accelY);
        record.addInteger(9, s.accelZ);
        record.addInteger(10, s.accelTime);
    }
    if (mask & 0x20) {
        auto stack = ADNCallStackDescription();
        if (!stack.empty()) {
            ++groups;
            record.addText(13, clickPathFromStackText(stack));
        }
    }
    if (group(0x40)) {
        record.addInteger(14, s.touchX);
        record.addInteger(15, s.touchY);
        record.addInteger(16, s.touchDuration);
    }
    // Only the ad's own views could be measured, and no ad view is shown here.
    if (group(0x100))
        record.addInteger(18, -1);
    if (group(0x2000) && facts.deviceText) {
        auto encoding = ADNStringEncoding::rfc4648Base64WebsafeStringEncoding();
        encoding->setDoPad(false);
        record.addText(24, encoding->encode(foundation::Digest::md5(*facts.deviceText)));
    }

    if (auto encoded = encodeRecord(record.bytes(), key))
        *out += *encoded;
    else
        *out += "7";
    return groups;
}

std::optional<std::string> ADNSignals::encodeRecord(
    base::Bytes const& record, std::optional<std::string_view> key) {
    if (record.empty())
        return std::nullopt;
    if (record.size() + 1 > BlockSize) {
        SignalRecord overflow;
        overflow.addInteger(20, 1);
        return encodeRecord(overflow.bytes(), key);
    }
    std::array<std::uint8_t, BlockSize> block {};
    block[0] = std::uint8_t(record.size());
    std::copy(record.begin(), record.end(), block.begin() + 1);
    for (std::size_t i = record.size() + 1; i < BlockSize; ++i)
        block[i] = std::uint8_t(nextRandom() & 0xff);
    auto digest = foundation::Digest::md5(foundation::ByteView(block.data(), block.size()));
    if (digest.size() != 16)
        return std::nullopt;
    std::array<std::uint8_t, EncodedSize> whole {};
    std::copy(digest.begin(), digest.end(), whole.begin());
    std::copy(block.begin(), block.end(), whole.begin() + 16);
    auto transformed = transform(whole);
    if (key && !key->empty())
        keyedStep(transformed, key->substr(0, 32));
    auto encoding = ADNStringEncoding::rfc4648Base64WebsafeStringEncoding();
    encoding->setDoPad(false);
    return encoding->encode(foundation::ByteView(transformed.data(), transformed.size()));
}

int ADNSignals::clickSignalText(std::optional<std::string_view> key, std::string* out) {
    if (!out)
        return 0;
    std::string value;
    if (buildSignal(ClickMask, key, &value) != 0)
        *out += "ms=" + value;
    else
        *out += "ms=5";
    return 1;
}

int ADNSignals::requestSignalText(std::string* out) {
    if (!out)
        return 0;
    std::string value;
    if (buildSignal(RequestMask, std::nullopt, &value) != 0)
        *out += "ms=" + value;
    else
        *out += "ms=5";
    return 1;
}

std::string ADNSignals::clickPathFromStackText(std::string_view stackText) {
    bool afterHandler = false;
    for (auto const& line : foundation::componentsSeparatedBy(stackText, "\n")) {
        auto pieces = foundation::componentsSeparatedBy(line, " ");
        if (pieces.size() <= 3)
            continue;
        std::vector<std::string> words;
        for (auto& piece : pieces) {
            if (!piece.empty())
                words.push_back(std::move(piece));
        }
        if (words.size() < 4)
            continue;
        auto const& symbol = words[3];
        if (foundation::hasPrefix(symbol, "-[") || foundation::hasPrefix(symbol, "+[")) {
            if (afterHandler)
                return symbol.substr(2);
            std::string joined = symbol;
            if (!foundation::hasSuffix(symbol, "]")) {
                for (std::size_t i = 4; i < words.size(); ++i) {
                    joined += " " + words[i];
                    if (foundation::hasSuffix(words[i], "]"))
                        break;
                }
            }
            afterHandler = joined == ClickHandlerSymbol;
        } else if (afterHandler && foundation::hasSuffix(symbol, "()")) {
            return symbol;
        }
    }
    return "INVALID";
}

ADNGestureUtil& ADNGestureUtil::shared() {
    static ADNGestureUtil gestures;
    return gestures;
}

void ADNGestureUtil::chainAccDelegatesIfNeeded() {
    auto& accelerometer = services::Accelerometer::sharedAccelerometer();
    auto& gestures = shared();
    if (accelerometer.delegate() != &gestures) {
        gestures.chainedAccelerometerDelegate = accelerometer.delegate();
        accelerometer.setDelegate(&gestures);
    }
}

void ADNGestureUtil::accelerometerDidAccelerate(double x, double y, double z, double timestamp) {
    auto clamp = [](double value) {
        if (!(std::fabs(value) < 2e9))
            return 0;
        return int(value);
    };
    auto& s = state();
    s.accelX = clamp(x * 100);
    s.accelY = clamp(y * 100);
    s.accelZ = clamp(z * 100);
    s.accelTime = clamp(timestamp);
    if (chainedAccelerometerDelegate)
        chainedAccelerometerDelegate->accelerometerDidAccelerate(x, y, z, timestamp);
}

void ADNGestureUtil::reachability(std::uint32_t* flags) {
    if (!flags)
        return;
    auto reachability = foundation::Reachability::reachabilityForInternetConnection();
    if (!reachability)
        return;
    if (auto read = reachability->flags())
        *flags = *read;
}

}
