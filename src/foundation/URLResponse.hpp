#pragma once

#include <foundation/HTTPHeaderFields.hpp>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace foundation {

// The head of one HTTP reply: where it came from, its status and header fields,
// and what they say about the body. A plain value. A default-made response stands
// for "no response came": status 0, no fields, unknown length.
class URLResponse {
public:
    static constexpr std::int64_t UnknownLength = -1;

    URLResponse() = default;
    // From the reply's status and header lines in the order they came; repeated
    // names are joined with ", " in allHeaderFields(), the lines stay as they were.
    URLResponse(std::string url, int statusCode, std::vector<HTTPHeaderFields::Entry> headerLines);

    std::string const& URL() const { return url_; }
    int statusCode() const { return statusCode_; }
    HTTPHeaderFields const& allHeaderFields() const { return fields_; }
    std::vector<HTTPHeaderFields::Entry> const& headerLines() const { return lines_; }
    std::string valueForHeaderField(std::string_view name) const {
        return fields_.valueForKey(name);
    }

    // Content-Length, or UnknownLength when absent or unreadable (a chunked body).
    std::int64_t expectedContentLength() const { return expectedContentLength_; }
    // The media type of Content-Type in lower case without parameters; empty
    // without a Content-Type.
    std::string const& MIMEType() const { return mimeType_; }
    // The charset parameter of Content-Type, unquoted, in lower case; empty when absent.
    std::string const& textEncodingName() const { return textEncodingName_; }

    // The standard phrase for an HTTP status in lower case ("not found"); "server
    // error" or the like for unknown codes of a class.
    static std::string localizedStringForStatusCode(int statusCode);

private:
    std::string url_;
    int statusCode_ {0};
    HTTPHeaderFields fields_;
    std::vector<HTTPHeaderFields::Entry> lines_;
    std::int64_t expectedContentLength_ {UnknownLength};
    std::string mimeType_;
    std::string textEncodingName_;
};

}
