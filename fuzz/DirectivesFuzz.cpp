// Directives replies of the game server as the directives call reads them, with the
// pony-day, check-in and coin-transfer handlers (the notify handler's alerts need a
// window and stay until dismissed, so it is left out). Any bytes give exactly the
// directives entry: the null object unless the reply is a JSON array, else a
// dictionary of the handlers' keys only. The stored coin-transfer settings, when there
// are any, are six entries whose numbers are numbers.
#include "FuzzSupport.hpp"

#include <serverkit/CheckDirectives.hpp>
#include <serverkit/HowdyDirectiveHandler.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>
#include <serverkit/QBYConnect.hpp>
#include <serverkit/TransferCoinsDirectiveHandler.hpp>

#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    static bool const sandboxed = [] {
        auto root = std::filesystem::temp_directory_path() / "quillaby-directives-fuzz";
        std::filesystem::create_directories(root);
        foundation::Sandbox::setRoot(root.string());
        foundation::UserDefaults::standardUserDefaults().setAutosaveDelay(3600);
        return true;
    }();
    (void)sandboxed;

    static serverkit::CheckDirectives::Handlers const handlers {
        serverkit::PonyDayDirectiveHandler::init(), serverkit::HowdyDirectiveHandler::init(),
        serverkit::TransferCoinsDirectiveHandler::init()};
    static std::set<std::string> const keys {
        "howdy_on", "ponymode_uid", "ponymode", "ponymode_fee_mult", "ponymode_msg"};

    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.removeObjectForKey(serverkit::TransferCoinsDirectiveHandler::DataStoreKey);

    base::Bytes reply(data, data + size);
    auto info = serverkit::CheckDirectives::dataStoreInfoForReply(&reply, handlers);
    FUZZ_CHECK(info && info->size() == 1);
    auto const& entry = info->objectForKey(serverkit::QBYKeys::CheckDirectivesDataStore);
    bool isArray = toolkit::json::JSONDecoder::decoder()->objectWithData(reply).isArray();
    if (!isArray) {
        FUZZ_CHECK(entry.isNullObject());
        return 0;
    }
    auto const* merged = entry.dictionary();
    FUZZ_CHECK(merged);
    for (auto const& [key, value] : *merged)
        FUZZ_CHECK(keys.count(key.str()) == 1);

    auto settings
        = defaults.dictionaryForKey(serverkit::TransferCoinsDirectiveHandler::DataStoreKey);
    if (settings) {
        FUZZ_CHECK(settings->size() == 6);
        FUZZ_CHECK(settings->objectForKey("active").isBoolean());
        for (char const* key : {"freq", "step", "base", "scale", "uid"})
            FUZZ_CHECK(settings->objectForKey(key).isNumber());
    }
    return 0;
}
