#pragma once

#include <cstddef>
#include <functional>
#include <optional>

namespace test {

// Runs body in a forked child and answers by how many bytes the child's peak
// resident memory rose above what it held when body began: what body took at
// its worst, freed or not. Nothing when the child did not end normally (body
// crashed, or answered false). The child is killed after 60 seconds.
// Fork from a test with no other threads running.
std::optional<std::size_t> peakMemoryGrowth(std::function<bool()> const& body);

}
