#pragma once

#include <base/Value.hpp>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace bench {

using Body = std::function<void(benchmark::State&)>;

struct Peer {
    std::string name;
    Body body;
};

// Registers "<path>/ours" and then "<path>/<peer>" for every peer, so that what is
// compared runs side by side in one program and tools/bench.sh can pair the results
// by name and print ours / peer.
inline void compare(std::string const& path, Body ours, std::vector<Peer> peers,
    benchmark::TimeUnit unit = benchmark::kMicrosecond) {
    benchmark::RegisterBenchmark((path + "/ours").c_str(), std::move(ours))->Unit(unit);
    for (auto& peer : peers)
        benchmark::RegisterBenchmark((path + "/" + peer.name).c_str(), std::move(peer.body))
            ->Unit(unit);
}

// A file of the game's resources folder, read whole. A benchmark without its data
// would measure nothing, so a missing file ends the program.
inline base::Bytes resource(std::string const& relative) {
    std::string path = std::string(QUILLABY_RESOURCES) + "/" + relative;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    return base::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Ends the program when a benchmark's own check fails: a benchmark that measures
// the wrong thing must not report a number.
inline void require(bool condition, char const* what) {
    if (!condition) {
        std::fprintf(stderr, "benchmark check failed: %s\n", what);
        std::exit(1);
    }
}

}
