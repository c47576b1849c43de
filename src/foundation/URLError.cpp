#include <foundation/URLError.hpp>

namespace foundation {

namespace {

char const* describe(long code) {
    switch (code) {
    case URLError::Cancelled:
        return "cancelled";
    case URLError::BadURL:
        return "bad URL";
    case URLError::TimedOut:
        return "The request timed out.";
    case URLError::UnsupportedURL:
        return "unsupported URL";
    case URLError::CannotFindHost:
        return "A server with the specified hostname could not be found.";
    case URLError::CannotConnectToHost:
        return "Could not connect to the server.";
    case URLError::NetworkConnectionLost:
        return "The network connection was lost.";
    case URLError::HTTPTooManyRedirects:
        return "too many HTTP redirects";
    case URLError::ResourceUnavailable:
        return "The requested resource is not available without a connection.";
    case URLError::NotConnectedToInternet:
        return "The Internet connection appears to be offline.";
    case URLError::BadServerResponse:
        return "The server sent a reply that cannot be understood.";
    case URLError::UserCancelledAuthentication:
        return "The authentication was cancelled.";
    case URLError::CannotDecodeContentData:
        return "The body of the reply could not be decoded.";
    case URLError::RequestBodyStreamExhausted:
        return "The body of the request could not be read.";
    case URLError::DataLengthExceedsMaximum:
        return "The body of the reply is larger than the request allows.";
    case URLError::SecureConnectionFailed:
        return "An SSL error has occurred and a secure connection to the server cannot be made.";
    case URLError::ServerCertificateHasBadDate:
        return "The certificate for this server has expired.";
    case URLError::ServerCertificateUntrusted:
        return "The certificate for this server is invalid.";
    case URLError::ServerCertificateHasUnknownRoot:
        return "The certificate for this server was signed by an unknown certifying authority.";
    default:
        return "The operation could not be completed.";
    }
}

}

URLError URLError::make(long code, std::string failingURL, std::string reason) {
    return URLError {
        URLErrorDomain, code, describe(code), std::move(reason), std::move(failingURL)};
}

URLError URLError::withDomain(std::string domain, long code, std::string description) {
    if (description.empty())
        description = "The operation could not be completed.";
    return URLError {std::move(domain), code, std::move(description), {}, {}};
}

}
