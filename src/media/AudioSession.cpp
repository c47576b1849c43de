#include <media/AudioSession.hpp>

#include <media/AudioOutput.hpp>
#include <media/CaptureDevice.hpp>

namespace media {

namespace {

AudioSession& instance() {
    static AudioSession session;
    return session;
}

}

AudioSession& AudioSession::sharedInstance() {
    return instance();
}

void AudioSession::reset() {
    instance() = AudioSession {};
}

Status AudioSession::initialize(InterruptionListener listener, void* clientData) {
    if (initialized_)
        return status::sessionAlreadyInitialized;
    initialized_ = true;
    listener_ = listener;
    clientData_ = clientData;
    return status::ok;
}

Status AudioSession::setCategory(Category category) {
    if (!initialized_)
        return status::sessionNotInitialized;
    category_ = category;
    if (category != Category::PlayAndRecord)
        routeOverride_ = RouteOverride::None;
    return status::ok;
}

Status AudioSession::setActive(bool active) {
    if (!initialized_)
        return status::sessionNotInitialized;
    active_ = active;
    return status::ok;
}

Status AudioSession::overrideAudioRoute(RouteOverride routeOverride) {
    if (!initialized_)
        return status::sessionNotInitialized;
    if (category_ != Category::PlayAndRecord && routeOverride != RouteOverride::None)
        return status::parameter;
    routeOverride_ = routeOverride;
    return status::ok;
}

std::string AudioSession::audioRoute() const {
    if (!AudioOutput::isAudible())
        return {};
    switch (category_) {
    case Category::RecordAudio:
        return "MicrophoneBuiltIn";
    case Category::PlayAndRecord:
        return routeOverride_ == RouteOverride::Speaker ? "SpeakerAndMicrophone"
                                                        : "ReceiverAndMicrophone";
    default:
        return "Speaker";
    }
}

bool AudioSession::audioInputIsAvailable() const {
    return CaptureDevice::open(44100, 1) != nullptr;
}

void AudioSession::beginInterruption() {
    deliverInterruption(beginInterruptionState);
}

void AudioSession::endInterruption() {
    deliverInterruption(endInterruptionState);
}

void AudioSession::deliverInterruption(std::uint32_t state) {
    if (initialized_ && listener_)
        listener_(clientData_, state);
}

}
