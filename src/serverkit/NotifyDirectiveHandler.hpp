#pragma once

#include <serverkit/DirectiveHandler.hpp>

namespace serverkit {

// The "notify" directive: an alert with the directive's "title" (empty when it has
// none) and "msg", and the single button "OK". Runs as often as its "freq" allows
// per uid, counted under "notify_runcount_key" followed by the uid; a directive
// without "msg" shows nothing but still uses up a run. Answers nothing to merge.
class NotifyDirectiveHandler final : public DirectiveHandler {
public:
    static constexpr char const* RunCountKey = "notify_runcount_key";

    static base::Ref<NotifyDirectiveHandler> init();

    base::Ref<base::Dictionary> processDirective(std::int32_t uid, std::string_view data) override;

private:
    friend base::Factory;
    NotifyDirectiveHandler() = default;
};

}
