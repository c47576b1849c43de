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

base::Ref<base::Dictionary> AuthToken::getDataStoreInfo() {
    auto const* reply = receivedData();
    if (!reply || reply->empty())
        return nullptr;

    std::optional<base::Bytes> opened;
    auto path = foundation::Bundle::mainBundle().pathForResource("qby.1", "der");
    auto certificate = path ? foundation::Certificate::createWithContentsOfFile(*path) : nullptr;
    auto key = certificate ? certificate->publicKey() : nullptr;
    if (key)
        opened = key->decrypt(*reply, foundation::PublicKey::Padding::None);
    else
        foundation::log("AuthToken: the certificate qby.1.der gives no key");

    mSessionToken.reset();
    if (opened && std::find(opened->begin(), opened->end(), std::uint8_t(0)) != opened->end()) {
        mSessionToken = tokenFromOpenedBlock(*opened);
        if (mSessionToken)
            foundation::log("session token:%@", *mSessionToken);
        mSessionExpireTime = foundation::Clock::current().wallTime() + Lifetime;
    }

    auto info = base::Dictionary::create();
    if (mSessionToken) {
        auto entry = base::Dictionary::create();
        entry->setObject(QBYKeys::AuthSession, *mSessionToken);
        entry->setObject(QBYKeys::AuthExpire, base::Date {*mSessionExpireTime});
        info->setObject(QBYKeys::AuthDataStore, entry);
    } else {
        info->setObject(QBYKeys::AuthDataStore, base::Value::nullObject());
    }
    return info;
}

}
