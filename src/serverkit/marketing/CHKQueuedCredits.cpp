#include <serverkit/marketing/CHKQueuedCredits.hpp>

#include <foundation/Format.hpp>
#include <toolkit/rest/RLAdditions.hpp>

namespace serverkit {

using toolkit::rest::RLObject;
using toolkit::rest::RLObjectClass;
using toolkit::rest::RLProperty;

namespace {

RLProperty numberProperty(char const* name, std::uint64_t (CHKQueuedCredits::*get)() const,
    void (CHKQueuedCredits::*set)(std::uint64_t)) {
    return {name,
        [get](RLObject const& object) {
            return base::Value((static_cast<CHKQueuedCredits const&>(object).*get)());
        },
        [set](RLObject& object, base::Value const& value) {
            (static_cast<CHKQueuedCredits&>(object).*set)(value.unsignedLongLongValue());
        }};
}

}

base::Ref<CHKQueuedCredits> CHKQueuedCredits::create() {
    return base::make<CHKQueuedCredits>();
}

RLObjectClass const& CHKQueuedCredits::describedClass() {
    static RLObjectClass const described = [] {
        RLObjectClass made;
        made.name = "CHKQueuedCredits";
        made.properties = {
            numberProperty(
                "identifier_", &CHKQueuedCredits::identifier, &CHKQueuedCredits::setIdentifier),
            numberProperty("value_", &CHKQueuedCredits::value, &CHKQueuedCredits::setValue),
            {"reason_",
                [](RLObject const& object) {
                    auto const& reason = static_cast<CHKQueuedCredits const&>(object).reason();
                    return reason ? base::Value(*reason) : base::Value();
                },
                [](RLObject& object, base::Value const& value) {
                    static_cast<CHKQueuedCredits&>(object).setReason(
                        value.isString() ? std::optional(*value.string()) : std::nullopt);
                }},
            numberProperty(
                "timePosted_", &CHKQueuedCredits::timePosted, &CHKQueuedCredits::setTimePosted),
        };
        auto table = toolkit::rest::dictionaryWithKeysAndObjects({"id", "identifier_", "credits",
            "value_", "reason", "reason_", "timePosted", "timePosted_"});
        toolkit::rest::RLMappings mappings;
        for (auto const& [element, property] : table->entries())
            mappings.emplace_back(element, property.stringValue());
        made.elementToPropertyMappings = std::move(mappings);
        made.make = [] { return base::Ref<RLObject>(create()); };
        return made;
    }();
    return described;
}

std::string CHKQueuedCredits::description() const {
    return foundation::format("identifier=%llu, value=%llu, reason=%@, timePosted=%llu",
        identifier_, value_, reason_, timePosted_);
}

}
