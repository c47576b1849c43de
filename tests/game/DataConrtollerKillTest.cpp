#include "SaveKill.hpp"
#include "ShellFixture.hpp"

namespace {

using DataConrtollerKill = test::ShellFixture;

TEST_F(DataConrtollerKill, AGameKilledWhileSavingKeepsOneWholeSave) {
    test::killSavingWriters(30);
}

}
