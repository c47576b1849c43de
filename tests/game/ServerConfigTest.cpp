#include "ShellFixture.hpp"

#include <game/shell/DataManager.hpp>
#include <game/shell/ServerConfig.hpp>

#include <cstdlib>

using game::DataManager;
using game::ServerConfig;

namespace {

class ServerConfigTest : public test::ShellFixture {
protected:
    ~ServerConfigTest() override { unsetenv(ServerConfig::appStoreHostVariable); }
};

}

TEST_F(ServerConfigTest, EnvironmentWinsOverUserDefaultsAndNothingIsTheDefault) {
    unsetenv(ServerConfig::appStoreHostVariable);
    EXPECT_EQ(ServerConfig::appStoreHost(), "");

    DataManager::setString("defaults.test", ServerConfig::appStoreHostDefault);
    EXPECT_EQ(ServerConfig::appStoreHost(), "defaults.test");

    setenv(ServerConfig::appStoreHostVariable, "environment.test", 1);
    EXPECT_EQ(ServerConfig::appStoreHost(), "environment.test");
}

TEST_F(ServerConfigTest, EmptyOverridesAreIgnored) {
    setenv(ServerConfig::appStoreHostVariable, "", 1);
    DataManager::setString("", ServerConfig::appStoreHostDefault);
    EXPECT_EQ(ServerConfig::appStoreHost(), "");
    EXPECT_EQ(ServerConfig::value("QUILLABY_NOT_SET_ANYWHERE", "NotSetAnywhere", ""), "");
}

TEST_F(ServerConfigTest, TheProductWebServerHasNoDefaultAndLosesTrailingSlashes) {
    unsetenv(ServerConfig::productWebBaseURLVariable);
    EXPECT_EQ(ServerConfig::productWebBaseURL(), "");
    DataManager::setString("http://web.test:8080//", ServerConfig::productWebBaseURLDefault);
    EXPECT_EQ(ServerConfig::productWebBaseURL(), "http://web.test:8080");
}
