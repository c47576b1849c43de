#include <support/GameServerStandIn.hpp>

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace test {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percentDecode(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c == '%' && i + 2 < text.size() + 0 && hexValue(text[i + 1]) >= 0
            && hexValue(text[i + 2]) >= 0) {
            decoded += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += c;
        }
    }
    return decoded;
}

EVP_PKEY* loadKey(char const* path) {
    FILE* file = std::fopen(path, "r");
    if (!file)
        throw std::runtime_error("the game server's test key is missing");
    EVP_PKEY* key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    if (!key)
        throw std::runtime_error("the game server's test key cannot be read");
    return key;
}

EVP_PKEY* serverKey() {
    static EVP_PKEY* key = loadKey(QUILLABY_GAME_SERVER_KEY);
    return key;
}

EVP_PKEY* strangerKey() {
    static EVP_PKEY* key = loadKey(QUILLABY_STRANGER_KEY);
    return key;
}

}

std::vector<std::pair<std::string, std::string>> decodeForm(std::string const& body) {
    std::vector<std::pair<std::string, std::string>> fields;
    std::size_t start = 0;
    while (start <= body.size()) {
        auto end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        std::string_view field(body.data() + start, end - start);
        auto equals = field.find('=');
        if (equals == std::string_view::npos)
            fields.emplace_back(percentDecode(field), "");
        else
            fields.emplace_back(
                percentDecode(field.substr(0, equals)), percentDecode(field.substr(equals + 1)));
        start = end + 1;
    }
    return fields;
}

std::string GameServerStandIn::hmacHex(std::string const& key, std::string const& message) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha1(), key.data(), int(key.size()),
        reinterpret_cast<unsigned char const*>(message.data()), message.size(), digest, &length);
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned i = 0; i < length; ++i) {
        text += digits[digest[i] >> 4];
        text += digits[digest[i] & 0xF];
    }
    return text;
}

namespace {

// A JSON string literal of text (quotes, backslashes and control characters escaped).
std::string jsonString(std::string const& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += char(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += char(c);
        }
    }
    return quoted + "\"";
}

}

std::string GameServerStandIn::signedReply(std::string const& data, std::string const& key) {
    return "{\"data\":" + jsonString(data) + ",\"sig\":\"" + hmacHex(key, data) + "\"}";
}

std::string GameServerStandIn::privateBlock(std::string const& plain, bool otherKey) {
    EVP_PKEY* key = otherKey ? strangerKey() : serverKey();
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(key, nullptr);
    std::string block(BlockSize, '\0');
    std::size_t length = block.size();
    bool ok = context && EVP_PKEY_sign_init(context) > 0
        && EVP_PKEY_CTX_set_rsa_padding(context, RSA_NO_PADDING) > 0
        && EVP_PKEY_sign(context, reinterpret_cast<unsigned char*>(block.data()), &length,
               reinterpret_cast<unsigned char const*>(plain.data()), plain.size())
            > 0;
    EVP_PKEY_CTX_free(context);
    if (!ok)
        throw std::runtime_error("the token block cannot be made");
    block.resize(length);
    return block;
}

std::string GameServerStandIn::plainTokenBlock(std::string const& text, bool withZeroByte) {
    std::string plain(BlockSize, '\0');
    std::size_t filler = 16;
    for (std::size_t i = 0; i < filler; ++i)
        plain[i] = char(0x01 + i * 7);
    std::size_t at = filler;
    if (withZeroByte)
        plain[at++] = '\0';
    plain.replace(at, text.size(), text);
    if (!withZeroByte) {
        // No zero anywhere: the text is followed by filler to the end.
        for (std::size_t i = at + text.size(); i < BlockSize; ++i)
            plain[i] = 'z';
    }
    return plain;
}

std::string GameServerStandIn::certificateFile() {
    return QUILLABY_GAME_SERVER_CERTIFICATE;
}

GameServerStandIn::GameServerStandIn()
    : http_(std::make_unique<LoopbackServer>())
    , https_(std::make_unique<LoopbackServer>(LoopbackServer::Tls::Trusted)) {
    auto handler = [this](HttpRequest const& request) { return answer(request); };
    http_->route("POST", "/api.php", handler);
    http_->route("POST", "/qbyapi/v2/api.php", handler);
    https_->route("POST", MarketingPath,
        LoopbackServer::basicAuth("tessaline", MarketingPassword,
            HttpResponse::text("{\"status\":\"ok\"}", 201, "text/json")));
}

GameServerStandIn::~GameServerStandIn() {
    // The servers' threads answer from this object's state: they stop before any of it
    // goes.
    https_.reset();
    http_.reset();
}

std::string GameServerStandIn::host() const {
    return "127.0.0.1:" + std::to_string(http_->port());
}

std::string GameServerStandIn::marketingHost() const {
    return "127.0.0.1:" + std::to_string(https_->port());
}

std::string GameServerStandIn::token() const {
    std::lock_guard lock(mutex_);
    return token_;
}

void GameServerStandIn::setToken(std::string token) {
    std::lock_guard lock(mutex_);
    token_ = std::move(token);
}

void GameServerStandIn::reply(std::string const& method, std::string body) {
    reply(method, HttpResponse::text(std::move(body)));
}

void GameServerStandIn::reply(std::string const& method, HttpResponse response) {
    reply(method, [response](GameServerCall const&) { return response; });
}

void GameServerStandIn::reply(
    std::string const& method, std::function<HttpResponse(GameServerCall const&)> make) {
    std::lock_guard lock(mutex_);
    replies_[method] = std::move(make);
}

void GameServerStandIn::offerRestore(std::string saveJSON) {
    std::lock_guard lock(mutex_);
    restore_ = std::move(saveJSON);
}

void GameServerStandIn::setDLCList(std::string listJSON) {
    std::lock_guard lock(mutex_);
    dlcList_ = std::move(listJSON);
}

void GameServerStandIn::setDirectives(std::string replyJSON) {
    std::lock_guard lock(mutex_);
    directives_ = std::move(replyJSON);
}

std::string GameServerStandIn::directive(int uid, std::string const& settingsJSON) {
    std::string quoted;
    for (char c : settingsJSON) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return "{\"uid\":" + std::to_string(uid) + ",\"data\":\"" + quoted + "\"}";
}

std::string GameServerStandIn::directives(std::vector<std::string> const& records) {
    std::string reply = "[";
    for (std::size_t i = 0; i < records.size(); ++i)
        reply += (i ? "," : "") + records[i];
    return reply + "]";
}

std::vector<std::string> GameServerStandIn::uploads() const {
    std::lock_guard lock(mutex_);
    return uploads_;
}

std::vector<GameServerCall> GameServerStandIn::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::string> GameServerStandIn::methods() const {
    std::vector<std::string> names;
    for (auto const& call : calls())
        names.push_back(call.method);
    return names;
}

bool GameServerStandIn::waitForCalls(std::size_t count, double timeoutSeconds) const {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (std::chrono::steady_clock::now() < until) {
        if (calls().size() >= count)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return calls().size() >= count;
}

void GameServerStandIn::clearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

HttpResponse GameServerStandIn::answer(HttpRequest const& request) {
    GameServerCall call;
    call.path = request.path;
    call.body = request.body;
    for (auto const& [name, value] : decodeForm(request.body)) {
        if (name == "method")
            call.method = value;
        else if (name == "data")
            call.data = value;
        else if (name == "sig")
            call.sig = value;
    }
    std::function<HttpResponse(GameServerCall const&)> custom;
    std::string token;
    {
        std::lock_guard lock(mutex_);
        token = token_;
        call.signatureValid = call.sig && *call.sig == hmacHex(token_, call.data);
        calls_.push_back(call);
        if (auto found = replies_.find(call.method); found != replies_.end())
            custom = found->second;
        if (call.method == "savedata")
            uploads_.push_back(call.data);
    }
    if (custom)
        return custom(call);

    std::lock_guard lock(mutex_);
    if (call.method == "authtoken")
        return HttpResponse::text(tokenBlock(token), 200, "application/octet-stream");
    if (call.method == "checkrestore")
        return HttpResponse::text(restore_ ? signedReply(*restore_, token) : "-1");
    if (call.method == "checkreward")
        return HttpResponse::text(signedReply("0", token));
    if (call.method == "btxomponents")
        return HttpResponse::text("{\"iad\":1,\"adnoria\":0,\"mq\":0,\"featuredapp\":false,"
                                  "\"bannerad\":false,\"offerwall\":1}");
    if (call.method == "listdlc")
        return HttpResponse::text(dlcList_);
    if (call.method == "checkdirectives")
        return HttpResponse::text(directives_);
    if (call.method == "confirmrestore")
        restore_.reset();
    return HttpResponse::text("1");
}

}
