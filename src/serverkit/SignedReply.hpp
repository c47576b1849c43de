#pragma once

#include <base/Value.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace serverkit {

// The signed replies of the game server: a JSON object whose "data" is the payload
// (a text, or a number taken as its decimal text) and whose "sig" is the HMAC-SHA1
// of that text keyed with the session token, as 40 lower-case hex digits.
class SignedReply {
public:
    SignedReply() = delete;

    // The reply decoded by decoder, or null when it is not JSON.
    static base::Value decode(toolkit::json::JSONDecoder& decoder, base::Bytes const* reply);
    // The "data" text of a decoded reply; nothing when it has none.
    static std::optional<std::string> dataText(base::Value const& reply);
    // Whether the reply's "sig" is the signature of its "data" with token. The
    // digits are compared in constant time.
    static bool isGenuine(base::Value const& reply, std::string_view token);
    // The JSON decoded from a "data" text, or the null object when it is not JSON.
    static base::Value decodeData(toolkit::json::JSONDecoder& decoder, std::string const& data);
    // How a restore check reads its reply (null: no bytes) with the session token
    // held (or none), logging it as "checkrestore response:%@": nothing to merge
    // (nullopt) without a token or for the reply "-1"; the decoded reply when it is
    // genuine and its "data" is not "none"; the null object in every other case.
    static std::optional<base::Value> checkRestoreReply(toolkit::json::JSONDecoder& decoder,
        base::Bytes const* reply, std::optional<std::string> const& token);
    // Equal length and bytes, in a time that depends on the length only.
    static bool constantTimeEquals(std::string_view a, std::string_view b);
};

}
