#pragma once

#include <foundation/URLAuthenticationChallenge.hpp>
#include <foundation/URLError.hpp>
#include <foundation/URLRequest.hpp>
#include <foundation/URLResponse.hpp>

#include <base/Value.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

typedef void CURL;

namespace foundation {

class URLLoad;

// What a load reports, on the URL-loading worker thread. The two questions are
// answered later, from any thread, through URLLoad::proceed and
// URLLoad::answerChallenge; the load waits for the answer without a time-out.
// After didFinish or didFail nothing more is reported.
class URLLoadClient {
public:
    virtual ~URLLoadClient() = default;
    // Before every request goes out: the first (redirectResponse null) and each
    // redirect, with the reply that asked for it.
    virtual void loadWillSendRequest(
        URLLoad& load, URLRequest const& request, URLResponse const* redirectResponse)
        = 0;
    virtual void loadDidReceiveChallenge(URLLoad& load, URLAuthenticationChallenge const& challenge)
        = 0;
    virtual void loadDidReceiveResponse(URLResponse const& response) = 0;
    virtual void loadDidReceiveData(base::Bytes data) = 0;
    virtual void loadDidSendBodyData(std::int64_t, std::int64_t, std::int64_t) { }
    virtual void loadDidFinish() = 0;
    virtual void loadDidFail(URLError const& error) = 0;
};

// One request carried to its end over as many HTTP exchanges as redirects and
// authentication need: each exchange is one libcurl transfer on the worker
// thread; between them the client decides where to go next. Shared by the
// asynchronous connection and the synchronous request. Its state belongs to the
// worker thread; the public operations post to it and may be called anywhere.
// A shared_ptr, not an Object: the worker thread and libcurl's callbacks hold it
// alongside its owner, and the last of them to let go, on either thread, frees it.
class URLLoad : public std::enable_shared_from_this<URLLoad> {
public:
    static constexpr int MaximumRedirects = 16;
    static constexpr int MaximumAuthenticationAttempts = 16;

    static std::shared_ptr<URLLoad> create(
        URLRequest request, std::shared_ptr<URLLoadClient> client);
    ~URLLoad();

    void start();
    // Stops the load; the client hears nothing more once the worker sees it.
    void cancel();
    // The answer to loadWillSendRequest: the request to send, or none to refuse a
    // redirect (the redirect reply then ends the load as its response) or, for
    // the first request, to end the load without a word.
    void proceed(std::optional<URLRequest> request);
    void answerChallenge(URLAuthenticationAnswer answer);

    // The worker's calls.
    void transferEnded(int curlCode);
    void transferTimedOut();
    void abandon();
    std::chrono::steady_clock::time_point idleDeadline() const {
        return lastActivity_ + idleLimit_;
    }

    // Settings for every load: the file of certificate authorities that TLS trusts
    // besides the system's (empty: the system's alone), and the User-Agent sent
    // when a request sets none.
    static void setCertificateAuthorityFile(std::string path);
    static void setUserAgent(std::string userAgent);
    static std::string userAgent();

private:
    enum class Mode { Undecided, Final, Redirect, Challenge };

    URLLoad(URLRequest request, std::shared_ptr<URLLoadClient> client);

    void begin();
    void send();
    void decideRedirect();
    void decideChallenge();
    void handleProceed(std::optional<URLRequest> request);
    void handleAnswer(URLAuthenticationAnswer answer);
    void deliverHeldReply();
    void fail(URLError const& error);
    void finish();
    void endTransfer();
    void touch() { lastActivity_ = std::chrono::steady_clock::now(); }
    void headersComplete();

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onRead(char* buffer, std::size_t size, std::size_t count, void* self);
    static int onProgress(void* self, std::int64_t downloadTotal, std::int64_t downloaded,
        std::int64_t uploadTotal, std::int64_t uploaded);

    URLRequest request_;
    std::shared_ptr<URLLoadClient> client_;
    std::atomic<bool> cancelled_ {false};
    bool ended_ {false};

    // The exchange in flight.
    CURL* easy_ {nullptr};
    void* headerList_ {nullptr};
    std::string hopURL_;
    std::string hopHost_; // "host:port"
    Mode mode_ {Mode::Undecided};
    int status_ {0};
    std::vector<HTTPHeaderFields::Entry> headerLines_;
    std::optional<URLResponse> reply_;
    base::Bytes heldBody_;
    std::chrono::steady_clock::time_point lastActivity_ {std::chrono::steady_clock::now()};
    std::chrono::steady_clock::duration idleLimit_ {std::chrono::hours(24)};
    std::int64_t uploaded_ {0};
    std::int64_t downloaded_ {0};
    // Body bytes of this exchange so far, and whether they passed the request's maximum.
    std::uint64_t bodyReceived_ {0};
    bool bodyTooLarge_ {false};
    bool sentCredential_ {false};
    char errorText_[256] {};

    // The request body as read so far, so that a redirect or a retry with
    // credentials can send a streamed body again.
    base::Bytes streamed_;
    std::size_t streamPosition_ {0};
    bool streamEnded_ {false};
    bool streamFailed_ {false};

    // Across exchanges.
    bool awaitingAnswer_ {false};
    int redirects_ {0};
    std::optional<URLCredential> credential_; // sent with every exchange once given
    std::string credentialHost_; // the host and port the credential was given for
    std::optional<URLCredential> urlCredential_;
    int failures_ {0};
};

}
