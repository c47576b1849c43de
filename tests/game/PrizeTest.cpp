#include "ShellFixture.hpp"

#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/Prize.hpp>

#include <set>

using game::DataConrtoller;
using game::DataManager;
using game::GameGlobals;
using game::Prize;

namespace {

class PrizeTest : public test::ShellFixture {
protected:
    PrizeTest() { Prize::loadPrizeData(); }
};

}

// Known answers computed independently of this code (RFC 1321 suite and Python's hashlib).
TEST_F(PrizeTest, GenMD5GivesUpperCaseHexadecimalDigits) {
    EXPECT_EQ(Prize::genMD5(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(Prize::genMD5("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(Prize::genMD5("caf\xc3\xa9"), "07117FE4A1EBD544965DC19573183DA2");
}

TEST_F(PrizeTest, CodesAreTheLastSixDigitsOfTheSaltedDigest) {
    DataConrtoller::saveEmail("player@example.com");
    std::vector<char const*> const expected = {"8D6D9C", "1B4A63", "1832A5", "03ED88", "234D57"};
    for (int prize = 0; prize < Prize::prizeCount; ++prize)
        EXPECT_EQ(Prize::getPrizeCode(prize), expected[std::size_t(prize)]) << "prize " << prize;
}

TEST_F(PrizeTest, CodesIgnoreTheLetterCaseOfTheEmailAndDifferByPrize) {
    DataConrtoller::saveEmail("Player@Example.COM");
    std::set<std::string> codes;
    for (int prize = 0; prize < Prize::prizeCount; ++prize)
        codes.insert(Prize::getPrizeCode(prize));
    EXPECT_EQ(codes.size(), 5u);
    EXPECT_EQ(Prize::getPrizeCode(0), "8D6D9C");
}

TEST_F(PrizeTest, NoCodeWithoutAnEmailOrForAnUnknownPrize) {
    for (int prize = -1; prize <= 5; ++prize)
        EXPECT_EQ(Prize::getPrizeCode(prize), "") << "prize " << prize;
    DataConrtoller::saveEmail("player@example.com");
    EXPECT_EQ(Prize::getPrizeCode(5), "");
    EXPECT_EQ(Prize::getPrizeCode(-1), "");
}

TEST_F(PrizeTest, LevelAndStaffProgressLoadAsAtLeastOne) {
    DataConrtoller::savePrize(0, 0);
    DataConrtoller::savePrize(2, 0);
    Prize::loadPrizeData();
    EXPECT_EQ(Prize::progress(0), 1);
    EXPECT_EQ(Prize::progress(1), 1);
    EXPECT_EQ(Prize::progress(2), 0);
    EXPECT_EQ(Prize::getPrizeCurText(0), "Lv 1");
}

TEST_F(PrizeTest, StaffPrizeCountsTheFirstMemberAndThoseHired) {
    for (int member : {1, 2, 4})
        DataConrtoller::saveStaffEnable(member, true);
    DataConrtoller::saveStaffEnable(0, true);
    Prize::savePrizeData(1);
    EXPECT_EQ(Prize::progress(1), 4);
    EXPECT_EQ(DataConrtoller::getPrize(1), 4);

    // A lower count never takes the place of the recorded one.
    DataConrtoller::saveStaffEnable(4, false);
    Prize::savePrizeData(1);
    EXPECT_EQ(DataConrtoller::getPrize(1), 4);
}

TEST_F(PrizeTest, LevelPrizeRecordsOnlyAHigherLevel) {
    GameGlobals::shared().shopLevel = 3;
    Prize::savePrizeData(0);
    EXPECT_EQ(DataConrtoller::getPrize(0), 3);
    GameGlobals::shared().shopLevel = 2;
    Prize::savePrizeData(0);
    EXPECT_EQ(DataConrtoller::getPrize(0), 3);
    EXPECT_EQ(Prize::progress(0), 3);
}

TEST_F(PrizeTest, OtherPrizesSaveTheirProgressAsItIs) {
    DataConrtoller::savePrize(3, 1234);
    Prize::loadPrizeData();
    DataManager::setObject(nullptr, "SYS_PRIZE3");
    Prize::savePrizeData(3);
    EXPECT_EQ(DataManager::getStringForKey("SYS_PRIZE3"), "1234");
    Prize::savePrizeData(7);
    EXPECT_FALSE(DataManager::checkHaveKey("SYS_PRIZE7"));
}

TEST_F(PrizeTest, PrizesAreReachedAtTheirTargets) {
    struct Case {
        int prize;
        int saved;
        bool reached;
    };
    std::vector<Case> const cases = {
        {0, 4, false},
        {0, 5, true},
        {1, 4, false},
        {1, 5, true},
        {2, 99, false},
        {2, 100, true},
        {3, 99998, false},
        {3, 99999, true},
        {4, 4999, false},
        {4, 5000, true},
    };
    for (auto const& c : cases) {
        DataConrtoller::savePrize(c.prize, c.saved);
        Prize::loadPrizeData();
        EXPECT_EQ(Prize::getPrizeEnable(c.prize), c.reached)
            << "prize " << c.prize << " at " << c.saved;
    }
    EXPECT_FALSE(Prize::getPrizeEnable(5));
    EXPECT_FALSE(Prize::getPrizeEnable(-1));
}

TEST_F(PrizeTest, TextsShowTargetsAndProgress) {
    for (int prize = 0; prize < Prize::prizeCount; ++prize)
        DataConrtoller::savePrize(prize, 42);
    Prize::loadPrizeData();
    struct Case {
        char const* requirement;
        char const* current;
    };
    std::vector<Case> const cases = {
        {"Reach shop Lv 5 :", "Lv 42"},
        {"Hired 5 staff :", "42"},
        {"Played for 100 days :", "42 days"},
        {"Earned over $99999 :", "$42"},
        {"Served over 5000 customers :", "42"},
    };
    for (int prize = 0; prize < Prize::prizeCount; ++prize) {
        EXPECT_EQ(Prize::getPrizeReqText(prize), cases[std::size_t(prize)].requirement);
        EXPECT_EQ(Prize::getPrizeCurText(prize), cases[std::size_t(prize)].current);
    }
    EXPECT_EQ(Prize::getPrizeReqText(5), "");
    EXPECT_EQ(Prize::getPrizeCurText(-1), "");
}

TEST_F(PrizeTest, ProgressSurvivesANewGame) {
    DataConrtoller::savePrize(2, 100);
    DataConrtoller::resetData();
    Prize::loadPrizeData();
    EXPECT_TRUE(Prize::getPrizeEnable(2));
}
