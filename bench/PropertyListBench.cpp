// Property lists: reading and writing the XML and binary forms of a real game-data
// file and of a large synthetic one, against libplist doing the same; and the
// ".strings" table reader against a minimal hand-written reader.

#include "Compare.hpp"

#include <foundation/PropertyList.hpp>

#include <plist/plist.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

using foundation::PropertyList;
using Format = foundation::PropertyList::Format;

namespace {

// A list shaped like the game's catalogues, but 4,000 entries long: every value
// kind, nested dictionaries and arrays, repeated keys and some repeated strings.
base::Value syntheticValue() {
    auto items = base::Array::create();
    for (int i = 0; i < 4000; ++i) {
        auto position = base::Dictionary::create();
        position->setObject("x", double(i % 97) * 1.5);
        position->setObject("y", double(i % 89) * -2.25);
        auto tags = base::Array::create();
        tags->add("tag" + std::to_string(i % 7));
        tags->add(i % 2 ? "wood" : "metal");
        tags->add("series " + std::to_string(i / 100));
        auto item = base::Dictionary::create();
        item->setObject("name", "Item number " + std::to_string(i));
        item->setObject("price", i * 13 % 5000);
        item->setObject("level", i % 40);
        item->setObject("ratio", 0.125 * (i % 16));
        item->setObject("unlocked", i % 3 == 0);
        item->setObject("created", base::Date {400000000.0 + i * 3600});
        item->setObject("icon", base::Bytes(16, std::uint8_t(i)));
        item->setObject("tags", tags);
        item->setObject("position", position);
        items->add(item);
    }
    auto root = base::Dictionary::create();
    root->setObject("version", 3);
    root->setObject("items", items);
    return root;
}

plist_t libplistFromXML(base::Bytes const& xml) {
    plist_t node = nullptr;
    plist_from_xml(reinterpret_cast<char const*>(xml.data()), uint32_t(xml.size()), &node);
    bench::require(node, "libplist reads the XML list");
    return node;
}

// One list in every form both sides need. Made on first use rather than while the
// benchmarks register, which happens before main, when other files' statics may not
// be ready yet.
struct List {
    base::Value value;
    base::Bytes xml;
    base::Bytes binary;
    // libplist writes from its own tree, read once from our XML.
    std::shared_ptr<void> tree;
};

List makeList(base::Value value) {
    List list;
    list.xml = *PropertyList::dataWithPropertyList(value, Format::XML);
    list.binary = *PropertyList::dataWithPropertyList(value, Format::Binary);
    bench::require(PropertyList::propertyListWithData(list.xml) == value, "XML round trip");
    bench::require(PropertyList::propertyListWithData(list.binary) == value, "binary round trip");
    list.tree
        = std::shared_ptr<void>(libplistFromXML(list.xml), [](plist_t node) { plist_free(node); });
    list.value = std::move(value);
    return list;
}

List const& furnitureList() {
    static List const list = [] {
        auto value = PropertyList::propertyListWithData(bench::resource("furnitureList.plist"));
        bench::require(value.isDictionary(), "furnitureList.plist reads");
        return makeList(value);
    }();
    return list;
}

List const& syntheticList() {
    static List const list = makeList(syntheticValue());
    return list;
}

void readAndWrite(std::string const& name, List const& (*list)()) {
    for (bool isXML : {true, false}) {
        std::string form = isXML ? "XML" : "binary";
        auto bytesOf
            = [isXML](List const& l) -> base::Bytes const& { return isXML ? l.xml : l.binary; };
        bench::compare("PropertyList/read " + form + "/" + name,
            [list, bytesOf](benchmark::State& state) {
                auto const& bytes = bytesOf(list());
                for (auto _ : state) {
                    base::Value read = PropertyList::propertyListWithData(bytes);
                    bench::require(read.isDictionary(), "our reader reads the list");
                    benchmark::DoNotOptimize(read);
                }
                state.SetBytesProcessed(std::int64_t(state.iterations() * bytes.size()));
            },
            {{"libplist", [list, bytesOf, isXML](benchmark::State& state) {
                  auto const& bytes = bytesOf(list());
                  auto const* data = reinterpret_cast<char const*>(bytes.data());
                  for (auto _ : state) {
                      plist_t node = nullptr;
                      if (isXML)
                          plist_from_xml(data, uint32_t(bytes.size()), &node);
                      else
                          plist_from_bin(data, uint32_t(bytes.size()), &node);
                      bench::require(node, "libplist reads the list");
                      benchmark::DoNotOptimize(node);
                      plist_free(node);
                  }
                  state.SetBytesProcessed(std::int64_t(state.iterations() * bytes.size()));
              }}});
    }
    for (bool isXML : {true, false}) {
        std::string form = isXML ? "XML" : "binary";
        bench::compare("PropertyList/write " + form + "/" + name,
            [list, isXML](benchmark::State& state) {
                auto const& value = list().value;
                auto format = isXML ? Format::XML : Format::Binary;
                for (auto _ : state) {
                    auto written = PropertyList::dataWithPropertyList(value, format);
                    bench::require(written.has_value(), "our writer writes the list");
                    benchmark::DoNotOptimize(written);
                }
            },
            {{"libplist", [list, isXML](benchmark::State& state) {
                  plist_t tree = list().tree.get();
                  for (auto _ : state) {
                      char* out = nullptr;
                      uint32_t length = 0;
                      if (isXML)
                          plist_to_xml(tree, &out, &length);
                      else
                          plist_to_bin(tree, &out, &length);
                      bench::require(out && length, "libplist writes the list");
                      benchmark::DoNotOptimize(out);
                      if (isXML)
                          plist_to_xml_free(out);
                      else
                          plist_to_bin_free(out);
                  }
              }}});
    }
}

// The least a reader of "key" = "value"; tables must do: skip blanks and comments,
// read two quoted strings with the common escapes, store them. No UTF-16, no
// unquoted words, no error reporting: what ours does beyond this is the difference.
std::unordered_map<std::string, std::string> minimalStringsTable(std::string_view text) {
    std::unordered_map<std::string, std::string> table;
    std::size_t i = 0;
    auto skip = [&] {
        for (;;) {
            while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
                ++i;
            if (text.substr(i, 2) == "/*") {
                auto end = text.find("*/", i + 2);
                i = end == std::string_view::npos ? text.size() : end + 2;
            } else if (text.substr(i, 2) == "//") {
                auto end = text.find('\n', i);
                i = end == std::string_view::npos ? text.size() : end + 1;
            } else {
                return;
            }
        }
    };
    auto quoted = [&](std::string& out) {
        if (i >= text.size() || text[i] != '"')
            return false;
        for (++i; i < text.size() && text[i] != '"'; ++i) {
            char c = text[i];
            if (c == '\\' && i + 1 < text.size()) {
                c = text[++i];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            out.push_back(c);
        }
        return i++ < text.size();
    };
    for (;;) {
        skip();
        std::string key, value;
        if (!quoted(key))
            break;
        skip();
        if (i >= text.size() || text[i++] != '=')
            break;
        skip();
        if (!quoted(value))
            break;
        skip();
        if (i < text.size() && text[i] == ';')
            ++i;
        table.insert_or_assign(std::move(key), std::move(value));
    }
    return table;
}

struct StringsFile {
    base::Bytes bytes;
    std::string_view text() const {
        return {reinterpret_cast<char const*>(bytes.data()), bytes.size()};
    }
};

StringsFile const& localizableStrings() {
    static StringsFile const file = [] {
        StringsFile f {bench::resource("English.lproj/Localizable.strings")};
        auto ours = PropertyList::stringsTableWithData(f.bytes);
        bench::require(ours && ours->size() > 100, "our reader reads the string table");
        bench::require(minimalStringsTable(f.text()).size() == ours->size(),
            "both readers find the same entries");
        return f;
    }();
    return file;
}

[[maybe_unused]] auto const registered = [] {
    readAndWrite("furnitureList", &furnitureList);
    readAndWrite("synthetic 4000 items", &syntheticList);
    bench::compare("PropertyList/read strings table/Localizable.strings",
        [](benchmark::State& state) {
            auto const& bytes = localizableStrings().bytes;
            for (auto _ : state) {
                auto table = PropertyList::stringsTableWithData(bytes);
                benchmark::DoNotOptimize(table);
            }
            state.SetBytesProcessed(std::int64_t(state.iterations() * bytes.size()));
        },
        {{"minimal reader", [](benchmark::State& state) {
              auto text = localizableStrings().text();
              for (auto _ : state) {
                  auto table = minimalStringsTable(text);
                  benchmark::DoNotOptimize(table);
              }
              state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
          }}});
    return true;
}();

}
