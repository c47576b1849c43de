#include <game/shell/SoundRecorder.hpp>

#include <game/shell/SoundFiles.hpp>

#include <media/AudioSession.hpp>

#include <foundation/Format.hpp>

#include <sys/stat.h>
#include <unistd.h>

namespace game {

namespace {

SoundRecorder::AlertPresenter& alertPresenter() {
    static SoundRecorder::AlertPresenter presenter;
    return presenter;
}

void showAlert(std::string const& title, std::string const& message) {
    if (alertPresenter())
        alertPresenter()(title, message, "OK");
    else
        foundation::log("%@: %@", title, message);
}

}

void SoundRecorder::setAlertPresenter(AlertPresenter presenter) {
    alertPresenter() = std::move(presenter);
}

base::Ref<SoundRecorder> SoundRecorder::init() {
    return base::make<SoundRecorder>();
}

SoundRecorder::SoundRecorder() {
    recordSetting_.formatID = media::formatLinearPCM;
    recordSetting_.sampleRate = 44100.0;
    recordSetting_.numberOfChannels = 1;
    recordSetting_.linearPCMBitDepth = 16;
    recordSetting_.linearPCMIsBigEndian = false;
    recordSetting_.linearPCMIsFloat = false;
}

SoundRecorder::~SoundRecorder() {
    if (pRecorder)
        pRecorder->setDelegate(nullptr);
}

std::string SoundRecorder::getRecordFilePath(std::string const& fileName) const {
    return SoundFiles::dataFolderFile(fileName);
}

bool SoundRecorder::startRecording(std::string const& fileName, double duration) {
    if (pRecorder && pRecorder->isRecording())
        stopRecording();
    if (!media::AudioSession::sharedInstance().audioInputIsAvailable()) {
        showAlert("Warning", "Audio input hardware not available");
        return false;
    }
    std::string const path = getRecordFilePath(fileName);
    media::RecorderError error;
    base::Ref<media::AudioRecorder> recorder;
    if (path.empty()) {
        error.domain = "NSOSStatusErrorDomain";
        error.code = media::status::parameter;
        error.localizedDescription = "The file name is not a plain file name.";
    } else {
        recorder = media::AudioRecorder::create(path, recordSetting_, &error);
    }
    if (!recorder) {
        foundation::log("recorder: %@ %d %@", error.domain, error.code, error.userInfo);
        showAlert("Warning", error.localizedDescription);
        return false;
    }
    pRecorder = recorder;
    pRecorder->setDelegate(this);
    pRecorder->prepareToRecord();
    pRecorder->setMeteringEnabled(true);
    bool const started
        = duration > 0 ? pRecorder->recordForDuration(duration) : pRecorder->record();
    if (!started) {
        pRecorder->setDelegate(nullptr);
        pRecorder = nullptr;
        showAlert("Warning", "Audio input hardware not available");
        return false;
    }
    return true;
}

void SoundRecorder::stopRecording() {
    if (pRecorder)
        pRecorder->stop();
}

bool SoundRecorder::isRecording() const {
    return pRecorder && pRecorder->isRecording();
}

bool SoundRecorder::isRecordExisted(std::string const& fileName) const {
    std::string const path = getRecordFilePath(fileName);
    struct stat info { };
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
        && ::access(path.c_str(), R_OK) == 0;
}

double SoundRecorder::getRecordTime() const {
    return pRecorder ? pRecorder->currentTime() : 0.0;
}

float SoundRecorder::getVolume() {
    if (!pRecorder)
        return 0.0f;
    pRecorder->updateMeters();
    return (pRecorder->averagePowerForChannel(0) + 160.0f) / 160.0f;
}

void SoundRecorder::setCallBackTarget(std::function<void()> callBack) {
    callBackSelector = std::move(callBack);
}

void SoundRecorder::audioRecorderDidFinishRecording(media::AudioRecorder& recorder, bool) {
    base::Ref<SoundRecorder> keepAlive(this);
    base::Ref<media::AudioRecorder> finished = pRecorder;
    if (finished.get() != &recorder)
        return;
    // Called from within the recorder's stop: it is released once that returns.
    pRecorder->setDelegate(nullptr);
    pRecorder = nullptr;
    std::function<void()> callBack = std::move(callBackSelector);
    callBackSelector = nullptr;
    if (callBack)
        callBack();
}

}
