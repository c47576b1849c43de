#pragma once

#include <serverkit/DirectiveHandler.hpp>

#include <optional>
#include <string>

namespace serverkit {

// The "ponyday" directive, and the pony-day state that the salon reads and moves.
//
// A pony day lives in two user-defaults flags: "ponymode" (a day is pending: a
// directive allows one and it has not started) and "ponyactive" (the current salon day
// is a pony day). A directive sets "ponymode" while its uid may still start a day
// ("freq" days per uid, 1 when absent; a negative "freq" has no limit and always sets
// it) and clears it once the uid has run out. It also keeps its uid ("ponymode_uid"),
// its fee multiplier ("ponymode_fee_mult", 0 without "feemult") and, when it has one,
// its popup text ("ponymode_msg"; a directive without one keeps the last). Starting a
// day counts one run of the uid kept under "ponymode_uid", so the count survives
// restarts between the directive and the day.
//
// The directive answers, to merge into the directives entry, "ponymode_uid",
// "ponymode" (1 or 0), then "ponymode_fee_mult" and "ponymode_msg" as the directive
// gave them, the list stopping at the first of those two that it lacks.
class PonyDayDirectiveHandler final : public DirectiveHandler {
public:
    static constexpr char const* EnabledKey = "ponymode";
    static constexpr char const* ActiveKey = "ponyactive";
    static constexpr char const* UidKey = "ponymode_uid";
    static constexpr char const* FeeMultKey = "ponymode_fee_mult";
    static constexpr char const* MessageKey = "ponymode_msg";
    static constexpr char const* RunCountKey = "ponymode_runcount_key";

    static base::Ref<PonyDayDirectiveHandler> init();

    base::Ref<base::Dictionary> processDirective(std::int32_t uid, std::string_view data) override;

    static bool isPonyModeEnabled();
    static bool isPonyModeActive();
    static float getFeeMult();
    // The popup text, none when no directive ever gave one.
    static std::optional<std::string> getMessage();
    // Starts (true: the pending flag goes, the day runs, the uid's run count goes up)
    // or ends (false: both flags go) a pony day.
    static void setPonyModeActive(bool active);

private:
    friend base::Factory;
    PonyDayDirectiveHandler() = default;
};

}
