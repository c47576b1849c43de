#include <toolkit/json/LJSONSerialization.hpp>

#include <toolkit/json/LJSONDeserializer.hpp>
#include <toolkit/json/LJSONSerializer.hpp>

namespace toolkit::json {

bool LJSONSerialization::isValidJSONObject(base::Value const& object) {
    return LJSONSerializer::serializer()->isValidJSONObject(object);
}

std::optional<base::Bytes> LJSONSerialization::dataWithJSONObject(
    base::Value const& object, unsigned, LJSONError* error) {
    return LJSONSerializer::serializer()->serializeObject(object, error);
}

base::Value LJSONSerialization::JSONObjectWithData(
    base::Bytes const& data, unsigned options, LJSONError* error) {
    auto deserializer = LJSONDeserializer::deserializer();
    deserializer->setOptions(~options & 3u);
    return deserializer->deserialize(data, error);
}

long LJSONSerialization::writeJSONObject(
    base::Value const& object, OutputStream const& stream, unsigned options, LJSONError* error) {
    auto data = dataWithJSONObject(object, options, error);
    if (!data)
        return -1;
    return stream(data->data(), data->size());
}

base::Value LJSONSerialization::JSONObjectWithStream(
    std::function<long(std::uint8_t*, std::size_t)> const&, unsigned, LJSONError*) {
    return {};
}

}
