#include <media/AudioOutput.hpp>

#include <base/Log.hpp>

#include <AL/alext.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace media {

namespace {

enum class Kind { System, Loopback, Silent };

// Renders a silent fallback device in real time, into nothing.
class Pump {
public:
    explicit Pump(ALCdevice* device, LPALCRENDERSAMPLESSOFT render)
        : thread_([this, device, render] { run(device, render); }) { }

    ~Pump() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

private:
    void run(ALCdevice* device, LPALCRENDERSAMPLESSOFT render) {
        constexpr auto period = std::chrono::milliseconds(10);
        std::vector<float> scratch(std::size_t(AudioOutput::loopbackSampleRate / 100) * 2);
        auto next = std::chrono::steady_clock::now();
        std::unique_lock lock(mutex_);
        while (!quit_) {
            lock.unlock();
            render(device, scratch.data(), ALCsizei(scratch.size() / 2));
            lock.lock();
            next += period;
            wake_.wait_until(lock, next, [this] { return quit_; });
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ {false};
    std::thread thread_;
};

struct Device {
    Kind kind;
    std::unique_ptr<Pump> pump;
};

struct State {
    std::mutex mutex;
    AudioOutput::Mode mode {AudioOutput::Mode::System};
    std::map<ALCdevice*, Device> devices;
    bool driversChosen {false};
    std::atomic<bool> audible {false};
};

// Never destroyed: engines kept in other statics close their devices while the
// process exits, after this file's statics would be gone.
State& state() {
    union Storage {
        Storage()
            : value() { }
        ~Storage() { }
        State value;
    };
    static Storage storage;
    return storage.value;
}

template<typename F> F extension(ALCdevice* device, char const* name) {
    return reinterpret_cast<F>(alcGetProcAddress(device, name));
}

bool soundHardwareVisible() {
    if (std::getenv("PULSE_SERVER"))
        return true;
    if (char const* runtime = std::getenv("XDG_RUNTIME_DIR")) {
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::path(runtime) / "pulse" / "native", error))
            return true;
    }
    std::error_code error;
    for (auto const& entry : std::filesystem::directory_iterator("/dev/snd", error)) {
        std::string const name = entry.path().filename().string();
        if (name.starts_with("pcmC") && name.ends_with("p"))
            return true;
    }
    return false;
}

// Called before OpenAL Soft first starts, which is when it reads its drivers.
void chooseDriversLocked(State& s) {
    if (s.driversChosen)
        return;
    s.driversChosen = true;
    if (std::getenv("ALSOFT_DRIVERS"))
        return;
    if (!soundHardwareVisible()) {
        base::logLine("AudioOutput: no sound hardware found, playing silently");
        ::setenv("ALSOFT_DRIVERS", "null", 0);
    }
}

bool driversAreNull() {
    char const* drivers = std::getenv("ALSOFT_DRIVERS");
    return drivers && std::strcmp(drivers, "null") == 0;
}

ALCdevice* openLoopback() {
    auto open = extension<LPALCLOOPBACKOPENDEVICESOFT>(nullptr, "alcLoopbackOpenDeviceSOFT");
    return open ? open(nullptr) : nullptr;
}

}

void AudioOutput::setMode(Mode mode) {
    std::lock_guard lock(state().mutex);
    state().mode = mode;
}

AudioOutput::Mode AudioOutput::mode() {
    std::lock_guard lock(state().mutex);
    return state().mode;
}

ALCdevice* AudioOutput::openDevice() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    chooseDriversLocked(s);
    if (s.mode == Mode::Loopback) {
        ALCdevice* device = openLoopback();
        if (device)
            s.devices[device] = Device {Kind::Loopback, nullptr};
        s.audible = false;
        return device;
    }
    if (ALCdevice* device = alcOpenDevice(nullptr)) {
        s.devices[device] = Device {Kind::System, nullptr};
        s.audible = !driversAreNull();
        return device;
    }
    ALCdevice* device = openLoopback();
    if (!device) {
        base::logLine("AudioOutput: no output device could be opened");
        return nullptr;
    }
    base::logLine("AudioOutput: the default output device did not open, playing silently");
    s.devices[device] = Device {Kind::Silent, nullptr};
    s.audible = false;
    return device;
}

ALCcontext* AudioOutput::createContext(ALCdevice* device) {
    if (!device)
        return nullptr;
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto found = s.devices.find(device);
    bool const loopback = found != s.devices.end() && found->second.kind != Kind::System;
    if (!loopback)
        return alcCreateContext(device, nullptr);
    ALCint const attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
        ALC_FLOAT_SOFT, ALC_FREQUENCY, loopbackSampleRate, ALC_HRTF_SOFT, ALC_FALSE, 0};
    ALCcontext* context = alcCreateContext(device, attributes);
    if (context && found->second.kind == Kind::Silent && !found->second.pump) {
        auto render = extension<LPALCRENDERSAMPLESSOFT>(device, "alcRenderSamplesSOFT");
        if (render)
            found->second.pump = std::make_unique<Pump>(device, render);
    }
    return context;
}

void AudioOutput::closeDevice(ALCdevice* device) {
    if (!device)
        return;
    State& s = state();
    std::unique_ptr<Pump> pump;
    {
        std::lock_guard lock(s.mutex);
        auto found = s.devices.find(device);
        if (found != s.devices.end()) {
            pump = std::move(found->second.pump);
            s.devices.erase(found);
        }
    }
    pump.reset();
    alcCloseDevice(device);
}

bool AudioOutput::isLoopback(ALCdevice* device) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto found = s.devices.find(device);
    return found != s.devices.end() && found->second.kind == Kind::Loopback;
}

std::vector<float> AudioOutput::render(ALCdevice* device, std::size_t frames) {
    if (!device || !isLoopback(device))
        return {};
    auto renderSamples = extension<LPALCRENDERSAMPLESSOFT>(device, "alcRenderSamplesSOFT");
    if (!renderSamples)
        return {};
    std::vector<float> out(frames * 2);
    renderSamples(device, out.data(), ALCsizei(frames));
    return out;
}

bool AudioOutput::isAudible() {
    return state().audible.load();
}

ScopedContext::ScopedContext(ALCcontext* context) {
    auto get = extension<PFNALCGETTHREADCONTEXTPROC>(nullptr, "alcGetThreadContext");
    previous_ = get ? get() : nullptr;
    setThreadContext(context);
}

ScopedContext::~ScopedContext() {
    setThreadContext(previous_);
}

bool ScopedContext::setThreadContext(ALCcontext* context) {
    auto set = extension<PFNALCSETTHREADCONTEXTPROC>(nullptr, "alcSetThreadContext");
    return set && set(context) == ALC_TRUE;
}

}
