#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

struct evp_pkey_st;

namespace foundation {

class Certificate;

// A public key taken from a certificate (Certificate::publicKey), and the RSA
// public-key operation with it: what opens a block that the holder of the private
// key made with the raw private operation, or checks a signature by hand.
// Immutable once made, so it may be shared between threads.
class PublicKey final : public base::Object {
    struct Private {
        explicit Private() = default;
    };

public:
    enum class Padding {
        // The raw operation: input and output are both blockSize() bytes.
        None,
        // The raw operation, then PKCS#1 v1.5 block type 1 removed: opens what the
        // private key signed or "encrypted" with PKCS#1 v1.5 padding.
        PKCS1,
    };

    // The two block types of PKCS#1 v1.5 (RFC 8017, 7.2 and 8.2):
    // 00 01 FF..FF 00 message, made with a private key, and
    // 00 02 <non-zero random bytes> 00 message, made with a public key.
    enum class PKCS1BlockType : std::uint8_t { PrivateKey = 1, PublicKey = 2 };

    ~PublicKey() override;

    bool isRSA() const;
    // The size of the modulus in bytes for RSA (128 for a 1024-bit key), which is
    // the size of every block the key opens.
    std::size_t blockSize() const;

    // The RSA public operation on a block of exactly blockSize() bytes whose value,
    // read as a big-endian number, is below the modulus. The raw result is always
    // blockSize() bytes, big-endian with leading zero bytes kept. A block of any
    // other length, one not below the modulus, a key that is not RSA, or (with
    // PKCS1) a block whose padding is wrong gives nullopt.
    std::optional<base::Bytes> decrypt(ByteView block, Padding padding) const;

    // Takes the message out of a PKCS#1 v1.5 block of the given type: checks the
    // leading 00 and type bytes, at least eight padding bytes (all FF for type 1,
    // all non-zero for type 2) and the 00 that ends them. The message may be empty.
    static std::optional<base::Bytes> removePKCS1Padding(ByteView block, PKCS1BlockType type);

    // The key as a DER SubjectPublicKeyInfo: compares keys from different sources.
    base::Bytes subjectPublicKeyInfo() const;

private:
    struct KeyDeleter {
        void operator()(evp_pkey_st*) const;
    };

    friend class Certificate;
    static base::Ref<PublicKey> adopt(evp_pkey_st* key);

    std::unique_ptr<evp_pkey_st, KeyDeleter> key_;

    friend base::Factory;

    PublicKey(Private, evp_pkey_st* key);
};

}
