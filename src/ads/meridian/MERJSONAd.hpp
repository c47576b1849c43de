#pragma once

#include <ads/meridian/MERBasicAd.hpp>
#include <ads/meridian/MERJSONVideoButton.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/ByteView.hpp>
#include <foundation/Coding.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ads::meridian {

class MERJSONAdView;

// A JSON ad: an image or a video ad as the ad server's JSON reply describes it, with
// fixed answers for the overlay. A video ad is archived with its video cache record.
// The reply is outside input: a field of the wrong kind counts as absent, and a reply
// that does not parse, or names no known type, gives type 4. Main thread only.
class MERJSONAd final : public MERBasicAd, public foundation::Coding {
public:
    enum AdType { Image = 1, Video = 2, Other = 4 };

    static base::Ref<MERJSONAd> initWithJSONAd(foundation::ByteView data, MERJSONAdView* adView);
    void parseResponse(base::Value const& reply);
    static std::vector<base::Ref<MERJSONVideoButton>> arrayForVideoButtons(
        base::Value const& buttons);

    // Builds every button (which starts its image download), once.
    void downloadButtons();
    // Takes over newer's buttons, each equal button keeping this ad's activity and
    // component.
    void updateAdWithAd(MERJSONAd& newer);

    std::string overlayTitle() override { return "Advertisement"; }
    bool showTitlebar() override { return false; }
    bool shouldAccelerate() override { return true; }
    std::optional<ui::Color> modalBorderColor() override { return ui::Color::blackColor(); }
    std::optional<ui::Color> titlebarColor() override { return ui::Color::blackColor(); }
    std::optional<std::string> overlayTransition() override { return std::string("SlideUp"); }
    float alphaForModalBorder() override { return 1.0f; }
    float transitionDuration() override { return 0.6f; }
    int controlStyle() const { return 0; }
    std::string description() const;

    MERJSONAdView* adView() const { return adView_; }
    void setAdView(MERJSONAdView* adView) { adView_ = adView; }
    base::Value const& rawResponse() const { return rawResponse_; }
    int adType() const { return adType_; }

    std::optional<std::string> const& imageContentURL() const { return imageContentURL_; }
    std::optional<std::string> const& imageTapThroughURL() const { return imageTapThroughURL_; }
    std::optional<std::string> const& imageWillOpenApp() const { return imageWillOpenApp_; }
    bool doesImageExpand() const { return imageExpands_; }
    bool isImageInterstitial() const { return imageIsInterstitial_; }

    std::optional<std::string> const& videoId() const { return videoId_; }
    std::optional<std::string> const& videoContentURL() const { return videoContentURL_; }
    std::optional<base::Date> const& videoExpirationDate() const { return videoExpirationDate_; }
    float videoSizeInMB() const { return videoSizeInMB_; }
    std::vector<base::Ref<MERJSONVideoButton>> const& videoButtons() const { return videoButtons_; }
    void setVideoButtons(std::vector<base::Ref<MERJSONVideoButton>> buttons) {
        videoButtons_ = std::move(buttons);
    }
    bool showControls() const { return showControls_; }
    bool isFullscreen() const { return isFullscreen_; }
    float videoHeight() const { return videoHeight_; }
    float videoWidth() const { return videoWidth_; }
    std::optional<std::string> const& videoOreientation() const { return videoOreientation_; }
    bool showCountdownHUD() const { return showCountdownHUD_; }
    bool buttonsHaveBeenDownloaded() const { return buttonsHaveBeenDownloaded_; }
    base::Value const& startActivity() const { return startActivity_; }
    base::Value const& endActivity() const { return endActivity_; }
    base::Value const& logs() const { return logs_; }
    float videoDuration() const { return videoDuration_; }
    base::Value const& onCompletion() const { return onCompletion_; }
    base::Value const& logMetaData() const { return logMetaData_; }

    bool isMedialetsIntersticial() const { return false; }

    // "YYYY-MM-DD HH:MM:SS ±HHMM"; any other form gives no date.
    static std::optional<base::Date> expirationDateFromString(std::string_view text);

    static base::Ref<MERJSONAd> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;
    static void registerCoding();

private:
    void clearImage();
    void clearVideo();

    MERJSONAdView* adView_ {nullptr};
    base::Value rawResponse_;
    int adType_ {Other};
    std::optional<std::string> imageContentURL_;
    std::optional<std::string> imageTapThroughURL_;
    std::optional<std::string> imageWillOpenApp_;
    bool imageExpands_ {false};
    bool imageIsInterstitial_ {false};
    std::optional<std::string> videoId_;
    std::optional<std::string> videoContentURL_;
    std::optional<base::Date> videoExpirationDate_;
    float videoSizeInMB_ {0};
    std::vector<base::Ref<MERJSONVideoButton>> videoButtons_;
    bool showControls_ {false};
    bool isFullscreen_ {false};
    float videoHeight_ {0};
    float videoWidth_ {0};
    std::optional<std::string> videoOreientation_;
    bool showCountdownHUD_ {false};
    bool buttonsHaveBeenDownloaded_ {false};
    base::Value startActivity_;
    base::Value endActivity_;
    base::Value logs_;
    float videoDuration_ {0};
    base::Value onCompletion_;
    base::Value logMetaData_;

    friend base::Factory;
    MERJSONAd() = default;
};

}
