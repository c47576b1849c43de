#pragma once

#include <toolkit/rest/RLObject.hpp>
#include <toolkit/rest/RLReachabilityObserver.hpp>
#include <toolkit/rest/RLRequest.hpp>
#include <toolkit/rest/RLURL.hpp>

#include <foundation/NotificationCenter.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <functional>
#include <optional>
#include <string>

namespace toolkit::rest {

// The entry to the toolkit's HTTP side: a base URL, Basic credentials and default
// headers, from which it makes requests for paths under the base URL and hands them
// to the shared queue. It watches its base host's reachability, and can show an alert
// when a server answers 503 (off by default). The first client made with
// clientWithBaseURL becomes the shared one, which the queue and every request ask
// about the network. There is no default base URL: a client without one makes no
// requests that can be sent. Main thread.
class RLClient final : public base::Object {
public:
    static base::Ref<RLClient> sharedClient();
    static void setSharedClient(base::Ref<RLClient> client);
    static base::Ref<RLClient> clientWithBaseURL(std::string baseURL);
    static base::Ref<RLClient> clientWithBaseURL(
        std::string baseURL, std::string username, std::string password);
    static base::Ref<RLClient> create();
    ~RLClient() override;

    // The base host's observer when there is one; otherwise a fresh observer of
    // the network at large (the all-zero address: no outside host is built in).
    // A status not yet determined counts as available.
    bool isNetworkAvailable() const;

    void setValue(std::string value, std::string const& field);

    // Null when the joined text is not a URL (or there is no base URL).
    base::Ref<RLURL> URLForResourcePath(std::string const& resourcePath) const;
    std::string URLPathForResourcePath(std::string const& resourcePath) const;
    base::Ref<RLURL> URLForResourcePath(
        std::string const& resourcePath, base::Dictionary const& queryParams) const;
    static std::string resourcePath(
        std::string const& resourcePath, base::Dictionary const& queryParams);

    void setupRequest(RLRequest& request) const;
    // A request for the path, set up but not sent.
    base::Ref<RLRequest> requestWithResourcePath(
        std::string const& resourcePath, RLRequestDelegate* delegate) const;
    // Makes the request, sets method and body, sends it and returns it.
    base::Ref<RLRequest> load(std::string const& resourcePath, std::int32_t method,
        base::Ref<RLRequestSerializable> params, RLRequestDelegate* delegate) const;
    base::Ref<RLRequest> get(std::string const& resourcePath, RLRequestDelegate* delegate) const;
    base::Ref<RLRequest> get(std::string const& resourcePath, base::Dictionary const& queryParams,
        RLRequestDelegate* delegate) const;
    base::Ref<RLRequest> post(std::string const& resourcePath,
        base::Ref<RLRequestSerializable> params, RLRequestDelegate* delegate) const;
    base::Ref<RLRequest> put(std::string const& resourcePath,
        base::Ref<RLRequestSerializable> params, RLRequestDelegate* delegate) const;
    // delete:delegate: (a keyword in C++).
    base::Ref<RLRequest> deleteResource(
        std::string const& resourcePath, RLRequestDelegate* delegate) const;

    void serviceDidBecomeUnavailableNotification();

    std::optional<std::string> const& baseURL() const { return baseURL_; }
    // Replaces the reachability observer with one for the new URL's host.
    void setBaseURL(std::optional<std::string> baseURL);
    std::optional<std::string> const& username() const { return username_; }
    void setUsername(std::optional<std::string> username) { username_ = std::move(username); }
    std::optional<std::string> const& password() const { return password_; }
    void setPassword(std::optional<std::string> password) { password_ = std::move(password); }
    // The one dictionary every request of this client sends as its additional
    // headers: a change reaches requests not yet sent.
    base::Ref<base::Dictionary> const& HTTPHeaders() const { return HTTPHeaders_; }
    base::Ref<RLReachabilityObserver> const& baseURLReachabilityObserver() const {
        return baseURLReachabilityObserver_;
    }
    std::string const& serviceUnavailableAlertTitle() const {
        return serviceUnavailableAlertTitle_;
    }
    void setServiceUnavailableAlertTitle(std::string title) {
        serviceUnavailableAlertTitle_ = std::move(title);
    }
    std::string const& serviceUnavailableAlertMessage() const {
        return serviceUnavailableAlertMessage_;
    }
    void setServiceUnavailableAlertMessage(std::string message) {
        serviceUnavailableAlertMessage_ = std::move(message);
    }
    bool serviceUnavailableAlertEnabled() const { return serviceUnavailableAlertEnabled_; }
    void setServiceUnavailableAlertEnabled(bool enabled) {
        serviceUnavailableAlertEnabled_ = enabled;
    }

private:
    friend base::Factory;
    RLClient();

    std::optional<std::string> baseURL_;
    std::optional<std::string> username_;
    std::optional<std::string> password_;
    base::Ref<base::Dictionary> HTTPHeaders_;
    base::Ref<RLReachabilityObserver> baseURLReachabilityObserver_;
    std::string serviceUnavailableAlertTitle_ {"Service Unavailable"};
    std::string serviceUnavailableAlertMessage_ {
        "The remote resource is unavailable. Please try again later."};
    bool serviceUnavailableAlertEnabled_ {false};
    foundation::ObservationToken unavailableObservation_;
};

// The path with every "(key path)" replaced by the text of valueForKeyPath's answer
// for it ("(null)" for nil); a "(" without ")" replaces nothing.
std::string RLResourcePathWithObject(
    std::string const& path, std::function<base::Value(std::string const&)> const& valueForKeyPath);
std::string RLResourcePathWithObject(std::string const& path, RLObject const& object);
std::string RLResourcePathWithQueryParams(
    std::string const& path, base::Dictionary const& queryParams);

// A plain alert with an "OK" button, through the installed application.
void RLShowAlert(std::string const& message, std::string const& title);

}
