#include <game/server/GameServerConnection.hpp>

#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>

#include <engine/StaticFileCache.hpp>
#include <foundation/Format.hpp>
#include <serverkit/AuthToken.hpp>
#include <serverkit/BTXComponents.hpp>
#include <serverkit/CheckDirectives.hpp>
#include <serverkit/CheckRestore.hpp>
#include <serverkit/CheckReward.hpp>
#include <serverkit/ConfirmRestore.hpp>
#include <serverkit/ConfirmReward.hpp>
#include <serverkit/Event.hpp>
#include <serverkit/FetchArchive.hpp>
#include <serverkit/HowdyDirectiveHandler.hpp>
#include <serverkit/ListDLC.hpp>
#include <serverkit/NotifyDirectiveHandler.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>
#include <serverkit/RejectReward.hpp>
#include <serverkit/ReportDL.hpp>
#include <serverkit/TransferCoinsDirectiveHandler.hpp>

#include <filesystem>

namespace game {

namespace {

std::string argument(std::vector<std::string> const& arguments, std::size_t index) {
    return index < arguments.size() ? arguments[index] : std::string();
}

// A new directive handler of the class name; null for a name the server kit has no
// handler of.
base::Ref<serverkit::DirectiveHandler> makeDirectiveHandler(std::string const& name) {
    if (name == "NotifyDirectiveHandler")
        return serverkit::NotifyDirectiveHandler::init();
    if (name == "PonyDayDirectiveHandler")
        return serverkit::PonyDayDirectiveHandler::init();
    if (name == "HowdyDirectiveHandler")
        return serverkit::HowdyDirectiveHandler::init();
    if (name == "TransferCoinsDirectiveHandler")
        return serverkit::TransferCoinsDirectiveHandler::init();
    return nullptr;
}

base::Ref<serverkit::CheckDirectives> makeCheckDirectives(std::vector<std::string> const& names) {
    serverkit::CheckDirectives::Handlers handlers;
    for (auto const& name : names) {
        if (auto handler = makeDirectiveHandler(name))
            handlers.push_back(std::move(handler));
        else
            foundation::log("No directive handler %@; the directives call goes without it", name);
    }
    return serverkit::CheckDirectives::apicallWithDirectiveHandlers(std::move(handlers));
}

}

GameServerConnection::~GameServerConnection() {
    if (!installed_)
        return;
    serverkit::FetchArchive::setCacheClearer({});
    if (&GameServerClient::shared() == this)
        GameServerClient::setShared(nullptr);
    if (ServerEventQueue::shared() == this)
        ServerEventQueue::setShared(nullptr);
}

serverkit::QBYConfiguration GameServerConnection::configurationForInstallation() {
    serverkit::QBYConfiguration configuration;
    configuration.host = ServerConfig::gameServerHost();
    configuration.deviceIdentifier = Utilities::getUDID();
    if (auto list = Utilities::getPathForSavedData("dlclist.plist"))
        configuration.dataFolder = std::filesystem::path(*list).parent_path().string();
    configuration.marketingHost = ServerConfig::marketingHost();
    configuration.marketingPassword = ServerConfig::marketingPassword();
    return configuration;
}

void GameServerConnection::setUp(serverkit::QBYConfiguration configuration) {
    if (configuration.host.empty())
        foundation::log("No game server configured; server calls fail without being sent");
    serverkit::QBYConnect::sharedManager().setConfiguration(std::move(configuration));
    // Unpacked downloads replace property lists that the engine may hold already.
    serverkit::FetchArchive::setCacheClearer([] { engine::StaticFileCache::clearCache(); });
    GameServerClient::setShared(this);
    ServerEventQueue::setShared(this);
    installed_ = true;
}

void GameServerConnection::setCallMaker(std::string name, CallMaker maker) {
    makers_[std::move(name)] = std::move(maker);
}

base::Ref<serverkit::APICall> GameServerConnection::makeCall(ServerCall const& call) const {
    if (auto found = makers_.find(call.name); found != makers_.end())
        return found->second(call.arguments);
    auto const& name = call.name;
    if (name == "BTXComponents")
        return serverkit::BTXComponents::apicall();
    if (name == "CheckDirectives")
        return makeCheckDirectives(call.arguments);
    if (name == "AuthToken")
        return serverkit::AuthToken::apicall();
    if (name == "CheckRestore")
        return serverkit::CheckRestore::apicall();
    if (name == "ConfirmRestore")
        return serverkit::ConfirmRestore::apicallWithStatus(argument(call.arguments, 0));
    if (name == "CheckReward")
        return serverkit::CheckReward::apicallWithTargetBundleId(argument(call.arguments, 0));
    if (name == "ConfirmReward")
        return serverkit::ConfirmReward::apicall();
    if (name == "RejectReward")
        return serverkit::RejectReward::apicall();
    if (name == "ListDLC")
        return serverkit::ListDLC::apicall();
    if (name == "ReportDL")
        return serverkit::ReportDL::apicallWithDLCID(argument(call.arguments, 0));
    return nullptr;
}

void GameServerConnection::callAPIMethod(ServerCall call) {
    auto made = makeCall(call);
    if (!made) {
        foundation::log("The game server client has no call %@; it is dropped", call.name);
        return;
    }
    serverkit::QBYConnect::sharedManager().callAPIMethod(std::move(made));
}

base::Ref<base::Dictionary> GameServerConnection::objectForKey(std::string const& key) {
    return serverkit::QBYConnect::sharedManager().objectForKey(key).dictionaryRef();
}

void GameServerConnection::queueEvent(base::Ref<base::Dictionary> eventDictionary) {
    serverkit::QBYConnect::sharedManager().callAPIMethod(
        serverkit::Event::apicallWithEventDictionary(std::move(eventDictionary)));
}

}
