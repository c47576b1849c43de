#include <serverkit/SignedReply.hpp>

#include <serverkit/APICall.hpp>

#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>

namespace serverkit {

base::Value SignedReply::decode(toolkit::json::JSONDecoder& decoder, base::Bytes const* reply) {
    if (!reply || reply->empty())
        return {};
    toolkit::json::JCError error;
    auto decoded = decoder.objectWithData(*reply, &error);
    if (decoded.isNull())
        foundation::log("Error Parsing JSON data:%@", error.localizedDescription);
    return decoded;
}

std::optional<std::string> SignedReply::dataText(base::Value const& reply) {
    auto const* dictionary = reply.dictionary();
    if (!dictionary)
        return std::nullopt;
    auto const& data = dictionary->objectForKey("data");
    if (auto const* text = data.string())
        return *text;
    if (data.isNumber() && !data.isBoolean())
        return data.stringValue();
    return std::nullopt;
}

bool SignedReply::constantTimeEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

bool SignedReply::isGenuine(base::Value const& reply, std::string_view token) {
    auto data = dataText(reply);
    if (!data)
        return false;
    foundation::log("Verifying signature...");
    auto local = APICall::hexStringWithNSData(foundation::Digest::hmacSHA1(token, *data));
    auto const* remote = reply.dictionary()->objectForKey("sig").string();
    foundation::log("Remote signature:%@", remote ? *remote : std::string());
    foundation::log("Local signature:%@", local);
    return remote && constantTimeEquals(*remote, local);
}

std::optional<base::Value> SignedReply::checkRestoreReply(toolkit::json::JSONDecoder& decoder,
    base::Bytes const* reply, std::optional<std::string> const& token) {
    if (!token)
        return std::nullopt;
    std::string_view text;
    if (reply)
        text = std::string_view(reinterpret_cast<char const*>(reply->data()), reply->size());
    foundation::log("checkrestore response:%@", text);
    if (text == "-1")
        return std::nullopt;
    auto decoded = decode(decoder, reply);
    auto data = dataText(decoded);
    if (data && *data != "none" && isGenuine(decoded, *token))
        return decoded;
    return base::Value::nullObject();
}

base::Value SignedReply::decodeData(toolkit::json::JSONDecoder& decoder, std::string const& data) {
    auto decoded = decoder.objectWithString(data);
    return decoded.isNull() ? base::Value::nullObject() : decoded;
}

}
