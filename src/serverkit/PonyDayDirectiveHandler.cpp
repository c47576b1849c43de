#include <serverkit/PonyDayDirectiveHandler.hpp>

#include <foundation/UserDefaults.hpp>

namespace serverkit {

namespace {

foundation::UserDefaults& defaults() {
    return foundation::UserDefaults::standardUserDefaults();
}

}

base::Ref<PonyDayDirectiveHandler> PonyDayDirectiveHandler::init() {
    return base::make<PonyDayDirectiveHandler>();
}

base::Ref<base::Dictionary> PonyDayDirectiveHandler::processDirective(
    std::int32_t uid, std::string_view data) {
    auto directive = decodeDirective(data, "ponyday");
    if (!directive)
        return nullptr;
    // Without a limit the day is always allowed, so the pending flag goes up too.
    bool on = mayRun(runLimit(*directive), runCountKey(RunCountKey, uid));
    defaults().setBool(on, EnabledKey);

    auto const& feeMult = directive->objectForKey("feemult");
    auto const& message = directive->objectForKey("msg");
    defaults().setInteger(uid, UidKey);
    defaults().setFloat(feeMult.floatValue(), FeeMultKey);
    // Only text can be a popup's message; anything else leaves the last one.
    if (message.isString())
        defaults().setObject(message, MessageKey);

    auto result = base::Dictionary::create();
    result->setObject(UidKey, uid);
    result->setObject(EnabledKey, on ? 1 : 0);
    if (!feeMult.isNil()) {
        result->setObject(FeeMultKey, feeMult);
        if (!message.isNil())
            result->setObject(MessageKey, message);
    }
    return result;
}

bool PonyDayDirectiveHandler::isPonyModeEnabled() {
    return defaults().boolForKey(EnabledKey);
}

bool PonyDayDirectiveHandler::isPonyModeActive() {
    return defaults().boolForKey(ActiveKey);
}

float PonyDayDirectiveHandler::getFeeMult() {
    return defaults().floatForKey(FeeMultKey);
}

std::optional<std::string> PonyDayDirectiveHandler::getMessage() {
    return defaults().stringForKey(MessageKey);
}

void PonyDayDirectiveHandler::setPonyModeActive(bool active) {
    defaults().setBool(false, EnabledKey);
    defaults().setBool(active, ActiveKey);
    if (!active)
        return;
    auto uid = std::int32_t(defaults().integerForKey(UidKey));
    auto countKey = runCountKey(RunCountKey, uid);
    defaults().setInteger(defaults().integerForKey(countKey) + 1, countKey);
}

}
