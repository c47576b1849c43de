#include "SaveKill.hpp"
#include "ShellFixture.hpp"

namespace {

using DataConrtollerKill = test::ShellFixture;

TEST_F(DataConrtollerKill, AHundredKillsWhileSavingEachLeaveOneWholeSave) {
    test::killSavingWriters(100);
}

}
