#include <ads/meridian/MERVideoCache.hpp>

#include <ads/meridian/MERConfiguration.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>
#include <foundation/Hex.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/Paths.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLParts.hpp>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string_view>

namespace ads::meridian {

namespace {

// The video file keeps the extension of its URL when it is one of these.
constexpr std::string_view videoExtensions[] = {"mp4", "m4v", "mov", "3gp"};

std::string videoExtensionOf(std::optional<std::string> const& url) {
    if (!url)
        return "mp4";
    auto parts = foundation::URLParts::parse(*url);
    auto extension = foundation::lowercase(foundation::pathExtension(parts ? parts->path : *url));
    bool known = std::find(std::begin(videoExtensions), std::end(videoExtensions), extension)
        != std::end(videoExtensions);
    return known ? extension : std::string("mp4");
}

void removeFile(std::string const& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}

void MERVideoCache::registerCoding() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        MERJSONAd::registerCoding();
        foundation::Coding::registerClass<MERVideoCache>("MERVideoCache");
    });
}

base::Ref<MERVideoCache> MERVideoCache::initWithAd(base::Ref<MERJSONAd> ad) {
    registerCoding();
    return base::make<MERVideoCache>(std::move(ad));
}

MERVideoCache::MERVideoCache(base::Ref<MERJSONAd> ad)
    : ad_(std::move(ad)) {
    takeFieldsFromAd();
}

MERVideoCache::~MERVideoCache() {
    dropDownload();
}

void MERVideoCache::takeFieldsFromAd() {
    vid_ = ad_->videoId().value_or("");
    url_ = ad_->videoContentURL();
    experation_ = ad_->videoExpirationDate();
    localPath_ = localFilePath();
}

std::string MERVideoCache::folderPath() {
    return meridianFolderPath();
}

std::string MERVideoCache::markerPath() {
    return foundation::stringByAppendingPathComponent(folderPath(), markerName);
}

std::string MERVideoCache::baseNameForVideo(std::string const& videoId) {
    return foundation::Hex::encode(foundation::Digest::md5(foundation::ByteView(
        reinterpret_cast<std::uint8_t const*>(videoId.data()), videoId.size())));
}

std::string MERVideoCache::localFilePath() const {
    return foundation::stringByAppendingPathComponent(
        folderPath(), baseNameForVideo(vid_) + "." + videoExtensionOf(url_));
}

std::string MERVideoCache::archivedFilePath() const {
    return foundation::stringByAppendingPathComponent(
        folderPath(), baseNameForVideo(vid_) + "." + archiveExtension);
}

base::Ref<MERVideoCache> MERVideoCache::loadFromArchive(std::string const& videoId) {
    registerCoding();
    auto path = foundation::stringByAppendingPathComponent(
        folderPath(), baseNameForVideo(videoId) + "." + archiveExtension);
    return foundation::KeyedUnarchiver::unarchiveObjectWithFile<MERVideoCache>(path);
}

bool MERVideoCache::cacheExists(std::string const& videoId) {
    return loadFromArchive(videoId) != nullptr;
}

std::vector<std::string> MERVideoCache::cachedVideoPaths() {
    std::vector<std::string> paths;
    std::error_code error;
    for (auto const& entry : std::filesystem::directory_iterator(folderPath(), error)) {
        auto path = entry.path().string();
        if (foundation::pathExtension(path) == archiveExtension)
            paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

void MERVideoCache::removeExpiredCaches() {
    registerCoding();
    for (auto const& path : cachedVideoPaths()) {
        auto cache = foundation::KeyedUnarchiver::unarchiveObjectWithFile<MERVideoCache>(path);
        if (cache && cache->isCacheExpired())
            cache->removeCache();
    }
}

bool MERVideoCache::isDownloadComplete() const {
    std::error_code ignored;
    return downloadFinished_ && std::filesystem::is_regular_file(localPath_, ignored);
}

bool MERVideoCache::isCacheExpired() const {
    return experation_ && experation_->seconds < foundation::Clock::current().wallTime();
}

void MERVideoCache::incrementNumPlaysBy(int plays) {
    numPlays_ = numPlays_.value_or(0) + plays;
}

void MERVideoCache::save() {
    base::Ref<MERVideoCache> self(this);
    foundation::KeyedArchiver::archiveRootObject(self, archivedFilePath());
}

void MERVideoCache::removeCache() {
    removeFile(archivedFilePath());
    removeFile(localPath_);
    removeFile(localPath_ + MERURLDownload::partExtension);
}

void MERVideoCache::startOrFinishDownloadWithDelegate(MERURLDownloadDelegate* delegate) {
    if (!ad_->buttonsHaveBeenDownloaded())
        ad_->downloadButtons();
    dropDownload();
    if (!url_) {
        foundation::log("MERSDK: video %@ has no content URL", vid_);
        return;
    }
    urlDownload_ = MERURLDownload::initWithURL(*url_, localPath_, delegate);
}

void MERVideoCache::restartDownloadWithDelegate(MERURLDownloadDelegate* delegate) {
    dropDownload();
    removeFile(localPath_);
    removeFile(localPath_ + MERURLDownload::partExtension);
    startOrFinishDownloadWithDelegate(delegate);
}

void MERVideoCache::dropDownload() {
    if (urlDownload_) {
        urlDownload_->setDelegate(nullptr);
        urlDownload_->cancel();
        urlDownload_ = nullptr;
    }
}

void MERVideoCache::downloadDidFinish(MERURLDownload&) {
    downloadFinished_ = true;
    auto marker = base::Dictionary::create();
    marker->setObject(markerKey, vid_);
    foundation::PropertyList::writeToFile(marker, markerPath());
    save();
    dropDownload();
}

void MERVideoCache::downloadDidFail(MERURLDownload&, foundation::URLError const&) {
    dropDownload();
}

void MERVideoCache::updateWithNewAd(base::Ref<MERJSONAd> ad) {
    if (ad->videoId().value_or("") == vid_) {
        auto const& oldButtons = ad_->videoButtons();
        auto const& newButtons = ad->videoButtons();
        bool same = oldButtons.size() == newButtons.size();
        for (std::size_t i = 0; same && i < oldButtons.size(); ++i)
            same = oldButtons[i]->isEqualToVideoButton(*newButtons[i]);
        if (same)
            ad->updateAdWithAd(*ad_);
    } else {
        ad->updateAdWithAd(*ad_);
    }
    if (!ad->buttonsHaveBeenDownloaded())
        ad->downloadButtons();
    ad_ = std::move(ad);
    takeFieldsFromAd();
    save();
}

void MERVideoCache::encodeWithCoder(foundation::KeyedArchiver& coder) {
    coder.encodeObject(ad_, "ad");
    coder.encodeObject(base::Value(vid_), "vid");
    coder.encodeObject(url_ ? base::Value(*url_) : base::Value(), "url");
    coder.encodeObject(experation_ ? base::Value(*experation_) : base::Value(), "experation");
    coder.encodeObject(base::Value(localPath_), "localPath");
    coder.encodeBool(downloadFinished_, "downloadFinished");
    coder.encodeObject(numPlays_ ? base::Value(*numPlays_) : base::Value(), "numPlays");
}

// The record's paths are made again from its video id: a record file cannot point the
// cache at a file outside the folder.
base::Ref<MERVideoCache> MERVideoCache::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto ad = coder.decodeObjectForKey<MERJSONAd>("ad");
    if (!ad)
        return nullptr;
    auto cache = base::make<MERVideoCache>(ad);
    if (auto const vidValue = coder.decodeObjectForKey("vid"); auto const* vid = vidValue.string())
        cache->vid_ = *vid;
    if (auto const urlValue = coder.decodeObjectForKey("url"); auto const* url = urlValue.string())
        cache->url_ = *url;
    else
        cache->url_.reset();
    if (auto const dateValue = coder.decodeObjectForKey("experation");
        auto const* date = dateValue.date())
        cache->experation_ = *date;
    else
        cache->experation_.reset();
    cache->localPath_ = cache->localFilePath();
    cache->downloadFinished_ = coder.decodeBoolForKey("downloadFinished");
    if (auto const& plays = coder.decodeObjectForKey("numPlays"); plays.isNumber())
        cache->numPlays_ = plays.intValue();
    return cache;
}

}
