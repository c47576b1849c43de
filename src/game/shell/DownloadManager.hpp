#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/URLConnection.hpp>

#include <map>
#include <string>
#include <vector>

namespace game {

// Told of finished downloads, in registration order. Both operations are optional.
class DownloadManagerDelegate {
public:
    virtual ~DownloadManagerDelegate() = default;
    virtual void downloadDidFinish(std::string const&, base::Bytes const&) { }
    // The download of the URL ended without its file: no connection, an HTTP status
    // other than success, or a transfer cut short. Callers waiting for a file hear it
    // here instead of waiting forever.
    virtual void downloadDidFail(std::string const&) { }
};

// Fetches files over HTTP into memory, saves them into the data folder when asked,
// and tells the registered delegates when each download has finished or failed.
// One download per URL at a time. A name to save under must be a plain file name
// (not empty, not "." or "..", no folder separator), so nothing is written outside
// the data folder; a download with any other name is refused before it starts.
// The delegates are not retained: a delegate removes itself before it goes. One
// per process; main thread (the URL loading calls back on it).
class DownloadManager final : public base::Object, private foundation::URLConnectionDelegate {
public:
    static DownloadManager& sharedManager();
    // Cancels every download and forgets the delegates (tests).
    static void resetSharedManager();

    void addDelegate(DownloadManagerDelegate* delegate);
    void removeDelegate(DownloadManagerDelegate* delegate);

    // Starts a download into memory; false when there is no network, the same URL is
    // already downloading, or no connection can be made.
    bool requestURL(std::string const& url);
    // The same, saving the result under the URL's last path component.
    bool downloadFile(std::string const& url);
    bool downloadFile(std::string const& url, std::string const& saveAsFilename);
    // Writes data to the data folder under name; the path written, or none when the
    // name is refused or the file cannot be written.
    static std::optional<std::string> saveData(base::Bytes const& data, std::string const& name);

    // Whether a file name may be saved in the data folder.
    static bool isSafeFileName(std::string_view name);
    // The last path component of a URL's path (query and fragment left out).
    static std::string fileNameOfURL(std::string_view url);

    bool isDownloading(std::string const& url) const { return connectionList.contains(url); }
    std::size_t downloadCount() const { return connectionList.size(); }

private:
    friend base::Factory;
    DownloadManager() = default;
    ~DownloadManager() override;

    void didReceiveResponse(
        foundation::URLConnection& connection, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;

    // The URL of a running connection; empty for one that is not ours.
    std::string urlOf(foundation::URLConnection const& connection) const;
    void forget(std::string const& url);
    void tellFailure(std::string const& url);

    std::map<std::string, base::Ref<foundation::URLConnection>> connectionList;
    std::map<std::string, base::Bytes> dataList;
    std::map<std::string, std::string> saveAsFilenameList;
    std::vector<std::string> saveFileListArray;
    std::vector<DownloadManagerDelegate*> delegateArray;
};

}
