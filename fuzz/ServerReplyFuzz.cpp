// Replies of the game server as the server client reads them: the first byte picks
// the reader (restore check, transfer check, feature switches, content list; with
// bit 3 the second version's restore check and save check in place of the first
// two) and whether a session token is held; the rest is the reply. Any bytes give
// either nothing to merge or exactly the reader's own data-store key; a restore or
// transfer entry taken from "data", and a posted save check, only come from a reply
// whose signature checks.
#include "FuzzSupport.hpp"

#include <serverkit/BTXComponents.hpp>
#include <serverkit/CheckRestore.hpp>
#include <serverkit/CheckReward.hpp>
#include <serverkit/FBCheckSaveData.hpp>
#include <serverkit/ListDLC.hpp>
#include <serverkit/QBYAPI2CheckRestore.hpp>
#include <serverkit/QBYConnect.hpp>
#include <serverkit/SignedReply.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace {

// Exactly one key, key, in info.
bool holdsOnly(base::Dictionary const& info, char const* key) {
    return info.size() == 1 && info.contains(key);
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size == 0)
        return 0;
    int reader = (data[0] & 3) + ((data[0] & 8) && (data[0] & 3) < 2 ? 4 : 0);
    std::optional<std::string> token;
    if (data[0] & 4)
        token = "c0ffee";
    base::Bytes reply(data + 1, data + size);
    auto decoded = serverkit::SignedReply::decode(*toolkit::json::JSONDecoder::decoder(), &reply);
    bool genuine = token && serverkit::SignedReply::isGenuine(decoded, *token);

    switch (reader) {
    case 0: {
        auto info = serverkit::CheckRestore::dataStoreInfoForReply(&reply, token);
        if (!token) {
            FUZZ_CHECK(!info);
            break;
        }
        if (!info)
            break;
        FUZZ_CHECK(holdsOnly(*info, serverkit::QBYKeys::CheckRestoreDataStore));
        if (!info->objectForKey(serverkit::QBYKeys::CheckRestoreDataStore).isNullObject())
            FUZZ_CHECK(genuine);
        break;
    }
    case 1: {
        auto info = serverkit::CheckReward::dataStoreInfoForReply(&reply, token);
        if (!token) {
            FUZZ_CHECK(!info);
            break;
        }
        FUZZ_CHECK(info && holdsOnly(*info, serverkit::QBYKeys::CheckRewardDataStore));
        auto const& entry = info->objectForKey(serverkit::QBYKeys::CheckRewardDataStore);
        if (!entry.isNullObject() && !(entry == decoded))
            FUZZ_CHECK(genuine);
        break;
    }
    case 2: {
        auto info = serverkit::BTXComponents::dataStoreInfoForReply(&reply);
        if (info)
            FUZZ_CHECK(holdsOnly(*info, serverkit::QBYKeys::BTXDataStore) && !decoded.isNull());
        break;
    }
    case 4: {
        auto info = serverkit::QBYAPI2CheckRestore::dataStoreInfoForReply(&reply, token);
        if (!token) {
            FUZZ_CHECK(!info);
            break;
        }
        if (!info)
            break;
        FUZZ_CHECK(holdsOnly(*info, serverkit::QBYKeys::V2CheckRestoreDataStore));
        auto const& entry = info->objectForKey(serverkit::QBYKeys::V2CheckRestoreDataStore);
        if (!entry.isNullObject())
            FUZZ_CHECK(genuine && entry == decoded);
        break;
    }
    case 5: {
        bool overwrite = data[0] & 16;
        auto posted = serverkit::FBCheckSaveData::checkedReply(&reply, token, overwrite);
        if (!posted)
            break;
        FUZZ_CHECK(genuine);
        auto const* dictionary = posted->dictionary();
        FUZZ_CHECK(dictionary && dictionary->objectForKey("overwrite") == base::Value(overwrite));
        break;
    }
    default: {
        auto info = serverkit::ListDLC::dataStoreInfoForReply(&reply, std::string());
        if (info)
            FUZZ_CHECK(holdsOnly(*info, serverkit::QBYKeys::ListDLCDataStore));
        break;
    }
    }
    return 0;
}
