#pragma once

#include <foundation/ByteView.hpp>
#include <foundation/URLError.hpp>
#include <foundation/URLResponse.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace analytics {

// The complete answer to one request of the analytics HTTP client: body, status,
// error and header fields. Read-only once made; any thread.
class KestrelHTTPResponse final : public base::Object {
public:
    // Body, status and headers only when a response came (status 0 otherwise); the
    // error always.
    static base::Ref<KestrelHTTPResponse> initWithResponse(foundation::URLResponse const* response,
        base::Bytes body, std::optional<foundation::URLError> error);
    static base::Ref<KestrelHTTPResponse> initWithBody(base::Bytes body, int statusCode,
        base::Ref<base::Dictionary> headers, std::optional<foundation::URLError> error);

    base::Bytes const& body() const { return body_; }
    int statusCode() const { return statusCode_; }
    std::optional<foundation::URLError> const& error() const { return error_; }
    base::Ref<base::Dictionary> const& headers() const { return headers_; }

    // 200 up to 399.
    bool isSuccess() const { return statusCode_ >= 200 && statusCode_ < 400; }
    bool isError() const { return !isSuccess(); }

    // "status:%d error:%@ body:%@".
    std::string description() const;

    // Writes the response as a property list to "kestrelResponse<seconds since
    // 1970>" in Documents, atomically; only while debug logging is on, since it
    // is a debugging aid. Answers the path written, or none.
    std::optional<std::string> saveToDisk() const;
    // Reads such a file back (a bounded size); none when it is missing or not a
    // response dump.
    static base::Ref<KestrelHTTPResponse> readFromURL(std::string const& path);
    // The same from the file's bytes.
    static base::Ref<KestrelHTTPResponse> readFromData(foundation::ByteView data);
    static std::string filePath(std::int64_t seconds);

    // The largest dump read back.
    static constexpr std::size_t maximumDumpSize = 16u << 20;

private:
    friend base::Factory;
    KestrelHTTPResponse(base::Bytes body, int statusCode, base::Ref<base::Dictionary> headers,
        std::optional<foundation::URLError> error);

    base::Bytes body_;
    int statusCode_ {0};
    std::optional<foundation::URLError> error_;
    base::Ref<base::Dictionary> headers_;
};

}
