// A save from the game server (a property list, binary or XML) taken into the store:
// any bytes give no dictionary, a save refused whole with the store untouched, or a
// save taken whole; either way the game reads every saved quantity back without a
// crash or undefined behaviour (numbers beyond an int saturate).
//
// The store lives in a sandbox of its own, on /dev/shm where there is one so that the
// import's flush to disk costs little; each input starts from an empty store.
#include "FuzzSupport.hpp"

#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using game::DataConrtoller;
using game::DataManager;

namespace {

// Never destroyed, so that the clean-up at exit still has it.
std::string const& sandboxRoot() {
    static std::string const* const root = [] {
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
            ? std::filesystem::path("/dev/shm")
            : std::filesystem::temp_directory_path();
        auto* path = new std::string(
            (base / ("quillaby-save-import-fuzz-" + std::to_string(::getpid()))).string());
        std::filesystem::create_directories(*path);
        foundation::Sandbox::setRoot(*path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(sandboxRoot(), ignored);
        });
        return path;
    }();
    return *root;
}

bool isSaveKey(std::string const& key) {
    return key.find("DATA_") != std::string::npos;
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto save = foundation::PropertyList::propertyListWithData(foundation::ByteView(data, size))
                    .dictionaryRef();
    if (!save)
        return 0;
    sandboxRoot();
    foundation::UserDefaults::resetStandardUserDefaults();
    std::error_code ignored;
    std::filesystem::remove_all(foundation::Sandbox::preferencesPath(), ignored);
    game::GameGlobals::reset();

    bool taken = DataConrtoller::importSaveData(save.get());
    auto stored = DataManager::dictionaryRepresentation();
    for (auto const& [key, value] : *save) {
        if (!isSaveKey(key)) {
            FUZZ_CHECK(!stored->contains(key) || key == "AppleLanguages");
            continue;
        }
        // Taken whole, or not at all.
        FUZZ_CHECK(stored->contains(key) == taken);
        if (taken) {
            FUZZ_CHECK(stored->objectForKey(key) == value);
            DataManager::getIntForKey(key);
            DataManager::getFloatForKey(key);
            DataManager::getBoolForKey(key);
            DataManager::getStringForKey(key);
        }
    }
    // The game's reads of the whole save.
    DataConrtoller::loadShopTime();
    DataConrtoller::loadLastDayMoney();
    DataConrtoller::loadLastDaySatisfaction();
    DataConrtoller::loadCountingRecord();
    DataConrtoller::loadPetPoints();
    DataConrtoller::haveResumeData();
    DataConrtoller::exportSaveData();
    // The import reached the file: a new store reads the same core values.
    auto& g = game::GameGlobals::shared();
    int day = g.day;
    int money = g.money;
    foundation::UserDefaults::resetStandardUserDefaults();
    DataConrtoller::loadDay();
    DataConrtoller::loadMoney();
    FUZZ_CHECK(g.day == day && g.money == money);
    return 0;
}
