#include <serverkit/DirectiveHandler.hpp>

#include <foundation/UserDefaults.hpp>
#include <toolkit/json/JSONDecoder.hpp>

namespace serverkit {

base::Ref<base::Dictionary> DirectiveHandler::decodeDirective(
    std::string_view data, std::string_view kind) {
    auto decoded = toolkit::json::objectFromJSONString(data);
    auto directive = decoded.dictionaryRef();
    if (!directive)
        return nullptr;
    auto const* type = directive->objectForKey("type").string();
    if (!type || *type != kind)
        return nullptr;
    return directive;
}

std::int64_t DirectiveHandler::runLimit(base::Dictionary const& directive) {
    auto const& freq = directive.objectForKey("freq");
    // A JSON null counts as absent.
    return freq.isNull() ? 1 : freq.intValue();
}

std::string DirectiveHandler::runCountKey(std::string_view prefix, std::int32_t uid) {
    return std::string(prefix) + std::to_string(uid);
}

bool DirectiveHandler::mayRun(std::int64_t limit, std::string const& countKey) {
    if (limit < 0)
        return true;
    return foundation::UserDefaults::standardUserDefaults().integerForKey(countKey) < limit;
}

}
