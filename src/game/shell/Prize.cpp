#include <game/shell/Prize.hpp>

#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>

#include <algorithm>
#include <array>

namespace game {

namespace {

struct Milestone {
    int target;
    char const* requirement;
    char const* current;
    // The progress of a fresh game counts one: the first level, the first staff member.
    int least;
};

constexpr std::array<Milestone, Prize::prizeCount> milestones = {{
    {5, "Reach shop Lv %d :", "Lv %d", 1},
    {5, "Hired %d staff :", "%d", 1},
    {100, "Played for %d days :", "%d days", 0},
    {99999, "Earned over $%d :", "$%d", 0},
    {5000, "Served over %d customers :", "%d", 0},
}};

constexpr char const* codeSalt = "5D0C3F";
constexpr std::size_t codeLength = 6;

std::array<int, Prize::prizeCount> progressValues {};

bool isPrize(int prize) {
    return prize >= 0 && prize < Prize::prizeCount;
}

void record(int prize, int value) {
    progressValues[std::size_t(prize)] = value;
    DataConrtoller::savePrize(prize, value);
}

}

void Prize::loadPrizeData() {
    for (int prize = 0; prize < prizeCount; ++prize) {
        progressValues[std::size_t(prize)]
            = std::max(DataConrtoller::getPrize(prize), milestones[std::size_t(prize)].least);
    }
}

void Prize::savePrizeData(int prize) {
    if (!isPrize(prize))
        return;
    int current = progressValues[std::size_t(prize)];
    switch (prize) {
    case 0: {
        int level = GameGlobals::shared().shopLevel;
        if (level > current)
            record(prize, level);
        break;
    }
    case 1: {
        int staff = 1;
        for (int member = 1; member <= 4; ++member) {
            if (DataConrtoller::getStaffEnable(member))
                ++staff;
        }
        if (staff > current)
            record(prize, staff);
        break;
    }
    default:
        record(prize, current);
        break;
    }
}

bool Prize::getPrizeEnable(int prize) {
    if (!isPrize(prize))
        return false;
    return progressValues[std::size_t(prize)] >= milestones[std::size_t(prize)].target;
}

std::string Prize::getPrizeReqText(int prize) {
    if (!isPrize(prize))
        return "";
    auto const& milestone = milestones[std::size_t(prize)];
    return foundation::format(milestone.requirement, milestone.target);
}

std::string Prize::getPrizeCurText(int prize) {
    if (!isPrize(prize))
        return "";
    return foundation::format(
        milestones[std::size_t(prize)].current, progressValues[std::size_t(prize)]);
}

std::string Prize::getPrizeCode(int prize) {
    auto email = DataConrtoller::getEmail();
    if (!email || !isPrize(prize))
        return "";
    auto digest
        = genMD5(foundation::format("%@%d%@", foundation::uppercase(*email), prize, codeSalt));
    return digest.substr(digest.size() - codeLength);
}

std::string Prize::genMD5(std::string_view text) {
    return foundation::Digest::hashHex(
        foundation::Digest::Algorithm::MD5, text, foundation::HexCase::Upper);
}

int Prize::progress(int prize) {
    return isPrize(prize) ? progressValues[std::size_t(prize)] : 0;
}

}
