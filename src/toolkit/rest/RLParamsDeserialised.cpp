#include <toolkit/rest/RLParamsDeserialised.hpp>

namespace toolkit::rest {

base::Ref<RLParamsDeserialised> RLParamsDeserialised::initWithData(
    base::Bytes data, std::string contentType) {
    return base::make<RLParamsDeserialised>(std::move(data), std::move(contentType));
}

}
