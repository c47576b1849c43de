#include <base/WeakRef.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLParts.hpp>
#include <ui/WebView.hpp>

#include <cctype>

namespace ui {

namespace {

WebView::Factory& factory() {
    static WebView::Factory installed;
    return installed;
}

// The scheme of a URL in lower case; empty when the text has none.
std::string schemeOf(std::string const& url) {
    auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0)
        return {};
    for (std::size_t i = 0; i < colon; ++i) {
        auto c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return {};
    }
    return foundation::lowercase(std::string_view(url).substr(0, colon));
}

}

base::Ref<WebView> WebView::create(graphics::Rect frame) {
    if (auto const& make = factory())
        return make(frame);
    return base::make<WebView>(frame);
}

void WebView::setFactory(Factory made) {
    factory() = std::move(made);
}

WebView::WebView(graphics::Rect frame)
    : View(frame) {
}

WebView::~WebView() {
    if (connection_)
        connection_->cancel();
}

void WebView::loadRequest(foundation::URLRequest request) {
    start({std::move(request), std::nullopt, {}, {}}, WebViewNavigationType::Other, -1);
}

void WebView::loadHTMLString(std::string const& html, std::string baseURL) {
    loadData(base::Bytes(html.begin(), html.end()), "text/html", "utf-8", std::move(baseURL));
}

void WebView::loadData(
    base::Bytes data, std::string MIMEType, std::string textEncodingName, std::string baseURL) {
    foundation::URLRequest request(baseURL.empty() ? std::string("about:blank") : baseURL);
    start({std::move(request), std::move(data), std::move(MIMEType), std::move(textEncodingName)},
        WebViewNavigationType::Other, -1);
}

bool WebView::navigate(foundation::URLRequest request, WebViewNavigationType type) {
    return start({std::move(request), std::nullopt, {}, {}}, type, -1);
}

void WebView::reload() {
    if (historyIndex_ >= 0)
        start(history_[std::size_t(historyIndex_)], WebViewNavigationType::Reload, historyIndex_);
    else if (!current_.request.URL().empty())
        start(current_, WebViewNavigationType::Reload, -1);
}

void WebView::goBack() {
    if (canGoBack())
        start(history_[std::size_t(historyIndex_ - 1)], WebViewNavigationType::BackForward,
            historyIndex_ - 1);
}

void WebView::goForward() {
    if (canGoForward())
        start(history_[std::size_t(historyIndex_ + 1)], WebViewNavigationType::BackForward,
            historyIndex_ + 1);
}

void WebView::stopLoading() {
    cancelLoad();
}

std::string WebView::stringByEvaluatingJavaScriptFromString(std::string const&) {
    return {};
}

void WebView::post(std::function<void(WebView&)> work, bool evenIfSuperseded) {
    foundation::RunLoop::current().perform([view = base::WeakRef<WebView>(this), load = load_,
                                               evenIfSuperseded, work = std::move(work)] {
        auto self = view.strong();
        if (self && (evenIfSuperseded || self->load_ == load))
            work(*self);
    });
}

bool WebView::start(Page page, WebViewNavigationType type, int historyIndex) {
    base::Ref<WebView> keep(this);
    if (delegate_ && !delegate_->shouldStartLoadWithRequest(*this, page.request, type))
        return false;
    cancelLoad();
    ++load_;
    loading_ = true;
    startReported_ = false;
    pendingHistoryIndex_ = historyIndex;
    current_ = std::move(page);
    received_.clear();
    post([](WebView& self) {
        self.startReported_ = true;
        if (self.delegate_)
            self.delegate_->webViewDidStartLoad(self);
    });

    auto scheme = schemeOf(current_.request.URL());
    if (current_.data) {
        post([document = *current_.data, mime = current_.mimeType, encoding = current_.encoding](
                 WebView& self) { self.finish(document, mime, encoding); });
    } else if (scheme == "about") {
        post([](WebView& self) { self.finish({}, "text/html", "utf-8"); });
    } else if (scheme == "http" || scheme == "https") {
        connection_ = foundation::URLConnection::create(current_.request, this);
    } else {
        post([url = current_.request.URL()](WebView& self) {
            self.fail(foundation::URLError::withDomain(
                WebKitErrorDomain, CannotShowURL, "The URL can't be shown: " + url));
        });
    }
    return true;
}

void WebView::cancelLoad() {
    if (!loading_)
        return;
    loading_ = false;
    if (auto connection = std::exchange(connection_, nullptr))
        connection->cancel();
    bool reported = startReported_;
    auto url = current_.request.URL();
    // The calls still on their way for this load are dropped.
    ++load_;
    if (reported) {
        post(
            [url](WebView& self) {
                if (self.delegate_)
                    self.delegate_->didFailLoadWithError(
                        self, foundation::URLError::make(foundation::URLError::Cancelled, url));
            },
            true);
    }
}

void WebView::finish(base::Bytes document, std::string mimeType, std::string encoding) {
    base::Ref<WebView> keep(this);
    loading_ = false;
    connection_ = nullptr;
    pageContent_.assign(document.begin(), document.end());
    pageMIMEType_ = std::move(mimeType);
    pageEncoding_ = std::move(encoding);
    if (pendingHistoryIndex_ >= 0 && pendingHistoryIndex_ < int(history_.size())) {
        historyIndex_ = pendingHistoryIndex_;
    } else {
        history_.resize(std::size_t(historyIndex_ + 1));
        history_.push_back(current_);
        historyIndex_ = int(history_.size()) - 1;
    }
    if (delegate_)
        delegate_->webViewDidFinishLoad(*this);
}

void WebView::fail(foundation::URLError const& error) {
    base::Ref<WebView> keep(this);
    loading_ = false;
    connection_ = nullptr;
    if (delegate_)
        delegate_->didFailLoadWithError(*this, error);
}

std::optional<foundation::URLRequest> WebView::willSendRequest(
    foundation::URLConnection& connection, foundation::URLRequest request,
    foundation::URLResponse const* redirectResponse) {
    if (&connection != connection_.get())
        return std::nullopt;
    if (!redirectResponse)
        return request;
    base::Ref<WebView> keep(this);
    // A redirect is a navigation of its own, which the delegate may refuse.
    bool allowed = !delegate_
        || delegate_->shouldStartLoadWithRequest(*this, request, WebViewNavigationType::Other);
    if (&connection != connection_.get())
        return std::nullopt;
    auto scheme = schemeOf(request.URL());
    if (allowed && (scheme == "http" || scheme == "https")) {
        current_.request = request;
        return request;
    }
    connection_ = nullptr;
    connection.cancel();
    fail(allowed ? foundation::URLError::withDomain(
             WebKitErrorDomain, CannotShowURL, "The URL can't be shown: " + request.URL())
                 : foundation::URLError::withDomain(WebKitErrorDomain,
                     FrameLoadInterruptedByPolicyChange, "Frame load interrupted"));
    return std::nullopt;
}

void WebView::didReceiveResponse(
    foundation::URLConnection& connection, foundation::URLResponse const& response) {
    if (&connection != connection_.get())
        return;
    // URL loading follows redirects within the web only; one that leads out of it
    // (to a store link, say) is still a navigation the delegate hears of.
    auto status = response.statusCode();
    auto location = response.valueForHeaderField("Location");
    if (status >= 300 && status < 400 && !location.empty()) {
        auto target = foundation::URLParts::resolve(response.URL(), location);
        if (target && schemeOf(*target) != "http" && schemeOf(*target) != "https") {
            foundation::URLRequest next = current_.request;
            next.setURL(*target);
            willSendRequest(connection, std::move(next), &response);
            return;
        }
    }
    received_.clear();
    receivedMIMEType_ = response.MIMEType();
    receivedEncoding_ = response.textEncodingName();
}

void WebView::didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) {
    if (&connection == connection_.get())
        received_.insert(received_.end(), data.begin(), data.end());
}

void WebView::connectionDidFinishLoading(foundation::URLConnection& connection) {
    if (&connection == connection_.get())
        finish(std::exchange(received_, {}), receivedMIMEType_, receivedEncoding_);
}

void WebView::didFailWithError(
    foundation::URLConnection& connection, foundation::URLError const& error) {
    if (&connection == connection_.get())
        fail(error);
}

}
