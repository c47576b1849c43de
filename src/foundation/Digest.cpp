#include <foundation/Digest.hpp>

#include <base/Verify.hpp>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <utility>

namespace foundation {

namespace {

EVP_MD const* messageDigest(Digest::Algorithm algorithm) {
    switch (algorithm) {
    case Digest::Algorithm::MD5:
        return EVP_md5();
    case Digest::Algorithm::SHA1:
        return EVP_sha1();
    case Digest::Algorithm::SHA256:
        return EVP_sha256();
    }
    VERIFY_NOT_REACHED();
}

char const* digestName(Digest::Algorithm algorithm) {
    switch (algorithm) {
    case Digest::Algorithm::MD5:
        return "MD5";
    case Digest::Algorithm::SHA1:
        return "SHA1";
    case Digest::Algorithm::SHA256:
        return "SHA256";
    }
    VERIFY_NOT_REACHED();
}

// Fetched once: the HMAC implementation of the default provider.
EVP_MAC* hmacImplementation() {
    static EVP_MAC* const mac = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
    VERIFY_MSG(mac, "OpenSSL has no HMAC");
    return mac;
}

}

void Digest::ContextDeleter::operator()(evp_md_ctx_st* context) const {
    EVP_MD_CTX_free(context);
}

Digest::Digest(Algorithm algorithm)
    : algorithm_(algorithm)
    , context_(EVP_MD_CTX_new()) {
    VERIFY(context_);
    start();
}

Digest::~Digest() = default;
Digest::Digest(Digest&&) noexcept = default;
Digest& Digest::operator=(Digest&&) noexcept = default;

void Digest::start() {
    VERIFY(EVP_DigestInit_ex2(context_.get(), messageDigest(algorithm_), nullptr) == 1);
}

void Digest::update(ByteView bytes) {
    VERIFY_MSG(context_, "Digest used after being moved from");
    VERIFY(EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()) == 1);
}

base::Bytes Digest::finish() {
    VERIFY_MSG(context_, "Digest used after being moved from");
    base::Bytes result(EVP_MAX_MD_SIZE);
    unsigned length = 0;
    VERIFY(EVP_DigestFinal_ex(context_.get(), result.data(), &length) == 1);
    result.resize(length);
    start();
    return result;
}

std::size_t Digest::size(Algorithm algorithm) {
    return std::size_t(EVP_MD_get_size(messageDigest(algorithm)));
}

base::Bytes Digest::hash(Algorithm algorithm, ByteView message) {
    base::Bytes result(EVP_MAX_MD_SIZE);
    unsigned length = 0;
    VERIFY(EVP_Digest(message.data(), message.size(), result.data(), &length,
               messageDigest(algorithm), nullptr)
        == 1);
    result.resize(length);
    return result;
}

std::string Digest::hashHex(Algorithm algorithm, ByteView message, HexCase letters) {
    return Hex::encode(hash(algorithm, message), letters);
}

base::Bytes Digest::hmac(Algorithm algorithm, ByteView key, ByteView message) {
    std::unique_ptr<EVP_MAC_CTX, decltype(&EVP_MAC_CTX_free)> context(
        EVP_MAC_CTX_new(hmacImplementation()), &EVP_MAC_CTX_free);
    VERIFY(context);
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(
            OSSL_MAC_PARAM_DIGEST, const_cast<char*>(digestName(algorithm)), 0),
        OSSL_PARAM_construct_end(),
    };
    // The key pointer is never null (see ByteView): a null key would mean "keep
    // the previous key", of which a new context has none.
    VERIFY(EVP_MAC_init(context.get(), key.data(), key.size(), params) == 1);
    VERIFY(EVP_MAC_update(context.get(), message.data(), message.size()) == 1);
    base::Bytes result(EVP_MAX_MD_SIZE);
    std::size_t length = 0;
    VERIFY(EVP_MAC_final(context.get(), result.data(), &length, result.size()) == 1);
    result.resize(length);
    return result;
}

std::string Digest::hmacHex(Algorithm algorithm, ByteView key, ByteView message, HexCase letters) {
    return Hex::encode(hmac(algorithm, key, message), letters);
}

}
