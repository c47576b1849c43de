#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/URLConnection.hpp>

#include <cstdint>
#include <fstream>
#include <string>

namespace ads::meridian {

class MERURLDownload;

// Told how a download ended; both are optional in use.
class MERURLDownloadDelegate {
public:
    virtual ~MERURLDownloadDelegate() = default;
    virtual void downloadDidFinish(MERURLDownload&) { }
    virtual void downloadDidFail(MERURLDownload&, foundation::URLError const&) { }
};

// Downloads one URL into one file, continuing a partial one. The body streams into
// the part file beside the target ("<file>.part"), never whole into memory; when the
// load ends the part file becomes the file. A part file (or a target file) already
// there is continued with "Range: bytes=N-": a 206 reply is appended, a 200 reply
// (the server sent the whole file) rewrites it from the start, and any other status
// fails and leaves it untouched for the next attempt. A body that would make the file
// longer than the configured limit is cancelled, its part file deleted, and fails.
// Starts at creation; main thread and its run loop.
class MERURLDownload final : public base::Object, private foundation::URLConnectionDelegate {
public:
    static constexpr char const* partExtension = ".part";
    static constexpr char const* errorDomain = "MERURLDownloadErrorDomain";
    enum ErrorCode { BadStatus = 1, TooLarge = 2, CannotWrite = 3 };

    static base::Ref<MERURLDownload> initWithURL(
        std::string url, std::string filePath, MERURLDownloadDelegate* delegate);
    ~MERURLDownload() override;

    void startDownload(std::string const& url, std::uint64_t offset);
    void cancel();

    std::string const& url() const { return url_; }
    std::string const& filePath() const { return filePath_; }
    std::string partPath() const { return filePath_ + partExtension; }
    bool isFirstDownload() const { return firstDownload_; }
    MERURLDownloadDelegate* delegate() const { return delegate_; }
    void setDelegate(MERURLDownloadDelegate* delegate) { delegate_ = delegate; }

private:
    void didReceiveResponse(foundation::URLConnection&, foundation::URLResponse const&) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const& error) override;

    void fail(foundation::URLError const& error);

    std::string url_;
    std::string filePath_;
    base::Ref<foundation::URLConnection> connection_;
    bool firstDownload_ {true};
    MERURLDownloadDelegate* delegate_ {nullptr};
    std::uint64_t offset_ {0};
    std::uint64_t written_ {0};
    std::ofstream part_;
    bool accepted_ {false};

    friend base::Factory;
    MERURLDownload(std::string url, std::string filePath, MERURLDownloadDelegate* delegate);
};

}
