#include <analytics/KestrelHTTPEater.hpp>

#include <analytics/KestrelConnectionDelegate.hpp>
#include <analytics/KestrelUtil.hpp>

#include <ui/WebView.hpp>

#include <foundation/Format.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Strings.hpp>
#include <foundation/Thread.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/URLRequest.hpp>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace analytics {

namespace {

// The longest whole wait, as a multiple of the idle time-out the caller gives.
constexpr double wholeWaitFactor = 3;

foundation::URLRequest makeRequest(std::string const& method, std::string const& url,
    base::Bytes const& body, foundation::HTTPHeaderFields const& headerFields,
    int timeoutInterval) {
    auto request = foundation::URLRequest::requestWithURL(url,
        foundation::URLRequestCachePolicy::ReloadIgnoringLocalAndRemoteCacheData,
        double(timeoutInterval));
    request.setAllHTTPHeaderFields(headerFields);
    request.setHTTPMethod(method);
    if (!body.empty())
        request.setHTTPBody(body);
    request.setHTTPShouldHandleCookies(false);
    return request;
}

// Web views that load on behalf of the client stay alive until their page is in.
std::vector<base::Ref<ui::WebView>>& loadingWebViews() {
    static std::vector<base::Ref<ui::WebView>> views;
    return views;
}

void loadInWebView(foundation::URLRequest request) {
    auto& views = loadingWebViews();
    std::erase_if(views, [](base::Ref<ui::WebView> const& view) { return !view->isLoading(); });
    auto view = ui::WebView::create({{10, 10}, {10, 10}});
    view->loadRequest(std::move(request));
    if (view->isLoading())
        views.push_back(std::move(view));
}

}

base::Ref<KestrelHTTPResponse> KestrelHTTPEater::get(std::string const& url) {
    return get(url, {});
}

base::Ref<KestrelHTTPResponse> KestrelHTTPEater::get(
    std::string const& url, foundation::HTTPHeaderFields const& headerFields) {
    return sendMethod("GET", url, {}, headerFields, defaultTimeout, false);
}

base::Ref<KestrelHTTPResponse> KestrelHTTPEater::post(
    std::string const& url, base::Bytes const& body) {
    return post(url, body, {});
}

base::Ref<KestrelHTTPResponse> KestrelHTTPEater::post(std::string const& url,
    base::Bytes const& body, foundation::HTTPHeaderFields const& headerFields) {
    return sendMethod("POST", url, body, headerFields, defaultTimeout, false);
}

base::Ref<KestrelHTTPResponse> KestrelHTTPEater::sendMethod(std::string const& method,
    std::string const& url, base::Bytes const& body,
    foundation::HTTPHeaderFields const& headerFields, int timeoutInterval, bool useWebView) {
    KestrelUtil::debugLog("KestrelAnalytics: %@: %@", method, url);
    int timeout = timeoutInterval > 0 ? timeoutInterval : defaultTimeout;
    auto request = makeRequest(method, url, body, headerFields, timeout);

    if (useWebView) {
        if (foundation::Thread::isMainThread()) {
            loadInWebView(std::move(request));
            return nullptr;
        }
        // Handed to the main thread; the wait ends when the load has been started
        // there, or after the time-out when the main thread is busy.
        struct HandOver {
            std::mutex mutex;
            std::condition_variable started;
            bool done {false};
        };
        auto handOver = std::make_shared<HandOver>();
        foundation::RunLoop::main().perform([handOver, request] {
            loadInWebView(request);
            std::lock_guard lock(handOver->mutex);
            handOver->done = true;
            handOver->started.notify_all();
        });
        std::unique_lock lock(handOver->mutex);
        handOver->started.wait_for(
            lock, std::chrono::seconds(timeout), [&] { return handOver->done; });
        return nullptr;
    }

    auto delegate = KestrelConnectionDelegate::create();
    auto connection = foundation::URLConnection::create(request, delegate.get(), true);
    bool done = foundation::RunLoop::current().runUntil(
        [&] { return delegate->isDone(); }, timeout * wholeWaitFactor);
    if (!done) {
        // The wait was cut short (its bound, or a stop of the run loop): nothing
        // more may reach the delegate.
        connection->cancel();
        delegate->failWith(foundation::URLError::make(foundation::URLError::TimedOut, url));
    }
    auto response = KestrelHTTPResponse::initWithResponse(
        delegate->response(), delegate->body(), delegate->error());
    KestrelUtil::debugLog("KestrelAnalytics: HTTP Response[%@]", response);
    return response;
}

std::string KestrelHTTPEater::queryDictionaryToString(base::Dictionary const& query) {
    std::string result;
    for (auto const& [key, value] : query) {
        if (!result.empty())
            result += '&';
        std::string text = value.isString() || value.isNumber() || value.isBoolean()
            ? value.stringValue()
            : value.description();
        result += foundation::format("%@=%@", foundation::addingStrictPercentEscapes(key),
            foundation::addingStrictPercentEscapes(text));
    }
    return result;
}

std::string KestrelHTTPEater::urlWithProtocol(std::optional<std::string_view> protocol,
    std::optional<std::string_view> host, int port, std::optional<std::string_view> path,
    std::optional<std::string_view> query) {
    std::string url = foundation::format("%@://", protocol ? *protocol : std::string_view("http"));
    if (host)
        url += *host;
    if (port != 0 && port != 80)
        url += foundation::format(":%d", port);
    if (path)
        url += foundation::format("/%@", *path);
    if (query)
        url += foundation::format("?%@", *query);
    return url;
}

std::string KestrelHTTPEater::urlWithProtocol(std::optional<std::string_view> protocol,
    std::optional<std::string_view> host, int port, std::optional<std::string_view> path,
    base::Dictionary const& query) {
    return urlWithProtocol(
        protocol, host, port, path, std::string_view(queryDictionaryToString(query)));
}

}
