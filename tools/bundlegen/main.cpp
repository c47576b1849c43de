#include <bundlegen/Generator.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void usage() {
    std::fputs("usage: bundlegen --bundle DIR --tablet DIR [--contact-sheet FILE] [--jobs N]\n"
               "                 [--pictures-only | --sounds-only]\n",
        stderr);
}

}

int main(int argc, char** argv) {
    bundlegen::Generator::Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--bundle")
            options.bundleDir = value();
        else if (arg == "--tablet")
            options.tabletDir = value();
        else if (arg == "--contact-sheet")
            options.contactSheet = value();
        else if (arg == "--jobs")
            options.jobs = std::atoi(value().c_str());
        else if (arg == "--pictures-only")
            options.sounds = false;
        else if (arg == "--sounds-only")
            options.pictures = false;
        else {
            usage();
            return 2;
        }
    }
    if (options.bundleDir.empty() || options.tabletDir.empty()) {
        usage();
        return 2;
    }
    return bundlegen::Generator(options).run() == 0 ? 0 : 1;
}
