#include <game/store/DLCRowRules.hpp>

#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>

namespace game {

namespace {

foundation::UserDefaults& defaults() {
    return foundation::UserDefaults::standardUserDefaults();
}

std::string downloadedUid(base::Dictionary const& entry) {
    return "dlc_" + entry.objectForKey("uid").stringValue();
}

bool hasUid(base::Value const& value, std::string const& uid) {
    auto* unpacked = value.dictionary();
    return unpacked && unpacked->objectForKey("uid").isString()
        && unpacked->objectForKey("uid").stringValue() == uid;
}

}

std::string DLCRowRules::recordKey(base::Dictionary const& entry, char const* record) {
    return foundation::format("%@_dlc_%@_", entry.objectForKey("type").stringValue(),
               entry.objectForKey("uid").stringValue())
        + record;
}

bool DLCRowRules::isDownloaded(base::Dictionary const& entry, base::Array const& unpacked) {
    auto uid = downloadedUid(entry);
    for (auto const& value : unpacked) {
        if (hasUid(value, uid))
            return true;
    }
    return false;
}

bool DLCRowRules::isUpdateAvailable(base::Dictionary const& entry, base::Array const& unpacked) {
    auto uid = downloadedUid(entry);
    for (auto const& value : unpacked) {
        if (!hasUid(value, uid))
            continue;
        auto const& local = value.dictionary()->objectForKey("ver");
        auto const& listed = entry.objectForKey("ver");
        if (!local.isString() || !listed.isString())
            return true;
        return local.stringValue() != listed.stringValue();
    }
    return false;
}

DLCRowRules::Cell DLCRowRules::cellFor(base::Dictionary const& entry, base::Array const& unpacked) {
    if (!isDownloaded(entry, unpacked))
        return Cell::Download;
    auto bought = recordKey(entry, "bought");
    auto active = recordKey(entry, "active");
    auto& store = defaults();
    if (entry.objectForKey("cost").intValue() != 0) {
        if (store.integerForKey(bought) != 1)
            return Cell::Buy;
        if (isUpdateAvailable(entry, unpacked))
            return Cell::Update;
        return store.integerForKey(active) == 1 ? Cell::Deactivate : Cell::Activate;
    }
    // Free content is switched on the first time it is listed after its download.
    if (store.integerForKey(bought) == 0) {
        store.setInteger(1, bought);
        store.setInteger(1, active);
    }
    if (isUpdateAvailable(entry, unpacked))
        return Cell::Update;
    auto type = entry.objectForKey("type").stringValue();
    if (type == "level" || type == "free_dbtoken") {
        if (store.integerForKey(active) != 0 && type == "free_dbtoken") {
            auto redeemed = recordKey(entry, "redeemed");
            auto uid = downloadedUid(entry);
            for (auto const& value : unpacked) {
                if (!hasUid(value, uid) || store.integerForKey(redeemed) != 0)
                    continue;
                auto* data = value.dictionary()->objectForKey("data").dictionary();
                int amount = data ? data->objectForKey("amt").intValue() : 0;
                foundation::log("Crediting %d", amount);
                store.setInteger(store.integerForKey("credit") + amount, "credit");
                store.setInteger(1, redeemed);
            }
        }
        store.setInteger(1, active);
        return Cell::DisabledDeactivate;
    }
    return store.integerForKey(active) == 1 ? Cell::Deactivate : Cell::Activate;
}

base::Ref<base::Array> DLCRowRules::listedEntries(base::Value const& serverList) {
    auto listed = base::Array::create();
    if (auto* list = serverList.array()) {
        for (auto const& value : *list) {
            auto* entry = value.dictionary();
            if (entry && entry->objectForKey("type").stringValue() != "theme")
                listed->add(value);
        }
    }
    return listed;
}

std::size_t DLCRowRules::rowCount(bool listKnown, std::size_t count, bool pad) {
    if (!listKnown)
        return 0;
    if (count == 0)
        return 1;
    return pad ? (count + 1) / 2 : count;
}

}
