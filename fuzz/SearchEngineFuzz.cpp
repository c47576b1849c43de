// Searches texts that may come from outside (server data) with a query, both of any
// bytes, in every mode and case setting. The first line is the query, each further
// line one searchable text. The answer keeps collection order and holds only members
// of the collection, and in each case setting whatever matches all terms also matches
// any of them.
#include "FuzzSupport.hpp"

#include <toolkit/rest/RLSearchEngine.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using toolkit::rest::RLSearchEngine;

// The indexes of the found members in the collection, each after the one before.
std::vector<std::size_t> positions(base::Array const& found, base::Array const& collection) {
    std::vector<std::size_t> indexes;
    std::size_t next = 0;
    for (auto const& member : found) {
        while (next < collection.size() && collection.at(next) != member)
            ++next;
        FUZZ_CHECK(next < collection.size());
        indexes.push_back(next++);
    }
    return indexes;
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view input(reinterpret_cast<char const*>(data), size);
    auto lineEnd = input.find('\n');
    std::string query(input.substr(0, lineEnd));
    auto collection = base::Array::create();
    while (lineEnd != std::string_view::npos && collection->size() < 64) {
        auto start = lineEnd + 1;
        lineEnd = input.find('\n', start);
        auto dictionary = base::Dictionary::create();
        dictionary->setObject("searchableText", std::string(input.substr(start, lineEnd - start)));
        collection->add(base::Value(dictionary));
    }
    auto engine = RLSearchEngine::searchEngine();
    for (bool tokenize : {true, false}) {
        for (bool caseSensitive : {false, true}) {
            engine->setTokenizeQuery(tokenize);
            engine->setCaseSensitive(caseSensitive);
            engine->setMode(RLSearchEngine::RLSearchModeAnd);
            auto all = engine->searchFor(query, *collection);
            engine->setMode(RLSearchEngine::RLSearchModeOr);
            auto any = engine->searchFor(query, *collection);
            FUZZ_CHECK(all && any);
            positions(*all, *collection);
            auto anyPositions = positions(*any, *collection);
            for (auto index : positions(*all, *collection)) {
                bool alsoAny = false;
                for (auto other : anyPositions)
                    alsoAny = alsoAny || other == index;
                FUZZ_CHECK(alsoAny);
            }
        }
    }
    return 0;
}
