#include <media/AudioRecorder.hpp>

#include <media/AudioFormat.hpp>
#include <media/CaptureDevice.hpp>

#include <foundation/Timer.hpp>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace media {

namespace {

constexpr double drainInterval = 0.05;
constexpr std::size_t drainBlockFrames = 4096;
constexpr float silenceDecibels = -160.0f;

std::string lowerExtension(std::string_view path) {
    auto const slash = path.rfind('/');
    auto const dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    std::string extension(path.substr(dot + 1));
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

int sndfileFormat(std::string const& path, RecordSettings const& settings) {
    std::string const extension = lowerExtension(path);
    int container = SF_FORMAT_WAV;
    if (extension == "caf")
        container = SF_FORMAT_CAF;
    else if (extension == "aif" || extension == "aiff")
        container = SF_FORMAT_AIFF;
    int subtype = 0;
    if (settings.linearPCMIsFloat)
        subtype = settings.linearPCMBitDepth == 32 ? SF_FORMAT_FLOAT
            : settings.linearPCMBitDepth == 64     ? SF_FORMAT_DOUBLE
                                                   : 0;
    else if (settings.linearPCMBitDepth == 8)
        subtype = container == SF_FORMAT_WAV ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8;
    else if (settings.linearPCMBitDepth == 16)
        subtype = SF_FORMAT_PCM_16;
    else if (settings.linearPCMBitDepth == 24)
        subtype = SF_FORMAT_PCM_24;
    else if (settings.linearPCMBitDepth == 32)
        subtype = SF_FORMAT_PCM_32;
    if (subtype == 0)
        return 0;
    return container | subtype | (settings.linearPCMIsBigEndian ? SF_ENDIAN_BIG : SF_ENDIAN_LITTLE);
}

RecorderError osStatusError(Status code) {
    RecorderError error;
    error.domain = "NSOSStatusErrorDomain";
    error.code = code;
    error.localizedDescription
        = "The operation couldn't be completed. (OSStatus error " + std::to_string(code) + ".)";
    return error;
}

float decibels(double meanSquare) {
    if (meanSquare <= 0)
        return silenceDecibels;
    double const db = 10.0 * std::log10(meanSquare / (32768.0 * 32768.0));
    return float(std::clamp(db, double(silenceDecibels), 0.0));
}

}

struct AudioRecorder::File {
    SNDFILE* sndfile {nullptr};
    ~File() {
        if (sndfile)
            sf_close(sndfile);
    }
};

base::Ref<AudioRecorder> AudioRecorder::create(
    std::string path, RecordSettings settings, RecorderError* error) {
    RecorderError ignored;
    if (!error)
        error = &ignored;
    bool const supported = settings.formatID == formatLinearPCM && settings.sampleRate >= 8000
        && settings.sampleRate <= 192000 && settings.numberOfChannels >= 1
        && settings.numberOfChannels <= 2 && sndfileFormat(path, settings) != 0;
    if (!supported) {
        *error = osStatusError(status::unsupportedDataFormat);
        return nullptr;
    }
    auto recorder = base::make<AudioRecorder>(std::move(path), settings);
    if (!recorder->file_) {
        *error = osStatusError(status::fileNotFound);
        return nullptr;
    }
    return recorder;
}

AudioRecorder::AudioRecorder(std::string path, RecordSettings settings)
    : path_(std::move(path))
    , settings_(settings)
    , sumSquares_(std::size_t(settings.numberOfChannels), 0.0)
    , peaks_(std::size_t(settings.numberOfChannels), 0)
    , averagePower_(std::size_t(settings.numberOfChannels), silenceDecibels)
    , peakPower_(std::size_t(settings.numberOfChannels), silenceDecibels) {
    openFile();
}

bool AudioRecorder::openFile() {
    SF_INFO info {};
    info.samplerate = int(settings_.sampleRate);
    info.channels = settings_.numberOfChannels;
    info.format = sndfileFormat(path_, settings_);
    if (!sf_format_check(&info))
        return false;
    SNDFILE* sndfile = sf_open(path_.c_str(), SFM_WRITE, &info);
    if (!sndfile)
        return false;
    file_ = std::make_unique<File>();
    file_->sndfile = sndfile;
    framesWritten_ = 0;
    return true;
}

AudioRecorder::~AudioRecorder() {
    if (drainTimer_)
        drainTimer_->invalidate();
    if (device_)
        device_->stop();
}

bool AudioRecorder::prepareToRecord() {
    if (!device_)
        device_ = CaptureDevice::open(int(settings_.sampleRate), settings_.numberOfChannels);
    if (!device_)
        return false;
    // A finished recording is replaced by the next one.
    return file_ || openFile();
}

bool AudioRecorder::begin(double limitSeconds) {
    if (!prepareToRecord() || !device_->start())
        return false;
    limitSeconds_ = limitSeconds;
    recording_ = true;
    if (!drainTimer_)
        drainTimer_ = foundation::Timer::scheduledTimer(
            drainInterval, [this](foundation::Timer&) { drain(); }, true);
    return true;
}

bool AudioRecorder::record() {
    return begin(0);
}

bool AudioRecorder::recordForDuration(double seconds) {
    if (!(seconds > 0))
        return false;
    return begin(seconds);
}

void AudioRecorder::pause() {
    if (!recording_)
        return;
    drain();
    halt();
}

void AudioRecorder::halt() {
    recording_ = false;
    if (device_)
        device_->stop();
    if (drainTimer_)
        drainTimer_->invalidate();
    drainTimer_ = nullptr;
}

void AudioRecorder::stop() {
    if (!file_)
        return;
    if (recording_)
        drain();
    if (file_)
        finish();
}

double AudioRecorder::currentTime() const {
    return double(framesWritten_) / settings_.sampleRate;
}

void AudioRecorder::drain() {
    if (!recording_ || !device_ || !file_)
        return;
    std::size_t const channels = std::size_t(settings_.numberOfChannels);
    std::vector<std::int16_t> block(drainBlockFrames * channels);
    for (;;) {
        std::size_t room = drainBlockFrames;
        if (limitSeconds_ > 0) {
            auto const limitFrames
                = std::int64_t(std::llround(limitSeconds_ * settings_.sampleRate));
            room = std::size_t(
                std::clamp<std::int64_t>(limitFrames - framesWritten_, 0, std::int64_t(room)));
            if (room == 0) {
                finish();
                return;
            }
        }
        std::size_t const frames = device_->read(block.data(), room);
        if (frames == 0)
            return;
        sf_writef_short(file_->sndfile, block.data(), sf_count_t(frames));
        framesWritten_ += std::int64_t(frames);
        if (meteringEnabled_) {
            for (std::size_t i = 0; i < frames * channels; ++i) {
                double const sample = block[i];
                sumSquares_[i % channels] += sample * sample;
                peaks_[i % channels] = std::max(peaks_[i % channels], std::abs(int(block[i])));
            }
            framesMetered_ += std::int64_t(frames);
        }
    }
}

void AudioRecorder::finish() {
    base::Ref<AudioRecorder> keepAlive(this);
    halt();
    file_.reset();
    if (delegate_)
        delegate_->audioRecorderDidFinishRecording(*this, true);
}

void AudioRecorder::updateMeters() {
    if (framesMetered_ == 0)
        return;
    for (std::size_t channel = 0; channel < sumSquares_.size(); ++channel) {
        averagePower_[channel] = decibels(sumSquares_[channel] / double(framesMetered_));
        double const peak = peaks_[channel];
        peakPower_[channel] = decibels(peak * peak);
        sumSquares_[channel] = 0;
        peaks_[channel] = 0;
    }
    framesMetered_ = 0;
}

float AudioRecorder::averagePowerForChannel(int channel) const {
    if (channel < 0 || std::size_t(channel) >= averagePower_.size())
        return silenceDecibels;
    return averagePower_[std::size_t(channel)];
}

float AudioRecorder::peakPowerForChannel(int channel) const {
    if (channel < 0 || std::size_t(channel) >= peakPower_.size())
        return silenceDecibels;
    return peakPower_[std::size_t(channel)];
}

}
