#pragma once

#include <analytics/KestrelHTTPResponse.hpp>

#include <foundation/HTTPHeaderFields.hpp>

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace analytics {

// The analytics agent's own small HTTP client: one request sent and its complete
// answer awaited on the calling thread, whose run loop runs meanwhile (the URL
// connection's callbacks come through it). Redirects are followed, the stored
// credential is proposed, no cookies are sent or kept and nothing is cached. It
// blocks, so uploads that must not hold the main thread call it from their own
// threads. Class-only.
class KestrelHTTPEater final {
public:
    KestrelHTTPEater() = delete;

    static constexpr int defaultTimeout = 20;

    static base::Ref<KestrelHTTPResponse> get(std::string const& url);
    static base::Ref<KestrelHTTPResponse> get(
        std::string const& url, foundation::HTTPHeaderFields const& headerFields);
    static base::Ref<KestrelHTTPResponse> post(std::string const& url, base::Bytes const& body);
    static base::Ref<KestrelHTTPResponse> post(std::string const& url, base::Bytes const& body,
        foundation::HTTPHeaderFields const& headerFields);

    // Sends method to url with the body and exactly these header fields, waiting
    // up to timeoutInterval seconds of silence. The whole wait is bounded too, so a
    // server that trickles bytes cannot hold the caller for ever. With useWebView
    // an off-screen web view loads the request on the main thread instead, and
    // the answer is none (the caller waits only for the hand-over).
    static base::Ref<KestrelHTTPResponse> sendMethod(std::string const& method,
        std::string const& url, base::Bytes const& body,
        foundation::HTTPHeaderFields const& headerFields, int timeoutInterval, bool useWebView);

    // "key=value" pairs in the dictionary's order joined with "&", every key and
    // value percent-escaped so that no "&", "=" or "#" inside one splits the query.
    static std::string queryDictionaryToString(base::Dictionary const& query);
    // "<protocol or http>://<host>[:<port> unless 0 or 80][/<path>][?<query>]".
    static std::string urlWithProtocol(std::optional<std::string_view> protocol,
        std::optional<std::string_view> host, int port, std::optional<std::string_view> path,
        std::optional<std::string_view> query);
    static std::string urlWithProtocol(std::optional<std::string_view> protocol,
        std::optional<std::string_view> host, int port, std::optional<std::string_view> path,
        base::Dictionary const& query);
};

}
