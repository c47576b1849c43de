#pragma once

#include <ads/meridian/MERJSONAd.hpp>
#include <ads/meridian/MERURLDownload.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/Coding.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ads::meridian {

// The record of one cached video ad: the ad, its video file and how often it played,
// archived beside the video in the "mersdk" folder of the Library folder. A video is
// never streamed: it is downloaded first and played from the file.
//
// The server's video id names the files only through its MD5 (and the video file's
// extension comes from a short list), so no id can name a file outside "mersdk". A
// finished download writes the marker "cachedVideo.plist" naming the video to play at
// the next request. Main thread only.
class MERVideoCache final : public base::Object,
                            public foundation::Coding,
                            public MERURLDownloadDelegate {
public:
    static constexpr char const* archiveExtension = "merarchive";
    static constexpr char const* markerName = "cachedVideo.plist";
    static constexpr char const* markerKey = "needToPlayVideo";

    static base::Ref<MERVideoCache> initWithAd(base::Ref<MERJSONAd> ad);
    ~MERVideoCache() override;

    // The "mersdk" folder, created when missing.
    static std::string folderPath();
    static std::string markerPath();
    // The record of the video, or null when it has none (or it cannot be read).
    static base::Ref<MERVideoCache> loadFromArchive(std::string const& videoId);
    static bool cacheExists(std::string const& videoId);
    // Every record file of the folder, as full paths.
    static std::vector<std::string> cachedVideoPaths();
    static void removeExpiredCaches();

    std::string localFilePath() const;
    std::string archivedFilePath() const;
    bool isDownloadComplete() const;
    bool isCacheExpired() const;
    void incrementNumPlaysBy(int plays);
    void save();
    void removeCache();

    void startOrFinishDownloadWithDelegate(MERURLDownloadDelegate* delegate);
    void restartDownloadWithDelegate(MERURLDownloadDelegate* delegate);
    void updateWithNewAd(base::Ref<MERJSONAd> ad);
    void downloadDidFinish(MERURLDownload& download) override;
    void downloadDidFail(MERURLDownload& download, foundation::URLError const& error) override;

    std::string const& vid() const { return vid_; }
    std::optional<std::string> const& url() const { return url_; }
    bool downloadFinished() const { return downloadFinished_; }
    std::optional<int> numPlays() const { return numPlays_; }
    std::optional<base::Date> const& experation() const { return experation_; }
    std::string const& localPath() const { return localPath_; }
    MERJSONAd& ad() const { return *ad_; }
    MERURLDownload* urlDownload() const { return urlDownload_.get(); }

    static base::Ref<MERVideoCache> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;
    static void registerCoding();

    // The files of a video id: MD5 of the id, then the extension.
    static std::string baseNameForVideo(std::string const& videoId);

private:
    void takeFieldsFromAd();
    void dropDownload();

    std::string vid_;
    std::optional<std::string> url_;
    bool downloadFinished_ {false};
    std::optional<int> numPlays_;
    std::optional<base::Date> experation_;
    std::string localPath_;
    base::Ref<MERJSONAd> ad_;
    base::Ref<MERURLDownload> urlDownload_;

    friend base::Factory;
    explicit MERVideoCache(base::Ref<MERJSONAd> ad);
};

}
