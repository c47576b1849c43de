#pragma once

#include <string>

namespace foundation {

// Why a load failed: a domain, a code and a readable description, like the
// platform's error objects. URL loading makes errors of URLErrorDomain with the
// codes below; other code may make errors of its own domains ("QBYKIT" with an
// HTTP status as code) with the same type. A plain value.
struct URLError {
    static constexpr char const* URLErrorDomain = "NSURLErrorDomain";

    enum Code : long {
        Unknown = -1,
        Cancelled = -999,
        BadURL = -1000,
        TimedOut = -1001,
        UnsupportedURL = -1002,
        CannotFindHost = -1003,
        CannotConnectToHost = -1004,
        NetworkConnectionLost = -1005,
        HTTPTooManyRedirects = -1007,
        ResourceUnavailable = -1008,
        NotConnectedToInternet = -1009,
        BadServerResponse = -1011,
        UserCancelledAuthentication = -1012,
        CannotDecodeContentData = -1016,
        RequestBodyStreamExhausted = -1021,
        DataLengthExceedsMaximum = -1103,
        SecureConnectionFailed = -1200,
        ServerCertificateHasBadDate = -1201,
        ServerCertificateUntrusted = -1202,
        ServerCertificateHasUnknownRoot = -1203,
    };

    std::string domain;
    long code {0};
    std::string localizedDescription;
    // What the transport said, for logs; may be empty.
    std::string failureReason;
    // The URL whose load failed; may be empty.
    std::string failingURL;

    // An error of URLErrorDomain with the standard description of code.
    static URLError make(long code, std::string failingURL = {}, std::string reason = {});
    static URLError withDomain(std::string domain, long code, std::string description = {});

    bool operator==(URLError const&) const = default;
};

}
