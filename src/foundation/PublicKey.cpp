#include <foundation/PublicKey.hpp>

#include <base/Verify.hpp>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

namespace foundation {

void PublicKey::KeyDeleter::operator()(evp_pkey_st* key) const {
    EVP_PKEY_free(key);
}

PublicKey::PublicKey(Private, evp_pkey_st* key)
    : key_(key) {
    VERIFY(key_);
}

PublicKey::~PublicKey() = default;

base::Ref<PublicKey> PublicKey::adopt(evp_pkey_st* key) {
    if (!key)
        return nullptr;
    return base::make<PublicKey>(Private {}, key);
}

bool PublicKey::isRSA() const {
    return EVP_PKEY_is_a(key_.get(), "RSA") == 1;
}

std::size_t PublicKey::blockSize() const {
    int size = EVP_PKEY_get_size(key_.get());
    return size > 0 ? std::size_t(size) : 0;
}

std::optional<base::Bytes> PublicKey::decrypt(ByteView block, Padding padding) const {
    std::size_t size = blockSize();
    if (!isRSA() || size == 0 || block.size() != size)
        return std::nullopt;

    std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> context(
        EVP_PKEY_CTX_new_from_pkey(nullptr, key_.get(), nullptr), &EVP_PKEY_CTX_free);
    VERIFY(context);
    // Recovering a "signature" with no padding and no digest is the bare
    // exponentiation block^e mod n. OpenSSL refuses a block not below the modulus.
    base::Bytes result(size);
    std::size_t length = result.size();
    if (EVP_PKEY_verify_recover_init(context.get()) != 1
        || EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_NO_PADDING) != 1
        || EVP_PKEY_verify_recover(
               context.get(), result.data(), &length, block.data(), block.size())
            != 1
        || length != size) {
        ERR_clear_error();
        return std::nullopt;
    }
    if (padding == Padding::PKCS1)
        return removePKCS1Padding(result, PKCS1BlockType::PrivateKey);
    return result;
}

std::optional<base::Bytes> PublicKey::removePKCS1Padding(ByteView block, PKCS1BlockType type) {
    constexpr std::size_t minimumPadding = 8;
    if (block.size() < 3 + minimumPadding || block[0] != 0x00 || block[1] != std::uint8_t(type))
        return std::nullopt;
    std::size_t end = 2;
    for (; end < block.size() && block[end] != 0x00; ++end) {
        if (type == PKCS1BlockType::PrivateKey && block[end] != 0xff)
            return std::nullopt;
    }
    if (end == block.size() || end - 2 < minimumPadding)
        return std::nullopt;
    return base::Bytes(block.begin() + end + 1, block.end());
}

base::Bytes PublicKey::subjectPublicKeyInfo() const {
    unsigned char* der = nullptr;
    int length = i2d_PUBKEY(key_.get(), &der);
    VERIFY(length > 0);
    base::Bytes result(der, der + length);
    OPENSSL_free(der);
    return result;
}

}
