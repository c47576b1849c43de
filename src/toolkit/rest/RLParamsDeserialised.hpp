#pragma once

#include <toolkit/rest/RLRequestSerializable.hpp>

#include <string>

namespace toolkit::rest {

// A request body of fixed bytes and a content type, as a request queue cache
// restores it. It offers no stream and no length, so a request sends it as plain
// body data. Immutable.
class RLParamsDeserialised final : public RLRequestSerializable {
public:
    static base::Ref<RLParamsDeserialised> initWithData(base::Bytes data, std::string contentType);

    std::string const& contentType() const { return contentType_; }
    base::Bytes const& data() const { return data_; }

    std::string HTTPHeaderValueForContentType() const override { return contentType_; }
    std::optional<base::Bytes> HTTPBody() const override { return data_; }

private:
    friend base::Factory;
    RLParamsDeserialised(base::Bytes data, std::string contentType)
        : contentType_(std::move(contentType))
        , data_(std::move(data)) { }

    std::string contentType_;
    base::Bytes data_;
};

}
