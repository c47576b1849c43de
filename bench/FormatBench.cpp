// foundation::format with the conversions the game's texts use (%@ and %d) against
// snprintf and std::to_string concatenation building the same text.

#include "Compare.hpp"

#include <foundation/Format.hpp>

#include <cstdio>
#include <string>

namespace {

std::string const customer = "Mrs. Jones";

std::string viaSnprintf(char const* format, auto... args) {
    char buffer[256];
    int length = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, std::size_t(length));
}

[[maybe_unused]] auto const registered = [] {
    // The status bar's level, redrawn whenever it changes.
    bench::compare(
        "Format/\"Lv %d\"",
        [](benchmark::State& state) {
            int level = 12;
            for (auto _ : state) {
                benchmark::DoNotOptimize(level);
                auto text = foundation::format("Lv %d", level);
                benchmark::DoNotOptimize(text);
            }
            bench::require(foundation::format("Lv %d", level) == "Lv 12", "format's result");
        },
        {{"snprintf",
             [](benchmark::State& state) {
                 int level = 12;
                 for (auto _ : state) {
                     benchmark::DoNotOptimize(level);
                     auto text = viaSnprintf("Lv %d", level);
                     benchmark::DoNotOptimize(text);
                 }
             }},
            {"to_string concatenation",
                [](benchmark::State& state) {
                    int level = 12;
                    for (auto _ : state) {
                        benchmark::DoNotOptimize(level);
                        auto text = "Lv " + std::to_string(level);
                        benchmark::DoNotOptimize(text);
                    }
                }}},
        benchmark::kNanosecond);

    // A text with a name and two numbers, as in the customer speech bubbles.
    bench::compare(
        "Format/\"%@ paid %d coins and tipped %d\"",
        [](benchmark::State& state) {
            int paid = 1250, tip = 75;
            for (auto _ : state) {
                benchmark::DoNotOptimize(paid);
                auto text
                    = foundation::format("%@ paid %d coins and tipped %d", customer, paid, tip);
                benchmark::DoNotOptimize(text);
            }
            bench::require(foundation::format("%@ paid %d coins and tipped %d", customer, paid, tip)
                    == "Mrs. Jones paid 1250 coins and tipped 75",
                "format's result");
        },
        {{"snprintf",
             [](benchmark::State& state) {
                 int paid = 1250, tip = 75;
                 for (auto _ : state) {
                     benchmark::DoNotOptimize(paid);
                     auto text = viaSnprintf(
                         "%s paid %d coins and tipped %d", customer.c_str(), paid, tip);
                     benchmark::DoNotOptimize(text);
                 }
             }},
            {"to_string concatenation",
                [](benchmark::State& state) {
                    int paid = 1250, tip = 75;
                    for (auto _ : state) {
                        benchmark::DoNotOptimize(paid);
                        auto text = customer + " paid " + std::to_string(paid)
                            + " coins and tipped " + std::to_string(tip);
                        benchmark::DoNotOptimize(text);
                    }
                }}},
        benchmark::kNanosecond);
    return true;
}();

}
