#include <ads/meridian/MERJSONAd.hpp>

#include <ads/meridian/MERValues.hpp>
#include <foundation/DateFormatter.hpp>
#include <foundation/Format.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/Strings.hpp>
#include <toolkit/json/PJsonParser.hpp>

#include <mutex>
#include <string_view>

namespace ads::meridian {

void MERJSONAd::registerCoding() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        MERJSONVideoButton::registerCoding();
        foundation::Coding::registerClass<MERJSONAd>("MERJSONAd");
    });
}

base::Ref<MERJSONAd> MERJSONAd::initWithJSONAd(foundation::ByteView data, MERJSONAdView* adView) {
    registerCoding();
    auto ad = base::make<MERJSONAd>();
    ad->adView_ = adView;
    // Bytes that are not UTF-8 make no text, so no reply.
    std::string_view text(reinterpret_cast<char const*>(data.data()), data.size());
    if (foundation::isValidUtf8(text))
        ad->rawResponse_ = toolkit::json::PJsonParser::parser()->objectWithString(text);
    ad->onCompletion_ = {};
    ad->parseResponse(ad->rawResponse_);
    return ad;
}

std::optional<base::Date> MERJSONAd::expirationDateFromString(std::string_view text) {
    static foundation::DateFormatter const formatter(
        "yyyy-MM-dd HH:mm:ss Z", foundation::TimeZone::utc());
    return formatter.dateFromString(text);
}

std::vector<base::Ref<MERJSONVideoButton>> MERJSONAd::arrayForVideoButtons(
    base::Value const& buttons) {
    std::vector<base::Ref<MERJSONVideoButton>> made;
    if (auto const* list = buttons.array()) {
        for (auto const& entry : list->values())
            made.push_back(MERJSONVideoButton::initWithJSONButton(entry));
    }
    return made;
}

void MERJSONAd::clearImage() {
    imageContentURL_.reset();
    imageTapThroughURL_.reset();
    imageWillOpenApp_.reset();
    imageExpands_ = false;
    imageIsInterstitial_ = false;
}

void MERJSONAd::clearVideo() {
    videoId_.reset();
    videoContentURL_.reset();
    videoExpirationDate_.reset();
    videoButtons_.clear();
    startActivity_ = {};
    endActivity_ = {};
    logs_ = {};
    onCompletion_ = {};
}

void MERJSONAd::parseResponse(base::Value const& reply) {
    auto const* fields = reply.dictionary();
    auto type = fields ? textOf(fields->objectForKey("type")) : std::nullopt;
    if (!type) {
        adType_ = Other;
        return;
    }
    auto const& metaData = fields->objectForKey("meta-data");
    logMetaData_ = metaData.isDictionary() ? base::Value(metaData.dictionary()->deepCopy())
                                           : base::Value(base::Dictionary::create());

    if (*type == "image") {
        adType_ = Image;
        clearImage();
        auto const* image = fields->objectForKey("image").dictionary();
        if (!image)
            return;
        imageContentURL_ = textOf(image->objectForKey("content-url"));
        imageTapThroughURL_ = textOf(image->objectForKey("tap-through"));
        imageWillOpenApp_ = textOf(image->objectForKey("will-open"));
        imageExpands_ = flagOf(image->objectForKey("expands"));
        imageIsInterstitial_ = flagOf(image->objectForKey("interstitial"));
        return;
    }
    if (*type == "video") {
        adType_ = Video;
        clearVideo();
        auto const* video = fields->objectForKey("video").dictionary();
        if (!video)
            return;
        auto field
            = [&](std::string_view key) -> base::Value const& { return video->objectForKey(key); };
        videoId_ = textOf(field("id"));
        videoContentURL_ = textOf(field("content-url"));
        if (auto expiration = textOf(field("expiration")))
            videoExpirationDate_ = expirationDateFromString(*expiration);
        videoButtons_ = arrayForVideoButtons(field("buttons"));
        showControls_ = flagOf(field("showVideoPlayerControls"));
        showCountdownHUD_ = flagOf(field("showCountdownHUD"));
        videoHeight_ = floatOf(field("height"));
        videoWidth_ = floatOf(field("width"));
        videoDuration_ = floatOf(field("duration"));
        if (field("startActivity").isArray())
            startActivity_ = field("startActivity");
        if (field("endActivity").isArray())
            endActivity_ = field("endActivity");
        if (field("log").isArray())
            logs_ = field("log");
        if (auto const* completion = field("onCompletion").dictionary())
            onCompletion_ = completion->deepCopy();
        return;
    }
    adType_ = Other;
}

void MERJSONAd::downloadButtons() {
    if (videoButtons_.empty() || buttonsHaveBeenDownloaded_)
        return;
    buttonsHaveBeenDownloaded_ = true;
    for (auto const& button : videoButtons_)
        button->button();
}

void MERJSONAd::updateAdWithAd(MERJSONAd& newer) {
    auto previous = std::move(videoButtons_);
    videoButtons_ = newer.videoButtons_;
    for (auto const& old : previous) {
        for (auto const& button : videoButtons_) {
            if (button->isEqualToVideoButton(*old)) {
                button->setActivity(old->activity());
                button->setComponent(old->component());
                break;
            }
        }
    }
}

std::string MERJSONAd::description() const {
    return foundation::format("MERJSONAd: %@", rawResponse_);
}

void MERJSONAd::encodeWithCoder(foundation::KeyedArchiver& coder) {
    auto text = [](std::optional<std::string> const& value) {
        return value ? base::Value(*value) : base::Value();
    };
    coder.encodeObject(text(videoId_), "videoId");
    coder.encodeObject(text(videoContentURL_), "videoContentURL");
    coder.encodeObject(videoExpirationDate_ ? base::Value(*videoExpirationDate_) : base::Value(),
        "videoExpirationDate");
    coder.encodeFloat(videoSizeInMB_, "videoSizeInMB");
    coder.encodeObject(videoButtons_, "videoButtons");
    coder.encodeObject(text(videoOreientation_), "videoOreientation");
    coder.encodeFloat(videoWidth_, "videoWidth");
    coder.encodeFloat(videoHeight_, "videoHeight");
    coder.encodeBool(showControls_, "showVideoPlayerControls");
    coder.encodeBool(isFullscreen_, "isFullscreen");
    coder.encodeObject(withoutNulls(onCompletion_), "onCompletion");
    coder.encodeObject(withoutNulls(logMetaData_), "logMetaData");
    coder.encodeObject(withoutNulls(startActivity_), "startActivity");
    coder.encodeObject(withoutNulls(endActivity_), "endActivity");
    coder.encodeObject(withoutNulls(logs_), "log");
    coder.encodeFloat(videoDuration_, "duration");
    coder.encodeBool(showCountdownHUD_, "showCountdownHUD");
    coder.encodeBool(buttonsHaveBeenDownloaded_, "buttonsHaveBeenDownloaded_");
}

base::Ref<MERJSONAd> MERJSONAd::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto ad = base::make<MERJSONAd>();
    auto text = [&](std::string_view key) { return textOf(coder.decodeObjectForKey(key)); };
    ad->adType_ = Video;
    ad->videoId_ = text("videoId");
    ad->videoContentURL_ = text("videoContentURL");
    if (auto const dateValue = coder.decodeObjectForKey("videoExpirationDate");
        auto const* date = dateValue.date())
        ad->videoExpirationDate_ = *date;
    ad->videoSizeInMB_ = coder.decodeFloatForKey("videoSizeInMB");
    ad->videoButtons_ = coder.decodeObjectsForKey<MERJSONVideoButton>("videoButtons");
    ad->videoOreientation_ = text("videoOreientation");
    ad->videoWidth_ = coder.decodeFloatForKey("videoWidth");
    ad->videoHeight_ = coder.decodeFloatForKey("videoHeight");
    ad->showControls_ = coder.decodeBoolForKey("showVideoPlayerControls");
    ad->isFullscreen_ = coder.decodeBoolForKey("isFullscreen");
    ad->onCompletion_ = coder.decodeObjectForKey("onCompletion");
    ad->logMetaData_ = coder.decodeObjectForKey("logMetaData");
    ad->startActivity_ = coder.decodeObjectForKey("startActivity");
    ad->endActivity_ = coder.decodeObjectForKey("endActivity");
    ad->logs_ = coder.decodeObjectForKey("log");
    ad->videoDuration_ = coder.decodeFloatForKey("duration");
    ad->showCountdownHUD_ = coder.decodeBoolForKey("showCountdownHUD");
    return ad;
}

}
