// The process entry.

#include <game/shell/ProcessEntry.hpp>

int main(int argc, char** argv) {
    return game::ProcessEntry::main(argc, argv);
}
