#pragma once

// Small helpers that the salon's sources share; not part of any interface.

#include <base/Value.hpp>
#include <engine/Geometry.hpp>
#include <engine/StaticFileCache.hpp>
#include <foundation/Format.hpp>
#include <foundation/Random.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/interface/Interface.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>

#include <string>
#include <vector>

namespace game::shop_support {

inline constexpr float padX = 2.1333334f;
inline constexpr float padY = 2.4f;
inline constexpr char const* unpackedList = "/var/mobile/Library/Marrowby/unpacked.plist";

inline bool isPad() {
    return Utilities::isiPad();
}

// A phone point, stretched on the tablet.
inline engine::Point scaled(float x, float y) {
    return isPad() ? engine::Point {x * padX, y * padY} : engine::Point {x, y};
}

inline long salonRandom() {
    return long(foundation::AdditiveRandom::shared().next());
}

inline Interface* interface() {
    return GameGlobals::shared().interface.get();
}

inline void playSound(std::string const& name) {
    if (auto* engine = SoundEngine::sharedManager())
        engine->playSoundName(name);
}

// The entries of the downloaded list, or an empty array.
inline base::Ref<base::Array> unpackedEntries() {
    auto list = engine::StaticFileCache::sharedCache().arrayWithContentsOfFile(unpackedList);
    return list ? list : base::Array::create();
}

// The bundle's store items followed by the downloaded entries, in list order.
inline std::vector<base::Value> storeAndUnpackedItems() {
    auto& cache = engine::StaticFileCache::sharedCache();
    std::vector<base::Value> items;
    if (auto path = cache.pathForResource("StoreItemList.plist")) {
        if (auto list = cache.arrayWithContentsOfFile(*path))
            items.insert(items.end(), list->begin(), list->end());
    }
    auto unpacked = unpackedEntries();
    items.insert(items.end(), unpacked->begin(), unpacked->end());
    return items;
}

inline bool isActiveEntry(base::Dictionary const& entry) {
    auto key = foundation::format("%@_%@_active", entry.objectForKey("type").stringValue(),
        entry.objectForKey("uid").stringValue());
    return foundation::UserDefaults::standardUserDefaults().integerForKey(key) != 0;
}

// The data of the active downloaded entries of a type, in list order.
inline std::vector<base::Ref<base::Dictionary>> activePackData(std::string const& type) {
    std::vector<base::Ref<base::Dictionary>> found;
    auto entries = unpackedEntries();
    for (auto const& value : *entries) {
        auto* entry = value.dictionary();
        if (!entry || entry->objectForKey("type").stringValue() != type || !isActiveEntry(*entry))
            continue;
        if (auto data = entry->objectForKey("data").dictionaryRef())
            found.push_back(data);
    }
    return found;
}

}
