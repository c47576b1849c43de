#pragma once

#include <media/AudioRecorder.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <functional>
#include <string>

namespace game {

// Records the microphone into a file of the data folder (44.1 kHz mono 16-bit
// PCM). Nothing in the game uses it yet. Without a microphone, starting shows
// the "Audio input hardware not available" alert and fails. Main thread only.
class SoundRecorder final : public base::Object, public media::AudioRecorderDelegate {
public:
    using AlertPresenter = std::function<void(
        std::string const& title, std::string const& message, std::string const& button)>;

    static base::Ref<SoundRecorder> init();

    // Records into the data folder file fileName for duration seconds (without
    // limit when 0), ending any recording under way first. False, after an
    // alert, without a microphone or when the file cannot be made.
    bool startRecording(std::string const& fileName, double duration);
    void stopRecording();
    bool isRecording() const;
    // Whether a readable file exists for fileName.
    bool isRecordExisted(std::string const& fileName) const;
    // Seconds recorded so far.
    double getRecordTime() const;
    // The current level, 0 (silence) to 1 (full scale).
    float getVolume();
    // The data folder path of fileName; empty for a name that would lead out of
    // the folder.
    std::string getRecordFilePath(std::string const& fileName) const;

    // callBack runs once, when the recording under way finishes.
    void setCallBackTarget(std::function<void()> callBack);

    void audioRecorderDidFinishRecording(
        media::AudioRecorder& recorder, bool successfully) override;

    media::RecordSettings const& recordSetting() const { return recordSetting_; }

    // How alerts are shown; the view system installs its alert view here. The
    // default writes the alert to the log.
    static void setAlertPresenter(AlertPresenter presenter);

protected:
    ~SoundRecorder() override;

private:
    base::Ref<media::AudioRecorder> pRecorder;
    media::RecordSettings recordSetting_;
    std::function<void()> callBackSelector;

    friend base::Factory;

    SoundRecorder();
};

}
