// toolkit::json: decoding five documents as the game meets them (a downloadable-
// content list and a directives reply as the server sends them, a 1 MB list of
// records with repeated keys, a string-heavy list with escapes and non-ASCII text,
// an array of numbers) and writing the decoded trees back, against RapidJSON's DOM
// parse and writer, simdjson's DOM parser and nlohmann::json. Every decoder takes a
// fresh document each round (ours a fresh decoder, so its cache starts empty, as a
// server reply decoded by a new decoder does); simdjson keeps its parser, as it is
// meant to be used.

#include "Compare.hpp"

#include <toolkit/json/JSONDecoder.hpp>
#include <toolkit/json/JSONEncoder.hpp>
#include <toolkit/json/LJSONDeserializer.hpp>
#include <toolkit/json/PJsonParser.hpp>

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <simdjson.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using toolkit::json::JSONDecoder;

struct Document {
    std::string name;
    std::string text;
    // Elements of the top-level array, which every reader must find.
    std::size_t count {0};
};

std::string hex32(std::mt19937& random) {
    static char const digits[] = "0123456789abcdef";
    std::string h;
    for (int i = 0; i < 32; ++i)
        h += digits[random() % 16];
    return h;
}

// The list "listdlc" answers: one record per downloadable item.
Document dlcList() {
    std::mt19937 random(8107);
    char const* types[] = {"theme", "level", "vip"};
    std::string text = "[";
    int const count = 60;
    for (int i = 0; i < count; ++i) {
        std::string uid = std::to_string(100 + i);
        std::string type = types[i % 3];
        if (i)
            text += ",";
        text += "{\"uid\":\"" + uid + "\",\"ver\":\"1." + std::to_string(i % 7) + "\",\"type\":\""
            + type + "\",\"link\":\"https:\\/\\/content.example.com\\/dlc\\/dlc_" + uid
            + ".zip\",\"md5\":\"" + hex32(random) + "\",\"cost\":" + std::to_string(50 * (i % 9))
            + ",\"cost_type\":\"" + (i % 2 ? "pp" : "coins") + "\",\"name\":\"Salon pack " + uid
            + "\",\"desc\":\"New styles for the salon, with \\\"extra\\\" chairs.\","
            + "\"data\":{\"levelCap\":" + std::to_string(10 + i)
            + ",\"moneyReq\":" + std::to_string(1000 * i) + ",\"char_id\":" + std::to_string(i)
            + ",\"closeup\":\"closeup_" + uid
            + ".png\",\"clearsRoom\":" + (i % 2 ? "true" : "false") + "}}";
    }
    text += "]";
    return {"DLC list", text, count};
}

// The "checkdirectives" reply: records whose data is JSON text in a string.
Document directives() {
    std::string text
        = "[{\"uid\":17,\"data\":\"{\\\"type\\\":\\\"notify\\\",\\\"freq\\\":2,"
          "\\\"title\\\":\\\"News\\\",\\\"msg\\\":\\\"Pony day is coming!\\\"}\"},"
          "{\"uid\":\"18\",\"data\":\"{\\\"type\\\":\\\"howdy\\\",\\\"howdy_on\\\":1}\"},"
          "{\"uid\":19,\"data\":\"{\\\"type\\\":\\\"ponyday\\\",\\\"freq\\\":1,"
          "\\\"msg\\\":\\\"Double fees today\\\",\\\"feemult\\\":2}\"},"
          "{\"uid\":20,\"data\":\"{\\\"type\\\":\\\"xfercoins\\\",\\\"active\\\":1,"
          "\\\"freq\\\":3,\\\"step\\\":10,\\\"base\\\":10000,\\\"scale\\\":1}\"}]";
    return {"directives reply", text, 4};
}

// About 1 MB of records that repeat their keys.
Document records() {
    std::string text = "[";
    std::size_t count = 0;
    while (text.size() < 1000000) {
        auto n = std::to_string(count);
        if (count)
            text += ",";
        text += "{\"id\":" + n + ",\"name\":\"customer " + n
            + "\",\"level\":" + std::to_string(count % 50) + ",\"score\":" + std::to_string(count)
            + ".5" + ",\"active\":" + (count % 3 ? "true" : "false") + ",\"style\":\""
            + (count % 2 ? "curly" : "straight")
            + "\",\"tags\":[\"regular\",\"vip\"],\"seat\":{\"x\":" + std::to_string(count % 13)
            + ",\"y\":" + std::to_string(count % 7) + "},\"note\":null}";
        ++count;
    }
    text += "]";
    return {"1 MB records", text, count};
}

// About 500 KB of strings with escapes and text in several scripts.
Document strings() {
    char const* pieces[]
        = {"Caf\xC3\xA9 cr\xC3\xA8me \\u00e9\\u00e8", "line\\nbreak\\ttab \\\"quoted\\\"",
            "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9"
            "\xE3\x83\x88",
            "\xD0\xA1\xD0\xB0\xD0\xBB\xD0\xBE\xD0\xBD "
            "\xD0\xBA\xD1\x80\xD0\xB0\xD1\x81\xD0\xBE\xD1\x82\xD1\x8B",
            "emoji \xF0\x9F\x98\x80 and \\ud83d\\ude00 pairs", "back\\\\slash \\/ slash"};
    std::string text = "[";
    std::size_t count = 0;
    while (text.size() < 500000) {
        if (count)
            text += ",";
        text += "\"" + std::to_string(count) + " " + pieces[count % 6] + " "
            + pieces[(count + 1) % 6] + "\"";
        ++count;
    }
    text += "]";
    return {"strings with escapes", text, count};
}

// 100,000 numbers: integers, negatives and reals.
Document numbers() {
    std::mt19937 random(5);
    std::string text = "[";
    int const count = 100000;
    for (int i = 0; i < count; ++i) {
        if (i)
            text += ",";
        switch (i % 4) {
        case 0:
            text += std::to_string(random());
            break;
        case 1:
            text += std::to_string(-int(random() % 100000));
            break;
        case 2:
            text += std::to_string(random() % 1000) + "." + std::to_string(random() % 1000);
            break;
        default:
            text += std::to_string(random() % 100) + ".25e-3";
        }
    }
    text += "]";
    return {"number array", text, count};
}

std::vector<Document> const& documents() {
    static std::vector<Document> const list {
        dlcList(), directives(), records(), strings(), numbers()};
    return list;
}

base::Value ours(Document const& document) {
    return JSONDecoder::decoder()->objectWithString(document.text);
}

void registerDecode(std::size_t index) {
    auto const& name = documents()[index].name;
    bench::compare("JSON/decode/" + name,
        [index](benchmark::State& state) {
            auto const& document = documents()[index];
            for (auto _ : state) {
                auto tree = ours(document);
                bench::require(tree.isArray() && tree.array()->size() == document.count, "ours");
                benchmark::DoNotOptimize(tree);
            }
        },
        {{"RapidJSON",
             [index](benchmark::State& state) {
                 auto const& document = documents()[index];
                 for (auto _ : state) {
                     rapidjson::Document dom;
                     dom.Parse(document.text.data(), document.text.size());
                     bench::require(
                         !dom.HasParseError() && dom.IsArray() && dom.Size() == document.count,
                         "RapidJSON");
                     benchmark::DoNotOptimize(dom);
                 }
             }},
            {"simdjson",
                [index](benchmark::State& state) {
                    auto const& document = documents()[index];
                    simdjson::dom::parser parser;
                    simdjson::padded_string padded(document.text);
                    for (auto _ : state) {
                        simdjson::dom::array array;
                        auto error = parser.parse(padded).get(array);
                        bench::require(!error && array.size() == document.count, "simdjson");
                        benchmark::DoNotOptimize(array);
                    }
                }},
            {"nlohmann::json", [index](benchmark::State& state) {
                 auto const& document = documents()[index];
                 for (auto _ : state) {
                     auto tree = nlohmann::json::parse(document.text);
                     bench::require(
                         tree.is_array() && tree.size() == document.count, "nlohmann::json");
                     benchmark::DoNotOptimize(tree);
                 }
             }}});
}

void registerEncode(std::size_t index) {
    auto const& name = documents()[index].name;
    bench::compare("JSON/encode/" + name,
        [index](benchmark::State& state) {
            auto const& document = documents()[index];
            auto tree = ours(document);
            for (auto _ : state) {
                auto text = toolkit::json::JSONString(*tree.array());
                bench::require(text && text->size() > document.text.size() / 2, "ours");
                benchmark::DoNotOptimize(text);
            }
        },
        {{"RapidJSON",
             [index](benchmark::State& state) {
                 auto const& document = documents()[index];
                 rapidjson::Document dom;
                 dom.Parse(document.text.data(), document.text.size());
                 for (auto _ : state) {
                     rapidjson::StringBuffer buffer;
                     rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
                     bench::require(
                         dom.Accept(writer) && buffer.GetSize() > document.text.size() / 2,
                         "RapidJSON");
                     benchmark::DoNotOptimize(buffer.GetString());
                 }
             }},
            {"nlohmann::json", [index](benchmark::State& state) {
                 auto const& document = documents()[index];
                 auto tree = nlohmann::json::parse(document.text);
                 for (auto _ : state) {
                     auto text = tree.dump();
                     bench::require(text.size() > document.text.size() / 2, "nlohmann::json");
                     benchmark::DoNotOptimize(text);
                 }
             }}});
}

rapidjson::Document rapidDom(Document const& document) {
    rapidjson::Document dom;
    dom.Parse(document.text.data(), document.text.size());
    bench::require(
        !dom.HasParseError() && dom.IsArray() && dom.Size() == document.count, "RapidJSON");
    return dom;
}

// The second and third JSON libraries (the mediation client's deserializer, a fresh one
// each round as the client makes it; the ad clients' PJSON parser) on the same
// documents, each beside RapidJSON's DOM parse.
void registerOtherReaders(std::size_t index) {
    auto const& name = documents()[index].name;
    auto rapid = [index](benchmark::State& state) {
        auto const& document = documents()[index];
        for (auto _ : state)
            benchmark::DoNotOptimize(rapidDom(document));
    };
    bench::compare("JSON/decode-LJSON/" + name,
        [index](benchmark::State& state) {
            auto const& document = documents()[index];
            base::Bytes bytes(document.text.begin(), document.text.end());
            for (auto _ : state) {
                auto tree = toolkit::json::LJSONDeserializer::deserializer()->deserialize(bytes);
                bench::require(tree.isArray() && tree.array()->size() == document.count, "LJSON");
                benchmark::DoNotOptimize(tree);
            }
        },
        {{"RapidJSON", rapid}});
    bench::compare("JSON/decode-PJSON/" + name,
        [index](benchmark::State& state) {
            auto const& document = documents()[index];
            for (auto _ : state) {
                auto tree = toolkit::json::PJsonParser::parser()->objectWithString(document.text);
                bench::require(tree.isArray() && tree.array()->size() == document.count, "PJSON");
                benchmark::DoNotOptimize(tree);
            }
        },
        {{"RapidJSON", rapid}});
}

int const registered = [] {
    for (std::size_t i = 0; i < 5; ++i)
        registerDecode(i);
    for (std::size_t i = 0; i < 5; ++i)
        registerOtherReaders(i);
    for (std::size_t i = 0; i < 5; ++i)
        registerEncode(i);
    return 0;
}();

}
