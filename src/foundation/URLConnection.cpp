#include <foundation/URLConnection.hpp>

#include <foundation/RunLoop.hpp>
#include <foundation/URLLoad.hpp>
#include <foundation/URLTransferEngine.hpp>

#include <base/Verify.hpp>

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace foundation {

URLConnectionDelegate::~URLConnectionDelegate() {
    // Cancelling unregisters, so take the list first.
    auto connections = connections_;
    for (auto* connection : connections)
        connection->cancel();
}

std::optional<URLRequest> URLConnectionDelegate::willSendRequest(
    URLConnection&, URLRequest request, URLResponse const*) {
    return request;
}

URLAuthenticationAnswer URLConnectionDelegate::didReceiveAuthenticationChallenge(
    URLConnection&, URLAuthenticationChallenge const& challenge) {
    return defaultAnswer(challenge);
}

URLAuthenticationAnswer URLConnectionDelegate::defaultAnswer(
    URLAuthenticationChallenge const& challenge) {
    if (challenge.previousFailureCount == 0 && challenge.proposedCredential)
        return URLAuthenticationAnswer::useCredential(*challenge.proposedCredential);
    return URLAuthenticationAnswer::continueWithoutCredential();
}

void URLConnection::setCertificateAuthorityFile(std::string path) {
    URLLoad::setCertificateAuthorityFile(std::move(path));
}

void URLConnection::setUserAgent(std::string userAgent) {
    URLLoad::setUserAgent(std::move(userAgent));
}

namespace {

// Collects a load for a thread that waits for its end.
class SynchronousClient final : public URLLoadClient {
public:
    void loadWillSendRequest(
        URLLoad& load, URLRequest const& request, URLResponse const*) override {
        load.proceed(request);
    }
    void loadDidReceiveChallenge(
        URLLoad& load, URLAuthenticationChallenge const& challenge) override {
        load.answerChallenge(URLConnectionDelegate::defaultAnswer(challenge));
    }
    void loadDidReceiveResponse(URLResponse const& response) override {
        result_.response = response;
        result_.data.clear();
    }
    void loadDidReceiveData(base::Bytes data) override {
        result_.data.insert(result_.data.end(), data.begin(), data.end());
    }
    void loadDidFinish() override { end(); }
    void loadDidFail(URLError const& error) override {
        result_.error = error;
        result_.data.clear();
        end();
    }

    URLConnection::SynchronousResult wait() {
        std::unique_lock lock(mutex_);
        ended_.wait(lock, [&] { return done_; });
        return std::move(result_);
    }

private:
    void end() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ {false};
    URLConnection::SynchronousResult result_;
};

}

URLConnection::SynchronousResult URLConnection::sendSynchronousRequest(URLRequest const& request) {
    // The worker would wait for itself.
    VERIFY(!URLTransferEngine::shared().isWorkerThread());
    auto client = std::make_shared<SynchronousClient>();
    auto load = URLLoad::create(request, client);
    load->start();
    return client->wait();
}

// Carries a load's news to the run loop of the thread that started the
// connection. The posted work reaches the connection only while connection_ is
// set; it is cleared, on that same thread, when the connection ends or is
// cancelled, which is what silences news already queued.
class URLConnection::Bridge final : public URLLoadClient,
                                    public std::enable_shared_from_this<Bridge> {
public:
    using Post = std::function<void(std::function<void()>)>;

    Bridge(URLConnection* connection, Post post)
        : connection_(connection)
        , post_(std::move(post)) { }

    URLConnection* connection_;

    void loadWillSendRequest(
        URLLoad&, URLRequest const& request, URLResponse const* redirectResponse) override {
        std::optional<URLResponse> redirect;
        if (redirectResponse)
            redirect = *redirectResponse;
        deliver([request, redirect](URLConnection& connection) {
            connection.deliverWillSendRequest(request, redirect);
        });
    }
    void loadDidReceiveChallenge(URLLoad&, URLAuthenticationChallenge const& challenge) override {
        deliver([challenge](URLConnection& connection) { connection.deliverChallenge(challenge); });
    }
    void loadDidReceiveResponse(URLResponse const& response) override {
        deliver([response](URLConnection& connection) { connection.deliverResponse(response); });
    }
    void loadDidReceiveData(base::Bytes data) override {
        deliver(
            [data = std::move(data)](URLConnection& connection) { connection.deliverData(data); });
    }
    void loadDidSendBodyData(
        std::int64_t written, std::int64_t total, std::int64_t expected) override {
        deliver([=](URLConnection& connection) {
            connection.deliverSentBodyData(written, total, expected);
        });
    }
    void loadDidFinish() override {
        deliver([](URLConnection& connection) { connection.deliverFinish(); });
    }
    void loadDidFail(URLError const& error) override {
        deliver([error](URLConnection& connection) { connection.deliverFailure(error); });
    }

private:
    template<typename Work> void deliver(Work work) {
        post_([self = shared_from_this(), work = std::move(work)]() mutable {
            if (!self->connection_)
                return;
            // The delegate may cancel and drop the connection inside the call.
            base::Ref<URLConnection> keep(self->connection_);
            work(*keep);
        });
    }

    Post post_;
};

base::Ref<URLConnection> URLConnection::create(
    URLRequest request, URLConnectionDelegate* delegate, bool startImmediately) {
    base::Ref<URLConnection> connection = base::make<URLConnection>(std::move(request), delegate);
    if (startImmediately)
        connection->start();
    return connection;
}

URLConnection::URLConnection(URLRequest request, URLConnectionDelegate* delegate)
    : originalRequest_(request)
    , currentRequest_(std::move(request))
    , delegate_(delegate) {
}

URLConnection::~URLConnection() {
    if (bridge_)
        bridge_->connection_ = nullptr;
    if (load_)
        load_->cancel();
    if (delegate_)
        std::erase(delegate_->connections_, this);
}

void URLConnection::start() {
    if (state_ != State::Ready)
        return;
    state_ = State::Loading;
    Bridge::Post post = [loop = base::Ref<RunLoop>(&RunLoop::current())](
                            std::function<void()> work) { loop->perform(std::move(work)); };
    bridge_ = std::make_shared<Bridge>(this, std::move(post));
    if (delegate_)
        delegate_->connections_.push_back(this);
    keepAlive_ = base::Ref<URLConnection>(this);
    load_ = URLLoad::create(currentRequest_, bridge_);
    load_->start();
}

void URLConnection::cancel() {
    if (state_ == State::Ended)
        return;
    bool started = state_ == State::Loading;
    if (load_)
        load_->cancel();
    if (started)
        end();
    else
        state_ = State::Ended;
}

// Ends the connection on its thread: no further news reaches it, the delegate
// forgets it, and it stops keeping itself alive (it may die on return).
void URLConnection::end() {
    state_ = State::Ended;
    if (bridge_)
        bridge_->connection_ = nullptr;
    if (delegate_)
        std::erase(delegate_->connections_, this);
    delegate_ = nullptr;
    base::Ref<URLConnection> last = std::move(keepAlive_);
}

void URLConnection::deliverWillSendRequest(
    URLRequest request, std::optional<URLResponse> redirectResponse) {
    std::optional<URLRequest> answer = std::move(request);
    if (delegate_)
        answer = delegate_->willSendRequest(
            *this, std::move(*answer), redirectResponse ? &*redirectResponse : nullptr);
    if (state_ != State::Loading)
        return;
    if (answer)
        currentRequest_ = *answer;
    load_->proceed(std::move(answer));
    if (!answer && !redirectResponse)
        end();
}

void URLConnection::deliverChallenge(URLAuthenticationChallenge const& challenge) {
    auto answer = delegate_ ? delegate_->didReceiveAuthenticationChallenge(*this, challenge)
                            : URLConnectionDelegate::defaultAnswer(challenge);
    if (state_ == State::Loading)
        load_->answerChallenge(std::move(answer));
}

void URLConnection::deliverResponse(URLResponse const& response) {
    if (delegate_)
        delegate_->didReceiveResponse(*this, response);
}

void URLConnection::deliverData(base::Bytes const& data) {
    if (delegate_)
        delegate_->didReceiveData(*this, data);
}

void URLConnection::deliverSentBodyData(
    std::int64_t written, std::int64_t total, std::int64_t expected) {
    if (delegate_)
        delegate_->didSendBodyData(*this, written, total, expected);
}

void URLConnection::deliverFinish() {
    auto* delegate = delegate_;
    end();
    if (delegate)
        delegate->connectionDidFinishLoading(*this);
}

void URLConnection::deliverFailure(URLError const& error) {
    auto* delegate = delegate_;
    end();
    if (delegate)
        delegate->didFailWithError(*this, error);
}

}
