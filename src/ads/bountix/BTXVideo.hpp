#pragma once

#include <ads/bountix/BTXCoreFetcherHandler.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/URLConnection.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::bountix {

class BTXVideoView;

// The keys of a video offer's dictionary.
inline constexpr char const* BTXVideoObjVideoURL = "BTX_VIDEO_OBJ_VIDEO_URL";
inline constexpr char const* BTXVideoObjButtons = "BTX_VIDEO_OBJ_BUTTONS";
inline constexpr char const* BTXVideoObjCurrencyAmount = "BTX_VIDEO_OBJ_CURRENCY_AMOUNT";
inline constexpr char const* BTXVideoObjCurrencyName = "BTX_VIDEO_OBJ_CURRENCY_NAME";
inline constexpr char const* BTXVideoObjOfferID = "BTX_VIDEO_OBJ_OFFER_ID";
inline constexpr char const* BTXVideoObjClickURL = "BTX_VIDEO_OBJ_CLICK_URL";
inline constexpr char const* BTXVideoObjFilename = "BTX_VIDEO_OBJ_FILENAME";
inline constexpr char const* BTXVideoObjName = "BTX_VIDEO_OBJ_NAME";
inline constexpr char const* BTXVideoObjIconURL = "BTX_VIDEO_OBJ_ICON_URL";
inline constexpr char const* BTXVideoObjDataLocation = "BTX_VIDEO_OBJ_DATA_LOCATION";
// The keys of one button's dictionary.
inline constexpr char const* BTXVideoButtonLabelKey = "BTX_VIDEO_BUTTON_LABEL_KEY";
inline constexpr char const* BTXVideoButtonURLKey = "BTX_VIDEO_BUTTON_URL_KEY";
// User defaults: offer id -> offer dictionary, of the videos on the device and of
// the listed offers that were not on it when the list came.
inline constexpr char const* BTXCachedVideoDictKey = "BTX_CACHED_VIDEO_DICT";
inline constexpr char const* BTXUncachedVideoDictKey = "BTX_UNCACHED_VIDEO_DICT";
inline constexpr char const* BTXNoIcon = "NO_ICON";

// One video offer as the offer service lists it ("BountixVideo"). Missing elements
// read as empty texts and no buttons.
class BTXVideoObject final : public base::Object {
public:
    static base::Ref<BTXVideoObject> initWithXDoc(toolkit::xml::XDocElement const* element);

    // The offer under the BTX_VIDEO_OBJ_ keys; the data location only when set.
    base::Ref<base::Dictionary> getDictionary() const;

    std::string videoURL;
    // One dictionary per button: its label and its URL.
    base::Ref<base::Array> buttons {base::Array::create()};
    std::string currencyAmount;
    std::string currencyName;
    std::string videoAdName;
    std::string offerID;
    std::string clickURL;
    std::optional<std::string> dataLocation;
    // The last "/"-separated part of the video URL.
    std::string videoFilename;
    // NO_ICON when the offer has none.
    std::string iconURL;

private:
    friend base::Factory;
    BTXVideoObject() = default;
};

// The video requests of the offer service: the list ("videos"), the click on an
// offer and the report of a watched video ("connect" with the offer's id).
class BTXVideoRequestHandler final : public BTXCoreFetcherHandler {
public:
    static base::Ref<BTXVideoRequestHandler> create(
        BTXFetchResponseDelegate* delegate, int requestTag);

    void requestVideoData();
    // Sends the click as it is; a 2xx reply of exactly "OK" counts as a click.
    void recordVideoClickWithURL(std::string const& url);
    // Reports the video as watched, only after a counted click.
    void requestVideoCompleteWithOfferID(std::string const& offerID);
    bool clickSuccessful() const { return clickSuccessful_; }

private:
    friend base::Factory;
    BTXVideoRequestHandler() = default;

    void videoDataReceived(BTXCoreFetcher& fetcher);
    void videoClickReceived(BTXCoreFetcher& fetcher);
    void videoCompleteReceived(BTXCoreFetcher& fetcher);

    bool clickSuccessful_ {false};
};

// What the video player tells its host; both optional.
class BTXVideoAdDelegate {
public:
    virtual ~BTXVideoAdDelegate() = default;
    // A video starts playing.
    virtual void videoAdBegan() { }
    // The player has been closed and removed.
    virtual void videoAdClosed() { }
};

// Keeps up to videoCacheCount videos of the listed offers in the folder "VideoAds" of
// the data folder, downloading them one at a time, and deletes the videos of offers
// that left the list. A video is saved only from a complete 200 reply of at most
// maximumVideoSize bytes, fetched over HTTP(S), under its file name when that name
// stays inside the folder; only files inside the folder are ever deleted. A failed
// download ends the chain until the next list. One shared instance; main thread.
class BTXVideoManager final : public base::Object,
                              public BTXFetchResponseDelegate,
                              public foundation::URLConnectionDelegate {
public:
    static constexpr std::uint64_t DefaultMaximumVideoSize = std::uint64_t(32) << 20;

    static BTXVideoManager& sharedBTXVideoManager();
    // Drops the shared instance and cancels its download; for tests.
    static void resetShared();
    ~BTXVideoManager() override;

    // Starts over: 5 videos to keep, the list asked for, and a new video player for
    // the delegate.
    void initVideoAdsWithDelegate(BTXVideoAdDelegate* delegate);
    // The video player, or null before initVideoAdsWithDelegate.
    BTXVideoView* videoView() const { return videoView_.get(); }
    base::Ref<base::Dictionary> getCachedVideoDictonary() const;
    void setCachedVideoObjectDict(base::Ref<base::Dictionary> offer, std::string const& offerID);
    // Taken only when above 0.
    void setVideoCacheCount(int count);
    int videoCacheCount() const { return videoCacheCount_; }
    void setMaximumVideoSize(std::uint64_t bytes) { maximumVideoSize_ = bytes; }
    // Downloads the offer at downloadIndex, going on to the next when it cannot be.
    void beginVideoCaching();
    int downloadIndex() const { return downloadIndex_; }
    bool isDownloading() const { return connection_ != nullptr; }
    BTXVideoRequestHandler& requestHandler() const { return *requestHandler_; }
    BTXVideoAdDelegate* delegate() const { return delegate_; }

    // The folder of the cached videos on this machine; empty when there is none.
    static std::string videoFolder();

    // BTXFetchResponseDelegate
    void fetchResponseSuccessWithData(toolkit::xml::XDocElement const* element, int tag) override;
    void fetchResponseError(int kind, std::string const& description, int tag) override;

private:
    friend base::Factory;
    BTXVideoManager();

    void stopDownload();
    void downloadFailed(std::string const& reason);
    // True when path names a file directly inside the video folder.
    static bool isInsideVideoFolder(std::string const& path);

    // URLConnectionDelegate
    void didReceiveResponse(
        foundation::URLConnection&, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const& bytes) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const& error) override;

    base::Ref<BTXVideoRequestHandler> requestHandler_;
    base::Ref<BTXVideoView> videoView_;
    BTXVideoAdDelegate* delegate_ {nullptr};
    base::Ref<foundation::URLConnection> connection_;
    base::Bytes videoData_;
    int status_ {0};
    int videoCacheCount_ {0};
    int downloadIndex_ {0};
    std::uint64_t maximumVideoSize_ {DefaultMaximumVideoSize};
    base::Ref<base::Array> unCachedVideoObjects_;
};

}
