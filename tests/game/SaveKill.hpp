#pragma once

namespace test {

// Forks writers that save the game again and again through DataConrtoller's save
// calls, one whole save per DataManager::Batch, and kills each at a random instant;
// checks after every kill that the saved file holds exactly one whole save and
// that no temporary file of a killed writer is left for long. The writers take
// turns at three ways of saving: by the autosave alone, by synchronize alone (no
// autosave), and by both. Runs inside a ShellFixture test.
void killSavingWriters(int rounds);

}
