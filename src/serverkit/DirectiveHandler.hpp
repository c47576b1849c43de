#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace serverkit {

// One kind of server directive. The directives call (CheckDirectives) offers every
// directive record of its reply to each of its handlers in turn; a handler picks out
// the records of its own kind and either acts at once (an alert, user-defaults keys)
// or answers a small dictionary that the call merges into the directives entry of the
// server client's data store. Handlers hold no state of their own: what they keep
// lives in the user defaults and the data store. Main thread only.
//
// A directive's settings come as JSON text: an object whose "type" names the kind.
// How often a directive may run is limited per uid by its "freq" (runLimit).
class DirectiveHandler : public base::Object {
public:
    // The record's uid and the text of its "data"; a dictionary to merge into the
    // directives entry, or null.
    virtual base::Ref<base::Dictionary> processDirective(std::int32_t uid, std::string_view data)
        = 0;

    // The directive object that data holds when it is a JSON object whose "type" is
    // the text kind; null for anything else.
    static base::Ref<base::Dictionary> decodeDirective(
        std::string_view data, std::string_view kind);
    // The number of times a directive of one uid may run: its "freq" when present,
    // else 1. A negative limit means no limit.
    static std::int64_t runLimit(base::Dictionary const& directive);
    // The user-defaults key that counts the runs of uid: prefix followed by the uid
    // in decimal.
    static std::string runCountKey(std::string_view prefix, std::int32_t uid);
    // Whether a directive with this limit may still run: always for a negative limit,
    // else while the count stored under countKey (0 when absent) is below the limit.
    static bool mayRun(std::int64_t limit, std::string const& countKey);

protected:
    DirectiveHandler() = default;
};

}
