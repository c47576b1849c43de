// toolkit::xml::XDoc, the offer wall's in-place XML reader, against pugixml's DOM parse
// on two documents of the shapes it meets: a news feed in RSS 2.0 (300 items with
// CDATA descriptions and entity references) and an offer-wall reply (500 offers with
// attributes and nested elements). Both readers copy the document each round (XDoc
// always does; pugixml's load_buffer does too) and must find every item.

#include "Compare.hpp"

#include <toolkit/xml/XDoc.hpp>

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace {

using toolkit::xml::XDoc;

struct Document {
    std::string name;
    std::string text;
    char const* item; // the element every reader counts under the container
    char const* container;
    std::size_t count;
};

Document rss() {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<rss version=\"2.0\">\n<channel>\n<title>Salon news</title>\n"
                       "<link>https://news.example.com/</link>\n";
    std::size_t const count = 300;
    for (std::size_t i = 0; i < count; ++i) {
        auto n = std::to_string(i);
        text += "<item>\n  <title>Story " + n + ": new styles &amp; colours</title>\n"
            + "  <link>https://news.example.com/story/" + n + "</link>\n"
            + "  <guid isPermaLink=\"false\">story-" + n + "</guid>\n" + "  <pubDate>Mon, 0"
            + std::to_string(i % 9 + 1) + " Jun 2026 10:00:00 GMT</pubDate>\n"
            + "  <description><![CDATA[<p>Pets love the <b>new</b> chairs, story " + n
            + ".</p>]]></description>\n</item>\n";
    }
    text += "</channel>\n</rss>\n";
    return {"RSS feed", text, "item", "channel", count};
}

Document offerWall() {
    std::string text = "<?xml version=\"1.0\"?>\n<offers count=\"500\" currency=\"Vov Azavuz\">\n";
    std::size_t const count = 500;
    for (std::size_t i = 0; i < count; ++i) {
        auto n = std::to_string(i);
        text += "  <offer id=\"" + n + "\" type='" + (i % 2 ? "install" : "video") + "'>\n"
            + "    <title>Offer " + n + "</title>\n" + "    <points>" + std::to_string(10 + i % 90)
            + "</points>\n" + "    <free>" + (i % 3 ? "true" : "false") + "</free>\n"
            + "    <icon url=\"https://cdn.example.com/icons/" + n + ".png\"/>\n"
            + "    <instructions>Install and open the app.</instructions>\n  </offer>\n";
    }
    text += "</offers>\n";
    return {"offer wall", text, "offer", nullptr, count};
}

std::vector<Document> const& documents() {
    static std::vector<Document> const list {rss(), offerWall()};
    return list;
}

void registerParse(std::size_t index) {
    bench::compare("XML/tree/" + documents()[index].name,
        [index](benchmark::State& state) {
            auto const& document = documents()[index];
            for (auto _ : state) {
                auto doc = XDoc::xdocWithXMLData(std::string_view(document.text));
                auto parent = doc->rootXMLElement();
                if (document.container)
                    parent = XDoc::childElementNamed(document.container, parent);
                std::size_t found = 0;
                for (auto item = XDoc::childElementNamed(document.item, parent); item;
                     item = XDoc::nextSiblingNamed(document.item, item))
                    ++found;
                bench::require(found == document.count, "XDoc");
                benchmark::DoNotOptimize(doc);
            }
        },
        {{"pugixml", [index](benchmark::State& state) {
              auto const& document = documents()[index];
              for (auto _ : state) {
                  pugi::xml_document doc;
                  auto result = doc.load_buffer(document.text.data(), document.text.size());
                  auto parent = doc.document_element();
                  if (document.container)
                      parent = parent.child(document.container);
                  std::size_t found = 0;
                  for (auto item = parent.child(document.item); item;
                       item = item.next_sibling(document.item))
                      ++found;
                  bench::require(result && found == document.count, "pugixml");
                  benchmark::DoNotOptimize(doc);
              }
          }}});
}

int const registered = [] {
    for (std::size_t i = 0; i < documents().size(); ++i)
        registerParse(i);
    return 0;
}();

}
