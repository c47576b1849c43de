#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/HTTPHeaderFields.hpp>
#include <foundation/URLConnection.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::adnoria {

class ADNCachedFile;

// What a cached file tells its owner; each fetch ends in exactly one call unless it
// is cancelled or invalidated. The error of a failure may be missing (a refused
// status, a connection that could not be made).
class ADNCachedFileDelegate {
public:
    virtual ~ADNCachedFileDelegate() = default;
    virtual void cachedFileDownloadDidEnd(ADNCachedFile& file) = 0;
    virtual void cachedFileDownloadDidFail(
        ADNCachedFile& file, std::optional<foundation::URLError> error)
        = 0;
    // Before a redirect is followed: nothing to follow it, an error to stop the fetch.
    virtual std::optional<foundation::URLError> cachedFileShouldRedirectToURL(
        ADNCachedFile& file, std::string const& url)
        = 0;
};

// One URL fetched into a file under the Caches folder ("<host>/<hash>") and
// revalidated with "If-Modified-Since": 200 writes the body atomically and gives
// the file the reply's "Last-Modified" time, 304 keeps the file, anything else
// fails and leaves an earlier file in place. A host that cannot be a folder name
// ("", ".", "..", or one holding "/") gives no file path, so such a fetch fails
// when it would write. Bodies larger than maximumBodySize fail. The delegate is not
// retained. Main thread.
class ADNCachedFile final : public base::Object, private foundation::URLConnectionDelegate {
public:
    static constexpr std::uint64_t DefaultMaximumBodySize = std::uint64_t(4) << 20;

    static base::Ref<ADNCachedFile> initWithDelegate(
        ADNCachedFileDelegate* delegate, std::string url);
    ~ADNCachedFile() override;

    void validate();
    void validateWithCacheBuster();
    void cancel();
    void invalidate();

    bool hasContent() const;
    std::optional<std::string> content() const;
    std::string const& filePath() const;
    std::optional<std::string> fileModificationDate() const;
    foundation::HTTPHeaderFields const& httpHeaders() const { return httpHeaders_; }
    int httpStatusCode() const { return httpStatusCode_; }
    std::string const& httpDestinationURL() const { return httpDestinationURL_; }
    std::string const& sourceURL() const { return sourceURL_; }
    ADNCachedFileDelegate* delegate() const { return delegate_; }
    void setDelegate(ADNCachedFileDelegate* delegate) { delegate_ = delegate; }
    bool isFetching() const { return bool(connection_); }
    std::string description() const;

    std::uint64_t maximumBodySize() const { return maximumBodySize_; }
    void setMaximumBodySize(std::uint64_t bytes) { maximumBodySize_ = bytes; }

    // "EEE, dd MMM yyyy HH:mm:ss" in GMT, with no zone name.
    static std::string httpDateString(base::Date date);
    static std::optional<base::Date> httpDateFromString(std::string_view text);

private:
    friend base::Factory;
    ADNCachedFile() = default;

    void beginFetchWithCacheBuster(bool cacheBuster);
    void cleanUp();

    std::optional<foundation::URLRequest> willSendRequest(foundation::URLConnection&,
        foundation::URLRequest request, foundation::URLResponse const* redirectResponse) override;
    void didReceiveResponse(
        foundation::URLConnection&, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const& error) override;

    ADNCachedFileDelegate* delegate_ {nullptr};
    std::string sourceURL_;
    mutable std::optional<std::string> filePath_;
    base::Ref<foundation::URLConnection> connection_;
    std::optional<base::Bytes> receivedData_;
    std::optional<std::string> receivedModificationDate_;
    std::string httpDestinationURL_;
    int httpStatusCode_ {0};
    foundation::HTTPHeaderFields httpHeaders_;
    std::uint64_t maximumBodySize_ {DefaultMaximumBodySize};
};

}
