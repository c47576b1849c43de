#pragma once

#include <toolkit/json/LJSONError.hpp>
#include <toolkit/json/LJSONScanner.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <functional>
#include <optional>
#include <string_view>

namespace toolkit::json {

// The entry point from JSON bytes to values: owns an LJSONScanner (made on first use),
// forwards its null object and allowed encoding, refuses empty input with its own
// error (domain "LJSONDeserializerErrorDomain", code -11, no user info) and hands on
// every other error from the scanner unchanged. A read of one value of any kind, of a
// dictionary or of an array; the last two also answer through a completion called on
// the main run loop. Main thread; one read at a time, as the scanner is shared.
class LJSONDeserializer final : public base::Object {
public:
    static constexpr char const* LJSONDeserializerErrorDomain = "LJSONDeserializerErrorDomain";
    static constexpr long kJSONDeserializerErrorCode_NothingToDeserialize = -11;

    // The result (nil on failure) and the error (none on success).
    using CompletionBlock = std::function<void(base::Value, std::optional<LJSONError>)>;

    static base::Ref<LJSONDeserializer> deserializer() { return base::make<LJSONDeserializer>(); }

    LJSONScanner& scanner();
    void setScanner(base::Ref<LJSONScanner> scanner) { scanner_ = std::move(scanner); }
    base::Value const& nullObject() { return scanner().nullObject(); }
    void setNullObject(base::Value nullObject) { scanner().setNullObject(std::move(nullObject)); }
    unsigned allowedEncoding() { return scanner().allowedEncoding(); }
    void setAllowedEncoding(unsigned encoding) { scanner().setAllowedEncoding(encoding); }
    // Stored only: the scanner's own options decide what it hands over.
    unsigned options() const { return options_; }
    void setOptions(unsigned options) { options_ = options; }

    // nil on failure, with the error stored when asked for. A whole-value read of a
    // literal that does not match ("tru") answers nil without an error.
    base::Value deserialize(base::Bytes const& data, LJSONError* error = nullptr);
    base::Value deserializeAsDictionary(base::Bytes const& data, LJSONError* error = nullptr);
    base::Value deserializeAsArray(base::Bytes const& data, LJSONError* error = nullptr);

    // The read is queued on the main run loop and the completion is called there exactly
    // once, never inside this call, except for empty data, whose -11 error is answered
    // at once. The deserializer is kept until the completion has run.
    void deserializeAsDictionary(base::Bytes data, CompletionBlock completionBlock);
    void deserializeAsArray(base::Bytes data, CompletionBlock completionBlock);

private:
    friend base::Factory;
    LJSONDeserializer() = default;

    enum class Shape { Any, Dictionary, Array };
    base::Value read(base::Bytes const& data, Shape shape, LJSONError* error);
    void readLater(base::Bytes data, Shape shape, CompletionBlock completionBlock);

    base::Ref<LJSONScanner> scanner_;
    unsigned options_ {0};
};

// Reads a whole JSON value of any kind through a new deserializer (the dictionary
// category's operations; the top level need not be a dictionary).
base::Value dictionaryWithJSONData(base::Bytes const& data, LJSONError* error = nullptr);
base::Value dictionaryWithJSONString(std::string_view text, LJSONError* error = nullptr);

}
