// The Marquee client's reading of an API reply: a status and any body bytes. The
// first byte picks the status; the rest is the body. Only a 2xx status with a UTF-8
// JSON object gives a reply, and that reply is always a dictionary.
#include "FuzzSupport.hpp"

#include <ads/marquee/MQAPIConnection.hpp>

#include <foundation/Strings.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size == 0)
        return 0;
    static int const statuses[] = {200, 201, 204, 299, 0, 199, 300, 404, 500};
    int status = statuses[data[0] % (sizeof statuses / sizeof statuses[0])];
    base::Bytes body(data + 1, data + size);
    auto reply = ads::marquee::MQAPIConnection::replyFromBody(status, body);
    if (!reply)
        return 0;
    FUZZ_CHECK(status >= 200 && status <= 299);
    FUZZ_CHECK(reply->isDictionary());
    FUZZ_CHECK(foundation::isValidUtf8(
        std::string_view(reinterpret_cast<char const*>(body.data()), body.size())));
    return 0;
}
