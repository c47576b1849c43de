#include <foundation/URLLoad.hpp>

#include <foundation/HTTPCookieStorage.hpp>
#include <foundation/URLParts.hpp>
#include <foundation/URLTransferEngine.hpp>

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <strings.h>

namespace foundation {

namespace {

struct Settings {
    std::mutex mutex;
    std::string certificateAuthorityFile;
    std::string userAgent {"Quillaby/0.1"};
};

Settings& settings() {
    static Settings shared;
    return shared;
}

std::string base64(std::string_view bytes) {
    static constexpr char alphabet[]
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned value = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8
            | (unsigned char)bytes[i + 2];
        out += alphabet[value >> 18];
        out += alphabet[(value >> 12) & 63];
        out += alphabet[(value >> 6) & 63];
        out += alphabet[value & 63];
    }
    if (i + 1 == bytes.size()) {
        unsigned value = (unsigned char)bytes[i] << 16;
        out += alphabet[value >> 18];
        out += alphabet[(value >> 12) & 63];
        out += "==";
    } else if (i + 2 == bytes.size()) {
        unsigned value = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8;
        out += alphabet[value >> 18];
        out += alphabet[(value >> 12) & 63];
        out += alphabet[(value >> 6) & 63];
        out += '=';
    }
    return out;
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The realm of a Basic challenge among the WWW-Authenticate values, or null when
// none offers Basic.
std::optional<std::string> basicRealm(std::vector<HTTPHeaderFields::Entry> const& lines) {
    for (auto const& [name, value] : lines) {
        if (!HTTPHeaderFields::namesEqual(name, "WWW-Authenticate"))
            continue;
        std::string text = HTTPHeaderFields::trimmed(value);
        if (text.size() < 5 || strncasecmp(text.c_str(), "Basic", 5) != 0
            || (text.size() > 5 && text[5] != ' '))
            continue;
        std::string realm;
        auto found = text.find("realm=");
        if (found == std::string::npos)
            found = text.find("REALM=");
        if (found != std::string::npos) {
            std::string rest = text.substr(found + 6);
            if (!rest.empty() && rest.front() == '"') {
                auto close = rest.find('"', 1);
                realm = rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            } else {
                realm = rest.substr(0, rest.find_first_of(", "));
            }
        }
        return realm;
    }
    return std::nullopt;
}

URLError errorFor(CURLcode code, std::string const& url, char const* text) {
    std::string reason = text && *text ? text : curl_easy_strerror(code);
    long kind = URLError::Unknown;
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
        kind = URLError::UnsupportedURL;
        break;
    case CURLE_URL_MALFORMAT:
        kind = URLError::BadURL;
        break;
    case CURLE_COULDNT_RESOLVE_HOST:
        kind = URLError::CannotFindHost;
        break;
    case CURLE_COULDNT_CONNECT:
        kind = URLError::CannotConnectToHost;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        kind = URLError::TimedOut;
        break;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        kind = URLError::NetworkConnectionLost;
        break;
    case CURLE_WEIRD_SERVER_REPLY:
        kind = URLError::BadServerResponse;
        break;
    case CURLE_BAD_CONTENT_ENCODING:
        kind = URLError::CannotDecodeContentData;
        break;
    case CURLE_READ_ERROR:
        kind = URLError::RequestBodyStreamExhausted;
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
        kind = reason.find("expired") != std::string::npos ? URLError::ServerCertificateHasBadDate
            : reason.find("issuer") != std::string::npos ? URLError::ServerCertificateHasUnknownRoot
                                                         : URLError::ServerCertificateUntrusted;
        break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_USE_SSL_FAILED:
        kind = URLError::SecureConnectionFailed;
        break;
    default:
        break;
    }
    return URLError::make(kind, url, std::move(reason));
}

}

void URLLoad::setCertificateAuthorityFile(std::string path) {
    std::lock_guard lock(settings().mutex);
    settings().certificateAuthorityFile = std::move(path);
}

void URLLoad::setUserAgent(std::string userAgent) {
    std::lock_guard lock(settings().mutex);
    settings().userAgent = std::move(userAgent);
}

std::string URLLoad::userAgent() {
    std::lock_guard lock(settings().mutex);
    return settings().userAgent;
}

std::shared_ptr<URLLoad> URLLoad::create(
    URLRequest request, std::shared_ptr<URLLoadClient> client) {
    struct Made : URLLoad {
        Made(URLRequest request, std::shared_ptr<URLLoadClient> client)
            : URLLoad(std::move(request), std::move(client)) { }
    };
    return std::make_shared<Made>(std::move(request), std::move(client));
}

URLLoad::URLLoad(URLRequest request, std::shared_ptr<URLLoadClient> client)
    : request_(std::move(request))
    , client_(std::move(client)) {
}

URLLoad::~URLLoad() {
    endTransfer();
}

void URLLoad::start() {
    URLTransferEngine::shared().post([self = shared_from_this()] { self->begin(); });
}

void URLLoad::cancel() {
    cancelled_ = true;
    URLTransferEngine::shared().post([self = shared_from_this()] {
        if (self->easy_)
            URLTransferEngine::shared().remove(self->easy_);
        self->endTransfer();
        self->ended_ = true;
        self->client_.reset();
    });
}

void URLLoad::proceed(std::optional<URLRequest> request) {
    URLTransferEngine::shared().post(
        [self = shared_from_this(), request = std::move(request)]() mutable {
            self->handleProceed(std::move(request));
        });
}

void URLLoad::answerChallenge(URLAuthenticationAnswer answer) {
    URLTransferEngine::shared().post(
        [self = shared_from_this(), answer = std::move(answer)]() mutable {
            self->handleAnswer(std::move(answer));
        });
}

void URLLoad::begin() {
    if (cancelled_ || ended_)
        return;
    if (request_.cachePolicy() == URLRequestCachePolicy::ReturnCacheDataDontLoad) {
        fail(URLError::make(URLError::ResourceUnavailable, request_.URL()));
        return;
    }
    awaitingAnswer_ = true;
    client_->loadWillSendRequest(*this, request_, nullptr);
}

void URLLoad::handleProceed(std::optional<URLRequest> request) {
    if (cancelled_ || ended_ || !awaitingAnswer_)
        return;
    awaitingAnswer_ = false;
    if (!request) {
        if (reply_ && mode_ == Mode::Redirect) {
            deliverHeldReply();
        } else {
            ended_ = true;
            client_.reset();
        }
        return;
    }
    request_ = std::move(*request);
    send();
}

void URLLoad::handleAnswer(URLAuthenticationAnswer answer) {
    if (cancelled_ || ended_ || !awaitingAnswer_)
        return;
    awaitingAnswer_ = false;
    if (answer.kind == URLAuthenticationAnswer::Kind::UseCredential) {
        credential_ = std::move(answer.credential);
        credentialHost_ = hopHost_;
        send();
    } else {
        deliverHeldReply();
    }
}

void URLLoad::send() {
    auto parts = URLParts::parse(request_.URL());
    if (!parts) {
        fail(URLError::make(URLError::BadURL, request_.URL()));
        return;
    }
    if (parts->scheme != "http" && parts->scheme != "https") {
        fail(URLError::make(URLError::UnsupportedURL, request_.URL()));
        return;
    }
    if (parts->hasCredentials) {
        urlCredential_ = URLCredential {parts->user, parts->password};
        hopURL_ = URLParts::withoutCredentials(request_.URL());
    } else {
        hopURL_ = request_.URL();
    }
    hopHost_ = parts->host + ":" + std::to_string(parts->port);
    // A credential given for one server never goes to another.
    if (credential_ && credentialHost_ != hopHost_)
        credential_.reset();

    mode_ = Mode::Undecided;
    status_ = 0;
    headerLines_.clear();
    reply_.reset();
    heldBody_.clear();
    uploaded_ = 0;
    downloaded_ = 0;
    bodyReceived_ = 0;
    bodyTooLarge_ = false;
    streamPosition_ = 0;
    streamFailed_ = false;
    errorText_[0] = '\0';

    std::string agent;
    std::string authorityFile;
    {
        std::lock_guard lock(settings().mutex);
        agent = settings().userAgent;
        authorityFile = settings().certificateAuthorityFile;
    }

    easy_ = curl_easy_init();
    curl_easy_setopt(easy_, CURLOPT_URL, hopURL_.c_str());
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &URLLoad::onHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &URLLoad::onBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &URLLoad::onProgress);
    curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
    // A reply that announces a longer body fails before any of it comes.
    curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request_.maximumBodySize()));
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, long(request_.timeoutInterval() * 1000));
    curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!authorityFile.empty())
        curl_easy_setopt(easy_, CURLOPT_CAINFO, authorityFile.c_str());
    if (!request_.allHTTPHeaderFields().contains("User-Agent"))
        curl_easy_setopt(easy_, CURLOPT_USERAGENT, agent.c_str());

    std::string method = request_.HTTPMethod();
    std::transform(method.begin(), method.end(), method.begin(),
        [](unsigned char c) { return char(std::toupper(c)); });
    bool withBody = request_.hasBody() && method != "GET" && method != "HEAD";
    bool streamed = withBody && request_.HTTPBodyStream();
    if (method == "HEAD") {
        curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
    } else if (!withBody) {
        if (method == "GET") {
            curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
        } else if (method == "POST") {
            curl_easy_setopt(easy_, CURLOPT_POST, 1L);
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE, 0L);
        } else {
            curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, method.c_str());
        }
    } else {
        curl_easy_setopt(easy_, CURLOPT_POST, 1L);
        if (streamed) {
            curl_easy_setopt(easy_, CURLOPT_READFUNCTION, &URLLoad::onRead);
            curl_easy_setopt(easy_, CURLOPT_READDATA, this);
            curl_off_t length = -1;
            std::string declared
                = HTTPHeaderFields::trimmed(request_.valueForHTTPHeaderField("Content-Length"));
            if (!declared.empty() && std::all_of(declared.begin(), declared.end(), ::isdigit))
                length = std::stoll(declared);
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, length);
        } else {
            curl_easy_setopt(
                easy_, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request_.HTTPBody().size()));
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, request_.HTTPBody().data());
        }
        if (method != "POST")
            curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, method.c_str());
    }

    curl_slist* list = nullptr;
    auto addLine = [&](std::string const& line) { list = curl_slist_append(list, line.c_str()); };
    for (auto const& [name, value] : request_.allHTTPHeaderFields()) {
        if (HTTPHeaderFields::namesEqual(name, "Content-Length")
            || HTTPHeaderFields::namesEqual(name, "Expect")
            || HTTPHeaderFields::namesEqual(name, "Transfer-Encoding"))
            continue;
        // "Name;" is how curl sends a field with an empty value.
        addLine(value.empty() ? name + ";" : name + ": " + value);
    }
    addLine("Expect:");
    if (request_.HTTPShouldHandleCookies() && !request_.allHTTPHeaderFields().contains("Cookie")) {
        auto cookies = HTTPCookie::requestHeaderFieldsWithCookies(
            HTTPCookieStorage::sharedHTTPCookieStorage().cookiesForURL(hopURL_));
        if (auto const* line = cookies.find("Cookie"))
            addLine("Cookie: " + *line);
    }
    sentCredential_ = false;
    if (credential_ && !request_.allHTTPHeaderFields().contains("Authorization")) {
        addLine("Authorization: Basic " + base64(credential_->user + ":" + credential_->password));
        sentCredential_ = true;
    }
    headerList_ = list;
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, list);

    idleLimit_ = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(request_.timeoutInterval()));
    touch();
    URLTransferEngine::shared().add(easy_, shared_from_this());
}

void URLLoad::endTransfer() {
    if (easy_) {
        curl_easy_cleanup(easy_);
        easy_ = nullptr;
    }
    if (headerList_) {
        curl_slist_free_all(static_cast<curl_slist*>(headerList_));
        headerList_ = nullptr;
    }
}

std::size_t URLLoad::onHeader(char* data, std::size_t size, std::size_t count, void* context) {
    auto* self = static_cast<URLLoad*>(context);
    std::size_t length = size * count;
    if (self->cancelled_)
        return 0;
    self->touch();
    std::string_view line(data, length);
    if (line.rfind("HTTP/", 0) == 0) {
        auto space = line.find(' ');
        self->status_ = space == std::string_view::npos
            ? 0
            : std::atoi(std::string(line.substr(space + 1, 3)).c_str());
        self->headerLines_.clear();
        return length;
    }
    if (line == "\r\n" || line == "\n") {
        if (self->status_ >= 200 || self->status_ < 100)
            self->headersComplete();
        return length;
    }
    if ((line.front() == ' ' || line.front() == '\t') && !self->headerLines_.empty()) {
        self->headerLines_.back().second += " " + HTTPHeaderFields::trimmed(line);
        return length;
    }
    auto colon = line.find(':');
    if (colon != std::string_view::npos)
        self->headerLines_.emplace_back(HTTPHeaderFields::trimmed(line.substr(0, colon)),
            HTTPHeaderFields::trimmed(line.substr(colon + 1)));
    return length;
}

void URLLoad::headersComplete() {
    reply_ = URLResponse(hopURL_, status_, headerLines_);
    if (request_.HTTPShouldHandleCookies()) {
        auto cookies = HTTPCookie::cookiesWithResponseHeaderLines(headerLines_, hopURL_);
        HTTPCookieStorage::sharedHTTPCookieStorage().setCookies(cookies, hopURL_);
    }
    if (isRedirect(status_) && reply_->allHeaderFields().contains("Location")) {
        mode_ = Mode::Redirect;
    } else if (status_ == 401 && basicRealm(headerLines_)
        && failures_ < MaximumAuthenticationAttempts) {
        mode_ = Mode::Challenge;
    } else {
        mode_ = Mode::Final;
        if (client_)
            client_->loadDidReceiveResponse(*reply_);
    }
}

std::size_t URLLoad::onBody(char* data, std::size_t size, std::size_t count, void* context) {
    auto* self = static_cast<URLLoad*>(context);
    std::size_t length = size * count;
    if (self->cancelled_)
        return 0;
    self->touch();
    if (length > self->request_.maximumBodySize() - self->bodyReceived_) {
        self->bodyTooLarge_ = true;
        return 0;
    }
    self->bodyReceived_ += length;
    auto const* bytes = reinterpret_cast<std::uint8_t const*>(data);
    if (self->mode_ == Mode::Final) {
        if (self->client_)
            self->client_->loadDidReceiveData(base::Bytes(bytes, bytes + length));
    } else {
        self->heldBody_.insert(self->heldBody_.end(), bytes, bytes + length);
    }
    return length;
}

std::size_t URLLoad::onRead(char* buffer, std::size_t size, std::size_t count, void* context) {
    auto* self = static_cast<URLLoad*>(context);
    std::size_t capacity = size * count;
    if (self->cancelled_)
        return CURL_READFUNC_ABORT;
    if (self->streamPosition_ < self->streamed_.size()) {
        std::size_t n = std::min(capacity, self->streamed_.size() - self->streamPosition_);
        std::memcpy(buffer, self->streamed_.data() + self->streamPosition_, n);
        self->streamPosition_ += n;
        return n;
    }
    auto const* stream = self->request_.HTTPBodyStream();
    if (self->streamEnded_ || !stream)
        return 0;
    std::ptrdiff_t n = (*stream)(reinterpret_cast<std::uint8_t*>(buffer), capacity);
    if (n < 0 || std::size_t(n) > capacity) {
        self->streamFailed_ = true;
        return CURL_READFUNC_ABORT;
    }
    if (n == 0) {
        self->streamEnded_ = true;
        return 0;
    }
    auto const* bytes = reinterpret_cast<std::uint8_t const*>(buffer);
    self->streamed_.insert(self->streamed_.end(), bytes, bytes + n);
    self->streamPosition_ += std::size_t(n);
    self->touch();
    return std::size_t(n);
}

int URLLoad::onProgress(void* context, std::int64_t, std::int64_t downloaded,
    std::int64_t uploadTotal, std::int64_t uploaded) {
    auto* self = static_cast<URLLoad*>(context);
    if (self->cancelled_)
        return 1;
    if (downloaded != self->downloaded_) {
        self->downloaded_ = downloaded;
        self->touch();
    }
    if (uploaded > self->uploaded_) {
        std::int64_t sent = uploaded - self->uploaded_;
        self->uploaded_ = uploaded;
        self->touch();
        if (self->client_)
            self->client_->loadDidSendBodyData(sent, uploaded, uploadTotal > 0 ? uploadTotal : -1);
    }
    return 0;
}

void URLLoad::transferEnded(int curlCode) {
    std::string reason = errorText_;
    endTransfer();
    if (cancelled_ || ended_)
        return;
    if (streamFailed_) {
        fail(URLError::make(URLError::RequestBodyStreamExhausted, hopURL_));
        return;
    }
    if (bodyTooLarge_ || curlCode == CURLE_FILESIZE_EXCEEDED) {
        fail(URLError::make(URLError::DataLengthExceedsMaximum, hopURL_,
            "the body is longer than " + std::to_string(request_.maximumBodySize()) + " bytes"));
        return;
    }
    if (curlCode != CURLE_OK) {
        fail(errorFor(CURLcode(curlCode), hopURL_, reason.c_str()));
        return;
    }
    if (!reply_) {
        fail(URLError::make(URLError::BadServerResponse, hopURL_));
        return;
    }
    switch (mode_) {
    case Mode::Redirect:
        decideRedirect();
        break;
    case Mode::Challenge:
        decideChallenge();
        break;
    default:
        finish();
        break;
    }
}

void URLLoad::transferTimedOut() {
    endTransfer();
    if (!cancelled_ && !ended_)
        fail(URLError::make(URLError::TimedOut, hopURL_));
}

void URLLoad::abandon() {
    endTransfer();
    ended_ = true;
    client_.reset();
}

void URLLoad::decideRedirect() {
    if (redirects_ >= MaximumRedirects) {
        fail(URLError::make(URLError::HTTPTooManyRedirects, hopURL_));
        return;
    }
    auto location = URLParts::resolve(hopURL_, reply_->valueForHeaderField("Location"));
    auto target = location ? URLParts::parse(*location) : std::nullopt;
    if (!target || (target->scheme != "http" && target->scheme != "https")) {
        // A redirect that leads nowhere this loader can go is the answer itself.
        deliverHeldReply();
        return;
    }
    ++redirects_;
    URLRequest next = request_;
    next.setURL(*location);
    std::string method = request_.HTTPMethod();
    bool toGet = (status_ == 303 && method != "HEAD" && method != "GET")
        || ((status_ == 301 || status_ == 302) && method == "POST");
    if (toGet) {
        next.setHTTPMethod("GET");
        next.setHTTPBody(base::Bytes {});
        next.removeValueForHTTPHeaderField("Content-Type");
        next.removeValueForHTTPHeaderField("Content-Length");
        streamed_.clear();
        streamEnded_ = false;
    }
    awaitingAnswer_ = true;
    client_->loadWillSendRequest(*this, next, &*reply_);
}

void URLLoad::decideChallenge() {
    auto parts = URLParts::parse(hopURL_);
    URLAuthenticationChallenge challenge;
    challenge.protectionSpace.host = parts ? parts->host : "";
    challenge.protectionSpace.port = parts ? parts->port : 0;
    challenge.protectionSpace.protocol = parts ? parts->scheme : "";
    challenge.protectionSpace.realm = basicRealm(headerLines_).value_or("");
    if (sentCredential_)
        ++failures_;
    challenge.previousFailureCount = failures_;
    challenge.proposedCredential = failures_ > 0 ? credential_ : urlCredential_;
    challenge.failureResponse = *reply_;
    awaitingAnswer_ = true;
    client_->loadDidReceiveChallenge(*this, challenge);
}

void URLLoad::deliverHeldReply() {
    client_->loadDidReceiveResponse(*reply_);
    if (!heldBody_.empty())
        client_->loadDidReceiveData(std::move(heldBody_));
    heldBody_.clear();
    finish();
}

void URLLoad::fail(URLError const& error) {
    if (ended_)
        return;
    ended_ = true;
    auto client = std::move(client_);
    if (client)
        client->loadDidFail(error);
}

void URLLoad::finish() {
    if (ended_)
        return;
    ended_ = true;
    auto client = std::move(client_);
    if (client)
        client->loadDidFinish();
}

}
