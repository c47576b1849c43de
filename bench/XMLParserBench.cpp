// SAX XML: foundation::XMLParser over a few hundred kilobytes of RSS against raw
// expat (the library under it), pugixml and tinyxml2 (both building a DOM).

#include "Compare.hpp"

#include <foundation/XMLParser.hpp>

#include <expat.h>
#include <pugixml.hpp>
#include <tinyxml2.h>

#include <string>

namespace {

// What every reader counts, so that each can be checked to have read it all.
struct Counts {
    long elements {0};
    long attributes {0};
    long textBytes {0};
};

// A news feed of 500 items such as the game's news and offers screens read: short
// text elements, attributes, entities, a CDATA description and namespaced names.
std::string const& feed() {
    static std::string const text = [] {
        std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                          "<channel>\n<title>Salon News &amp; Offers</title>\n"
                          "<link>http://news.example.com/</link>\n"
                          "<description>What is new in the salon</description>\n";
        for (int i = 0; i < 500; ++i) {
            auto n = std::to_string(i);
            doc += "<item>\n  <title>Offer " + n + ": styling &amp; colour, 20% off</title>\n"
                + "  <link>http://news.example.com/item?id=" + n + "&amp;src=rss</link>\n"
                + "  <guid isPermaLink=\"false\">tag:news.example.com,2011:" + n + "</guid>\n"
                + "  <pubDate>Mon, 0" + std::to_string(i % 9 + 1)
                + " Aug 2011 10:00:00 GMT</pubDate>\n" + "  <dc:creator>Staff writer "
                + std::to_string(i % 13) + "</dc:creator>\n"
                + "  <category domain=\"http://news.example.com/cat\">offers</category>\n"
                + "  <enclosure url=\"http://cdn.example.com/img/" + n
                + ".png\" length=\"12345\" type=\"image/png\"/>\n"
                + "  <description><![CDATA[<p>Bring a friend to the salon this week and both "
                  "of you get a free wash &amp; blow-dry. Offer "
                + n + " ends on Sunday.</p>]]></description>\n"
                + "  <comments>Readers say &quot;great&quot; &#8212; " + n
                + " comments</comments>\n" + "</item>\n";
        }
        doc += "</channel>\n</rss>\n";
        return doc;
    }();
    return text;
}

class CountingDelegate final : public foundation::XMLParserDelegate {
public:
    void parserDidStartElement(foundation::XMLParser&, std::string_view, std::string_view,
        std::string_view, foundation::XMLAttributes const& attributes) override {
        ++counts.elements;
        counts.attributes += long(attributes.size());
    }
    void parserFoundCharacters(foundation::XMLParser&, std::string_view characters) override {
        counts.textBytes += long(characters.size());
    }
    void parserFoundCDATA(foundation::XMLParser&, base::Bytes const& block) override {
        counts.textBytes += long(block.size());
    }

    Counts counts;
};

Counts parseOurs(std::string const& text) {
    CountingDelegate delegate;
    auto parser = foundation::XMLParser::createWithString(text);
    parser->setDelegate(&delegate);
    bench::require(parser->parse(), "XMLParser reads the feed");
    return delegate.counts;
}

Counts parseExpat(std::string const& text) {
    Counts counts;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &counts);
    XML_SetStartElementHandler(
        parser, [](void* data, XML_Char const*, XML_Char const** attributes) {
            auto& c = *static_cast<Counts*>(data);
            ++c.elements;
            for (; *attributes; attributes += 2)
                ++c.attributes;
        });
    XML_SetCharacterDataHandler(parser, [](void* data, XML_Char const*, int length) {
        static_cast<Counts*>(data)->textBytes += length;
    });
    bool parsed = XML_Parse(parser, text.data(), int(text.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    bench::require(parsed, "expat reads the feed");
    return counts;
}

void countPugi(pugi::xml_node node, Counts& counts) {
    for (auto child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        ++counts.elements;
        for (auto a = child.first_attribute(); a; a = a.next_attribute())
            ++counts.attributes;
        countPugi(child, counts);
    }
}

Counts parsePugixml(std::string const& text) {
    pugi::xml_document document;
    bench::require(document.load_buffer(text.data(), text.size()), "pugixml reads the feed");
    Counts counts;
    countPugi(document, counts);
    return counts;
}

void countTinyxml(tinyxml2::XMLElement const* element, Counts& counts) {
    for (; element; element = element->NextSiblingElement()) {
        ++counts.elements;
        for (auto a = element->FirstAttribute(); a; a = a->Next())
            ++counts.attributes;
        countTinyxml(element->FirstChildElement(), counts);
    }
}

Counts parseTinyxml(std::string const& text) {
    tinyxml2::XMLDocument document;
    bench::require(document.Parse(text.data(), text.size()) == tinyxml2::XML_SUCCESS,
        "tinyxml2 reads the feed");
    Counts counts;
    countTinyxml(document.FirstChildElement(), counts);
    return counts;
}

// Checked once, before the first measurement: every reader saw every element and
// attribute, and the two SAX readers every byte of text.
void checkAgreement() {
    static bool const checked = [] {
        auto ours = parseOurs(feed());
        auto expat = parseExpat(feed());
        auto pugi = parsePugixml(feed());
        auto tiny = parseTinyxml(feed());
        bench::require(ours.elements > 5000 && ours.elements == expat.elements
                && ours.elements == pugi.elements && ours.elements == tiny.elements,
            "every reader finds the same elements");
        bench::require(ours.attributes == expat.attributes && ours.attributes == pugi.attributes
                && ours.attributes == tiny.attributes,
            "every reader finds the same attributes");
        bench::require(ours.textBytes == expat.textBytes, "both SAX readers see the same text");
        return true;
    }();
    benchmark::DoNotOptimize(checked);
}

bench::Body measure(Counts (*parse)(std::string const&)) {
    return [parse](benchmark::State& state) {
        checkAgreement();
        auto const& text = feed();
        for (auto _ : state)
            benchmark::DoNotOptimize(parse(text));
        state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
    };
}

[[maybe_unused]] auto const registered = [] {
    bench::compare("XML/SAX parse/RSS feed 500 items", measure(&parseOurs),
        {{"expat", measure(&parseExpat)}, {"pugixml", measure(&parsePugixml)},
            {"tinyxml2", measure(&parseTinyxml)}});
    return true;
}();

}
