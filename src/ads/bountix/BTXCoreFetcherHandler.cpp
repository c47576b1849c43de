#include <ads/bountix/BTXCoreFetcherHandler.hpp>

#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BTXUtil.hpp>

#include <array>

namespace ads::bountix {

namespace {

using toolkit::xml::XDoc;

// "file: line; method; message", the shape of the client's error lines.
void logError(int line, char const* method, std::string const& message) {
    BTXLog::logWithLevel(BTXLog::Error,
        "BTXCoreFetcherHandler.cpp: " + std::to_string(line) + "; " + method + "; " + message);
}

}

BTXCoreFetcherHandler::~BTXCoreFetcherHandler() {
    deleg_ = nullptr;
    BTXLog::logWithLevel(BTXLog::Progress, "BTXCoreFetcher dealloc");
    if (myFetcher_)
        myFetcher_->cancel();
}

void BTXCoreFetcherHandler::initRequestWithDelegate(
    BTXFetchResponseDelegate* delegate, int requestTag) {
    deleg_ = delegate;
    requestTag_ = requestTag;
}

void BTXCoreFetcherHandler::replaceFetcher(base::Ref<BTXCoreFetcher> fetcher, Selector selector) {
    // A request still running is stopped, so it never completes into this handler.
    if (myFetcher_)
        myFetcher_->cancel();
    myFetcher_ = fetcher;
    fetcher->fetchAsynchronouslyWithCompletionInvocation(std::move(selector));
}

void BTXCoreFetcherHandler::makeGenericRequestWithURL(std::string const& url,
    std::string const& alternateURL, std::optional<BTXParameters> params, Selector selector) {
    BTXLog::logWithLevel(
        BTXLog::Progress, "My Base URL is " + (myFetcher_ ? myFetcher_->baseURL : std::string()));
    auto fetcher = BTXCoreFetcher::create();
    fetcher->requestTag = requestTag_;
    fetcher->requestTimeout = 10;
    fetcher->requestMethod = "GET";
    fetcher->postParameters = params;
    fetcher->baseURL = url;
    fetcher->alternateURL = alternateURL;
    fetcher->bindings = std::move(params);
    replaceFetcher(std::move(fetcher), std::move(selector));
}

void BTXCoreFetcherHandler::makeGenericPOSTRequestWithURL(std::string const& url,
    std::string const& alternateURL, base::Bytes data, std::optional<BTXParameters> params,
    Selector selector) {
    BTXLog::logWithLevel(
        BTXLog::Progress, "My Base URL is " + (myFetcher_ ? myFetcher_->baseURL : std::string()));
    auto fetcher = BTXCoreFetcher::create();
    fetcher->requestTag = requestTag_;
    fetcher->requestTimeout = 10;
    fetcher->requestMethod = "POST";
    fetcher->postParameters = std::move(params);
    fetcher->baseURL = url;
    fetcher->alternateURL = alternateURL;
    fetcher->POSTdata = std::move(data);
    replaceFetcher(std::move(fetcher), std::move(selector));
}

void BTXCoreFetcherHandler::makeRequestWithURL(BTXCoreFetcher& fetcher, Selector invoker) {
    fetcher.clearDataAndError();
    fetcher.requestTimeout = 30;
    replaceFetcher(base::Ref<BTXCoreFetcher>(&fetcher), std::move(invoker));
}

BTXReply BTXCoreFetcherHandler::parseReturnObjectAsXDocElement(BTXCoreFetcher const& fetcher) {
    static constexpr char const* method = "parseReturnObjectAsXDocElement";
    if (fetcher.hasError()) {
        logError(__LINE__, method,
            "Error while attempting to fetch data from server: "
                + fetcher.error()->localizedDescription);
        return {};
    }
    int status = fetcher.response() ? fetcher.response()->statusCode() : 0;
    if (status != 200) {
        logError(__LINE__, method,
            "Unexpected HTTP response status code while attempting to fetch data from server:: "
            "Status Code = "
                + std::to_string(status));
        return {};
    }
    if (fetcher.data().empty()) {
        logError(__LINE__, method, "No data received while attempting to fetch data from server.");
        return {};
    }
    BTXReply reply;
    reply.document = XDoc::xdocWithXMLData(fetcher.data());
    if (reply.document)
        reply.root = reply.document->rootXMLElement();
    return reply;
}

BTXReply BTXCoreFetcherHandler::validateResponseReturnedObject(BTXCoreFetcher const& fetcher) {
    static constexpr char const* method = "validateResponseReturnedObject";
    static constexpr char const* refusal
        = "No data received while attempting to fetch the data from the server";
    auto reply = parseReturnObjectAsXDocElement(fetcher);
    auto tell = [&](int kind) {
        if (deleg_)
            deleg_->fetchResponseError(kind, std::string(), fetcher.requestTag);
    };
    if (auto kind = refusalOfReply(reply.root)) {
        logError(__LINE__, method, refusal);
        tell(*kind);
        return {};
    }
    return reply;
}

std::optional<int> BTXCoreFetcherHandler::refusalOfReply(toolkit::xml::XDocElement const* root) {
    if (!root)
        return BTXFetchResponseDelegate::NoReply;
    static constexpr std::array<char const*, 3> accepted {
        "BountixConnectReturnObject", "BountixAd", "BountixVideos"};
    auto name = XDoc::elementName(root);
    bool known = false;
    for (auto const* candidate : accepted)
        known = known || BTXUtil::caseInsenstiveCompare(name, candidate);
    if (!known || XDoc::childElementNamed("ErrorMessage", root))
        return BTXFetchResponseDelegate::Refused;
    return std::nullopt;
}

}
