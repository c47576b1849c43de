#include <ads/meridian/MERURLDownload.hpp>

#include <ads/meridian/MERConfiguration.hpp>
#include <foundation/Format.hpp>
#include <foundation/URLRequest.hpp>
#include <foundation/URLResponse.hpp>

#include <filesystem>
#include <string>
#include <system_error>

namespace ads::meridian {

namespace {

foundation::URLError downloadError(long code, std::string description, std::string const& url) {
    foundation::URLError error;
    error.domain = MERURLDownload::errorDomain;
    error.code = code;
    error.localizedDescription = std::move(description);
    error.failingURL = url;
    return error;
}

std::uint64_t sizeOf(std::string const& path) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

}

base::Ref<MERURLDownload> MERURLDownload::initWithURL(
    std::string url, std::string filePath, MERURLDownloadDelegate* delegate) {
    return base::make<MERURLDownload>(std::move(url), std::move(filePath), delegate);
}

MERURLDownload::MERURLDownload(
    std::string url, std::string filePath, MERURLDownloadDelegate* delegate)
    : url_(std::move(url))
    , filePath_(std::move(filePath))
    , delegate_(delegate) {
    std::error_code error;
    // A finished file that is asked for again is continued like a part file.
    if (!std::filesystem::exists(partPath(), error) && std::filesystem::exists(filePath_, error))
        std::filesystem::rename(filePath_, partPath(), error);
    firstDownload_ = !std::filesystem::exists(partPath(), error);
    startDownload(url_, firstDownload_ ? 0 : sizeOf(partPath()));
}

MERURLDownload::~MERURLDownload() {
    cancel();
}

void MERURLDownload::cancel() {
    if (connection_) {
        connection_->cancel();
        connection_ = nullptr;
    }
    part_.close();
}

void MERURLDownload::startDownload(std::string const& url, std::uint64_t offset) {
    cancel();
    offset_ = offset;
    written_ = 0;
    accepted_ = false;
    foundation::URLRequest request(url);
    if (offset > 0)
        request.setValue(foundation::format("bytes=%llu-", offset), "Range");
    auto limit = MERConfiguration::current().maximumVideoBytes;
    // The transport stops a longer body too; the check below names the limit.
    request.setMaximumBodySize(limit + 1);
    connection_ = foundation::URLConnection::create(std::move(request), this);
}

void MERURLDownload::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    int status = response.statusCode();
    bool resumed = offset_ > 0 && status == 206
        && response.valueForHeaderField("Content-Range")
               .starts_with(foundation::format("bytes %llu-", offset_));
    bool whole = status >= 200 && status < 300 && status != 206;
    if (!resumed && !whole) {
        fail(downloadError(
            BadStatus, foundation::format("The video server answered %d", status), url_));
        return;
    }
    if (whole)
        offset_ = 0;
    part_.open(
        partPath(), whole ? std::ios::binary | std::ios::trunc : std::ios::binary | std::ios::app);
    if (!part_) {
        fail(downloadError(CannotWrite, "The video file cannot be written", url_));
        return;
    }
    accepted_ = true;
}

void MERURLDownload::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    if (!accepted_)
        return;
    written_ += data.size();
    if (offset_ + written_ > MERConfiguration::current().maximumVideoBytes) {
        std::error_code error;
        part_.close();
        std::filesystem::remove(partPath(), error);
        fail(downloadError(TooLarge, "The video is larger than allowed", url_));
        return;
    }
    part_.write(reinterpret_cast<char const*>(data.data()), std::streamsize(data.size()));
    if (!part_)
        fail(downloadError(CannotWrite, "The video file cannot be written", url_));
}

void MERURLDownload::connectionDidFinishLoading(foundation::URLConnection&) {
    connection_ = nullptr;
    part_.close();
    std::error_code error;
    std::filesystem::rename(partPath(), filePath_, error);
    if (error) {
        fail(downloadError(CannotWrite, "The video file cannot be written", url_));
        return;
    }
    if (delegate_)
        delegate_->downloadDidFinish(*this);
}

void MERURLDownload::didFailWithError(
    foundation::URLConnection&, foundation::URLError const& error) {
    connection_ = nullptr;
    if (error.code == foundation::URLError::DataLengthExceedsMaximum) {
        std::error_code ignored;
        part_.close();
        std::filesystem::remove(partPath(), ignored);
    }
    fail(error);
}

// What arrived so far stays in the part file for the next attempt.
void MERURLDownload::fail(foundation::URLError const& error) {
    base::Ref<MERURLDownload> keepAlive(this);
    cancel();
    if (delegate_)
        delegate_->downloadDidFail(*this, error);
}

}
