#pragma once

#include <foundation/HTTPHeaderFields.hpp>

#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace foundation {

// How a request may use cached data. Kept and handed on; there is no local cache,
// so every policy loads from the network except ReturnCacheDataDontLoad, which
// then fails with ResourceUnavailable.
enum class URLRequestCachePolicy {
    UseProtocolCachePolicy = 0,
    ReloadIgnoringLocalCacheData = 1,
    ReturnCacheDataElseLoad = 2,
    ReturnCacheDataDontLoad = 3,
    ReloadIgnoringLocalAndRemoteCacheData = 4,
    ReloadRevalidatingCacheData = 5,
};

// One HTTP request: URL, method, header fields, an optional body (bytes or a
// stream) and how to load it. A plain value, mutable like the platform's
// mutable request; copies share a body stream, which is read once.
class URLRequest {
public:
    // Fills buffer with up to capacity bytes of the body and returns how many; 0
    // at the end, a negative count on a read error (the load then fails). Called
    // on the URL-loading worker thread, never on the thread that made the request.
    using BodyStream = std::function<std::ptrdiff_t(std::uint8_t* buffer, std::size_t capacity)>;

    static constexpr double DefaultTimeoutInterval = 60;
    // Well above anything the game downloads (content archives are a few MB).
    static constexpr std::uint64_t DefaultMaximumBodySize = std::uint64_t(64) << 20;

    URLRequest() = default;
    explicit URLRequest(std::string url)
        : url_(std::move(url)) { }
    static URLRequest requestWithURL(std::string url) { return URLRequest(std::move(url)); }
    static URLRequest requestWithURL(std::string url, URLRequestCachePolicy policy, double timeout);

    std::string const& URL() const { return url_; }
    void setURL(std::string url) { url_ = std::move(url); }

    // "GET" unless set.
    std::string const& HTTPMethod() const { return method_; }
    void setHTTPMethod(std::string method) { method_ = std::move(method); }

    HTTPHeaderFields const& allHTTPHeaderFields() const { return headers_; }
    void setAllHTTPHeaderFields(HTTPHeaderFields fields) { headers_ = std::move(fields); }
    std::string valueForHTTPHeaderField(std::string_view name) const {
        return headers_.valueForKey(name);
    }
    // Replaces the field in any letter case.
    void setValue(std::string value, std::string_view field) {
        headers_.set(field, std::move(value));
    }
    void removeValueForHTTPHeaderField(std::string_view field) { headers_.remove(field); }
    // Appends to an existing value with ", ".
    void addValue(std::string_view value, std::string_view field) { headers_.add(field, value); }

    base::Bytes const& HTTPBody() const { return body_; }
    // Setting a body drops any body stream, and the other way round.
    void setHTTPBody(base::Bytes body);
    void setHTTPBody(std::string_view text);
    BodyStream const* HTTPBodyStream() const { return bodyStream_.get(); }
    void setHTTPBodyStream(BodyStream stream);
    bool hasBody() const { return !body_.empty() || bodyStream_; }

    // Seconds a load may stay idle (connecting, or waiting for the next bytes)
    // before it fails with TimedOut. 60 unless set; zero or less means 60.
    double timeoutInterval() const { return timeoutInterval_; }
    void setTimeoutInterval(double seconds) {
        timeoutInterval_ = seconds > 0 ? seconds : DefaultTimeoutInterval;
    }

    // The most bytes of reply body (as delivered, after any content decoding) that a
    // load takes: a larger body ends it with DataLengthExceedsMaximum, so a server
    // cannot make a client hold without end whatever it sends. 64 MB unless set;
    // zero means the default.
    std::uint64_t maximumBodySize() const { return maximumBodySize_; }
    void setMaximumBodySize(std::uint64_t bytes) {
        maximumBodySize_ = bytes > 0 ? bytes : DefaultMaximumBodySize;
    }

    URLRequestCachePolicy cachePolicy() const { return cachePolicy_; }
    void setCachePolicy(URLRequestCachePolicy policy) { cachePolicy_ = policy; }

    // With it (the default) stored cookies go out with the request and cookies
    // set by the replies are stored in the shared cookie storage.
    bool HTTPShouldHandleCookies() const { return handleCookies_; }
    void setHTTPShouldHandleCookies(bool handle) { handleCookies_ = handle; }

private:
    std::string url_;
    std::string method_ {"GET"};
    HTTPHeaderFields headers_;
    base::Bytes body_;
    std::shared_ptr<BodyStream> bodyStream_;
    double timeoutInterval_ {DefaultTimeoutInterval};
    std::uint64_t maximumBodySize_ {DefaultMaximumBodySize};
    URLRequestCachePolicy cachePolicy_ {URLRequestCachePolicy::UseProtocolCachePolicy};
    bool handleCookies_ {true};
};

}
