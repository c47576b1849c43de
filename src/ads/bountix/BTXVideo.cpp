#include <ads/bountix/BTXVideo.hpp>

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BTXVideoView.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <foundation/AtomicFile.hpp>
#include <foundation/Format.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/URLRequest.hpp>
#include <foundation/UserDefaults.hpp>

#include <cctype>
#include <filesystem>
#include <system_error>

namespace ads::bountix {

namespace {

using toolkit::xml::XDoc;
using toolkit::xml::XDocElement;

constexpr char const* dataFolder = "/var/mobile/Library/Marrowby";

std::string childText(char const* name, XDocElement const* element) {
    return XDoc::textForElement(XDoc::childElementNamed(name, element));
}

foundation::UserDefaults& defaults() {
    return foundation::UserDefaults::standardUserDefaults();
}

std::string where(int line, char const* method) {
    return std::string("BTXVideo.cpp: ") + std::to_string(line) + "; " + method + "; ";
}

bool isWebURL(std::string const& url) {
    auto lower = url.substr(0, 8);
    for (auto& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower.starts_with("http://") || lower.starts_with("https://");
}

std::string stringOf(base::Dictionary const& offer, char const* key) {
    auto const* text = offer.objectForKey(key).string();
    return text ? *text : std::string();
}

base::Ref<BTXVideoManager>& sharedSlot() {
    static base::Ref<BTXVideoManager> shared;
    return shared;
}

}

// --- video offer ---

base::Ref<BTXVideoObject> BTXVideoObject::initWithXDoc(XDocElement const* element) {
    auto video = base::make<BTXVideoObject>();
    video->iconURL = BTXNoIcon;
    if (!element)
        return video;
    auto const* buttons = XDoc::childElementNamed("Buttons", element);
    for (auto const* button = XDoc::childElementNamed("Button", buttons); button;
         button = XDoc::nextSiblingNamed("Button", button)) {
        video->buttons->add(
            base::Dictionary::create({{BTXVideoButtonLabelKey, childText("Name", button)},
                {BTXVideoButtonURLKey, childText("URL", button)}}));
    }
    video->videoURL = childText("VideoURL", element);
    auto slash = video->videoURL.rfind('/');
    video->videoFilename
        = slash == std::string::npos ? video->videoURL : video->videoURL.substr(slash + 1);
    video->currencyAmount = childText("Amount", element);
    video->offerID = childText("OfferID", element);
    video->clickURL = childText("ClickURL", element);
    video->videoAdName = childText("Name", element);
    video->currencyName = childText("CurrencyName", element);
    auto icon = childText("IconURL", element);
    if (!icon.empty())
        video->iconURL = icon;
    return video;
}

base::Ref<base::Dictionary> BTXVideoObject::getDictionary() const {
    auto offer = base::Dictionary::create({{BTXVideoObjVideoURL, videoURL},
        {BTXVideoObjButtons, buttons}, {BTXVideoObjCurrencyAmount, currencyAmount},
        {BTXVideoObjCurrencyName, currencyName}, {BTXVideoObjOfferID, offerID},
        {BTXVideoObjClickURL, clickURL}, {BTXVideoObjFilename, videoFilename},
        {BTXVideoObjName, videoAdName}, {BTXVideoObjIconURL, iconURL}});
    if (dataLocation)
        offer->setObject(BTXVideoObjDataLocation, *dataLocation);
    return offer;
}

// --- request handler ---

base::Ref<BTXVideoRequestHandler> BTXVideoRequestHandler::create(
    BTXFetchResponseDelegate* delegate, int requestTag) {
    auto handler = base::make<BTXVideoRequestHandler>();
    handler->initRequestWithDelegate(delegate, requestTag);
    return handler;
}

void BTXVideoRequestHandler::requestVideoData() {
    auto const& configuration = BTXConfiguration::current();
    auto url
        = configuration.primaryHost.empty() ? std::string() : configuration.primaryHost + "videos";
    auto alternate = configuration.fallbackHost.empty() ? std::string()
                                                        : configuration.fallbackHost + "videos";
    auto parameters = BountixConnect::sharedBountixConnect().genericParameters();
    parameters.set("publisher_user_id", BountixConnect::getUserID());
    makeGenericRequestWithURL(url, alternate, std::move(parameters),
        [this](BTXCoreFetcher& fetcher) { videoDataReceived(fetcher); });
}

void BTXVideoRequestHandler::recordVideoClickWithURL(std::string const& url) {
    clickSuccessful_ = false;
    makeGenericRequestWithURL(
        url, url, std::nullopt, [this](BTXCoreFetcher& fetcher) { videoClickReceived(fetcher); });
}

void BTXVideoRequestHandler::requestVideoCompleteWithOfferID(std::string const& offerID) {
    if (!clickSuccessful_)
        return;
    auto const& configuration = BTXConfiguration::current();
    auto url
        = configuration.primaryHost.empty() ? std::string() : configuration.primaryHost + "connect";
    auto alternate = configuration.fallbackHost.empty() ? std::string()
                                                        : configuration.fallbackHost + "connect";
    auto parameters = BountixConnect::sharedBountixConnect().genericParameters();
    parameters.set("publisher_user_id", BountixConnect::getUserID());
    parameters.set("app_id", offerID);
    makeGenericRequestWithURL(url, alternate, std::move(parameters),
        [this](BTXCoreFetcher& fetcher) { videoCompleteReceived(fetcher); });
}

void BTXVideoRequestHandler::videoDataReceived(BTXCoreFetcher& fetcher) {
    auto reply = validateResponseReturnedObject(fetcher);
    if (!reply)
        return;
    if (auto* delegate = deleg())
        delegate->fetchResponseSuccessWithData(reply.root, fetcher.requestTag);
}

// A click counts only when the service answered it, with a success status and "OK".
void BTXVideoRequestHandler::videoClickReceived(BTXCoreFetcher& fetcher) {
    auto const& response = fetcher.response();
    int status = response ? response->statusCode() : 0;
    auto const& body = fetcher.data();
    clickSuccessful_ = !fetcher.hasError() && status >= 200 && status < 300
        && std::string(body.begin(), body.end()) == "OK";
}

void BTXVideoRequestHandler::videoCompleteReceived(BTXCoreFetcher& fetcher) {
    validateResponseReturnedObject(fetcher);
}

// --- manager ---

BTXVideoManager::BTXVideoManager()
    : requestHandler_(BTXVideoRequestHandler::create(this, 0))
    , unCachedVideoObjects_(base::Array::create()) {
}

BTXVideoManager::~BTXVideoManager() {
    requestHandler_->setDeleg(nullptr);
    stopDownload();
}

BTXVideoManager& BTXVideoManager::sharedBTXVideoManager() {
    auto& shared = sharedSlot();
    if (!shared)
        shared = base::make<BTXVideoManager>();
    return *shared;
}

void BTXVideoManager::resetShared() {
    if (auto& shared = sharedSlot()) {
        shared->requestHandler_->setDeleg(nullptr);
        shared->stopDownload();
    }
    sharedSlot() = nullptr;
}

std::string BTXVideoManager::videoFolder() {
    return foundation::Sandbox::devicePath(std::string(dataFolder) + "/VideoAds").value_or("");
}

void BTXVideoManager::initVideoAdsWithDelegate(BTXVideoAdDelegate* delegate) {
    downloadIndex_ = 0;
    videoCacheCount_ = 5;
    requestHandler_->requestVideoData();
    delegate_ = delegate;
    videoView_ = BTXVideoView::initWithDelegate(delegate);
}

base::Ref<base::Dictionary> BTXVideoManager::getCachedVideoDictonary() const {
    return defaults().dictionaryForKey(BTXCachedVideoDictKey);
}

void BTXVideoManager::setCachedVideoObjectDict(
    base::Ref<base::Dictionary> offer, std::string const& offerID) {
    auto cached = getCachedVideoDictonary();
    auto copy = cached ? cached->copy() : base::Dictionary::create();
    copy->setObject(offerID, base::Value(std::move(offer)));
    defaults().setObject(base::Value(copy), BTXCachedVideoDictKey);
}

void BTXVideoManager::setVideoCacheCount(int count) {
    if (count > 0)
        videoCacheCount_ = count;
}

bool BTXVideoManager::isInsideVideoFolder(std::string const& path) {
    auto folder = videoFolder();
    if (folder.empty() || path.empty())
        return false;
    auto name = std::filesystem::path(path).filename().string();
    auto inside = foundation::Sandbox::safeJoin(folder, name);
    return inside && *inside == foundation::Sandbox::absolutePath(path)
        && std::filesystem::path(*inside).parent_path() == std::filesystem::path(folder);
}

void BTXVideoManager::fetchResponseSuccessWithData(XDocElement const* root, int) {
    base::Ref<BTXVideoManager> keep(this);
    auto listed = base::Dictionary::create();
    for (auto const* video = XDoc::childElementNamed("BountixVideo", root); video;
         video = XDoc::nextSiblingNamed("BountixVideo", video)) {
        auto offer = BTXVideoObject::initWithXDoc(video);
        listed->setObject(offer->offerID, base::Value(offer->getDictionary()));
    }
    if (auto cached = getCachedVideoDictonary()) {
        auto kept = cached->copy();
        for (auto const& offerID : cached->keys()) {
            if (listed->contains(offerID)) {
                listed->removeObjectForKey(offerID);
                continue;
            }
            auto const* offer = cached->objectForKey(offerID).dictionary();
            auto location = offer ? stringOf(*offer, BTXVideoObjDataLocation) : std::string();
            std::error_code error;
            if (isInsideVideoFolder(location))
                std::filesystem::remove(location, error);
            else if (!location.empty())
                BTXLog::logWithLevel(BTXLog::Error,
                    where(__LINE__, "fetchResponseSuccessWithData")
                        + "kept a file outside the video folder: " + location);
            kept->removeObjectForKey(offerID);
        }
        defaults().setObject(base::Value(kept), BTXCachedVideoDictKey);
    }
    defaults().setObject(base::Value(listed), BTXUncachedVideoDictKey);
    auto cached = getCachedVideoDictonary();
    if (int(cached ? cached->size() : 0) < videoCacheCount_) {
        unCachedVideoObjects_ = base::Array::create();
        for (auto const& [offerID, offer] : listed->entries())
            unCachedVideoObjects_->add(offer);
        downloadIndex_ = 0;
        beginVideoCaching();
    }
}

void BTXVideoManager::fetchResponseError(int, std::string const&, int) {
    BTXLog::logWithLevel(
        BTXLog::Error, where(__LINE__, "fetchResponseError") + "fetch repsonse error");
}

void BTXVideoManager::stopDownload() {
    if (connection_)
        connection_->cancel();
    connection_ = nullptr;
    videoData_.clear();
    status_ = 0;
}

void BTXVideoManager::beginVideoCaching() {
    foundation::log("BTXVideoManager: Video caching begun with download index:%d", downloadIndex_);
    stopDownload();
    // An offer that cannot be fetched into the folder is passed over.
    for (; downloadIndex_ < int(unCachedVideoObjects_->size()); ++downloadIndex_) {
        auto const* offer = unCachedVideoObjects_->at(std::size_t(downloadIndex_)).dictionary();
        if (!offer)
            continue;
        auto url = stringOf(*offer, BTXVideoObjVideoURL);
        auto name = stringOf(*offer, BTXVideoObjFilename);
        if (!isWebURL(url) || !foundation::Sandbox::safeJoin(videoFolder(), name)
            || name.find('/') != std::string::npos) {
            BTXLog::logWithLevel(
                BTXLog::Error, where(__LINE__, "beginVideoCaching") + "video not fetched: " + url);
            continue;
        }
        auto request = foundation::URLRequest::requestWithURL(
            url, foundation::URLRequestCachePolicy::UseProtocolCachePolicy, 30);
        request.setMaximumBodySize(maximumVideoSize_);
        connection_ = foundation::URLConnection::connectionWithRequest(std::move(request), this);
        return;
    }
}

void BTXVideoManager::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    status_ = response.statusCode();
    videoData_.clear();
}

void BTXVideoManager::didReceiveData(foundation::URLConnection&, base::Bytes const& bytes) {
    videoData_.insert(videoData_.end(), bytes.begin(), bytes.end());
}

void BTXVideoManager::downloadFailed(std::string const& reason) {
    BTXLog::logWithLevel(
        BTXLog::Error, where(__LINE__, "downloadFailed") + "video download failure: " + reason);
    stopDownload();
}

void BTXVideoManager::connectionDidFinishLoading(foundation::URLConnection&) {
    base::Ref<BTXVideoManager> keep(this);
    if (status_ != 200) {
        downloadFailed("status " + std::to_string(status_));
        return;
    }
    auto const* listed = unCachedVideoObjects_->at(std::size_t(downloadIndex_)).dictionary();
    auto offer = listed->copy();
    connection_ = nullptr;
    auto folder = videoFolder();
    auto path = foundation::Sandbox::safeJoin(folder, stringOf(*offer, BTXVideoObjFilename));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (folder.empty() || error || !path) {
        BTXLog::logWithLevel(BTXLog::Error,
            where(__LINE__, "connectionDidFinishLoading")
                + "cannot write to file: " + (error ? error.message() : folder));
        stopDownload();
        return;
    }
    offer->setObject(BTXVideoObjDataLocation, *path);
    if (!foundation::AtomicFile::write(*path, videoData_)) {
        BTXLog::logWithLevel(BTXLog::Error,
            where(__LINE__, "connectionDidFinishLoading") + "cannot write to file: " + *path);
        stopDownload();
        return;
    }
    setCachedVideoObjectDict(offer, stringOf(*offer, BTXVideoObjOfferID));
    videoData_.clear();
    ++downloadIndex_;
    auto cached = getCachedVideoDictonary();
    if (downloadIndex_ < int(unCachedVideoObjects_->size())
        && int(cached ? cached->size() : 0) < videoCacheCount_)
        beginVideoCaching();
}

void BTXVideoManager::didFailWithError(
    foundation::URLConnection&, foundation::URLError const& error) {
    downloadFailed(error.failureReason.empty() ? error.localizedDescription : error.failureReason);
}

}
