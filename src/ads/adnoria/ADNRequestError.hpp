#pragma once

#include <base/Value.hpp>

#include <string>

namespace ads::adnoria {

class ADNRequestPrivate;

// The error every Adnoria delegate call carries: the configured error domain, a
// code and the code's message as description and failure reason. An invalid
// request (code 0) carries the request's parameters in its user information too.
class ADNRequestError {
public:
    enum Code {
        InvalidRequest = 0,
        NoFill = 1,
        NetworkError = 2,
        ServerError = 3,
        OSVersionTooLow = 4,
        Timeout = 5,
    };

    static constexpr char const* NSLocalizedDescriptionKey = "NSLocalizedDescription";
    static constexpr char const* NSLocalizedFailureReasonKey = "NSLocalizedFailureReason";

    static ADNRequestError errorWithCode(int code, ADNRequestPrivate* request = nullptr);
    // "Request Error: " and the code's message.
    static std::string localizedStringForErrorCode(int code);
    // A code that is not listed reads as an invalid request.
    static std::string messageForCode(int code);

    std::string const& domain() const { return domain_; }
    int code() const { return code_; }
    base::Ref<base::Dictionary> const& userInfo() const { return userInfo_; }
    std::string localizedDescription() const;
    std::string localizedFailureReason() const;

private:
    std::string domain_;
    int code_ {0};
    base::Ref<base::Dictionary> userInfo_;
};

}
