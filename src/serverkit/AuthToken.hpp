#pragma once

#include <serverkit/APICall.hpp>

#include <foundation/PublicKey.hpp>

#include <optional>
#include <string>

namespace serverkit {

// Fetches the session token ("authtoken", unsigned). The server answers with a block
// that the public key of the bundle's certificate "qby.1.der" opens (raw RSA, no
// padding); the token is the text after the block's first zero byte, made only of
// "0123456789abcdef", and lives 1800 seconds. A reply that yields no token removes
// the held one; a failed call (no reply) leaves it as it was.
class AuthToken final : public APICall {
public:
    static constexpr double Lifetime = 1800;

    static base::Ref<AuthToken> apicall();

    // The token of a block opened with the certificate's key: the text after the first
    // zero byte up to the next (or the end); nothing when there is no zero byte or the
    // text holds another character than lower-case hex.
    static std::optional<std::string> tokenFromOpenedBlock(base::Bytes const& opened);

    base::Ref<base::Dictionary> getDataStoreInfo() override;
    // The key of the bundle's certificate "qby.1.der"; null when it cannot be read.
    static base::Ref<foundation::PublicKey> certificateKey();
    // The data-store entry a reply gives when opened with key (null: no key), made
    // at now: null without reply bytes.
    struct Result {
        base::Ref<base::Dictionary> info;
        std::optional<std::string> token;
        std::optional<double> expireTime;
    };
    static Result dataStoreInfoForReply(
        base::Bytes const* reply, foundation::PublicKey const* key, double now);

    std::optional<std::string> const& sessionToken() const { return mSessionToken; }
    std::optional<double> const& sessionExpireTime() const { return mSessionExpireTime; }

private:
    friend base::Factory;
    AuthToken();

    std::optional<std::string> mSessionToken;
    std::optional<double> mSessionExpireTime;
};

}
