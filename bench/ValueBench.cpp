// base::Value and base::Dictionary: building a dictionary, looking keys up, walking
// it and copying a nested structure, against a hand-made variant tree over
// std::unordered_map and against nlohmann::json objects.

#include "Compare.hpp"

#include <base/Value.hpp>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace {

// The obvious standard-library dynamic value: a variant whose containers hold more
// of it. (libstdc++ allows the incomplete element types.)
struct Node;
using NodeMap = std::unordered_map<std::string, Node>;
using NodeList = std::vector<Node>;
struct Node {
    std::variant<std::monostate, bool, std::int64_t, double, std::string, NodeList, NodeMap> value;
};

constexpr int KeyCount = 1000;

// Keys like the game's: words of different lengths, some past the short-string
// buffer.
std::vector<std::string> const& keys() {
    static std::vector<std::string> const list = [] {
        std::vector<std::string> k;
        char const* stems[] = {"x", "level", "customerCount", "furniture_sofa_deluxe_gold"};
        for (int i = 0; i < KeyCount; ++i)
            k.push_back(std::string(stems[i % 4]) + std::to_string(i));
        return k;
    }();
    return list;
}

// Integers, reals and strings in turn: what a save or a downloaded list holds.
std::variant<std::int64_t, double, std::string> sample(int i) {
    switch (i % 3) {
    case 0:
        return std::int64_t(i);
    case 1:
        return i * 0.5;
    default:
        return "value " + std::to_string(i);
    }
}

base::Value ourValue(int i) {
    return std::visit([](auto v) { return base::Value(std::move(v)); }, sample(i));
}

Node nodeValue(int i) {
    return std::visit([](auto v) { return Node {std::move(v)}; }, sample(i));
}

nlohmann::json jsonValue(int i) {
    return std::visit([](auto v) { return nlohmann::json(std::move(v)); }, sample(i));
}

base::Ref<base::Dictionary> ourFlat() {
    auto d = base::Dictionary::create();
    for (int i = 0; i < KeyCount; ++i)
        d->setObject(keys()[std::size_t(i)], ourValue(i));
    return d;
}

NodeMap nodeFlat() {
    NodeMap m;
    for (int i = 0; i < KeyCount; ++i)
        m.insert_or_assign(keys()[std::size_t(i)], nodeValue(i));
    return m;
}

nlohmann::json jsonFlat() {
    auto j = nlohmann::json::object();
    for (int i = 0; i < KeyCount; ++i)
        j[keys()[std::size_t(i)]] = jsonValue(i);
    return j;
}

// Lookup order: every key once, scattered.
std::vector<std::string> const& lookupKeys() {
    static std::vector<std::string> const list = [] {
        std::vector<std::string> k;
        for (int i = 0; i < KeyCount; ++i)
            k.push_back(keys()[std::size_t(i * 389 % KeyCount)]);
        return k;
    }();
    return list;
}

// Nested like a save: 200 records of eight fields, a small array and a nested
// dictionary each.
base::Ref<base::Dictionary> ourNested() {
    auto root = base::Dictionary::create();
    for (int r = 0; r < 200; ++r) {
        auto record = base::Dictionary::create();
        for (int f = 0; f < 8; ++f)
            record->setObject(keys()[std::size_t(f)], ourValue(r + f));
        auto list = base::Array::create({0, 1, 2, 3});
        auto place = base::Dictionary::create();
        place->setObject("x", r * 1.5);
        place->setObject("y", r * 2.5);
        record->setObject("list", list);
        record->setObject("place", place);
        root->setObject(keys()[std::size_t(r)], record);
    }
    return root;
}

Node nodeNested() {
    NodeMap root;
    for (int r = 0; r < 200; ++r) {
        NodeMap record;
        for (int f = 0; f < 8; ++f)
            record.insert_or_assign(keys()[std::size_t(f)], nodeValue(r + f));
        NodeList list;
        for (int e = 0; e < 4; ++e)
            list.push_back({std::int64_t(e)});
        NodeMap place;
        place.insert_or_assign("x", Node {r * 1.5});
        place.insert_or_assign("y", Node {r * 2.5});
        record.insert_or_assign("list", Node {std::move(list)});
        record.insert_or_assign("place", Node {std::move(place)});
        root.insert_or_assign(keys()[std::size_t(r)], Node {std::move(record)});
    }
    return {std::move(root)};
}

nlohmann::json jsonNested() {
    auto root = nlohmann::json::object();
    for (int r = 0; r < 200; ++r) {
        auto record = nlohmann::json::object();
        for (int f = 0; f < 8; ++f)
            record[keys()[std::size_t(f)]] = jsonValue(r + f);
        record["list"] = nlohmann::json::array({0, 1, 2, 3});
        record["place"] = {{"x", r * 1.5}, {"y", r * 2.5}};
        root[keys()[std::size_t(r)]] = std::move(record);
    }
    return root;
}

// A number from any value, so that lookups and walks have something to add up.
double weight(base::Value const& v) {
    return v.isString() ? double(v.string()->size()) : v.doubleValue();
}

double weight(Node const& n) {
    if (auto s = std::get_if<std::string>(&n.value))
        return double(s->size());
    if (auto i = std::get_if<std::int64_t>(&n.value))
        return double(*i);
    if (auto d = std::get_if<double>(&n.value))
        return *d;
    return 0;
}

double weight(nlohmann::json const& j) {
    if (j.is_string())
        return double(j.get_ref<std::string const&>().size());
    return j.is_number() ? j.get<double>() : 0;
}

void registerInsert() {
    bench::compare("Value/insert 1000 keys",
        [](benchmark::State& state) {
            keys();
            for (auto _ : state)
                benchmark::DoNotOptimize(ourFlat());
        },
        {{"unordered_map",
             [](benchmark::State& state) {
                 keys();
                 for (auto _ : state)
                     benchmark::DoNotOptimize(nodeFlat());
             }},
            {"nlohmann::json", [](benchmark::State& state) {
                 keys();
                 for (auto _ : state)
                     benchmark::DoNotOptimize(jsonFlat());
             }}});
}

void registerLookup() {
    bench::compare("Value/lookup 1000 keys",
        [](benchmark::State& state) {
            auto d = ourFlat();
            auto const& wanted = lookupKeys();
            for (auto _ : state) {
                double sum = 0;
                for (auto const& key : wanted)
                    sum += weight(d->objectForKey(key));
                benchmark::DoNotOptimize(sum);
            }
        },
        {{"unordered_map",
             [](benchmark::State& state) {
                 auto m = nodeFlat();
                 auto const& wanted = lookupKeys();
                 for (auto _ : state) {
                     double sum = 0;
                     for (auto const& key : wanted) {
                         auto found = m.find(key);
                         sum += found == m.end() ? 0 : weight(found->second);
                     }
                     benchmark::DoNotOptimize(sum);
                 }
             }},
            {"nlohmann::json", [](benchmark::State& state) {
                 auto j = jsonFlat();
                 auto const& wanted = lookupKeys();
                 for (auto _ : state) {
                     double sum = 0;
                     for (auto const& key : wanted) {
                         auto found = j.find(key);
                         sum += found == j.end() ? 0 : weight(*found);
                     }
                     benchmark::DoNotOptimize(sum);
                 }
             }}});
}

void registerIterate() {
    bench::compare("Value/iterate 1000 entries",
        [](benchmark::State& state) {
            auto d = ourFlat();
            for (auto _ : state) {
                double sum = 0;
                for (auto const& [key, value] : *d)
                    sum += double(key.size()) + weight(value);
                benchmark::DoNotOptimize(sum);
            }
        },
        {{"unordered_map",
             [](benchmark::State& state) {
                 auto m = nodeFlat();
                 for (auto _ : state) {
                     double sum = 0;
                     for (auto const& [key, value] : m)
                         sum += double(key.size()) + weight(value);
                     benchmark::DoNotOptimize(sum);
                 }
             }},
            {"nlohmann::json", [](benchmark::State& state) {
                 auto j = jsonFlat();
                 for (auto _ : state) {
                     double sum = 0;
                     for (auto const& [key, value] : j.items())
                         sum += double(key.size()) + weight(value);
                     benchmark::DoNotOptimize(sum);
                 }
             }}});
}

void registerDeepCopy() {
    bench::compare("Value/deep copy 200 records",
        [](benchmark::State& state) {
            auto d = ourNested();
            for (auto _ : state)
                benchmark::DoNotOptimize(d->deepCopy());
        },
        {{"unordered_map",
             [](benchmark::State& state) {
                 auto n = nodeNested();
                 for (auto _ : state) {
                     Node copy = n;
                     benchmark::DoNotOptimize(copy);
                 }
             }},
            {"nlohmann::json", [](benchmark::State& state) {
                 auto j = jsonNested();
                 for (auto _ : state) {
                     nlohmann::json copy = j;
                     benchmark::DoNotOptimize(copy);
                 }
             }}});
}

[[maybe_unused]] auto const registered = [] {
    registerInsert();
    registerLookup();
    registerIterate();
    registerDeepCopy();
    return true;
}();

}
