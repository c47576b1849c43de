#include <toolkit/rest/RLJSONParser.hpp>

#include <toolkit/json/JSONDecoder.hpp>
#include <toolkit/json/JSONEncoder.hpp>

namespace toolkit::rest {

base::Value RLJSONParser::objectFromString(std::string_view string) {
    return json::objectFromJSONString(string);
}

std::optional<std::string> RLJSONParser::stringFromObject(base::Value const& object) {
    if (auto* array = object.array())
        return json::JSONString(*array);
    if (auto* dictionary = object.dictionary())
        return json::JSONString(*dictionary);
    return std::nullopt;
}

}
