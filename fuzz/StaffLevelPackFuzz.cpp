// A level pack's staff levels (a property list that comes with a downloaded pack) as the
// staff level rules read them: whatever the pack holds, no level costs less than 0, a
// level below 2 is free, a staff type past the last one is out of reach, and a level
// past a type's count cannot be bought.
#include "FuzzSupport.hpp"

#include <foundation/PropertyList.hpp>
#include <game/interface/StaffLevels.hpp>
#include <game/shell/GameGlobals.hpp>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto pack = foundation::PropertyList::propertyListWithData(foundation::ByteView(data, size));
    auto& globals = game::GameGlobals::shared();
    globals.levelCapData = pack.dictionaryRef();
    for (int type = -1; type <= 11; ++type) {
        int count = game::staffLevelCount(type);
        FUZZ_CHECK(count >= 0);
        for (int level = 0; level <= 12; ++level) {
            int cost = game::staffLevelCost(type, level);
            (void)game::isStaffLevelPremium(type, level);
            FUZZ_CHECK(cost >= 0);
            if (type > 9)
                FUZZ_CHECK(cost == game::noStaffLevelCost);
            else if (level < 2)
                FUZZ_CHECK(cost == 0);
            else if (level > count)
                FUZZ_CHECK(cost == game::noStaffLevelCost);
        }
    }
    globals.levelCapData = nullptr;
    return 0;
}
