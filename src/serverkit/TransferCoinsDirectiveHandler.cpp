#include <serverkit/TransferCoinsDirectiveHandler.hpp>

#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <toolkit/json/JSONDecoder.hpp>

namespace serverkit {

namespace {

base::Value numberOr(
    base::Dictionary const& directive, std::string_view key, base::Value fallback) {
    auto const& value = directive.objectForKey(key);
    return value.isNumber() ? value : fallback;
}

}

base::Ref<TransferCoinsDirectiveHandler> TransferCoinsDirectiveHandler::init() {
    return base::make<TransferCoinsDirectiveHandler>();
}

base::Ref<base::Dictionary> TransferCoinsDirectiveHandler::processDirective(
    std::int32_t uid, std::string_view data) {
    toolkit::json::JCError error;
    auto decoded = toolkit::json::objectFromJSONString(data, 0, &error);
    if (decoded.isNull()) {
        foundation::log("TransferCoinsDirectiveHandler::processDirective:withData: :: %@",
            error.localizedDescription);
        return nullptr;
    }
    auto const* directive = decoded.dictionary();
    auto const* type = directive ? directive->objectForKey("type").string() : nullptr;
    if (!type || *type != "xfercoins")
        return nullptr;

    auto settings = base::Dictionary::create();
    settings->setObject("active", directive->objectForKey("active").intValue() == 1);
    settings->setObject("freq", numberOr(*directive, "freq", 0));
    settings->setObject("step", numberOr(*directive, "step", 0));
    settings->setObject("base", numberOr(*directive, "base", 2147483647));
    settings->setObject("scale", numberOr(*directive, "scale", 1));
    settings->setObject("uid", uid);
    foundation::UserDefaults::standardUserDefaults().setObject(settings, DataStoreKey);
    return nullptr;
}

}
