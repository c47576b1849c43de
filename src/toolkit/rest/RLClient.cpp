#include <toolkit/rest/RLClient.hpp>

#include <toolkit/rest/RLApplication.hpp>
#include <toolkit/rest/RLRequestQueue.hpp>

#include <foundation/Format.hpp>
#include <foundation/URLParts.hpp>

#include <utility>
#include <vector>

namespace toolkit::rest {

namespace {

base::Ref<RLClient>& sharedSlot() {
    static base::Ref<RLClient> client;
    return client;
}

}

base::Ref<RLClient> RLClient::sharedClient() {
    return sharedSlot();
}

void RLClient::setSharedClient(base::Ref<RLClient> client) {
    auto& slot = sharedSlot();
    if (slot != client)
        slot = std::move(client);
}

base::Ref<RLClient> RLClient::create() {
    return base::make<RLClient>();
}

base::Ref<RLClient> RLClient::clientWithBaseURL(std::string baseURL) {
    auto client = create();
    client->setBaseURL(std::move(baseURL));
    if (!sharedSlot())
        setSharedClient(client);
    return client;
}

base::Ref<RLClient> RLClient::clientWithBaseURL(
    std::string baseURL, std::string username, std::string password) {
    auto client = clientWithBaseURL(std::move(baseURL));
    client->setUsername(std::move(username));
    client->setPassword(std::move(password));
    return client;
}

RLClient::RLClient()
    : HTTPHeaders_(base::Dictionary::create()) {
    unavailableObservation_ = foundation::NotificationCenter::defaultCenter().observe(
        RLServiceDidBecomeUnavailableNotification,
        [this](auto const&) { serviceDidBecomeUnavailableNotification(); });
}

RLClient::~RLClient() {
    unavailableObservation_.cancel();
}

void RLClient::setBaseURL(std::optional<std::string> baseURL) {
    baseURLReachabilityObserver_ = nullptr;
    baseURL_ = std::move(baseURL);
    if (!baseURL_)
        return;
    if (auto parts = foundation::URLParts::parse(*baseURL_))
        baseURLReachabilityObserver_
            = RLReachabilityObserver::reachabilityObserverWithHostName(parts->host);
}

bool RLClient::isNetworkAvailable() const {
    auto observer = baseURLReachabilityObserver_;
    if (!observer)
        observer = RLReachabilityObserver::reachabilityObserverWithHostName("0.0.0.0");
    return observer && observer->isNetworkReachable();
}

void RLClient::setValue(std::string value, std::string const& field) {
    HTTPHeaders_->setObject(field, std::move(value));
}

base::Ref<RLURL> RLClient::URLForResourcePath(std::string const& resourcePath) const {
    if (!baseURL_)
        return nullptr;
    return RLURL::URLWithBaseURLString(*baseURL_, resourcePath);
}

std::string RLClient::URLPathForResourcePath(std::string const& resourcePath) const {
    auto url = URLForResourcePath(resourcePath);
    return url ? url->absoluteString() : std::string();
}

base::Ref<RLURL> RLClient::URLForResourcePath(
    std::string const& path, base::Dictionary const& queryParams) const {
    return URLForResourcePath(resourcePath(path, queryParams));
}

std::string RLClient::resourcePath(std::string const& path, base::Dictionary const& queryParams) {
    return path + "?" + URLEncodedString(queryParams);
}

void RLClient::setupRequest(RLRequest& request) const {
    request.setAdditionalHTTPHeaders(HTTPHeaders_);
    request.setUsername(username_);
    request.setPassword(password_);
}

base::Ref<RLRequest> RLClient::requestWithResourcePath(
    std::string const& resourcePath, RLRequestDelegate* delegate) const {
    auto request = RLRequest::requestWithURL(URLForResourcePath(resourcePath), delegate);
    setupRequest(*request);
    return request;
}

base::Ref<RLRequest> RLClient::load(std::string const& resourcePath, std::int32_t method,
    base::Ref<RLRequestSerializable> params, RLRequestDelegate* delegate) const {
    auto request = requestWithResourcePath(resourcePath, delegate);
    request->setMethod(method);
    request->setParams(std::move(params));
    request->send();
    return request;
}

base::Ref<RLRequest> RLClient::get(
    std::string const& resourcePath, RLRequestDelegate* delegate) const {
    return load(resourcePath, RLRequest::GET, nullptr, delegate);
}

base::Ref<RLRequest> RLClient::get(std::string const& path, base::Dictionary const& queryParams,
    RLRequestDelegate* delegate) const {
    return load(resourcePath(path, queryParams), RLRequest::GET, nullptr, delegate);
}

base::Ref<RLRequest> RLClient::post(std::string const& resourcePath,
    base::Ref<RLRequestSerializable> params, RLRequestDelegate* delegate) const {
    return load(resourcePath, RLRequest::POST, std::move(params), delegate);
}

base::Ref<RLRequest> RLClient::put(std::string const& resourcePath,
    base::Ref<RLRequestSerializable> params, RLRequestDelegate* delegate) const {
    return load(resourcePath, RLRequest::PUT, std::move(params), delegate);
}

base::Ref<RLRequest> RLClient::deleteResource(
    std::string const& resourcePath, RLRequestDelegate* delegate) const {
    return load(resourcePath, RLRequest::DELETE, nullptr, delegate);
}

void RLClient::serviceDidBecomeUnavailableNotification() {
    if (serviceUnavailableAlertEnabled_)
        RLShowAlert(serviceUnavailableAlertMessage_, serviceUnavailableAlertTitle_);
}

std::string RLResourcePathWithObject(std::string const& path,
    std::function<base::Value(std::string const&)> const& valueForKeyPath) {
    std::vector<std::pair<std::string, std::string>> replacements;
    std::size_t at = 0;
    while ((at = path.find('(', at)) != std::string::npos) {
        auto close = path.find(')', at + 1);
        auto keyPath
            = path.substr(at + 1, close == std::string::npos ? std::string::npos : close - at - 1);
        replacements.emplace_back(
            "(" + keyPath + ")", foundation::format("%@", valueForKeyPath(keyPath)));
        if (close == std::string::npos)
            break;
        at = close + 1;
    }
    if (replacements.empty())
        return path;
    std::string result = path;
    for (auto const& [placeholder, value] : replacements) {
        std::size_t from = 0;
        while ((from = result.find(placeholder, from)) != std::string::npos) {
            result.replace(from, placeholder.size(), value);
            from += value.size();
        }
    }
    return result;
}

std::string RLResourcePathWithObject(std::string const& path, RLObject const& object) {
    return RLResourcePathWithObject(
        path, [&](std::string const& keyPath) { return object.valueForKey(keyPath); });
}

std::string RLResourcePathWithQueryParams(
    std::string const& path, base::Dictionary const& queryParams) {
    return path + "?" + URLEncodedString(queryParams);
}

void RLShowAlert(std::string const& message, std::string const& title) {
    if (auto* application = RLApplication::shared())
        application->showAlert(title, message, "OK");
    else
        foundation::log("%@: %@", title, message);
}

}
