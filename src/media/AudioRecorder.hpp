#pragma once

#include <media/AudioFormat.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace foundation {
class Timer;
}

namespace media {

class AudioRecorder;
class CaptureDevice;

// How a recording is stored: linear PCM only (integer or float, 8 to 32 bits,
// either byte order), at the given rate and channel count.
struct RecordSettings {
    std::uint32_t formatID {formatLinearPCM};
    double sampleRate {44100};
    int numberOfChannels {1};
    int linearPCMBitDepth {16};
    bool linearPCMIsBigEndian {false};
    bool linearPCMIsFloat {false};
};

// Why a recorder could not be made, as the platform describes an error.
struct RecorderError {
    std::string domain;
    int code {0};
    base::Value userInfo;
    std::string localizedDescription;
};

// Told when a recording ends: stopped, or its duration reached.
class AudioRecorderDelegate {
public:
    virtual ~AudioRecorderDelegate() = default;
    virtual void audioRecorderDidFinishRecording(AudioRecorder&, bool) { }
};

// Records the microphone into a sound file (the platform's audio recorder): WAV,
// or CAF / AIFF by the file's extension. While recording, a timer on the run
// loop of the thread that started it drains the microphone every 0.05 s into
// the file and the meters, and ends a recording of limited duration exactly at
// its length. Main thread only; the delegate is not retained.
class AudioRecorder final : public base::Object {
public:
    // Null, with *error set, for settings that are not linear PCM or a file that
    // cannot be created.
    static base::Ref<AudioRecorder> create(
        std::string path, RecordSettings settings, RecorderError* error);

    AudioRecorderDelegate* delegate() const { return delegate_; }
    void setDelegate(AudioRecorderDelegate* delegate) { delegate_ = delegate; }

    // Opens the microphone; false when there is none.
    bool prepareToRecord();
    // Starts or continues recording, without limit; false without a microphone.
    bool record();
    // Records until seconds of sound are in the file, then stops by itself.
    bool recordForDuration(double seconds);
    void pause();
    // Ends the recording, closes the file and tells the delegate.
    void stop();
    bool isRecording() const { return recording_; }

    // Seconds of sound recorded so far.
    double currentTime() const;
    std::string const& path() const { return path_; }

    void setMeteringEnabled(bool enabled) { meteringEnabled_ = enabled; }
    bool isMeteringEnabled() const { return meteringEnabled_; }
    // Refreshes the meters from the sound recorded since the last refresh.
    void updateMeters();
    // The mean power of channel in decibels: 0 at full scale, -160 for silence.
    float averagePowerForChannel(int channel) const;
    float peakPowerForChannel(int channel) const;

protected:
    ~AudioRecorder() override;

private:
    struct File;

    // Creates (or truncates) the file; false when it cannot be written.
    bool openFile();
    bool begin(double limitSeconds);
    // Stops the microphone and the drain timer.
    void halt();
    void drain();
    void finish();

    std::string const path_;
    RecordSettings const settings_;
    std::unique_ptr<File> file_;
    std::unique_ptr<CaptureDevice> device_;
    bool recording_ {false};
    bool meteringEnabled_ {false};
    double limitSeconds_ {0};
    std::int64_t framesWritten_ {0};
    std::vector<double> sumSquares_;
    std::vector<int> peaks_;
    std::int64_t framesMetered_ {0};
    std::vector<float> averagePower_;
    std::vector<float> peakPower_;
    AudioRecorderDelegate* delegate_ {nullptr};
    base::Ref<foundation::Timer> drainTimer_;

    friend base::Factory;

    // Use create.
    AudioRecorder(std::string path, RecordSettings settings);
};

}
