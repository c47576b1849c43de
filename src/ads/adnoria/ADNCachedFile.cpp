#include <ads/adnoria/ADNCachedFile.hpp>

#include <ads/adnoria/ADNNetworkUtilities.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/Clock.hpp>
#include <foundation/DateFormatter.hpp>
#include <foundation/Format.hpp>
#include <foundation/Paths.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLParts.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <sys/time.h>

namespace ads::adnoria {

namespace {

constexpr double SecondsFrom1970To2001 = 978307200.0;

foundation::DateFormatter const& httpDateFormatter() {
    static foundation::DateFormatter const formatter(
        "EEE, dd MMM yyyy HH:mm:ss", foundation::TimeZone::utc());
    return formatter;
}

// FNV-1a: any stable hash serves, since it only names the file.
std::uint32_t stringHash(std::string_view text) {
    std::uint32_t hash = 2166136261u;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

bool isUsableFolderName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

}

std::string ADNCachedFile::httpDateString(base::Date date) {
    return httpDateFormatter().stringFromDate(date);
}

std::optional<base::Date> ADNCachedFile::httpDateFromString(std::string_view text) {
    return httpDateFormatter().dateFromString(foundation::trimmed(text));
}

base::Ref<ADNCachedFile> ADNCachedFile::initWithDelegate(
    ADNCachedFileDelegate* delegate, std::string url) {
    auto file = base::make<ADNCachedFile>();
    file->delegate_ = delegate;
    file->sourceURL_ = url;
    file->httpDestinationURL_ = std::move(url);
    return file;
}

ADNCachedFile::~ADNCachedFile() {
    delegate_ = nullptr;
    cleanUp();
}

std::string const& ADNCachedFile::filePath() const {
    if (!filePath_) {
        filePath_ = std::string();
        auto parts = foundation::URLParts::parse(sourceURL_);
        auto caches = foundation::Sandbox::searchPathForDirectoriesInDomains(
            foundation::Sandbox::Directory::Caches);
        if (parts && !caches.empty() && isUsableFolderName(parts->host)) {
            char name[16];
            std::snprintf(name, sizeof name, "%x", unsigned(stringHash(sourceURL_)));
            if (auto folder = foundation::Sandbox::safeJoin(caches.front(), parts->host)) {
                if (auto path = foundation::Sandbox::safeJoin(*folder, name))
                    filePath_ = *path;
            }
        }
    }
    return *filePath_;
}

bool ADNCachedFile::hasContent() const {
    std::error_code error;
    return !filePath().empty() && std::filesystem::exists(filePath(), error);
}

std::optional<std::string> ADNCachedFile::content() const {
    if (filePath().empty())
        return std::nullopt;
    auto bytes = foundation::AtomicFile::read(filePath(), maximumBodySize_);
    if (!bytes)
        return std::nullopt;
    std::string text(bytes->begin(), bytes->end());
    if (!foundation::isValidUtf8(text))
        return std::nullopt;
    return text;
}

std::optional<std::string> ADNCachedFile::fileModificationDate() const {
    struct stat info { };
    if (filePath().empty() || ::stat(filePath().c_str(), &info) != 0)
        return std::nullopt;
    return httpDateString(base::Date {double(info.st_mtime) - SecondsFrom1970To2001});
}

std::string ADNCachedFile::description() const {
    return foundation::format("<%@: %p> HTTP code: %i\n\turl: %@\n\tfile: %@", "ADNCachedFile",
        static_cast<void const*>(this), httpStatusCode_, sourceURL_, filePath());
}

void ADNCachedFile::validate() {
    if (!connection_)
        beginFetchWithCacheBuster(false);
}

void ADNCachedFile::validateWithCacheBuster() {
    if (!connection_)
        beginFetchWithCacheBuster(true);
}

void ADNCachedFile::cancel() {
    cleanUp();
}

void ADNCachedFile::invalidate() {
    cleanUp();
    if (!filePath().empty()) {
        std::error_code error;
        std::filesystem::remove(filePath(), error);
    }
}

void ADNCachedFile::cleanUp() {
    if (connection_) {
        auto connection = std::move(connection_);
        connection->cancel();
    }
    receivedData_.reset();
    receivedModificationDate_.reset();
}

void ADNCachedFile::beginFetchWithCacheBuster(bool cacheBuster) {
    auto url = sourceURL_;
    if (cacheBuster) {
        char now[64];
        std::snprintf(now, sizeof now, "%.0f", foundation::Clock::current().wallTime());
        url = ADNNetworkUtilities::appendQueryKey("unique", std::string_view(now), url);
    }
    auto request = foundation::URLRequest::requestWithURL(url);
    request.setCachePolicy(foundation::URLRequestCachePolicy::ReloadIgnoringLocalCacheData);
    request.setHTTPShouldHandleCookies(true);
    request.setMaximumBodySize(maximumBodySize_);
    if (auto const& userAgent = ADNNetworkUtilities::userAgentString();
        userAgent && !userAgent->empty())
        request.setValue(*userAgent, "User-Agent");
    if (hasContent()) {
        if (auto date = fileModificationDate())
            request.setValue(*date, "If-Modified-Since");
    }
    if (!foundation::URLParts::parse(url)) {
        if (delegate_)
            delegate_->cachedFileDownloadDidFail(*this, std::nullopt);
        return;
    }
    receivedData_ = base::Bytes();
    connection_ = foundation::URLConnection::create(std::move(request), this, true);
}

std::optional<foundation::URLRequest> ADNCachedFile::willSendRequest(foundation::URLConnection&,
    foundation::URLRequest request, foundation::URLResponse const* redirectResponse) {
    base::Ref<ADNCachedFile> keep(this);
    httpDestinationURL_ = request.URL();
    if (redirectResponse) {
        if (redirectResponse->statusCode() > 0)
            httpHeaders_ = redirectResponse->allHeaderFields();
        if (delegate_) {
            if (auto error = delegate_->cachedFileShouldRedirectToURL(*this, request.URL())) {
                cleanUp();
                if (delegate_)
                    delegate_->cachedFileDownloadDidFail(*this, error);
                return std::nullopt;
            }
        }
    }
    return request;
}

void ADNCachedFile::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    base::Ref<ADNCachedFile> keep(this);
    httpStatusCode_ = response.statusCode();
    httpHeaders_ = response.allHeaderFields();
    // URL loading follows only http and https redirects; one to another scheme (a
    // store link) arrives as the reply itself. It is offered to the delegate as the
    // redirect it is, and ends the fetch either way, since nothing can follow it.
    if (httpStatusCode_ >= 300 && httpStatusCode_ < 400) {
        auto location = response.valueForHeaderField("Location");
        auto target = location.empty()
            ? std::nullopt
            : foundation::URLParts::resolve(httpDestinationURL_, location);
        auto colon = location.find(':');
        if (!target && colon != std::string::npos && colon > 0 && location.find('/') > colon)
            target = location;
        if (target) {
            httpDestinationURL_ = *target;
            std::optional<foundation::URLError> error;
            if (delegate_)
                error = delegate_->cachedFileShouldRedirectToURL(*this, *target);
            cleanUp();
            if (delegate_)
                delegate_->cachedFileDownloadDidFail(*this, error);
            return;
        }
    }
    if (httpStatusCode_ == 200) {
        auto lastModified = response.valueForHeaderField("Last-Modified");
        if (lastModified.empty()) {
            receivedModificationDate_.reset();
        } else {
            auto gmt = lastModified.find("GMT");
            receivedModificationDate_ = lastModified.substr(0, gmt);
        }
    } else if (httpStatusCode_ == 304) {
        cleanUp();
        if (delegate_)
            delegate_->cachedFileDownloadDidEnd(*this);
        return;
    } else {
        cleanUp();
        if (delegate_)
            delegate_->cachedFileDownloadDidFail(*this, std::nullopt);
        return;
    }
    if (receivedData_)
        receivedData_->clear();
}

void ADNCachedFile::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    if (receivedData_)
        receivedData_->insert(receivedData_->end(), data.begin(), data.end());
}

void ADNCachedFile::didFailWithError(
    foundation::URLConnection&, foundation::URLError const& error) {
    base::Ref<ADNCachedFile> keep(this);
    cleanUp();
    if (delegate_)
        delegate_->cachedFileDownloadDidFail(*this, error);
}

void ADNCachedFile::connectionDidFinishLoading(foundation::URLConnection&) {
    base::Ref<ADNCachedFile> keep(this);
    auto data = std::move(receivedData_).value_or(base::Bytes());
    auto modificationDate = std::move(receivedModificationDate_);
    cleanUp();
    auto const& path = filePath();
    bool written = false;
    if (!path.empty()) {
        std::error_code error;
        std::filesystem::create_directories(
            foundation::stringByDeletingLastPathComponent(path), error);
        written = foundation::AtomicFile::write(path, data);
    }
    if (!written) {
        if (delegate_)
            delegate_->cachedFileDownloadDidFail(*this,
                foundation::URLError::withDomain(
                    "NSCocoaErrorDomain", 512, "The file could not be written."));
        return;
    }
    if (delegate_)
        delegate_->cachedFileDownloadDidEnd(*this);
    if (modificationDate && !modificationDate->empty()) {
        if (auto date = httpDateFromString(*modificationDate)) {
            struct timeval times[2] {};
            auto seconds = static_cast<time_t>(std::floor(date->seconds + SecondsFrom1970To2001));
            times[0].tv_sec = times[1].tv_sec = seconds;
            ::utimes(path.c_str(), times);
        }
    }
}

}
