#pragma once

#include <foundation/URLResponse.hpp>

#include <optional>
#include <string>

namespace foundation {

// A user name and password for HTTP Basic authentication.
struct URLCredential {
    std::string user;
    std::string password;
    bool operator==(URLCredential const&) const = default;
};

// Where a challenge comes from: the server and the realm it names.
struct URLProtectionSpace {
    static constexpr char const* AuthenticationMethodHTTPBasic
        = "NSURLAuthenticationMethodHTTPBasic";

    std::string host;
    int port {0};
    std::string protocol; // "http" or "https"
    std::string realm;
    std::string authenticationMethod {AuthenticationMethodHTTPBasic};
};

// A server's demand for credentials (a 401 reply with a Basic challenge).
// previousFailureCount is how many credentials this load has already sent to
// that protection space and seen refused: 0 on the first challenge.
struct URLAuthenticationChallenge {
    URLProtectionSpace protectionSpace;
    int previousFailureCount {0};
    // The credential in the URL's user part, or the one last refused.
    std::optional<URLCredential> proposedCredential;
    URLResponse failureResponse;
};

// How a delegate answers a challenge. Using a credential sends the request again
// with it; continuing without and cancelling both end the load with the 401 reply
// as its response and body, so the caller reads the server's answer.
struct URLAuthenticationAnswer {
    enum class Kind { UseCredential, ContinueWithoutCredential, Cancel };

    Kind kind {Kind::ContinueWithoutCredential};
    URLCredential credential;

    static URLAuthenticationAnswer useCredential(URLCredential credential) {
        return {Kind::UseCredential, std::move(credential)};
    }
    static URLAuthenticationAnswer continueWithoutCredential() {
        return {Kind::ContinueWithoutCredential, {}};
    }
    static URLAuthenticationAnswer cancel() { return {Kind::Cancel, {}}; }
};

}
