#pragma once

#include <foundation/Clock.hpp>

#include <base/Value.hpp>

#include <optional>

namespace analytics {

// The agent's dates: now on the installed clock, and the optional dates of its
// archives, where a missing date is stored as null.
struct KestrelDates {
    static base::Date now() { return base::Date {foundation::Clock::current().wallTime()}; }

    static std::optional<base::Date> dateOf(base::Value const& value) {
        if (auto const* date = value.date())
            return *date;
        return std::nullopt;
    }

    static base::Value valueOf(std::optional<base::Date> date) {
        return date ? base::Value(*date) : base::Value();
    }
};

}
