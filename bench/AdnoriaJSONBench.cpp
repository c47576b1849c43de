// The Adnoria client's JSON reader and writer on a 200 KB ad reply (ad units with
// HTML snippets, tracking URLs, numbers and nested settings), beside nlohmann::json
// reading and writing the same text. Goal: within 2x of the peer.
#include "Compare.hpp"

#include <ads/adnoria/ADN_PJSON.hpp>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string adReply() {
    std::string text = "{\"status\":\"ok\",\"refresh\":30,\"ads\":[";
    for (int i = 0; text.size() < 200 * 1024; ++i) {
        if (i)
            text += ",";
        char unit[1024];
        std::snprintf(unit, sizeof unit,
            "{\"ai\":\"CQ%08dxYzAbCdEf\",\"type\":\"adnoria\",\"width\":320,\"height\":50,"
            "\"score\":%d.%03d,"
            "\"html\":\"<div class=\\\"ad\\\"><a "
            "href=\\\"http://ads.adnoria.test/aclk?ai=CQ%08d\\\">Salon "
            "deals \\u00e9t\\u00e9 \\u2014 %d%% "
            "off<\\/a><\\/div>\\n\",\"tracking\":[\"http://t.adnoria.test/p?i=%d\","
            "\"http://t.adnoria.test/"
            "v?i=%d\"],\"settings\":{\"close\":true,\"expand\":false,\"ttl\":null,"
            "\"colors\":[255,54,90]}}",
            i, i % 7, i % 1000, i, i % 90, i, i);
        text += unit;
    }
    text += "]}";
    return text;
}

std::string const& reply() {
    static std::string const text = adReply();
    return text;
}

void check(bool ok, char const* what) {
    if (!ok) {
        std::fprintf(stderr, "AdnoriaJSONBench: %s\n", what);
        std::exit(1);
    }
}

int const registered = [] {
    bench::compare("adnoria_json/read",
        [](benchmark::State& state) {
            auto reader = ads::adnoria::ADN_PJSON::create();
            for (auto _ : state) {
                auto value = reader->objectWithString(reply());
                check(value.isDictionary()
                        && value.dictionary()->objectForKey("ads").array()->size() > 100,
                    "reply not read");
                benchmark::DoNotOptimize(value);
            }
            state.SetBytesProcessed(
                std::int64_t(state.iterations()) * std::int64_t(reply().size()));
        },
        {{"nlohmann", [](benchmark::State& state) {
              for (auto _ : state) {
                  auto value = nlohmann::json::parse(reply());
                  check(value["ads"].size() > 100, "reply not read");
                  benchmark::DoNotOptimize(value);
              }
              state.SetBytesProcessed(
                  std::int64_t(state.iterations()) * std::int64_t(reply().size()));
          }}});
    bench::compare("adnoria_json/write",
        [](benchmark::State& state) {
            auto value = ads::adnoria::ADN_PJSON::create()->objectWithString(reply());
            auto writer = ads::adnoria::ADN_PJSON::create();
            for (auto _ : state) {
                auto text = writer->stringWithObject(value);
                check(text && text->size() > 100 * 1024, "reply not written");
                benchmark::DoNotOptimize(text);
            }
        },
        {{"nlohmann", [](benchmark::State& state) {
              auto value = nlohmann::json::parse(reply());
              for (auto _ : state) {
                  auto text = value.dump();
                  check(text.size() > 100 * 1024, "reply not written");
                  benchmark::DoNotOptimize(text);
              }
          }}});
    return 0;
}();

}
