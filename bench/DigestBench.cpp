// foundation::Digest against the OpenSSL EVP calls it wraps, on 1 KB and 1 MB: the
// ratio should be one, showing that the wrapper costs nothing.

#include "Compare.hpp"

#include <foundation/Digest.hpp>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/params.h>

#include <array>
#include <cstdint>
#include <string>

using foundation::Digest;

namespace {

std::string const key = "a shared secret of the kind a server hands out";

base::Bytes const& message(std::size_t size) {
    static base::Bytes const kilobyte = [] {
        base::Bytes b(1024);
        for (std::size_t i = 0; i < b.size(); ++i)
            b[i] = std::uint8_t(i * 131 + 7);
        return b;
    }();
    static base::Bytes const megabyte = [] {
        base::Bytes b(1024 * 1024);
        for (std::size_t i = 0; i < b.size(); ++i)
            b[i] = std::uint8_t(i * 131 + 7);
        return b;
    }();
    return size == kilobyte.size() ? kilobyte : megabyte;
}

void registerHash(char const* name, Digest::Algorithm algorithm, EVP_MD const* (*md)()) {
    for (std::size_t size : {std::size_t(1024), std::size_t(1024 * 1024)}) {
        std::string label = size == 1024 ? "1 KB" : "1 MB";
        bench::compare(std::string("Digest/") + name + "/" + label,
            [algorithm, size](benchmark::State& state) {
                auto const& m = message(size);
                for (auto _ : state)
                    benchmark::DoNotOptimize(Digest::hash(algorithm, m));
                state.SetBytesProcessed(std::int64_t(state.iterations() * size));
            },
            {{"OpenSSL EVP", [algorithm, md, size](benchmark::State& state) {
                  auto const& m = message(size);
                  std::array<unsigned char, EVP_MAX_MD_SIZE> out;
                  unsigned length = 0;
                  for (auto _ : state) {
                      EVP_Digest(m.data(), m.size(), out.data(), &length, md(), nullptr);
                      benchmark::DoNotOptimize(out);
                  }
                  bench::require(
                      base::Bytes(out.data(), out.data() + length) == Digest::hash(algorithm, m),
                      "both give the same digest");
                  state.SetBytesProcessed(std::int64_t(state.iterations() * size));
              }}});
    }
}

// The HMAC a caller of OpenSSL 3 writes by hand: the MAC fetched once, a context
// per message.
std::size_t evpHmacSHA1(base::Bytes const& m, unsigned char* out, std::size_t capacity) {
    static EVP_MAC* const mac = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
    EVP_MAC_CTX* context = EVP_MAC_CTX_new(mac);
    char digest[] = "SHA1";
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_end(),
    };
    std::size_t length = 0;
    EVP_MAC_init(context, reinterpret_cast<unsigned char const*>(key.data()), key.size(), params);
    EVP_MAC_update(context, m.data(), m.size());
    EVP_MAC_final(context, out, &length, capacity);
    EVP_MAC_CTX_free(context);
    return length;
}

void registerHmac() {
    for (std::size_t size : {std::size_t(1024), std::size_t(1024 * 1024)}) {
        std::string label = size == 1024 ? "1 KB" : "1 MB";
        bench::compare("Digest/HMAC-SHA1/" + label,
            [size](benchmark::State& state) {
                auto const& m = message(size);
                for (auto _ : state)
                    benchmark::DoNotOptimize(Digest::hmacSHA1(key, m));
                state.SetBytesProcessed(std::int64_t(state.iterations() * size));
            },
            {{"OpenSSL EVP_MAC",
                 [size](benchmark::State& state) {
                     auto const& m = message(size);
                     std::array<unsigned char, EVP_MAX_MD_SIZE> out;
                     std::size_t length = 0;
                     for (auto _ : state) {
                         length = evpHmacSHA1(m, out.data(), out.size());
                         benchmark::DoNotOptimize(out);
                     }
                     bench::require(
                         base::Bytes(out.data(), out.data() + length) == Digest::hmacSHA1(key, m),
                         "both give the same HMAC");
                     state.SetBytesProcessed(std::int64_t(state.iterations() * size));
                 }},
                {"OpenSSL HMAC()", [size](benchmark::State& state) {
                     auto const& m = message(size);
                     std::array<unsigned char, EVP_MAX_MD_SIZE> out;
                     unsigned length = 0;
                     for (auto _ : state) {
                         HMAC(EVP_sha1(), key.data(), int(key.size()), m.data(), m.size(),
                             out.data(), &length);
                         benchmark::DoNotOptimize(out);
                     }
                     bench::require(
                         base::Bytes(out.data(), out.data() + length) == Digest::hmacSHA1(key, m),
                         "both give the same HMAC");
                     state.SetBytesProcessed(std::int64_t(state.iterations() * size));
                 }}});
    }
}

[[maybe_unused]] auto const registered = [] {
    registerHash("MD5", Digest::Algorithm::MD5, &EVP_md5);
    registerHash("SHA-1", Digest::Algorithm::SHA1, &EVP_sha1);
    registerHash("SHA-256", Digest::Algorithm::SHA256, &EVP_sha256);
    registerHmac();
    return true;
}();

}
