#include <toolkit/json/LJSONDeserializer.hpp>

#include <foundation/RunLoop.hpp>

namespace toolkit::json {

namespace {

LJSONError nothingToDeserialize() {
    return LJSONError {LJSONDeserializer::LJSONDeserializerErrorDomain,
        LJSONDeserializer::kJSONDeserializerErrorCode_NothingToDeserialize, nullptr};
}

}

LJSONScanner& LJSONDeserializer::scanner() {
    if (!scanner_)
        scanner_ = LJSONScanner::scanner();
    return *scanner_;
}

base::Value LJSONDeserializer::read(base::Bytes const& data, Shape shape, LJSONError* error) {
    if (data.empty()) {
        if (error)
            *error = nothingToDeserialize();
        return {};
    }
    auto& reader = scanner();
    if (!reader.setData(data, error))
        return {};
    base::Value value;
    bool scanned = false;
    switch (shape) {
    case Shape::Any:
        scanned = reader.scanJSONObject(&value, error);
        break;
    case Shape::Dictionary:
        scanned = reader.scanJSONDictionary(&value, error);
        break;
    case Shape::Array:
        scanned = reader.scanJSONArray(&value, error);
        break;
    }
    return scanned ? value : base::Value();
}

base::Value LJSONDeserializer::deserialize(base::Bytes const& data, LJSONError* error) {
    return read(data, Shape::Any, error);
}

base::Value LJSONDeserializer::deserializeAsDictionary(base::Bytes const& data, LJSONError* error) {
    return read(data, Shape::Dictionary, error);
}

base::Value LJSONDeserializer::deserializeAsArray(base::Bytes const& data, LJSONError* error) {
    return read(data, Shape::Array, error);
}

void LJSONDeserializer::deserializeAsDictionary(base::Bytes data, CompletionBlock completionBlock) {
    readLater(std::move(data), Shape::Dictionary, std::move(completionBlock));
}

void LJSONDeserializer::deserializeAsArray(base::Bytes data, CompletionBlock completionBlock) {
    readLater(std::move(data), Shape::Array, std::move(completionBlock));
}

void LJSONDeserializer::readLater(base::Bytes data, Shape shape, CompletionBlock completionBlock) {
    if (data.empty()) {
        completionBlock({}, nothingToDeserialize());
        return;
    }
    // The read runs in one pass of the main loop and the answer in a later one, as the
    // work and the answer go through two queues.
    base::Ref<LJSONDeserializer> self(this);
    foundation::RunLoop::main().perform(
        [self, data = std::move(data), shape, completionBlock = std::move(completionBlock)] {
            LJSONError error;
            base::Value value = self->read(data, shape, &error);
            std::optional<LJSONError> failure;
            if (value.isNil())
                failure = error;
            foundation::RunLoop::main().perform(
                [completionBlock, value = std::move(value), failure = std::move(failure)] {
                    completionBlock(value, failure);
                });
        });
}

base::Value dictionaryWithJSONData(base::Bytes const& data, LJSONError* error) {
    return LJSONDeserializer::deserializer()->deserialize(data, error);
}

base::Value dictionaryWithJSONString(std::string_view text, LJSONError* error) {
    return dictionaryWithJSONData(base::Bytes(text.begin(), text.end()), error);
}

}
