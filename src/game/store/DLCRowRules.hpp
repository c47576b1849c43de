#pragma once

#include <base/Value.hpp>

#include <cstddef>
#include <string>

namespace game {

// The rules that decide which single action a row of the downloadable-content list
// offers for one entry of the server's list, given what is unpacked on the device
// and the entry's records in user defaults ("<type>_dlc_<uid>_bought", "_active",
// "_redeemed"). Applying them also writes the records that free content gets when it
// is first listed after its download: bought and active, and for a free token pack
// its "amt" added to "credit" once. No state; main thread only.
class DLCRowRules {
public:
    DLCRowRules() = delete;

    // What a slot of a row shows.
    enum class Cell { Download, Buy, Update, Activate, Deactivate, DisabledDeactivate };

    // "%@_dlc_%@_<record>" with the entry's "type" and "uid".
    static std::string recordKey(base::Dictionary const& entry, char const* record);

    // Whether unpacked holds an entry with the "uid" "dlc_" + the entry's "uid".
    static bool isDownloaded(base::Dictionary const& entry, base::Array const& unpacked);
    // Whether the first such unpacked entry has a "ver" other than the entry's; any
    // difference counts (a downgrade too), and a "ver" missing on either side as well.
    static bool isUpdateAvailable(base::Dictionary const& entry, base::Array const& unpacked);

    // The action for the entry, writing the records of free content as it goes.
    static Cell cellFor(base::Dictionary const& entry, base::Array const& unpacked);

    // The entries the list shows: the server list's entries that are dictionaries
    // and not of the "type" "theme", in list order.
    static base::Ref<base::Array> listedEntries(base::Value const& serverList);
    // Rows for count listed entries (none while no list is known): one that says
    // there is nothing when there are none, else one entry a row, two on the tablet.
    static std::size_t rowCount(bool listKnown, std::size_t count, bool pad);
};

}
