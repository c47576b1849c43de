#pragma once

#include <ads/bountix/BTXCoreFetcher.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <toolkit/xml/XDoc.hpp>

#include <functional>
#include <optional>
#include <string>

namespace ads::bountix {

// What an offer-service request handler tells its delegate.
class BTXFetchResponseDelegate {
public:
    // Why a request came to nothing: no usable reply, or a reply the service refused.
    enum ErrorKind { NoReply = 0, Refused = 1 };

    virtual ~BTXFetchResponseDelegate() = default;
    // The reply's root element; valid only during the call.
    virtual void fetchResponseSuccessWithData(toolkit::xml::XDocElement const* element, int tag)
        = 0;
    // The description is always empty.
    virtual void fetchResponseError(int kind, std::string const& description, int tag) = 0;
};

// A parsed reply: the document keeps the root element alive.
struct BTXReply {
    base::Ref<toolkit::xml::XDoc> document;
    toolkit::xml::XDocElement* root {nullptr};
    explicit operator bool() const { return root != nullptr; }
};

// The base of the offer-service request handlers: it makes one fetcher per request,
// receives its completion and checks the XML reply before the subclass reads it.
// A handler owns at most one fetcher; a new request cancels the one still running.
// The delegate is not retained. Main thread.
class BTXCoreFetcherHandler : public base::Object {
public:
    using Selector = std::function<void(BTXCoreFetcher&)>;

    ~BTXCoreFetcherHandler() override;

    void initRequestWithDelegate(BTXFetchResponseDelegate* delegate, int requestTag);
    // A GET with the parameters as its query; the selector runs once at the end.
    void makeGenericRequestWithURL(std::string const& url, std::string const& alternateURL,
        std::optional<BTXParameters> params, Selector selector);
    // A POST with the body; the parameters are kept but not sent.
    void makeGenericPOSTRequestWithURL(std::string const& url, std::string const& alternateURL,
        base::Bytes data, std::optional<BTXParameters> params, Selector selector);
    // The reply's root element, or none (with a log line saying why).
    static BTXReply parseReturnObjectAsXDocElement(BTXCoreFetcher const& fetcher);
    // The accepted root element, or none after telling the delegate why.
    BTXReply validateResponseReturnedObject(BTXCoreFetcher const& fetcher);
    // Why a parsed reply is refused (NoReply without a root, Refused for a foreign root
    // or an "ErrorMessage" child), or nothing when it is accepted.
    static std::optional<int> refusalOfReply(toolkit::xml::XDocElement const* root);
    // Starts the fetcher again with a 30-second time-out and the given completion.
    void makeRequestWithURL(BTXCoreFetcher& fetcher, Selector invoker);

    BTXFetchResponseDelegate* deleg() const { return deleg_; }
    void setDeleg(BTXFetchResponseDelegate* delegate) { deleg_ = delegate; }
    int requestTag() const { return requestTag_; }
    BTXCoreFetcher* myFetcher() const { return myFetcher_.get(); }

protected:
    friend base::Factory;
    BTXCoreFetcherHandler() = default;

private:
    void replaceFetcher(base::Ref<BTXCoreFetcher> fetcher, Selector selector);

    BTXFetchResponseDelegate* deleg_ {nullptr};
    int requestTag_ {0};
    base::Ref<BTXCoreFetcher> myFetcher_;
};

}
