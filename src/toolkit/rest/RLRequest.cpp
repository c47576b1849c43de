#include <toolkit/rest/RLRequest.hpp>

#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLError.hpp>
#include <toolkit/rest/RLRequestQueue.hpp>

#include <foundation/Format.hpp>
#include <foundation/URLParts.hpp>

namespace toolkit::rest {

base::Value RLErrorUserInfo(foundation::URLError const& error) {
    auto info = base::Dictionary::create();
    info->setObject("domain", error.domain);
    info->setObject("code", std::int64_t(error.code));
    info->setObject("localizedDescription", error.localizedDescription);
    info->setObject("failingURL", error.failingURL);
    return info;
}

foundation::URLError RLErrorFromUserInfo(base::Value const& userInfo) {
    foundation::URLError error;
    auto* info = userInfo.dictionary();
    if (!info)
        return error;
    error.domain = info->objectForKey("domain").stringValue();
    error.code = long(info->objectForKey("code").longLongValue());
    error.localizedDescription = info->objectForKey("localizedDescription").stringValue();
    error.failingURL = info->objectForKey("failingURL").stringValue();
    return error;
}

RLRequest::RLRequest(base::Ref<RLURL> URL, RLRequestDelegate* delegate)
    : URL_(std::move(URL))
    , URLRequest_(URL_ ? URL_->absoluteString() : std::string())
    , delegate_(delegate) {
}

base::Ref<RLRequest> RLRequest::requestWithURL(base::Ref<RLURL> URL, RLRequestDelegate* delegate) {
    return base::make<RLRequest>(std::move(URL), delegate);
}

RLRequest::~RLRequest() {
    backgroundObservation_.cancel();
    delegate_ = nullptr;
    if (connection_)
        connection_->cancel();
    connection_ = nullptr;
    if (response_ && response_->request_ == this)
        response_->request_ = nullptr;
    cleanupBackgroundTask();
}

void RLRequest::send() {
    RLRequestQueue::sharedQueue().addRequest(base::Ref<RLRequest>(this));
}

std::optional<std::string> RLRequest::HTTPMethod() const {
    switch (method_) {
    case GET:
        return "GET";
    case POST:
        return "POST";
    case PUT:
        return "PUT";
    case DELETE:
        return "DELETE";
    default:
        return std::nullopt;
    }
}

std::optional<std::string> RLRequest::resourcePath() const {
    return URL_ ? URL_->resourcePath() : std::nullopt;
}

bool RLRequest::wasSentToResourcePath(std::string const& path) const {
    auto mine = resourcePath();
    return mine && *mine == path;
}

bool RLRequest::shouldDispatchRequest() const {
    auto client = RLClient::sharedClient();
    return !client || client->isNetworkAvailable();
}

void RLRequest::prepareURLRequest() {
    URLRequest_.setHTTPMethod(HTTPMethod().value_or(std::string()));
    setRequestBody();
    addHeadersToRequest();
}

void RLRequest::setRequestBody() {
    if (!params_ || isGET())
        return;
    if (auto stream = params_->HTTPBodyStream())
        URLRequest_.setHTTPBodyStream(std::move(*stream));
    else
        URLRequest_.setHTTPBody(params_->HTTPBody().value_or(base::Bytes()));
}

void RLRequest::addHeadersToRequest() {
    if (additionalHTTPHeaders_) {
        for (auto const& [name, value] : additionalHTTPHeaders_->entries())
            URLRequest_.setValue(value.stringValue(), name);
    }
    if (!params_)
        return;
    auto type = params_->HTTPHeaderValueForContentType();
    std::optional<std::string> contentType;
    if (!type.empty())
        contentType = type;
    else
        contentType = params_->ContentTypeHTTPHeader();
    if (contentType) {
        // The body's own field replaces one of the same name in any letter case.
        URLRequest_.removeValueForHTTPHeaderField("Content-Type");
        URLRequest_.setValue(*contentType, "Content-Type");
    }
    if (auto length = params_->HTTPHeaderValueForContentLength())
        URLRequest_.setValue(std::to_string(*length), "Content-Length");
}

void RLRequest::sendAsynchronously() {
    base::Ref<RLRequest> keep(this);
    if (!shouldDispatchRequest()) {
        didFailLoadWithError(RLUnreachableResourceError(URL_ ? URL_->absoluteString() : ""));
        return;
    }
    auto* application = RLApplication::shared();
    if (backgroundPolicy_ != BackgroundPolicyNone && application) {
        if (backgroundPolicy_ == BackgroundPolicyCancel
            || backgroundPolicy_ == BackgroundPolicyRequeue) {
            backgroundObservation_ = foundation::NotificationCenter::defaultCenter().observe(
                RLApplication::DidEnterBackgroundNotification,
                [this](auto const&) { appDidEnterBackgroundNotification(); });
        } else if (backgroundPolicy_ == BackgroundPolicyContinue) {
            foundation::log("Beginning background task to perform processing...");
            backgroundTaskIdentifier_ = application->beginBackgroundTask([this] {
                base::Ref<RLRequest> self(this);
                foundation::log("Background request time expired, canceling request.");
                auto* delegate = delegate_;
                cancelAndInformDelegate(false);
                leaveQueue();
                cleanupBackgroundTask();
                if (delegate)
                    delegate->requestDidTimeout(*this);
            });
        }
    }
    fire();
}

void RLRequest::fire() {
    prepareURLRequest();
    if (params_) {
        // A body that cannot be sent whole fails the request before anything goes
        // out: a short body would carry a wrong length and no closing boundary.
        if (auto error = params_->bodyError()) {
            error->failingURL = URLRequest_.URL();
            foundation::log(
                "Cannot send the body of %@: %@", URLRequest_.URL(), error->localizedDescription);
            didFailLoadWithError(*error);
            return;
        }
    }
    std::optional<std::string> body;
    if (!URLRequest_.HTTPBodyStream() && URLRequest_.hasBody())
        body = std::string(URLRequest_.HTTPBody().begin(), URLRequest_.HTTPBody().end());
    foundation::log("Sending %@ request to URL %@. HTTP Body: %@", URLRequest_.HTTPMethod(),
        URLRequest_.URL(), body);
    isLoading_ = true;
    if (delegate_)
        delegate_->requestDidStartLoad(*this);
    if (response_ && response_->request_ == this)
        response_->request_ = nullptr;
    response_ = RLResponse::responseWithRequest(this);
    connection_ = foundation::URLConnection::connectionWithRequest(URLRequest_, response_.get());
    foundation::NotificationCenter::defaultCenter().postNotification(
        RLRequestSentNotification, this);
}

base::Ref<RLResponse> RLRequest::sendSynchronously() {
    base::Ref<RLRequest> keep(this);
    if (!shouldDispatchRequest()) {
        auto error = RLUnreachableResourceError(URL_ ? URL_->absoluteString() : "");
        didFailLoadWithError(error);
        response_ = RLResponse::responseWithSynchronousRequest(this, std::nullopt, {}, error);
        return response_;
    }
    prepareURLRequest();
    foundation::log(
        "Sending synchronous %@ request to URL %@.", URLRequest_.HTTPMethod(), URLRequest_.URL());
    if (params_) {
        if (auto error = params_->bodyError()) {
            didFailLoadWithError(*error);
            response_ = RLResponse::responseWithSynchronousRequest(this, std::nullopt, {}, error);
            return response_;
        }
    }
    foundation::NotificationCenter::defaultCenter().postNotification(
        RLRequestSentNotification, this);
    isLoading_ = true;
    if (delegate_)
        delegate_->requestDidStartLoad(*this);
    // The synchronous load answers a Basic challenge with the credential of the
    // URL's user part.
    auto request = URLRequest_;
    if (username_) {
        if (auto parts = foundation::URLParts::parse(request.URL());
            parts && !parts->hasCredentials) {
            auto const& url = request.URL();
            auto authority = url.find("://");
            if (authority != std::string::npos) {
                auto userInfo = RLPercentEscape(base::Value(*username_)) + ":"
                    + RLPercentEscape(base::Value(password_.value_or(std::string()))) + "@";
                request.setURL(url.substr(0, authority + 3) + userInfo + url.substr(authority + 3));
            }
        }
    }
    auto result = foundation::URLConnection::sendSynchronousRequest(request);
    // A reply of any status, with a body or without, is a loaded response; only a
    // load that got no reply fails.
    bool replied = result.response.statusCode() != 0;
    response_ = RLResponse::responseWithSynchronousRequest(this,
        replied ? std::optional(result.response) : std::nullopt, std::move(result.data),
        replied ? std::nullopt : result.error);
    if (replied)
        didFinishLoad(*response_);
    else
        didFailLoadWithError(result.error.value_or(
            foundation::URLError::make(foundation::URLError::Unknown, URLRequest_.URL())));
    return response_;
}

void RLRequest::cancelAndInformDelegate(bool informDelegate) {
    if (connection_)
        connection_->cancel();
    connection_ = nullptr;
    isLoading_ = false;
    if (informDelegate && delegate_)
        delegate_->requestDidCancelLoad(*this);
}

void RLRequest::didFinishLoad(RLResponse& response) {
    base::Ref<RLRequest> keep(this);
    base::Ref<RLResponse> keepResponse(&response);
    isLoading_ = false;
    isLoaded_ = true;
    connection_ = nullptr;
    if (delegate_)
        delegate_->requestDidLoadResponse(*this, response);
    auto& center = foundation::NotificationCenter::defaultCenter();
    if (response.isServiceUnavailable())
        center.postNotification(RLServiceDidBecomeUnavailableNotification, this);
    center.postNotification(RLRequestDidLoadResponseNotification, this);
    center.postNotification(RLResponseReceivedNotification, &response);
}

void RLRequest::didFailLoadWithError(foundation::URLError const& error) {
    base::Ref<RLRequest> keep(this);
    isLoading_ = false;
    connection_ = nullptr;
    if (delegate_)
        delegate_->requestDidFailLoadWithError(*this, error);
    foundation::NotificationCenter::defaultCenter().postNotification(
        RLRequestFailedWithErrorNotification, this, RLErrorUserInfo(error));
}

void RLRequest::appDidEnterBackgroundNotification() {
    base::Ref<RLRequest> keep(this);
    backgroundObservation_.cancel();
    if (backgroundPolicy_ == BackgroundPolicyCancel) {
        cancel();
        leaveQueue();
    } else if (backgroundPolicy_ == BackgroundPolicyRequeue) {
        cancelAndInformDelegate(false);
        send();
    }
}

// A request that ends itself gives up its place in the queue, which would otherwise
// start it again and keep its slot counted.
void RLRequest::leaveQueue() {
    auto& queue = RLRequestQueue::sharedQueue();
    if (queue.containsRequest(*this))
        queue.cancelRequest(*this);
}

void RLRequest::cleanupBackgroundTask() {
    auto* application = RLApplication::shared();
    if (backgroundTaskIdentifier_ != RLApplication::BackgroundTaskInvalid && application) {
        application->endBackgroundTask(backgroundTaskIdentifier_);
        backgroundTaskIdentifier_ = RLApplication::BackgroundTaskInvalid;
    }
}

}
