#include <serverkit/HowdyDirectiveHandler.hpp>

#include <serverkit/QBYConnect.hpp>

namespace serverkit {

base::Ref<HowdyDirectiveHandler> HowdyDirectiveHandler::init() {
    return base::make<HowdyDirectiveHandler>();
}

base::Ref<base::Dictionary> HowdyDirectiveHandler::processDirective(
    std::int32_t, std::string_view data) {
    auto directive = decodeDirective(data, "howdy");
    if (!directive)
        return nullptr;
    auto result = base::Dictionary::create();
    result->setObject("howdy_on", directive->objectForKey("howdy_on").intValue() == 1);
    return result;
}

bool HowdyDirectiveHandler::shouldShowHowdy() {
    auto entry = QBYConnect::sharedManager().objectForKey(QBYKeys::CheckDirectivesDataStore);
    auto const* directives = entry.dictionary();
    if (!directives)
        return false;
    auto const* on = directives->find("howdy_on");
    return on && on->intValue() == 1;
}

}
