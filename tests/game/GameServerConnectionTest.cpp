#include <game/salon/ShopSupport.hpp>
#include <game/server/GameServerConnection.hpp>
#include <game/shell/AdClients.hpp>

#include <support/GameServerStandIn.hpp>
#include <support/TempDir.hpp>

#include <engine/StaticFileCache.hpp>
#include <foundation/Digest.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <serverkit/CheckDirectives.hpp>
#include <serverkit/FetchArchive.hpp>
#include <serverkit/HowdyDirectiveHandler.hpp>
#include <serverkit/NotifyDirectiveHandler.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>
#include <serverkit/QBYConnect.hpp>
#include <serverkit/TransferCoinsDirectiveHandler.hpp>
#include <toolkit/zip/ZipFile.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

base::Ref<base::Dictionary> installedEntry(std::string const& uid, std::string const& type) {
    auto entry = base::Dictionary::create();
    entry->setObject("uid", uid);
    entry->setObject("cost", 10);
    entry->setObject("cost_type", "pp");
    entry->setObject("data", base::Dictionary::create());
    entry->setObject("desc", "d");
    entry->setObject("name", "n");
    entry->setObject("type", type);
    entry->setObject("ver", "1");
    return entry;
}

std::string readFile(fs::path const& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The game's connection to the stand-in game server, in a sandbox of its own whose
// data folder is the one the salon reads.
class GameServerConnectionTest : public ::testing::Test {
protected:
    GameServerConnectionTest() {
        foundation::Sandbox::setRoot(home.path().string());
        engine::StaticFileCache::clearCache();
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        serverkit::QBYConnect::resetSharedManager();
        dataFolder = *foundation::Sandbox::devicePath("/var/mobile/Library/Marrowby");
        fs::create_directories(dataFolder);
        connection.setUp({gameServer.host(), "udid", dataFolder, "", ""});
    }
    ~GameServerConnectionTest() override {
        serverkit::QBYConnect::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
        engine::StaticFileCache::clearCache();
        foundation::Sandbox::setRoot({});
    }

    test::TempDir home;
    test::TempDir work;
    test::GameServerStandIn gameServer;
    std::string dataFolder;
    game::GameServerConnection connection;
};

}

// The salon reads "unpacked.plist" through the engine's cache: after a fetch it sees
// the new entries, not the list it read before.
TEST_F(GameServerConnectionTest, AfterAFetchTheSalonSeesTheNewContent) {
    auto before = base::Array::create();
    before->add(installedEntry("dlc_1", "level"));
    ASSERT_TRUE(foundation::PropertyList::writeToFile(before, dataFolder + "/unpacked.plist"));
    ASSERT_EQ(game::shop_support::unpackedEntries()->size(), 1u);

    auto descriptions = base::Array::create();
    auto description = base::Dictionary::create();
    for (auto const& [key, value] :
        std::vector<std::pair<std::string, base::Value>> {{"dlc_id", "2"}, {"dlc_cost", 5},
            {"dlc_cost_type", "coins"}, {"dlc_data", base::Dictionary::create()}, {"dlc_desc", "d"},
            {"dlc_name", "n"}, {"dlc_type", "vip"}, {"dlc_ver", "1"}})
        description->setObject(key, value);
    descriptions->add(description);
    ASSERT_TRUE(foundation::PropertyList::writeToFile(descriptions, (work / "dlc.plist").string()));
    auto zip = toolkit::zip::ZipFile::create();
    ASSERT_TRUE(zip->CreateZipFile2((work / "a.zip").string()));
    ASSERT_TRUE(zip->addFileToZip((work / "dlc.plist").string(), "dlc.plist"));
    ASSERT_TRUE(zip->CloseZipFile2());
    auto bytes = readFile(work / "a.zip");
    gameServer.http().route("GET", "/dlc/2.zip", test::HttpResponse::text(bytes));

    auto list = base::Array::create();
    auto entry = base::Dictionary::create();
    entry->setObject("uid", "2");
    entry->setObject("ver", "1");
    entry->setObject("type", "vip");
    entry->setObject("link", gameServer.http().url("/dlc/2.zip"));
    entry->setObject("md5",
        foundation::Digest::hashHex(
            foundation::Digest::Algorithm::MD5, base::Bytes(bytes.begin(), bytes.end())));
    list->add(entry);
    ASSERT_TRUE(foundation::PropertyList::writeToFile(list, dataFolder + "/dlclist.plist"));

    serverkit::QBYConnect::sharedManager().callAPIMethod(serverkit::FetchArchive::apicall());
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [] {
            auto& connect = serverkit::QBYConnect::sharedManager();
            return !connect.isLoading() && connect.queuedCallCount() == 0;
        },
        20));

    auto seen = game::shop_support::unpackedEntries();
    ASSERT_EQ(seen->size(), 2u);
    EXPECT_EQ(seen->at(1).dictionary()->objectForKey("uid").stringValue(), "dlc_2");
}

// The shell names the directive handlers; the connection makes them, in order, and the
// directives call runs them over the stand-in's reply.
TEST_F(GameServerConnectionTest, TheDirectivesCallGetsTheNamedHandlersInOrder) {
    auto made = connection.makeCall({"CheckDirectives",
        {"NotifyDirectiveHandler", "PonyDayDirectiveHandler", "NoSuchHandler",
            "HowdyDirectiveHandler", "TransferCoinsDirectiveHandler"}});
    auto* call = dynamic_cast<serverkit::CheckDirectives*>(made.get());
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->apiMethod(), "checkdirectives");
    auto const& handlers = call->handlers();
    ASSERT_EQ(handlers.size(), 4u) << "an unknown name is left out";
    EXPECT_NE(dynamic_cast<serverkit::NotifyDirectiveHandler*>(handlers[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<serverkit::PonyDayDirectiveHandler*>(handlers[1].get()), nullptr);
    EXPECT_NE(dynamic_cast<serverkit::HowdyDirectiveHandler*>(handlers[2].get()), nullptr);
    EXPECT_NE(dynamic_cast<serverkit::TransferCoinsDirectiveHandler*>(handlers[3].get()), nullptr);

    gameServer.setDirectives(test::GameServerStandIn::directives(
        {test::GameServerStandIn::directive(3, R"({"type":"howdy","howdy_on":1})")}));
    connection.callAPIMethod({"CheckDirectives", {"HowdyDirectiveHandler"}});
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [] {
            return !serverkit::QBYConnect::sharedManager().isLoading()
                && serverkit::QBYConnect::sharedManager().queuedCallCount() == 0;
        },
        20));
    auto entry = connection.objectForKey(serverkit::QBYKeys::CheckDirectivesDataStore);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->objectForKey("howdy_on").boolValue());
    EXPECT_TRUE(game::AdClients::shared().shouldShowHowdy());
}
