#pragma once

#include <foundation/URLError.hpp>
#include <foundation/URLRequest.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace toolkit::rest {

// A request body: its content type, and its bytes as data or as a stream. A request
// uses the stream when one is offered, else the data. Every operation but the content
// type is optional; the defaults answer "not offered".
class RLRequestSerializable : public base::Object {
public:
    // The Content-Type to send; empty when the body does not name one, and then
    // ContentTypeHTTPHeader is asked.
    virtual std::string HTTPHeaderValueForContentType() const = 0;
    virtual std::optional<std::string> ContentTypeHTTPHeader() const { return std::nullopt; }
    virtual std::optional<base::Bytes> HTTPBody() const { return std::nullopt; }
    virtual std::optional<foundation::URLRequest::BodyStream> HTTPBodyStream() {
        return std::nullopt;
    }
    virtual std::optional<std::uint64_t> HTTPHeaderValueForContentLength() const {
        return std::nullopt;
    }
    // Why the body cannot be sent whole, once its stream was taken (a part whose
    // size cannot be known, a file that cannot be opened); none when it can. A
    // request with such a body fails before anything is sent.
    virtual std::optional<foundation::URLError> bodyError() const { return std::nullopt; }

protected:
    RLRequestSerializable() = default;
};

// Percent-escapes one form component: its text ("%@"; numbers in decimal) as UTF-8,
// every byte but ASCII letters, digits and "-._~" as "%XX" in upper case.
std::string RLPercentEscape(base::Value const& component);
// key=value pairs joined by "&" in the dictionary's order; an array value gives
// "key[]=element" per element, and "key[][sub]=value" per entry of a dictionary
// element. Names and values are escaped, the brackets the pairs add are not.
std::string URLEncodedString(base::Dictionary const& dictionary);

// A dictionary sent as an "application/x-www-form-urlencoded" body.
class RLFormSerialization final : public RLRequestSerializable {
public:
    static base::Ref<RLFormSerialization> formWithDictionary(
        base::Ref<base::Dictionary> dictionary);

    base::Dictionary const& dictionary() const { return *dictionary_; }
    std::string HTTPHeaderValueForContentType() const override {
        return "application/x-www-form-urlencoded";
    }
    std::optional<base::Bytes> HTTPBody() const override;

private:
    friend base::Factory;
    explicit RLFormSerialization(base::Ref<base::Dictionary> dictionary)
        : dictionary_(std::move(dictionary)) { }

    base::Ref<base::Dictionary> dictionary_;
};

// Any array or dictionary sent as an "application/json" body.
class RLJSONSerialization final : public RLRequestSerializable {
public:
    static base::Ref<RLJSONSerialization> JSONSerializationWithObject(base::Value object);

    base::Value const& object() const { return object_; }
    std::string HTTPHeaderValueForContentType() const override { return "application/json"; }
    // The encoder's text of the object; empty when it cannot be written.
    std::string JSONRepresentation() const;
    std::optional<base::Bytes> HTTPBody() const override;
    // True when the JSON text equals other's: a string is compared as it stands, any
    // other value by its own JSON text.
    bool isEqual(base::Value const& other) const;

private:
    friend base::Factory;
    explicit RLJSONSerialization(base::Value object)
        : object_(std::move(object)) { }

    base::Value object_;
};

}
