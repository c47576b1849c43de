#include <toolkit/rest/RLParams.hpp>

#include <toolkit/rest/RLMIMETypes.hpp>

#include <base/Verify.hpp>
#include <foundation/Format.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace toolkit::rest {

namespace {

constexpr char const* lineEnd = "\r\n";

}

RLParamsAttachment::RLParamsAttachment(std::string name)
    : name_(std::move(name)) {
}

RLParamsAttachment::~RLParamsAttachment() {
    if (file_)
        std::fclose(file_);
}

base::Ref<RLParamsAttachment> RLParamsAttachment::attachmentWithName(std::string name) {
    return base::make<RLParamsAttachment>(std::move(name));
}

base::Ref<RLParamsAttachment> RLParamsAttachment::attachmentWithValue(
    std::string name, base::Value const& value) {
    auto text = value.isString() ? *value.string() : foundation::format("%@", value);
    return attachmentWithData(std::move(name), base::Bytes(text.begin(), text.end()));
}

base::Ref<RLParamsAttachment> RLParamsAttachment::attachmentWithData(
    std::string name, base::Bytes data) {
    auto attachment = attachmentWithName(std::move(name));
    attachment->data_ = std::move(data);
    attachment->bodyLength_ = attachment->data_.size();
    return attachment;
}

base::Ref<RLParamsAttachment> RLParamsAttachment::attachmentWithFile(
    std::string name, std::string path) {
    std::error_code error;
    auto message = foundation::format("Expected file to exist at path: %@", path);
    VERIFY_MSG(std::filesystem::exists(path, error), message.c_str());
    auto attachment = attachmentWithName(std::move(name));
    std::filesystem::path file(path);
    attachment->fileName_ = file.filename().string();
    auto extension = file.extension().string();
    attachment->MIMEType_ = mimeTypeForExtension(extension.empty() ? "" : extension.substr(1));
    attachment->filePath_ = std::move(path);
    return attachment;
}

std::string RLParamsAttachment::mimeTypeForExtension(std::string const& extension) {
    auto type = RLMIMETypes::typeForExtension(extension);
    return type.empty() ? "application/octet-stream" : type;
}

void RLParamsAttachment::open() {
    header_ = std::string("--") + RLParamsMIMEBoundary + lineEnd;
    header_ += "Content-Disposition: form-data; name=\"" + name_ + "\"";
    if (fileName_ && MIMEType_)
        header_ += "; filename=\"" + *fileName_ + "\"";
    header_ += lineEnd;
    if (MIMEType_)
        header_ += "Content-Type: " + *MIMEType_ + lineEnd;
    header_ += lineEnd;

    if (filePath_ && !file_) {
        // The size is read now so that the body's length is known before it is
        // sent; a part whose size cannot be known cannot be sent whole.
        std::error_code error;
        auto size = std::filesystem::file_size(*filePath_, error);
        if (error) {
            foundation::log(
                "Encountered an error while determining file size: %@", error.message());
            error_ = foundation::URLError::make(
                foundation::URLError::RequestBodyStreamExhausted, {}, error.message());
            bodyLength_ = 0;
        } else {
            bodyLength_ = size;
            file_ = std::fopen(filePath_->c_str(), "rb");
            if (!file_)
                error_
                    = foundation::URLError::make(foundation::URLError::RequestBodyStreamExhausted,
                        {}, "cannot open " + *filePath_);
        }
    }
    length_ = header_.size() + bodyLength_ + 2;
}

std::ptrdiff_t RLParamsAttachment::read(std::uint8_t* buffer, std::size_t max) {
    if (delivered_ >= length_)
        return 0;
    std::size_t sent = 0;
    // The rest of the header.
    while (sent < max && delivered_ < header_.size()) {
        auto n = std::min<std::uint64_t>(max - sent, header_.size() - delivered_);
        std::memcpy(buffer + sent, header_.data() + delivered_, n);
        sent += n;
        delivered_ += n;
    }
    // The body, never past its declared length.
    while (sent < max && bodyRead_ < bodyLength_) {
        auto want = std::min<std::uint64_t>(max - sent, bodyLength_ - bodyRead_);
        std::size_t n = 0;
        if (file_) {
            n = std::fread(buffer + sent, 1, want, file_);
        } else if (!filePath_) {
            n = want;
            std::memcpy(buffer + sent, data_.data() + bodyRead_, n);
        }
        if (n == 0) {
            // The body ended before its declared length (a file that shrank): the
            // part would go out short and the body's length would be wrong.
            error_ = foundation::URLError::make(foundation::URLError::RequestBodyStreamExhausted);
            return -1;
        }
        sent += n;
        bodyRead_ += n;
        delivered_ += n;
    }
    // The closing line end, as far as room remains.
    while (sent < max && delivered_ >= length_ - 2 && delivered_ < length_) {
        buffer[sent++] = std::uint8_t(lineEnd[delivered_ - (length_ - 2)]);
        ++delivered_;
    }
    return std::ptrdiff_t(sent);
}

base::Ref<RLParams> RLParams::params() {
    return base::make<RLParams>();
}

base::Ref<RLParams> RLParams::paramsWithDictionary(base::Dictionary const& dictionary) {
    auto made = params();
    for (auto const& [key, value] : dictionary.entries())
        made->setValue(value, key);
    return made;
}

RLParamsAttachment& RLParams::setValue(base::Value const& value, std::string param) {
    attachments_.push_back(RLParamsAttachment::attachmentWithValue(std::move(param), value));
    return *attachments_.back();
}

RLParamsAttachment& RLParams::setData(base::Bytes data, std::string param) {
    attachments_.push_back(
        RLParamsAttachment::attachmentWithData(std::move(param), std::move(data)));
    return *attachments_.back();
}

RLParamsAttachment& RLParams::setFile(std::string path, std::string param) {
    attachments_.push_back(
        RLParamsAttachment::attachmentWithFile(std::move(param), std::move(path)));
    return *attachments_.back();
}

RLParamsAttachment& RLParams::setData(base::Bytes data, std::optional<std::string> MIMEType,
    std::optional<std::string> fileName, std::string param) {
    auto& attachment = setData(std::move(data), std::move(param));
    if (MIMEType)
        attachment.setMIMEType(std::move(MIMEType));
    if (fileName)
        attachment.setFileName(std::move(fileName));
    return attachment;
}

RLParamsAttachment& RLParams::setFile(std::string path, std::optional<std::string> MIMEType,
    std::optional<std::string> fileName, std::string param) {
    auto& attachment = setFile(std::move(path), std::move(param));
    if (MIMEType)
        attachment.setMIMEType(std::move(MIMEType));
    if (fileName)
        attachment.setFileName(std::move(fileName));
    return attachment;
}

std::string RLParams::HTTPHeaderValueForContentType() const {
    return std::string("multipart/form-data; boundary=") + RLParamsMIMEBoundary;
}

std::string RLParams::footer() {
    return std::string("--") + RLParamsMIMEBoundary + "--" + lineEnd;
}

std::optional<foundation::URLRequest::BodyStream> RLParams::HTTPBodyStream() {
    std::uint64_t length = footer_.size();
    for (auto const& attachment : attachments_) {
        attachment->open();
        length += attachment->length();
    }
    length_ = length;
    base::Ref<RLParams> self(this);
    return foundation::URLRequest::BodyStream([self](std::uint8_t* buffer, std::size_t capacity) {
        return self->read(buffer, capacity);
    });
}

std::optional<foundation::URLError> RLParams::bodyError() const {
    for (auto const& attachment : attachments_) {
        if (attachment->error())
            return attachment->error();
    }
    return std::nullopt;
}

RLParams::StreamStatus RLParams::streamStatus() const {
    if (status_ == Closed)
        return Closed;
    if (delivered_ >= length_ && status_ != NotOpen)
        return AtEnd;
    return status_;
}

std::ptrdiff_t RLParams::read(std::uint8_t* buffer, std::size_t max) {
    status_ = Reading;
    std::size_t sent = 0;
    while (delivered_ < length_ && sent < max && currentPart_ < attachments_.size()) {
        auto n = attachments_[currentPart_]->read(buffer + sent, max - sent);
        if (n < 0)
            return -1;
        if (n == 0) {
            ++currentPart_;
        } else {
            delivered_ += std::uint64_t(n);
            sent += std::size_t(n);
        }
    }
    std::uint64_t footerStart = length_ - footer_.size();
    if (delivered_ >= footerStart && sent < max && delivered_ < length_) {
        auto n = std::min<std::uint64_t>(length_ - delivered_, max - sent);
        std::memcpy(buffer + sent, footer_.data() + (delivered_ - footerStart), n);
        delivered_ += n;
        sent += n;
    }
    return std::ptrdiff_t(sent);
}

}
