#include <ads/bountix/BTXCoreFetcher.hpp>

#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <foundation/Perform.hpp>

namespace ads::bountix {

base::Ref<BTXCoreFetcher> BTXCoreFetcher::create() {
    return base::make<BTXCoreFetcher>();
}

BTXCoreFetcher::~BTXCoreFetcher() {
    cancel();
}

std::optional<std::string> BTXCoreFetcher::createQueryStringFromDict(
    std::optional<BTXParameters> const& parameters) {
    if (!parameters || parameters->empty())
        return std::nullopt;
    return BountixConnect::queryString(*parameters);
}

std::string BTXCoreFetcher::requestURL() const {
    auto const& url = retryCount_ != 0 ? alternateURL : baseURL;
    if (url.empty())
        return {};
    if (auto query = createQueryStringFromDict(bindings))
        return url + "?" + *query;
    return url;
}

std::string BTXCoreFetcher::urlEncodedBindings() const {
    std::string out;
    if (!bindings)
        return out;
    for (auto const& [key, value] : bindings->entries()) {
        if (!out.empty())
            out += '&';
        out += key + "=" + value;
    }
    return out;
}

void BTXCoreFetcher::clearDataAndError() {
    data_.clear();
    error_.reset();
}

void BTXCoreFetcher::fetchAsynchronouslyWithCompletionInvocation(Completion completion) {
    invocation = std::move(completion);
    startAttempt();
}

void BTXCoreFetcher::retry() {
    ++retryCount_;
    if (!alternateURL.empty() && invocation)
        startAttempt();
}

void BTXCoreFetcher::cancel() {
    ++generation_;
    if (connection_) {
        connection_->cancel();
        connection_ = nullptr;
    }
}

void BTXCoreFetcher::startAttempt() {
    cancel();
    hasFetched_ = false;
    data_.clear();
    auto url = requestURL();
    // The query carries the verifier, so only the address is logged.
    auto const& shown = retryCount_ != 0 ? alternateURL : baseURL;
    BTXLog::logWithLevel(BTXLog::Progress, "Final URL = " + shown + " ");
    if (url.empty()) {
        BTXLog::logWithLevel(BTXLog::Error, "Request not started: it has no URL");
        auto generation = generation_;
        foundation::performAfterDelay(
            this,
            [this, generation] {
                if (generation != generation_)
                    return;
                error_ = foundation::URLError::make(foundation::URLError::BadURL);
                complete();
            },
            0);
        return;
    }
    auto request = foundation::URLRequest::requestWithURL(url,
        foundation::URLRequestCachePolicy::ReloadIgnoringLocalAndRemoteCacheData, requestTimeout);
    request.setHTTPMethod(requestMethod);
    if (!POSTdata.empty())
        request.setHTTPBody(POSTdata);
    request.setMaximumBodySize(MaximumReplySize);
    connection_ = foundation::URLConnection::connectionWithRequest(std::move(request), this);
}

void BTXCoreFetcher::complete() {
    connection_ = nullptr;
    hasFetched_ = true;
    // The completion may replace this fetcher in its handler; stay alive through it.
    base::Ref<BTXCoreFetcher> keep(this);
    if (invocation)
        invocation(*this);
}

void BTXCoreFetcher::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    response_ = response;
}

void BTXCoreFetcher::didReceiveData(foundation::URLConnection&, base::Bytes const& bytes) {
    data_.insert(data_.end(), bytes.begin(), bytes.end());
}

void BTXCoreFetcher::connectionDidFinishLoading(foundation::URLConnection&) {
    complete();
}

void BTXCoreFetcher::didFailWithError(
    foundation::URLConnection&, foundation::URLError const& failure) {
    // An oversized reply is the server's answer, not a failure to reach it.
    bool unanswered = failure.code != foundation::URLError::DataLengthExceedsMaximum;
    if (unanswered && retryCount_ <= 0 && !alternateURL.empty()) {
        retryCount_ = 1;
        startAttempt();
        return;
    }
    error_ = failure;
    complete();
}

}
