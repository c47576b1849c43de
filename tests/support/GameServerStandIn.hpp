#pragma once

#include <support/LoopbackServer.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace test {

// One game-server call as the stand-in read it: the form fields of the body,
// percent-decoded ("%XX", and "+" as a space, as any form reader does).
struct GameServerCall {
    std::string path; // "/api.php" or "/qbyapi/v2/api.php"
    std::string body; // as sent
    std::string method;
    std::string data; // the JSON text
    std::optional<std::string> sig; // absent for unsigned calls
    // Whether sig is the HMAC-SHA1 (lower-case hex) of data keyed with the token the
    // stand-in handed out last; false for unsigned calls.
    bool signatureValid {false};
};

// Decodes a form body "a=b&c=d" into its fields, in order; a field without "="
// has an empty value.
std::vector<std::pair<std::string, std::string>> decodeForm(std::string const& body);

// A stand-in for the game server over a loopback HTTP server, with an HTTPS one for
// the marketing service's install registration. It answers each method from
// replies the test sets (or the defaults below), records every call, hands out
// session tokens in blocks made with its private key (whose certificate the bundle
// ships as "qby.1.der"), signs its restore and transfer replies with the token, and
// keeps the saves uploaded to it.
//
// Defaults: "authtoken" a block for token(); "checkrestore" "-1", or the signed
// save set with offerRestore; "checkreward" {"data": "0"} signed; "btxomponents"
// {"iad": 1, "adnoria": 0, "mq": 0, "featuredapp": false, "bannerad": false,
// "offerwall": 1}; "listdlc" the list set with setDLCList (empty at first);
// "checkdirectives" the directives set with setDirectives ("[]" at first); "savedata"
// "1" (the save is kept); every other method "1".
class GameServerStandIn {
public:
    GameServerStandIn();
    ~GameServerStandIn();
    GameServerStandIn(GameServerStandIn const&) = delete;
    GameServerStandIn& operator=(GameServerStandIn const&) = delete;

    // "127.0.0.1:PORT" of the game server and of the HTTPS marketing service.
    std::string host() const;
    std::string marketingHost() const;
    LoopbackServer& http() { return *http_; }
    LoopbackServer& https() { return *https_; }

    // The token the next "authtoken" reply carries, and that signs replies and
    // checks request signatures.
    std::string token() const;
    void setToken(std::string token);

    // The reply to method from now on (replacing the default), as fixed bytes or a
    // response of any status, or made per call.
    void reply(std::string const& method, std::string body);
    void reply(std::string const& method, HttpResponse response);
    void reply(std::string const& method, std::function<HttpResponse(GameServerCall const&)>);

    // A save (JSON text) waiting for this device: "checkrestore" answers it signed.
    void offerRestore(std::string saveJSON);
    void setDLCList(std::string listJSON);
    // The "checkdirectives" reply from now on, as JSON text (see directive below).
    void setDirectives(std::string replyJSON);
    // One directive record {"uid": uid, "data": "<settings>"}: the settings (JSON text)
    // go in as a JSON string.
    static std::string directive(int uid, std::string const& settingsJSON);
    // A reply of the records, in order: "[record,record,...]".
    static std::string directives(std::vector<std::string> const& records);
    // The "savedata" values uploaded so far (JSON text of the whole request object).
    std::vector<std::string> uploads() const;

    std::vector<GameServerCall> calls() const;
    std::vector<std::string> methods() const;
    // Waits until count calls have come; true when they did.
    bool waitForCalls(std::size_t count, double timeoutSeconds) const;
    void clearCalls();

    // The marketing service's password for user "tessaline".
    static constexpr char const* MarketingPassword = "0123456789abcdef";
    static constexpr char const* MarketingPath = "/api/tessaline/ppiRegistrations/";

    // A reply {"data": data, "sig": HMAC of data with key} as JSON text.
    static std::string signedReply(std::string const& data, std::string const& key);
    static std::string hmacHex(std::string const& key, std::string const& message);

    // The raw private-key operation of this server's key (or of a key of the same
    // size that the bundle's certificate does not open, with otherKey; both keys are
    // files under tests/support/data) on plain,
    // which must be as long as the key (256 bytes) and start with a non-zero byte
    // below the modulus' first.
    static std::string privateBlock(std::string const& plain, bool otherKey = false);
    // What an opened token block holds: some non-zero bytes, a zero byte, the text,
    // zeros to the end; without the zero byte the filler runs up to the text.
    static std::string plainTokenBlock(std::string const& text, bool withZeroByte = true);
    static std::string tokenBlock(std::string const& text) {
        return privateBlock(plainTokenBlock(text));
    }
    static constexpr std::size_t BlockSize = 256;
    // The certificate of this server's key, as the bundle ships it ("qby.1.der").
    static std::string certificateFile();

private:
    HttpResponse answer(HttpRequest const& request);

    std::unique_ptr<LoopbackServer> http_;
    std::unique_ptr<LoopbackServer> https_;
    mutable std::mutex mutex_;
    std::string token_ {"0123456789abcdef0123456789abcdef"};
    std::map<std::string, std::function<HttpResponse(GameServerCall const&)>> replies_;
    std::optional<std::string> restore_;
    std::string dlcList_ {"[]"};
    std::string directives_ {"[]"};
    std::vector<std::string> uploads_;
    std::vector<GameServerCall> calls_;
};

}
