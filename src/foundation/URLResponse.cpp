#include <foundation/URLResponse.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace foundation {

URLResponse::URLResponse(
    std::string url, int statusCode, std::vector<HTTPHeaderFields::Entry> headerLines)
    : url_(std::move(url))
    , statusCode_(statusCode)
    , lines_(std::move(headerLines)) {
    for (auto const& [name, value] : lines_)
        fields_.add(name, value);

    if (auto const* length = fields_.find("Content-Length")) {
        std::string text = HTTPHeaderFields::trimmed(*length);
        std::int64_t value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size() && value >= 0 && !text.empty())
            expectedContentLength_ = value;
    }
    if (auto const* chunked = fields_.find("Transfer-Encoding");
        chunked && HTTPHeaderFields::lowercased(*chunked).find("chunked") != std::string::npos)
        expectedContentLength_ = UnknownLength;

    if (auto const* type = fields_.find("Content-Type")) {
        std::string_view text(*type);
        auto semicolon = text.find(';');
        mimeType_
            = HTTPHeaderFields::lowercased(HTTPHeaderFields::trimmed(text.substr(0, semicolon)));
        while (semicolon != std::string_view::npos) {
            text.remove_prefix(semicolon + 1);
            semicolon = text.find(';');
            std::string parameter = HTTPHeaderFields::trimmed(text.substr(0, semicolon));
            auto equals = parameter.find('=');
            if (equals == std::string::npos
                || HTTPHeaderFields::lowercased(
                       HTTPHeaderFields::trimmed(parameter.substr(0, equals)))
                    != "charset")
                continue;
            std::string value
                = HTTPHeaderFields::trimmed(std::string_view(parameter).substr(equals + 1));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            textEncodingName_ = HTTPHeaderFields::lowercased(value);
        }
    }
}

std::string URLResponse::localizedStringForStatusCode(int statusCode) {
    switch (statusCode) {
    case 100:
        return "continue";
    case 101:
        return "switching protocols";
    case 200:
        return "no error";
    case 201:
        return "created";
    case 202:
        return "accepted";
    case 203:
        return "non-authoritative information";
    case 204:
        return "no content";
    case 205:
        return "reset content";
    case 206:
        return "partial content";
    case 300:
        return "multiple choices";
    case 301:
        return "moved permanently";
    case 302:
        return "found";
    case 303:
        return "see other";
    case 304:
        return "not modified";
    case 305:
        return "needs proxy";
    case 307:
        return "temporarily redirected";
    case 308:
        return "permanently redirected";
    case 400:
        return "bad request";
    case 401:
        return "unauthorized";
    case 402:
        return "payment required";
    case 403:
        return "forbidden";
    case 404:
        return "not found";
    case 405:
        return "method not allowed";
    case 406:
        return "unacceptable";
    case 407:
        return "proxy authentication required";
    case 408:
        return "request timed out";
    case 409:
        return "conflict";
    case 410:
        return "no longer exists";
    case 411:
        return "length required";
    case 412:
        return "precondition failed";
    case 413:
        return "request too large";
    case 414:
        return "requested URL too long";
    case 415:
        return "unsupported media type";
    case 416:
        return "requested range not satisfiable";
    case 417:
        return "expectation failed";
    case 422:
        return "unprocessable entity";
    case 500:
        return "internal server error";
    case 501:
        return "unimplemented";
    case 502:
        return "bad gateway";
    case 503:
        return "service unavailable";
    case 504:
        return "gateway timed out";
    case 505:
        return "unsupported version";
    default:
        break;
    }
    if (statusCode >= 100 && statusCode < 200)
        return "informational";
    if (statusCode >= 200 && statusCode < 300)
        return "success";
    if (statusCode >= 300 && statusCode < 400)
        return "redirected";
    if (statusCode >= 400 && statusCode < 500)
        return "client error";
    if (statusCode >= 500 && statusCode < 600)
        return "server error";
    return "unknown";
}

}
