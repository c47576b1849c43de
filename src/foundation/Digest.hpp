#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>
#include <foundation/Hex.hpp>

#include <memory>
#include <string>

struct evp_md_ctx_st;

namespace foundation {

// Message digests (MD5, SHA-1, SHA-256) and their HMACs, over OpenSSL's EVP
// interface. The static functions digest a whole message at once; an instance
// digests one that arrives in parts (update, then finish). Instances belong to
// one thread at a time; the static functions may be called from any thread.
class Digest {
public:
    enum class Algorithm { MD5, SHA1, SHA256 };

    explicit Digest(Algorithm algorithm);
    ~Digest();
    Digest(Digest&&) noexcept;
    Digest& operator=(Digest&&) noexcept;

    void update(ByteView bytes);
    // The digest of everything given since construction or the last finish; the
    // instance then starts over for a new message.
    base::Bytes finish();

    Algorithm algorithm() const { return algorithm_; }
    // 16 for MD5, 20 for SHA-1, 32 for SHA-256.
    static std::size_t size(Algorithm algorithm);

    static base::Bytes hash(Algorithm algorithm, ByteView message);
    static std::string hashHex(
        Algorithm algorithm, ByteView message, HexCase letters = HexCase::Lower);
    static base::Bytes md5(ByteView message) { return hash(Algorithm::MD5, message); }
    static base::Bytes sha1(ByteView message) { return hash(Algorithm::SHA1, message); }
    static base::Bytes sha256(ByteView message) { return hash(Algorithm::SHA256, message); }

    // HMAC (RFC 2104) with the given digest; any key length, the empty key included.
    static base::Bytes hmac(Algorithm algorithm, ByteView key, ByteView message);
    static std::string hmacHex(
        Algorithm algorithm, ByteView key, ByteView message, HexCase letters = HexCase::Lower);
    static base::Bytes hmacSHA1(ByteView key, ByteView message) {
        return hmac(Algorithm::SHA1, key, message);
    }
    static base::Bytes hmacSHA256(ByteView key, ByteView message) {
        return hmac(Algorithm::SHA256, key, message);
    }

private:
    struct ContextDeleter {
        void operator()(evp_md_ctx_st*) const;
    };

    void start();

    Algorithm algorithm_;
    std::unique_ptr<evp_md_ctx_st, ContextDeleter> context_;
};

}
