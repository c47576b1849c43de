#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/URLError.hpp>
#include <foundation/URLRequest.hpp>
#include <ui/View.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// Why a page is about to load, numbered as the platform numbers them.
enum class WebViewNavigationType {
    LinkClicked = 0,
    FormSubmitted = 1,
    BackForward = 2,
    Reload = 3,
    FormResubmitted = 4,
    Other = 5,
};

// Which kinds of text a page turns into links; kept for callers.
struct DataDetectorTypes {
    static constexpr unsigned None = 0;
    static constexpr unsigned PhoneNumber = 1;
    static constexpr unsigned Link = 2;
    static constexpr unsigned Address = 4;
    static constexpr unsigned CalendarEvent = 8;
    static constexpr unsigned All = 0xFFFFFFFF;
};

// What a web view asks and tells its delegate: shouldStartLoadWithRequest before
// every navigation (the first request, each redirect, back, forward and reload,
// and navigations the page makes); for a load that goes ahead, webViewDidStartLoad
// and then exactly one of webViewDidFinishLoad or didFailLoadWithError. Every
// operation is optional.
class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;

    virtual bool shouldStartLoadWithRequest(
        WebView&, foundation::URLRequest const&, WebViewNavigationType) {
        return true;
    }
    virtual void webViewDidStartLoad(WebView&) { }
    virtual void webViewDidFinishLoad(WebView&) { }
    virtual void didFailLoadWithError(WebView&, foundation::URLError const&) { }
};

// The stand-in for the platform's web view. No browser engine runs here: the view
// loads a page's document (a request through URL loading, or HTML and data handed
// to it) and keeps it, but runs no script, loads nothing the document refers to
// and follows none of its links by itself; stringByEvaluatingJavaScriptFromString
// answers "", as a page that does not define what was asked. What the delegate
// hears is the platform's sequence, each call on the run loop after the call that
// caused it:
// - a navigation the delegate refuses does nothing (a refused redirect ends the
//   load with WebKitErrorDomain 102, frame load interrupted);
// - webViewDidStartLoad, then webViewDidFinishLoad when the document has come (an
//   HTTP error page is a page too) or didFailLoadWithError with the URL-loading
//   error; a URL of a scheme other than http, https and about fails with
//   WebKitErrorDomain 101;
// - a load stopped (stopLoading, or a new load) after its start was reported
//   fails with NSURLErrorDomain -999, cancelled, before the new load starts.
// Pages that finished make the back and forward list. Tests put in a subclass that
// answers scripts and makes the page navigate (tests/support). Main thread only.
class WebView : public View, private foundation::URLConnectionDelegate {
public:
    static constexpr char const* WebKitErrorDomain = "WebKitErrorDomain";
    static constexpr long CannotShowURL = 101;
    static constexpr long FrameLoadInterruptedByPolicyChange = 102;

    using Factory = std::function<base::Ref<WebView>(graphics::Rect frame)>;

    // A new web view; tests may install a factory so that the web views other code
    // makes are scripted ones.
    static base::Ref<WebView> create(graphics::Rect frame = {});
    // Null restores plain web views.
    static void setFactory(Factory factory);

    ~WebView() override;

    WebViewDelegate* delegate() const { return delegate_; }
    void setDelegate(WebViewDelegate* delegate) { delegate_ = delegate; }

    void loadRequest(foundation::URLRequest request);
    // The page's URL is baseURL, or "about:blank" without one.
    void loadHTMLString(std::string const& html, std::string baseURL = {});
    void loadData(base::Bytes data, std::string MIMEType, std::string textEncodingName,
        std::string baseURL = {});
    // The request of the page loading, or else of the page shown.
    foundation::URLRequest const& request() const { return current_.request; }
    bool isLoading() const { return loading_; }
    void stopLoading();
    void reload();
    bool canGoBack() const { return historyIndex_ > 0; }
    bool canGoForward() const { return historyIndex_ + 1 < int(history_.size()); }
    void goBack();
    void goForward();

    // "" here: no script runs.
    virtual std::string stringByEvaluatingJavaScriptFromString(std::string const& script);

    // The document of the page shown, as it came, and how it was described.
    std::string const& pageContent() const { return pageContent_; }
    std::string const& pageMIMEType() const { return pageMIMEType_; }
    std::string const& pageTextEncodingName() const { return pageEncoding_; }

    bool scalesPageToFit() const { return scalesPageToFit_; }
    void setScalesPageToFit(bool scales) { scalesPageToFit_ = scales; }
    unsigned dataDetectorTypes() const { return dataDetectorTypes_; }
    void setDataDetectorTypes(unsigned types) { dataDetectorTypes_ = types; }
    bool allowsInlineMediaPlayback() const { return allowsInlineMediaPlayback_; }
    void setAllowsInlineMediaPlayback(bool allows) { allowsInlineMediaPlayback_ = allows; }
    bool mediaPlaybackRequiresUserAction() const { return mediaRequiresUserAction_; }
    void setMediaPlaybackRequiresUserAction(bool required) { mediaRequiresUserAction_ = required; }
    bool mediaPlaybackAllowsAirPlay() const { return allowsAirPlay_; }
    void setMediaPlaybackAllowsAirPlay(bool allows) { allowsAirPlay_ = allows; }

protected:
    // A navigation the page itself makes (a followed link, a script, a form): the
    // delegate is asked, and the page loads when it agrees. Answers the answer.
    bool navigate(foundation::URLRequest request, WebViewNavigationType type);

private:
    struct Page {
        foundation::URLRequest request;
        // The document, for pages handed over rather than fetched.
        std::optional<base::Bytes> data;
        std::string mimeType;
        std::string encoding;
    };

    bool start(Page page, WebViewNavigationType type, int historyIndex);
    void cancelLoad();
    // Runs work on the run loop unless this view has died or started another load.
    void post(std::function<void(WebView&)> work, bool evenIfSuperseded = false);
    void finish(base::Bytes document, std::string mimeType, std::string encoding);
    void fail(foundation::URLError const& error);

    std::optional<foundation::URLRequest> willSendRequest(foundation::URLConnection& connection,
        foundation::URLRequest request, foundation::URLResponse const* redirectResponse) override;
    void didReceiveResponse(
        foundation::URLConnection& connection, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;

    WebViewDelegate* delegate_ {nullptr};
    Page current_;
    std::vector<Page> history_;
    int historyIndex_ {-1};
    // Where the page loading goes in the history: -1 after the current page (a
    // new page), else the index it comes from (back, forward, reload).
    int pendingHistoryIndex_ {-1};
    base::Ref<foundation::URLConnection> connection_;
    base::Bytes received_;
    std::string receivedMIMEType_;
    std::string receivedEncoding_;
    std::uint64_t load_ {0};
    bool loading_ {false};
    bool startReported_ {false};

    std::string pageContent_;
    std::string pageMIMEType_;
    std::string pageEncoding_;

    bool scalesPageToFit_ {false};
    unsigned dataDetectorTypes_ {DataDetectorTypes::PhoneNumber};
    bool allowsInlineMediaPlayback_ {false};
    bool mediaRequiresUserAction_ {true};
    bool allowsAirPlay_ {true};

protected:
    friend base::Factory;

    explicit WebView(graphics::Rect frame = {});
};

}
