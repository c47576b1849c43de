#pragma once

#include <string>
#include <string_view>

namespace game {

// Five milestone prizes: their progress, their texts, and the six-character claim
// code made from the player's e-mail for a prize. Progress is kept for the
// process and saved under "SYS_PRIZE" + number, so it survives a new game. Ready
// for a prize screen; nothing in the game shows one yet. Never instantiated; main
// thread only.
class Prize {
public:
    Prize() = delete;

    static constexpr int prizeCount = 5;

    // Reads the five progress values; the shop level and the staff count read as
    // at least 1.
    static void loadPrizeData();
    // Prize 0 and 1 record the shop level and the number of staff hired (counting
    // the first, always there) when they beat the progress; prizes 2 to 4 save
    // their progress as it is.
    static void savePrizeData(int prize);
    static bool getPrizeEnable(int prize);
    static std::string getPrizeReqText(int prize);
    static std::string getPrizeCurText(int prize);
    // The last six hexadecimal digits of genMD5 of the upper-cased e-mail, the
    // prize number and a fixed salt; "" without a saved e-mail or for an unknown
    // prize. It does not tell whether the prize was reached.
    static std::string getPrizeCode(int prize);
    // 32 upper-case hexadecimal digits.
    static std::string genMD5(std::string_view text);

    // The progress of a prize as loaded or recorded, 0 for an unknown one.
    static int progress(int prize);
};

}
