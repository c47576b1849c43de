#pragma once

#include <toolkit/rest/RLRequestSerializable.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace toolkit::rest {

// The one boundary of every multipart body.
inline constexpr char const* RLParamsMIMEBoundary = "0xKhTmLbOuNdArY";

// One part of a multipart body: a form field's value, data or a file. The part reads
// its body from the value or data it was made with, or from the file while the body
// is sent, so a file is never loaded whole. Made and configured on the main thread;
// once the body's stream is taken, only the thread that sends reads it.
class RLParamsAttachment final : public base::Object {
public:
    static base::Ref<RLParamsAttachment> attachmentWithName(std::string name);
    // A string value's own UTF-8 bytes; any other value as its text ("%@").
    static base::Ref<RLParamsAttachment> attachmentWithValue(
        std::string name, base::Value const& value);
    static base::Ref<RLParamsAttachment> attachmentWithData(std::string name, base::Bytes data);
    // The file must exist (a broken invariant otherwise). File name: the path's last
    // component; MIME type: that of its extension.
    static base::Ref<RLParamsAttachment> attachmentWithFile(std::string name, std::string path);
    ~RLParamsAttachment() override;

    // The type the system's table gives the extension, or "application/octet-stream".
    static std::string mimeTypeForExtension(std::string const& extension);

    std::string const& name() const { return name_; }
    // Present and empty unless set; the header names it only beside a MIME type.
    std::optional<std::string> const& fileName() const { return fileName_; }
    void setFileName(std::optional<std::string> fileName) { fileName_ = std::move(fileName); }
    std::optional<std::string> const& MIMEType() const { return MIMEType_; }
    void setMIMEType(std::optional<std::string> type) { MIMEType_ = std::move(type); }
    std::string MIMEBoundary() const { return RLParamsMIMEBoundary; }

    // Makes the part's header, opens its body and fixes its length (header, body and
    // the closing line end).
    void open();
    std::uint64_t length() const { return length_; }
    // Hands out up to max bytes of header, body and closing line end, in order; 0 once
    // all is out. -1 when the body ends before its declared length or cannot be
    // read: the part cannot be sent whole.
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t max);
    // Why the part cannot be sent, once opened; none when it can.
    std::optional<foundation::URLError> const& error() const { return error_; }

private:
    friend base::Factory;
    explicit RLParamsAttachment(std::string name);

    std::string name_;
    std::optional<std::string> fileName_ {std::string()};
    std::optional<std::string> MIMEType_;

    std::string header_;
    base::Bytes data_;
    std::optional<std::string> filePath_;
    std::FILE* file_ {nullptr};
    std::uint64_t bodyLength_ {0};
    std::uint64_t bodyRead_ {0};
    std::uint64_t length_ {0};
    std::uint64_t delivered_ {0};
    std::optional<foundation::URLError> error_;
};

// A multipart/form-data body whose parts are read as the body is sent: the request
// takes it as its body stream. Single use: taking the stream opens the parts and
// fixes the length; after one full read every further read gives 0.
class RLParams final : public RLRequestSerializable {
public:
    enum StreamStatus : std::uint32_t {
        NotOpen = 0,
        Open = 2,
        Reading = 3,
        AtEnd = 5,
        Closed = 6,
    };

    static base::Ref<RLParams> params();
    // One value part per entry, in the dictionary's order.
    static base::Ref<RLParams> paramsWithDictionary(base::Dictionary const& dictionary);

    RLParamsAttachment& setValue(base::Value const& value, std::string param);
    RLParamsAttachment& setData(base::Bytes data, std::string param);
    RLParamsAttachment& setFile(std::string path, std::string param);
    RLParamsAttachment& setData(base::Bytes data, std::optional<std::string> MIMEType,
        std::optional<std::string> fileName, std::string param);
    RLParamsAttachment& setFile(std::string path, std::optional<std::string> MIMEType,
        std::optional<std::string> fileName, std::string param);

    std::vector<base::Ref<RLParamsAttachment>> const& attachments() const { return attachments_; }

    std::string HTTPHeaderValueForContentType() const override;
    std::optional<std::uint64_t> HTTPHeaderValueForContentLength() const override {
        return length_;
    }
    // Opens every part, fixes the length, and hands out a stream that reads this body.
    std::optional<foundation::URLRequest::BodyStream> HTTPBodyStream() override;
    std::optional<foundation::URLError> bodyError() const override;

    // The input-stream side.
    void open() { status_ = Open; }
    void close() { status_ = Closed; }
    StreamStatus streamStatus() const;
    bool hasBytesAvailable() const { return delivered_ < length_; }
    // Up to max bytes of the parts and then the footer; 0 at the end, -1 when a part
    // cannot be sent whole.
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t max);
    std::uint64_t length() const { return length_; }

    // "--" boundary "--" and a line end: 21 bytes.
    static std::string footer();

private:
    friend base::Factory;
    RLParams() = default;

    std::vector<base::Ref<RLParamsAttachment>> attachments_;
    StreamStatus status_ {NotOpen};
    std::string footer_ {footer()};
    std::uint64_t delivered_ {0};
    std::uint64_t length_ {0};
    std::size_t currentPart_ {0};
};

}
