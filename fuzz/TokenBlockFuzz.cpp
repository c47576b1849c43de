// Session-token blocks from the game server: the bytes are opened with the key of
// the bundle's certificate "qby.1.der" (a block of the wrong length or value is
// refused), and, apart, read as an already opened block. A token is only ever lower-
// case hex text that followed a zero byte, and the data-store entry is exactly the
// token entry or its removal.
#include "FuzzSupport.hpp"

#include <serverkit/AuthToken.hpp>
#include <serverkit/QBYConnect.hpp>

#include <foundation/Certificate.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    static auto certificate
        = foundation::Certificate::createWithContentsOfFile(QUILLABY_RESOURCES "/qby.1.der");
    static auto key = certificate ? certificate->publicKey() : nullptr;
    FUZZ_CHECK(key);

    base::Bytes bytes(data, data + size);
    auto token = serverkit::AuthToken::tokenFromOpenedBlock(bytes);
    if (token) {
        FUZZ_CHECK(std::find(bytes.begin(), bytes.end(), std::uint8_t(0)) != bytes.end());
        FUZZ_CHECK(std::all_of(token->begin(), token->end(),
            [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }));
        FUZZ_CHECK(token->size() < size);
    }

    auto result = serverkit::AuthToken::dataStoreInfoForReply(&bytes, key.get(), 1000);
    if (size == 0) {
        FUZZ_CHECK(!result.info);
        return 0;
    }
    FUZZ_CHECK(result.info && result.info->size() == 1);
    auto const& entry = result.info->objectForKey(serverkit::QBYKeys::AuthDataStore);
    if (result.token) {
        FUZZ_CHECK(size == key->blockSize());
        FUZZ_CHECK(entry.dictionary()
            && entry.dictionary()->objectForKey(serverkit::QBYKeys::AuthSession)
                == base::Value(*result.token));
        FUZZ_CHECK(result.expireTime == 1000 + serverkit::AuthToken::Lifetime);
    } else {
        FUZZ_CHECK(entry.isNullObject());
    }
    return 0;
}
