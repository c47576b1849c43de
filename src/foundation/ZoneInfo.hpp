#pragma once

#include <foundation/ByteView.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// The rules of a named time zone ("Asia/Tokyo", "America/New_York") as the system's
// zone database gives them: TZif files (versions 1 to 4) with the offsets in force
// between transitions and, past the last transition, a closing rule in the form of
// the TZ variable ("EST5EDT,M3.2.0,M11.1.0"). Files come from outside the program,
// so every count, index and offset is checked before it is used; a damaged file is
// refused whole. Immutable once read, so one copy serves every thread.
class ZoneInfo {
public:
    // What is in force at an instant.
    struct Period {
        int offset = 0; // seconds east of GMT
        bool daylight = false;
        std::string abbreviation;
        bool operator==(Period const&) const = default;
    };

    // Reads a TZif file. Nothing for a damaged or truncated one.
    static std::optional<ZoneInfo> parse(ByteView bytes);

    // The zone of that name in the database folder, read once and kept. Nothing, with
    // a log line, for a name that is not a zone there, or that would leave the folder.
    static std::shared_ptr<ZoneInfo const> named(std::string_view name);

    // The database folder: $TZDIR as the C library reads it, else /usr/share/zoneinfo.
    // Tests point it elsewhere; an empty text goes back to the default. Changing it
    // forgets the zones already read.
    static void setDatabaseFolder(std::string folder);

    Period periodAt(std::int64_t unixSeconds) const;

    // The rule of the TZ variable's form: standard time, and daylight saving time
    // between two dates of each year when it has a second name.
    struct Rule {
        // A day of the year: "Jn" (1 to 365, never the leap day), "n" (0 to 365,
        // counting the leap day) or "Mm.w.d" (day d of week w of month m, week 5
        // being the last), with the local time of the change in seconds.
        struct Date {
            enum class Kind { Julian, Zero, Month } kind = Kind::Month;
            int day = 0;
            int month = 0;
            int week = 0;
            int time = 7200;
        };
        Period standard;
        std::optional<Period> daylight;
        Date start;
        Date end;

        // Nothing for text that is not a whole rule.
        static std::optional<Rule> parse(std::string_view text);
        Period periodAt(std::int64_t unixSeconds) const;
    };

private:
    ZoneInfo() = default;

    // Ascending transition instants and the index in types_ each one brings.
    std::vector<std::int64_t> transitions_;
    std::vector<std::uint8_t> transitionTypes_;
    std::vector<Period> types_;
    std::optional<Rule> rule_;
};

}
