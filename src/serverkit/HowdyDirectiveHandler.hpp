#pragma once

#include <serverkit/DirectiveHandler.hpp>

namespace serverkit {

// The "howdy" directive: switches the main menu's check-in button. Answers
// {"howdy_on": true} when the directive's "howdy_on" has the integer value 1 (the
// text "1" included), else {"howdy_on": false}; no run limit. The last such
// directive of a reply decides.
class HowdyDirectiveHandler final : public DirectiveHandler {
public:
    static base::Ref<HowdyDirectiveHandler> init();

    base::Ref<base::Dictionary> processDirective(std::int32_t uid, std::string_view data) override;

    // Whether the directives entry of the data store holds "howdy_on" with the
    // integer value 1.
    static bool shouldShowHowdy();

private:
    friend base::Factory;
    HowdyDirectiveHandler() = default;
};

}
