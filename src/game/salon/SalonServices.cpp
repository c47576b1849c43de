#include <game/salon/SalonServices.hpp>

#include <analytics/KestrelAnalytics.hpp>
#include <game/progression/AchievementSystem.hpp>
#include <game/progression/GameCenter.hpp>
#include <game/progression/Leaderboard.hpp>
#include <game/shell/GameCenterIDManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/LoadingLayer.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>
#include <serverkit/PushSaveData.hpp>
#include <serverkit/QBYConnect.hpp>

namespace game {

namespace {

SalonServices* installed = nullptr;

}

SalonServices& SalonServices::shared() {
    static SalonServices defaults;
    return installed ? *installed : defaults;
}

void SalonServices::setShared(SalonServices* services) {
    installed = services;
}

bool SalonServices::isPonyModeEnabled() {
    return serverkit::PonyDayDirectiveHandler::isPonyModeEnabled();
}

bool SalonServices::isPonyModeActive() {
    return serverkit::PonyDayDirectiveHandler::isPonyModeActive();
}

void SalonServices::setPonyModeActive(bool active) {
    serverkit::PonyDayDirectiveHandler::setPonyModeActive(active);
}

float SalonServices::ponyDayFeeMult() {
    return serverkit::PonyDayDirectiveHandler::getFeeMult();
}

void SalonServices::reloadPetsWithPonyMode(bool ponyMode) {
    if (auto loading = GameGlobals::shared().loadingLayer)
        loading->reloadPetsWithPonyMode(ponyMode);
}

void SalonServices::pushSaveData(base::Ref<base::Dictionary> save) {
    serverkit::QBYConnect::sharedManager().callAPIMethod(
        serverkit::PushSaveData::apicallWithSaveDataObject(base::Value(std::move(save))));
}

void SalonServices::logEvent(std::string const& name, base::Ref<base::Dictionary> parameters) {
    analytics::KestrelAnalytics::logEvent(name, std::move(parameters));
}

void SalonServices::updateAchievement(int number, float percent) {
    AchievementSystem::sharedManager().updateAchievementWithID(
        GameCenterIDManager::getAchievementID(number), percent);
}

void SalonServices::checkUpdateAchievementsFromCurrentGame() {
    AchievementSystem::sharedManager().checkUpdateAchievementsFromCurrentGame();
}

void SalonServices::updateLeaderboard() {
    Leaderboard::updateLeaderboard();
}

bool SalonServices::isGameCenterAvailable() {
    return GameCenter::isGameCenterAvailable();
}

void SalonServices::reportScore(int board, int score) {
    if (auto category = GameCenterIDManager::getLeaderBoardID(board))
        Leaderboard::sharedManager().tryReportScore(score, *category);
}

}
