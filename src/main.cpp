// The process entry.

#include <game/salon/SalonDayStart.hpp>
#include <game/shell/ProcessEntry.hpp>
#include <ui/ApplicationRunner.hpp>

#include <optional>
#include <vector>

int main(int argc, char** argv) {
    // Scripted runs: "--salon-day[=LEVEL]" starts straight in a salon day.
    ui::ApplicationRunner::setProgramOptionsUsage(game::SalonDayStart::usage);
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        std::optional<int> level;
        if (i > 0 && game::SalonDayStart::parseArgument(argv[i], level))
            game::SalonDayStart::request(level);
        else
            arguments.push_back(argv[i]);
    }
    return game::ProcessEntry::main(int(arguments.size()), arguments.data());
}
