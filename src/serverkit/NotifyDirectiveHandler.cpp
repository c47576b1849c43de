#include <serverkit/NotifyDirectiveHandler.hpp>

#include <foundation/UserDefaults.hpp>
#include <ui/AlertView.hpp>

#include <optional>
#include <string>

namespace serverkit {

namespace {

// A text setting: a string as it stands, a number as its text; anything else, and a
// missing key, as nothing.
std::optional<std::string> textOf(base::Value const& value) {
    if (value.isString() || value.isNumber())
        return value.stringValue();
    return std::nullopt;
}

}

base::Ref<NotifyDirectiveHandler> NotifyDirectiveHandler::init() {
    return base::make<NotifyDirectiveHandler>();
}

base::Ref<base::Dictionary> NotifyDirectiveHandler::processDirective(
    std::int32_t uid, std::string_view data) {
    auto directive = decodeDirective(data, "notify");
    if (!directive)
        return nullptr;
    auto limit = runLimit(*directive);
    auto countKey = runCountKey(RunCountKey, uid);
    if (!mayRun(limit, countKey))
        return nullptr;
    if (limit >= 0) {
        auto& defaults = foundation::UserDefaults::standardUserDefaults();
        defaults.setInteger(defaults.integerForKey(countKey) + 1, countKey);
    }
    auto message = textOf(directive->objectForKey("msg"));
    if (!message)
        return nullptr;
    auto title = textOf(directive->objectForKey("title")).value_or("");
    ui::AlertView::create(title, *message, nullptr, "OK")->show();
    return nullptr;
}

}
