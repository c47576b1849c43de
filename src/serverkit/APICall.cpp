#include <serverkit/APICall.hpp>

#include <serverkit/QBYConnect.hpp>

#include <base/Verify.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>
#include <foundation/HTTPCookie.hpp>
#include <foundation/HTTPCookieStorage.hpp>
#include <foundation/Random.hpp>
#include <foundation/RunLoop.hpp>
#include <toolkit/json/JSONEncoder.hpp>

namespace serverkit {

APICall::APICall() {
    auto& bundle = foundation::Bundle::mainBundle();
    appBundleId_ = bundle.bundleIdentifier();
    appBundleVersion_ = bundle.objectForInfoDictionaryKey("CFBundleVersion").stringValue();
    auto const& configuration = QBYConnect::sharedManager().configuration();
    deviceIdentifier_ = configuration.deviceIdentifier;
    requestURLStr_ = gameServerURL("/api.php");
}

std::string APICall::gameServerURL(std::string_view path) {
    auto const& host = QBYConnect::sharedManager().configuration().host;
    if (host.empty())
        return {};
    return "http://" + host + std::string(path);
}

APICall::~APICall() {
    if (mConnection)
        mConnection->cancel();
}

base::Ref<base::Dictionary> APICall::buildRequestJSONDict() {
    auto dictionary = base::Dictionary::create();
    dictionary->setObject("appid", appBundleId_);
    dictionary->setObject("ver", appBundleVersion_);
    dictionary->setObject("udid", deviceIdentifier_);
    return dictionary;
}

std::string APICall::buildRequestJSON() {
    auto dictionary = buildRequestJSONDict();
    toolkit::json::JCError error;
    auto text = toolkit::json::JSONString(*dictionary, 0, &error);
    if (!text) {
        foundation::log("APICall: the request of %@ cannot be written as JSON: %@", apiMethod_,
            error.localizedDescription);
        return "{}";
    }
    return *text;
}

namespace {

base::Bytes bytesOf(std::string const& text) {
    return base::Bytes(text.begin(), text.end());
}

}

base::Bytes APICall::buildRequestData() {
    auto json = buildRequestJSON();
    auto text = foundation::format("method=%@&data=%@", apiMethod_, formEscape(json));
    foundation::log("Request:%@", text);
    return bytesOf(text);
}

base::Bytes APICall::buildSignedRequestData(RequestLog log) {
    auto json = buildRequestJSON();
    auto text = foundation::format(
        "method=%@&data=%@&sig=%@", apiMethod_, formEscape(json), formEscape(buildSig(json)));
    if (log == RequestLog::Yes)
        foundation::log("Request:%@", text);
    return bytesOf(text);
}

std::string APICall::buildSig(std::string_view json) {
    auto token = QBYConnect::sharedManager().sessionToken();
    if (!token)
        return {};
    return hexStringWithNSData(foundation::Digest::hmacSHA1(*token, json));
}

base::Value APICall::errorValue(foundation::URLError const& error) {
    auto value = base::Dictionary::create();
    value->setObject("domain", error.domain);
    value->setObject("code", error.code);
    value->setObject("localizedDescription", error.localizedDescription);
    return value;
}

std::string APICall::hexStringWithNSData(foundation::ByteView bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (auto byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::string APICall::formEscape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "%26";
            break;
        case '=':
            escaped += "%3D";
            break;
        case '+':
            escaped += "%2B";
            break;
        case '%':
            escaped += "%25";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::int32_t APICall::requestNumberForDraw(std::uint32_t draw) {
    return std::int32_t(draw & 0x7FFFFFFFu);
}

std::int32_t APICall::requestNumber() {
    return requestNumberForDraw(foundation::Arc4Random::shared().next());
}

foundation::URLRequest APICall::buildRequest() {
    auto request = foundation::URLRequest::requestWithURL(requestURLStr_,
        foundation::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, TimeoutInterval);
    request.setHTTPMethod(requestMethod_);
    request.setHTTPBody(buildRequestData());
    // Cookies are stored by hand, from successful replies only; the stored ones go
    // out with every request.
    request.setHTTPShouldHandleCookies(false);
    auto cookies
        = foundation::HTTPCookieStorage::sharedHTTPCookieStorage().cookiesForURL(requestURLStr_);
    if (!cookies.empty()) {
        auto fields = foundation::HTTPCookie::requestHeaderFieldsWithCookies(cookies);
        for (auto const& [name, value] : fields.entries())
            request.setValue(value, name);
    }
    return request;
}

void APICall::startWithDelegate(QBYAPICallDelegate* delegate) {
    VERIFY_MSG(delegate, "APICall Delegate is mandatory");
    mDelegate = delegate;
    if (mConnection) {
        mConnection->cancel();
        mConnection = nullptr;
    }
    mReceivedData = base::Bytes();
    finished_ = false;
    if (requestURLStr_.empty()) {
        foundation::log("APICall: no game server configured; %@ is not sent", apiMethod_);
        auto generation = generation_;
        base::Ref<APICall> self(this);
        foundation::RunLoop::current().perform([self, generation] {
            if (self->generation_ == generation)
                self->fail(foundation::URLError::make(
                    foundation::URLError::UnsupportedURL, {}, "no game server configured"));
        });
        return;
    }
    mConnection = foundation::URLConnection::create(buildRequest(), this);
}

void APICall::cancel() {
    ++generation_;
    if (mConnection) {
        mConnection->cancel();
        mConnection = nullptr;
    }
    mReceivedData.reset();
    finished_ = false;
}

void APICall::fail(foundation::URLError const& error) {
    base::Ref<APICall> self(this);
    cancel();
    if (mDelegate)
        mDelegate->QBYAPICallDidFailWithError(*this, error);
}

void APICall::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    int status = response.statusCode();
    if (status == 200 || status == 201) {
        foundation::log("APICall::connection succeeded with response code %d", status);
        foundation::HTTPCookieStorage::sharedHTTPCookieStorage().setCookies(
            foundation::HTTPCookie::cookiesWithResponseHeaderLines(
                response.headerLines(), response.URL()),
            response.URL());
        mReceivedData = base::Bytes();
        return;
    }
    foundation::log("APICall::connection failed with response code %d", status);
    fail(foundation::URLError::withDomain(ErrorDomain, status));
}

void APICall::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    if (mReceivedData)
        mReceivedData->insert(mReceivedData->end(), data.begin(), data.end());
}

void APICall::connectionDidFinishLoading(foundation::URLConnection&) {
    base::Ref<APICall> self(this);
    mConnection = nullptr;
    if (!mReceivedData)
        mReceivedData = base::Bytes();
    finished_ = true;
    foundation::log("APICall Received String:%@",
        std::string_view(
            reinterpret_cast<char const*>(mReceivedData->data()), mReceivedData->size()));
    if (mDelegate)
        mDelegate->QBYAPICallDidSucceedWithData(*this, &*mReceivedData);
}

void APICall::didFailWithError(foundation::URLConnection&, foundation::URLError const& error) {
    foundation::log("APICall::connection failed: %@", error.localizedDescription);
    mConnection = nullptr;
    fail(error);
}

}
