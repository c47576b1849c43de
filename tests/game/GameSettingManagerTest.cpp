#include <game/shell/GameSettingManager.hpp>

#include <gtest/gtest.h>

using game::GameSettingManager;

TEST(GameSettingManager, AnswersTheServiceIdentifiers) {
    EXPECT_EQ(GameSettingManager::getiTunesID(), "728105396");
    EXPECT_EQ(GameSettingManager::getAdnoriaID(), "");
    EXPECT_EQ(GameSettingManager::getKestrelID(), "QR7TNW3KZ5DJ9BVA2MXC");
    EXPECT_EQ(GameSettingManager::getMosaicID(), "kQ7vR2nLpX9sWd4TfB8mZc3HyJ6gNa5UeKw");
}

TEST(GameSettingManager, IdentifiersHaveTheShapesTheServicesExpect) {
    auto const store = GameSettingManager::getiTunesID();
    EXPECT_EQ(store.size(), 9u);
    EXPECT_EQ(store.find_first_not_of("0123456789"), std::string::npos);
    auto const analytics = GameSettingManager::getKestrelID();
    EXPECT_EQ(analytics.size(), 20u);
    EXPECT_EQ(
        analytics.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"), std::string::npos);
    auto const adUnit = GameSettingManager::getMosaicID();
    EXPECT_EQ(adUnit.size(), 35u);
    EXPECT_EQ(
        adUnit.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
        std::string::npos);
}
