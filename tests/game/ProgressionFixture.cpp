#include "ProgressionFixture.hpp"

#include <foundation/Bundle.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <game/progression/AchievementSystem.hpp>
#include <game/progression/GameCenter.hpp>
#include <game/progression/Leaderboard.hpp>
#include <game/shell/GameCenterIDManager.hpp>

#include <filesystem>
#include <fstream>

namespace test {

ProgressionFixture::ProgressionFixture() {
    foundation::RunLoop::main().reset();
    foundation::NotificationCenter::resetDefaultCenter();
    releaseAll();
    setOnline(true);
    auto folder = sandbox / "bundle";
    std::filesystem::create_directories(folder / "English.lproj");
    auto list = base::Array::create();
    for (int number = 0; number < game::GameCenterIDManager::achievementCount; ++number) {
        auto id = game::GameCenterIDManager::getAchievementID(number);
        auto entry = base::Dictionary::create();
        entry->setObject("ID", id);
        entry->setObject("Pic", id + ".png");
        if (id != "ach_theme")
            entry->setObject("Title", "T_" + id);
        entry->setObject("Desc", "D_" + id);
        list->add(entry);
    }
    foundation::PropertyList::writeToFile(
        base::Value(list), (folder / "Achievements.plist").string());
    std::ofstream strings(folder / "English.lproj/Localizable.strings");
    strings << "\"ACH_UNLOCKED\" = \"Unlocked: %@\";\n"
            << "\"T_ach_firstpp\" = \"First Treasure\";\n"
            << "\"T_ach_50days\" = \"Fifty %d%n %s days\";\n";
    strings.close();
    foundation::Bundle::mainBundle().reloadLocalizations();
}

ProgressionFixture::~ProgressionFixture() {
    releaseAll();
    foundation::RunLoop::main().reset();
    foundation::NotificationCenter::resetDefaultCenter();
    foundation::Reachability::clearForcedStatus();
}

void ProgressionFixture::releaseAll() {
    game::AchievementSystem::releaseManager();
    game::Leaderboard::releaseManager();
    game::GameCenter::releaseManager();
    services::GameKit::reset();
}

void ProgressionFixture::setOnline(bool online) {
    foundation::Reachability::setForcedStatus(online
            ? foundation::Reachability::NetworkStatus::ReachableViaWiFi
            : foundation::Reachability::NetworkStatus::NotReachable);
}

void ProgressionFixture::run(double seconds) {
    auto& loop = foundation::RunLoop::main();
    if (seconds > 0)
        loop.runFor(seconds);
    for (int pass = 0; pass < 100 && loop.runPending(); ++pass) { }
}

void ProgressionFixture::signIn() {
    service().authenticate({});
    run();
}

std::vector<std::string> ProgressionFixture::requestsStartingWith(std::string const& prefix) {
    std::vector<std::string> found;
    for (auto const& line : service().requests()) {
        if (line.starts_with(prefix))
            found.push_back(line);
    }
    return found;
}

}
