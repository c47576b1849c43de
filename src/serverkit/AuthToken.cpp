#include <serverkit/AuthToken.hpp>

#include <serverkit/QBYConnect.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Certificate.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/PublicKey.hpp>

#include <algorithm>

namespace serverkit {

base::Ref<AuthToken> AuthToken::apicall() {
    return base::make<AuthToken>();
}

AuthToken::AuthToken() {
    setApiMethod("authtoken");
}

std::optional<std::string> AuthToken::tokenFromOpenedBlock(base::Bytes const& opened) {
    auto zero = std::find(opened.begin(), opened.end(), std::uint8_t(0));
    if (zero == opened.end())
        return std::nullopt;
    auto start = zero + 1;
    auto end = std::find(start, opened.end(), std::uint8_t(0));
    std::string token(start, end);
    if (!std::all_of(token.begin(), token.end(),
            [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }))
        return std::nullopt;
    return token;
}

base::Ref<foundation::PublicKey> AuthToken::certificateKey() {
    auto path = foundation::Bundle::mainBundle().pathForResource("qby.1", "der");
    auto certificate = path ? foundation::Certificate::createWithContentsOfFile(*path) : nullptr;
    auto key = certificate ? certificate->publicKey() : nullptr;
    if (!key)
        foundation::log("AuthToken: the certificate qby.1.der gives no key");
    return key;
}

AuthToken::Result AuthToken::dataStoreInfoForReply(
    base::Bytes const* reply, foundation::PublicKey const* key, double now) {
    Result result;
    if (!reply || reply->empty())
        return result;
    std::optional<base::Bytes> opened;
    if (key)
        opened = key->decrypt(*reply, foundation::PublicKey::Padding::None);
    if (opened && std::find(opened->begin(), opened->end(), std::uint8_t(0)) != opened->end()) {
        result.token = tokenFromOpenedBlock(*opened);
        if (result.token)
            foundation::log("session token:%@", *result.token);
        result.expireTime = now + Lifetime;
    }
    result.info = base::Dictionary::create();
    if (result.token) {
        auto entry = base::Dictionary::create();
        entry->setObject(QBYKeys::AuthSession, *result.token);
        entry->setObject(QBYKeys::AuthExpire, base::Date {*result.expireTime});
        result.info->setObject(QBYKeys::AuthDataStore, entry);
    } else {
        result.info->setObject(QBYKeys::AuthDataStore, base::Value::nullObject());
    }
    return result;
}

base::Ref<base::Dictionary> AuthToken::getDataStoreInfo() {
    auto const* reply = receivedData();
    if (!reply || reply->empty())
        return nullptr;
    auto key = certificateKey();
    auto result = dataStoreInfoForReply(reply, key.get(), foundation::Clock::current().wallTime());
    mSessionToken = result.token;
    if (result.expireTime)
        mSessionExpireTime = result.expireTime;
    return result.info;
}

}
