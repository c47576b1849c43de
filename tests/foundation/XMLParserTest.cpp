#include <foundation/XMLParser.hpp>

#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using foundation::XMLAttributes;
using foundation::XMLParser;
using foundation::XMLParserDelegate;
using foundation::XMLParserError;

namespace {

// Writes every callback as one line of text, so a whole parse compares as a list.
// onEvent runs after each line is recorded (to abort, throw or look around).
class Recorder : public XMLParserDelegate {
public:
    std::vector<std::string> events;
    std::size_t textBytes {0};
    std::vector<XMLParserError> errors;
    std::function<void(XMLParser&, std::string const&)> onEvent;

    void parserDidStartDocument(XMLParser& parser) override { record(parser, "start-document"); }
    void parserDidEndDocument(XMLParser& parser) override { record(parser, "end-document"); }

    void parserDidStartElement(XMLParser& parser, std::string_view name,
        std::string_view namespaceURI, std::string_view qualifiedName,
        XMLAttributes const& attributes) override {
        std::string event = "<" + std::string(name);
        if (!namespaceURI.empty())
            event += " {" + std::string(namespaceURI) + "}";
        if (!qualifiedName.empty())
            event += " q=" + std::string(qualifiedName);
        for (std::size_t index = 0; index < attributes.size(); ++index)
            event += " " + std::string(attributes.name(index)) + "="
                + std::string(attributes.value(index));
        record(parser, event + ">");
    }

    void parserDidEndElement(XMLParser& parser, std::string_view name,
        std::string_view namespaceURI, std::string_view qualifiedName) override {
        std::string event = "</" + std::string(name);
        if (!namespaceURI.empty())
            event += " {" + std::string(namespaceURI) + "}";
        if (!qualifiedName.empty())
            event += " q=" + std::string(qualifiedName);
        record(parser, event + ">");
    }

    void parserDidStartMappingPrefix(
        XMLParser& parser, std::string const& prefix, std::string const& uri) override {
        record(parser, "map " + prefix + "=" + uri);
    }
    void parserDidEndMappingPrefix(XMLParser& parser, std::string const& prefix) override {
        record(parser, "unmap " + prefix);
    }

    void parserFoundCharacters(XMLParser& parser, std::string_view characters) override {
        textBytes += characters.size();
        record(parser, "text:" + std::string(characters.substr(0, 100)));
    }
    void parserFoundCDATA(XMLParser& parser, base::Bytes const& block) override {
        record(parser, "cdata:" + std::string(block.begin(), block.end()));
    }
    void parserFoundComment(XMLParser& parser, std::string_view comment) override {
        record(parser, "comment:" + std::string(comment));
    }
    void parserFoundProcessingInstruction(
        XMLParser& parser, std::string const& target, std::string const& data) override {
        record(parser, "pi:" + target + ":" + data);
    }
    void parserFoundInternalEntityDeclaration(
        XMLParser& parser, std::string const& name, std::string_view value) override {
        record(parser, "entity:" + name + "=" + std::string(value));
    }
    void parserFoundExternalEntityDeclaration(XMLParser& parser, std::string const& name,
        std::string const& publicID, std::string const& systemID) override {
        record(parser, "external-entity:" + name + ":" + publicID + ":" + systemID);
    }
    void parserParseErrorOccurred(XMLParser& parser, XMLParserError const& error) override {
        errors.push_back(error);
        record(parser, "error:" + std::to_string(error.code));
    }

private:
    void record(XMLParser& parser, std::string event) {
        events.push_back(std::move(event));
        if (onEvent)
            onEvent(parser, events.back());
    }
};

using Events = std::vector<std::string>;

struct Outcome {
    bool parsed;
    Events events;
};

Outcome parseText(std::string const& text, std::function<void(XMLParser&)> configure = nullptr) {
    Recorder recorder;
    auto parser = XMLParser::createWithString(text);
    parser->setDelegate(&recorder);
    if (configure)
        configure(*parser);
    bool parsed = parser->parse();
    return {parsed, recorder.events};
}

std::string const billionLaughs = R"(<?xml version="1.0"?>
<!DOCTYPE lolz [
 <!ENTITY lol "lol">
 <!ENTITY lol1 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">
 <!ENTITY lol2 "&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;">
 <!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">
 <!ENTITY lol4 "&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;">
 <!ENTITY lol5 "&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;">
 <!ENTITY lol6 "&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;">
 <!ENTITY lol7 "&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;">
 <!ENTITY lol8 "&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;">
 <!ENTITY lol9 "&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;">
]>
<lolz>&lol9;</lolz>
)";

}

TEST(XMLParser, ReportsElementsTextAndAttributesInDocumentOrder) {
    struct Case {
        char const* name;
        std::string document;
        Events events;
    };
    std::vector<Case> const cases = {
        {"elements, text and attribute order",
            R"(<?xml version="1.0" encoding="UTF-8"?><map z="1" a="2" m=""><layer name="x">t</layer><data/></map>)",
            {"start-document", "<map z=1 a=2 m=>", "<layer name=x>", "text:t", "</layer>", "<data>",
                "</data>", "</map>", "end-document"}},
        {"whitespace between elements is text", "<r>\n  <a/>\n</r>",
            {"start-document", "<r>", "text:\n  ", "<a>", "</a>", "text:\n", "</r>",
                "end-document"}},
        {"predefined entities and character references join into one piece",
            "<r>&lt;a &amp; b&gt; &quot;&apos; &#65;&#x42;&#xe9;</r>",
            {"start-document", "<r>", "text:<a & b> \"' AB\xc3\xa9", "</r>", "end-document"}},
        {"entities in attribute values", R"(<r href="a?x=1&amp;y=&lt;2&gt;" t='&#x263A;'/>)",
            {"start-document", "<r href=a?x=1&y=<2> t=\xe2\x98\xba>", "</r>", "end-document"}},
        {"internal entities declared in the document",
            "<!DOCTYPE r [<!ENTITY who \"world\">]><r>hello &who;!</r>",
            {"start-document", "entity:who=world", "<r>", "text:hello world!", "</r>",
                "end-document"}},
        {"external entities declared in the document are reported, never read",
            "<!DOCTYPE r [<!ENTITY a SYSTEM \"a.xml\"><!ENTITY b PUBLIC \"-//B\" \"b.xml\">]><r/>",
            {"start-document", "external-entity:a::a.xml", "external-entity:b:-//B:b.xml", "<r>",
                "</r>", "end-document"}},
        {"CDATA goes to its own call, whole, and splits the text around it",
            "<item><description>a<![CDATA[<b>&amp;</b> ]]]]>c</description></item>",
            {"start-document", "<item>", "<description>", "text:a", "cdata:<b>&amp;</b> ]]",
                "text:c", "</description>", "</item>", "end-document"}},
        {"empty CDATA", "<r><![CDATA[]]></r>",
            {"start-document", "<r>", "cdata:", "</r>", "end-document"}},
        {"comments and processing instructions", "<!-- before --><?render fast?><r>x<!--in-->y</r>",
            {"start-document", "comment: before ", "pi:render:fast", "<r>", "text:x", "comment:in",
                "text:y", "</r>", "end-document"}},
        {"namespaces are not processed by default",
            R"(<rss xmlns:georss="http://www.georss.org/georss"><georss:point georss:a="1">2</georss:point></rss>)",
            {"start-document", "<rss xmlns:georss=http://www.georss.org/georss>",
                "<georss:point georss:a=1>", "text:2", "</georss:point>", "</rss>",
                "end-document"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome = parseText(c.document);
        EXPECT_TRUE(outcome.parsed);
        EXPECT_EQ(outcome.events, c.events);
    }
}

TEST(XMLParser, ProcessesNamespacesAndReportsPrefixesWhenAsked) {
    std::string const document
        = R"(<feed xmlns="urn:feed" xmlns:g="urn:geo"><g:point g:lat="1" plain="2"/><entry/></feed>)";
    Outcome processed
        = parseText(document, [](XMLParser& parser) { parser.setShouldProcessNamespaces(true); });
    EXPECT_TRUE(processed.parsed);
    EXPECT_EQ(processed.events,
        (Events {"start-document", "<feed {urn:feed} q=feed>",
            "<point {urn:geo} q=g:point g:lat=1 plain=2>", "</point {urn:geo} q=g:point>",
            "<entry {urn:feed} q=entry>", "</entry {urn:feed} q=entry>",
            "</feed {urn:feed} q=feed>", "end-document"}));

    Outcome reported = parseText(document, [](XMLParser& parser) {
        parser.setShouldProcessNamespaces(true);
        parser.setShouldReportNamespacePrefixes(true);
    });
    EXPECT_TRUE(reported.parsed);
    ASSERT_GE(reported.events.size(), 4u);
    EXPECT_EQ(Events(reported.events.begin(), reported.events.begin() + 4),
        (Events {"start-document", "map =urn:feed", "map g=urn:geo", "<feed {urn:feed} q=feed>"}));
    EXPECT_EQ(Events(reported.events.end() - 4, reported.events.end()),
        (Events {"</feed {urn:feed} q=feed>", "unmap g", "unmap ", "end-document"}));

    // Prefixes alone, without namespace processing, report nothing more.
    Outcome prefixesOnly = parseText(
        document, [](XMLParser& parser) { parser.setShouldReportNamespacePrefixes(true); });
    EXPECT_EQ(std::count_if(prefixesOnly.events.begin(), prefixesOnly.events.end(),
                  [](std::string const& e) { return e.starts_with("map"); }),
        0);
}

TEST(XMLParser, ReadsDocumentsInOtherEncodingsAsUtf8) {
    std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"\xe9\">caf\xe9</r>";
    EXPECT_EQ(parseText(latin1).events,
        (Events {"start-document", "<r a=\xc3\xa9>", "text:caf\xc3\xa9", "</r>", "end-document"}));

    std::u16string utf16 = u"\ufeff<r>\u00e9t\u00e9</r>";
    std::string bytes;
    for (char16_t c : utf16) {
        bytes.push_back(char(c & 0xff));
        bytes.push_back(char(c >> 8));
    }
    EXPECT_EQ(parseText(bytes).events,
        (Events {"start-document", "<r>", "text:\xc3\xa9t\xc3\xa9", "</r>", "end-document"}));
}

TEST(XMLParser, ReportsErrorsOnceWithCodeLineAndColumn) {
    struct Case {
        char const* name;
        std::string document;
        int code;
        int line;
    };
    std::vector<Case> const cases = {
        {"empty document", "", XMLParserError::EmptyDocument, 1},
        {"whitespace only", "  \n ", XMLParserError::EmptyDocument, 2},
        {"unclosed root", "<r>\n<a></a>\n", XMLParserError::PrematureDocumentEnd, 3},
        {"mismatched end tag", "<r>\n  <a>\n  </b>\n</r>", XMLParserError::TagNameMismatch, 3},
        {"second root", "<r/>\n<r/>", XMLParserError::ExtraContent, 2},
        {"repeated attribute", "<r>\n<a x='1' x='2'/></r>", XMLParserError::AttributeRedefined, 2},
        {"undeclared entity", "<r>\n\n&nope;</r>", XMLParserError::UndeclaredEntity, 3},
        {"invalid character reference", "<r>&#0;</r>", XMLParserError::InvalidCharacterRef, 1},
        {"control character", "<r>\x01</r>", XMLParserError::InvalidCharacter, 1},
        {"truncated tag", "<r><a", XMLParserError::PrematureDocumentEnd, 1},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"x-nothing\"?><r/>",
            XMLParserError::UnknownEncoding, 1},
        {"recursive entity", "<!DOCTYPE r [<!ENTITY a \"&b;\"><!ENTITY b \"&a;\">]><r>&a;</r>",
            XMLParserError::EntityLoop, 1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder recorder;
        auto parser = XMLParser::createWithString(c.document);
        parser->setDelegate(&recorder);
        EXPECT_FALSE(parser->parse());
        ASSERT_EQ(recorder.errors.size(), 1u);
        EXPECT_EQ(recorder.events.back(), "error:" + std::to_string(c.code));
        EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), "end-document"), 0);
        ASSERT_TRUE(parser->parserError());
        EXPECT_EQ(parser->parserError()->code, c.code);
        EXPECT_EQ(parser->parserError()->line, c.line);
        EXPECT_GE(parser->parserError()->column, 1);
        EXPECT_FALSE(parser->parserError()->message.empty());
        EXPECT_EQ(recorder.errors[0].line, c.line);
        EXPECT_EQ(recorder.errors[0].message, parser->parserError()->message);
    }
}

TEST(XMLParser, ErrorColumnPointsAtTheFault) {
    auto parser = XMLParser::createWithString("<r>\n  <a>\n    </b>\n</r>");
    EXPECT_FALSE(parser->parse());
    ASSERT_TRUE(parser->parserError());
    EXPECT_EQ(parser->parserError()->line, 3);
    // At the name in the end tag that does not match.
    EXPECT_EQ(parser->parserError()->column, 7);
}

TEST(XMLParser, UnprefixedNamesAreFineWithNamespacesOnButUnboundPrefixesAreNot) {
    EXPECT_TRUE(
        parseText("<r><a/></r>", [](XMLParser& p) { p.setShouldProcessNamespaces(true); }).parsed);
    EXPECT_TRUE(parseText("<r><x:a/></r>").parsed);
    Outcome outcome
        = parseText("<r><x:a/></r>", [](XMLParser& p) { p.setShouldProcessNamespaces(true); });
    EXPECT_FALSE(outcome.parsed);
    EXPECT_EQ(
        outcome.events.back(), "error:" + std::to_string(XMLParserError::NamespaceDeclaration));
}

TEST(XMLParser, EventsReportTheirLine) {
    Recorder recorder;
    std::vector<int> lines;
    recorder.onEvent = [&](XMLParser& parser, std::string const& event) {
        if (event.starts_with("<") && !event.starts_with("</"))
            lines.push_back(parser.lineNumber());
    };
    auto parser = XMLParser::createWithString("<r>\n<a/>\n\n<b/></r>");
    parser->setDelegate(&recorder);
    EXPECT_TRUE(parser->parse());
    EXPECT_EQ(lines, (std::vector<int> {1, 2, 4}));
    EXPECT_EQ(parser->lineNumber(), 0);
}

TEST(XMLParser, AbortFromACallbackStopsAtOnceAndFails) {
    std::string const document = "<r><a/><b>text<c/></b><![CDATA[x]]></r>";
    struct Case {
        std::string abortAfter;
        Events events;
    };
    std::vector<Case> const cases = {
        {"start-document", {"start-document"}},
        {"<a>", {"start-document", "<r>", "<a>"}},
        {"</a>", {"start-document", "<r>", "<a>", "</a>"}},
        {"text:text", {"start-document", "<r>", "<a>", "</a>", "<b>", "text:text"}},
        {"cdata:x",
            {"start-document", "<r>", "<a>", "</a>", "<b>", "text:text", "<c>", "</c>", "</b>",
                "cdata:x"}},
        {"end-document",
            {"start-document", "<r>", "<a>", "</a>", "<b>", "text:text", "<c>", "</c>", "</b>",
                "cdata:x", "</r>", "end-document"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.abortAfter);
        Recorder recorder;
        recorder.onEvent = [&](XMLParser& parser, std::string const& event) {
            if (event == c.abortAfter)
                parser.abortParsing();
        };
        auto parser = XMLParser::createWithString(document);
        parser->setDelegate(&recorder);
        EXPECT_FALSE(parser->parse());
        EXPECT_EQ(recorder.events, c.events);
        ASSERT_TRUE(parser->parserError());
        EXPECT_EQ(parser->parserError()->code, XMLParserError::DelegateAborted);
        EXPECT_EQ(parser->parserError()->code, 512);
    }
}

TEST(XMLParser, AbortWhileReportingAnErrorKeepsThatError) {
    Recorder recorder;
    recorder.onEvent = [](XMLParser& parser, std::string const& event) {
        if (event.starts_with("error:"))
            parser.abortParsing();
    };
    auto parser = XMLParser::createWithString("<r></s>");
    parser->setDelegate(&recorder);
    EXPECT_FALSE(parser->parse());
    ASSERT_TRUE(parser->parserError());
    EXPECT_EQ(parser->parserError()->code, XMLParserError::TagNameMismatch);
}

TEST(XMLParser, AbortOutsideAParseDoesNothingAndParsingAgainStartsFresh) {
    Recorder recorder;
    auto parser = XMLParser::createWithString("<r>x</r>");
    parser->setDelegate(&recorder);
    parser->abortParsing();
    EXPECT_TRUE(parser->parse());
    EXPECT_FALSE(parser->parserError());
    Events first = recorder.events;
    recorder.events.clear();
    EXPECT_TRUE(parser->parse());
    EXPECT_EQ(recorder.events, first);

    recorder.events.clear();
    recorder.onEvent = [](XMLParser& p, std::string const&) { p.abortParsing(); };
    EXPECT_FALSE(parser->parse());
    EXPECT_EQ(recorder.events, (Events {"start-document"}));
    recorder.onEvent = nullptr;
    recorder.events.clear();
    EXPECT_TRUE(parser->parse());
    EXPECT_FALSE(parser->parserError());
    EXPECT_EQ(recorder.events, first);
}

TEST(XMLParser, ParsesWithoutADelegate) {
    auto good = XMLParser::createWithString("<r/>");
    EXPECT_TRUE(good->parse());
    auto bad = XMLParser::createWithString("<r>");
    EXPECT_FALSE(bad->parse());
    EXPECT_EQ(bad->parserError()->code, XMLParserError::PrematureDocumentEnd);
}

TEST(XMLParser, RefusesEntityExpansionAttacksQuickly) {
    std::string const quadratic = [] {
        std::string big(20000, 'x');
        std::string document = "<!DOCTYPE r [<!ENTITY big \"" + big + "\">]><r>";
        for (int i = 0; i < 5000; ++i)
            document += "&big;";
        return document + "</r>";
    }();
    std::vector<std::pair<char const*, std::string>> const cases = {
        {"billion laughs", billionLaughs},
        {"quadratic blow-up", quadratic},
        {"billion laughs in an attribute",
            std::string(billionLaughs)
                .replace(billionLaughs.find("<lolz>&lol9;</lolz>"), 19, "<lolz a=\"&lol9;\"/>")},
    };
    for (auto const& [name, document] : cases) {
        SCOPED_TRACE(name);
        Recorder recorder;
        auto parser = XMLParser::createWithString(document);
        parser->setDelegate(&recorder);
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(parser->parse());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        ASSERT_TRUE(parser->parserError());
        EXPECT_EQ(parser->parserError()->code, XMLParserError::EntityLoop);
        // Far less than the gigabytes the entities would expand to.
        EXPECT_LT(recorder.textBytes, 64u << 20);
        EXPECT_EQ(recorder.errors.size(), 1u);
    }
}

TEST(XMLParser, NeverReadsExternalEntitiesOrDTDs) {
    test::TempDir folder;
    std::ofstream(folder / "secret.txt") << "SECRET";
    std::ofstream(folder / "evil.dtd") << "<!ENTITY leak \"SECRET\">";
    std::string const secretURL = "file://" + (folder / "secret.txt").string();
    std::string const dtdURL = "file://" + (folder / "evil.dtd").string();
    std::vector<std::string> const documents = {
        "<!DOCTYPE r [<!ENTITY ext SYSTEM \"" + secretURL + "\">]><r>a&ext;b</r>",
        "<!DOCTYPE r SYSTEM \"" + dtdURL + "\"><r>a&leak;b</r>",
        "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtdURL + "\"> %p;]><r>a&leak;b</r>",
    };
    for (auto const& document : documents) {
        for (bool resolve : {false, true}) {
            SCOPED_TRACE(document + (resolve ? " resolving" : ""));
            Recorder recorder;
            auto parser = XMLParser::createWithString(document);
            parser->setDelegate(&recorder);
            parser->setShouldResolveExternalEntities(resolve);
            EXPECT_TRUE(parser->parse());
            for (auto const& event : recorder.events)
                EXPECT_EQ(event.find("SECRET"), std::string::npos) << event;
            EXPECT_NE(std::find(recorder.events.begin(), recorder.events.end(), "text:ab"),
                recorder.events.end());
        }
    }
}

TEST(XMLParser, ReadsAFileInPiecesAndJoinsTheTextAcrossThem) {
    test::TempDir folder;
    std::string data;
    for (int i = 0; i < 40000; ++i)
        data += char('A' + i % 26);
    {
        std::ofstream file(folder / "map.tmx");
        file << "<?xml version=\"1.0\"?>\n<map width=\"4\">\n <layer name=\"ground\">\n  <data "
                "encoding=\"base64\">"
             << data << "&amp;" << data << "</data>\n </layer>\n</map>\n";
    }
    struct Collector : Recorder {
        std::string dataText;
        bool inData {false};
        void parserDidStartElement(XMLParser& parser, std::string_view name, std::string_view uri,
            std::string_view qualified, XMLAttributes const& attributes) override {
            inData = name == "data";
            Recorder::parserDidStartElement(parser, name, uri, qualified, attributes);
        }
        void parserDidEndElement(XMLParser& parser, std::string_view name, std::string_view uri,
            std::string_view qualified) override {
            inData = false;
            Recorder::parserDidEndElement(parser, name, uri, qualified);
        }
        void parserFoundCharacters(XMLParser& parser, std::string_view characters) override {
            if (inData)
                dataText.append(characters);
            Recorder::parserFoundCharacters(parser, characters);
        }
    } collector;
    auto parser = XMLParser::createWithContentsOfFile((folder / "map.tmx").string());
    parser->setDelegate(&collector);
    EXPECT_TRUE(parser->parse());
    EXPECT_EQ(collector.dataText.size(), 2 * data.size() + 1);
    EXPECT_TRUE(collector.dataText == data + "&" + data);
    // The 80 kB of text straddle two pieces of the file yet arrive in one call.
    EXPECT_EQ(std::count_if(collector.events.begin(), collector.events.end(),
                  [](std::string const& e) { return e.starts_with("text:ABC"); }),
        1);
    EXPECT_EQ(collector.events.back(), "end-document");
}

TEST(XMLParser, VeryLongTextArrivesInPiecesThatJoinToTheWhole) {
    std::string text(3 * 1024 * 1024 + 5, 'q');
    struct Joiner : XMLParserDelegate {
        std::string text;
        int pieces {0};
        void parserFoundCharacters(XMLParser&, std::string_view characters) override {
            text.append(characters);
            ++pieces;
        }
    } joiner;
    auto parser = XMLParser::createWithString("<r>" + text + "</r>");
    parser->setDelegate(&joiner);
    EXPECT_TRUE(parser->parse());
    EXPECT_EQ(joiner.text.size(), text.size());
    EXPECT_TRUE(joiner.text == text);
    EXPECT_GE(joiner.pieces, 3);
}

TEST(XMLParser, AFileThatCannotBeReadFailsTheParse) {
    test::TempDir folder;
    for (auto const& path : {folder / "missing.xml", folder.path()}) {
        SCOPED_TRACE(path.string());
        Recorder recorder;
        auto parser = XMLParser::createWithContentsOfFile(path.string());
        parser->setDelegate(&recorder);
        EXPECT_FALSE(parser->parse());
        ASSERT_TRUE(parser->parserError());
        EXPECT_EQ(
            recorder.events, (Events {"error:" + std::to_string(parser->parserError()->code)}));
    }
}

TEST(XMLParser, AnExceptionFromTheDelegateComesOutOfParseAndLeavesTheParserUsable) {
    Recorder recorder;
    bool throwing = true;
    recorder.onEvent = [&](XMLParser&, std::string const& event) {
        if (throwing && event == "<a>")
            throw std::runtime_error("delegate failed");
    };
    auto parser = XMLParser::createWithString("<r><a/><b/></r>");
    parser->setDelegate(&recorder);
    EXPECT_THROW(parser->parse(), std::runtime_error);
    EXPECT_EQ(recorder.events, (Events {"start-document", "<r>", "<a>"}));
    throwing = false;
    recorder.events.clear();
    EXPECT_TRUE(parser->parse());
    EXPECT_EQ(recorder.events.back(), "end-document");
}

TEST(XMLParser, TheDelegateMayDropItsParserWhileItRuns) {
    Recorder recorder;
    base::Ref<XMLParser> owned = XMLParser::createWithString("<r><a/><b/></r>");
    recorder.onEvent = [&](XMLParser&, std::string const& event) {
        if (event == "<a>")
            owned = nullptr;
    };
    owned->setDelegate(&recorder);
    XMLParser* parser = owned.get();
    EXPECT_TRUE(parser->parse());
    EXPECT_EQ(recorder.events.back(), "end-document");
}

// What a delegate reads from the attributes during the call: names as written, in
// document order, values resolved, a lookup by name that matches whole names only,
// and a dictionary of the same pairs.
TEST(XMLParser, AttributesAreFoundByTheirWholeNamesAsWritten) {
    struct Reader : XMLParserDelegate {
        std::vector<std::string> seen;
        void parserDidStartElement(XMLParser&, std::string_view name, std::string_view,
            std::string_view, XMLAttributes const& attributes) override {
            std::string line(name);
            std::string_view const names[] {"width", "wid", "widths", "g:lat", "lat", "plain", "",
                "xmlns:g", std::string_view("width\0x", 7)};
            for (std::string_view wanted : names) {
                auto value = attributes.find(wanted);
                std::string label = wanted.find('\0') != std::string_view::npos
                    ? "width<nul>x"
                    : std::string(wanted);
                line += " " + label + (value ? "=" + std::string(*value) : "?");
            }
            auto dictionary = attributes.dictionary();
            EXPECT_EQ(dictionary->size(), attributes.size());
            for (std::size_t index = 0; index < attributes.size(); ++index)
                EXPECT_EQ(dictionary->objectForKey(attributes.name(index)).stringValue(),
                    attributes.value(index));
            seen.push_back(line);
        }
    };
    std::string const document = R"(<r xmlns:g="urn:geo"><a width="1&amp;2" g:lat="&#65;"/>)"
                                 R"(<b plain="" g:lat="x" widths="3"/><c/></r>)";
    struct Case {
        bool namespaces;
        std::vector<std::string> seen;
    };
    std::vector<Case> const cases {
        {false,
            {"r width? wid? widths? g:lat? lat? plain? ? xmlns:g=urn:geo width<nul>x?",
                "a width=1&2 wid? widths? g:lat=A lat? plain? ? xmlns:g? width<nul>x?",
                "b width? wid? widths=3 g:lat=x lat? plain= ? xmlns:g? width<nul>x?",
                "c width? wid? widths? g:lat? lat? plain? ? xmlns:g? width<nul>x?"}},
        {true,
            {"r width? wid? widths? g:lat? lat? plain? ? xmlns:g? width<nul>x?",
                "a width=1&2 wid? widths? g:lat=A lat? plain? ? xmlns:g? width<nul>x?",
                "b width? wid? widths=3 g:lat=x lat? plain= ? xmlns:g? width<nul>x?",
                "c width? wid? widths? g:lat? lat? plain? ? xmlns:g? width<nul>x?"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.namespaces);
        Reader reader;
        auto parser = XMLParser::createWithString(document);
        parser->setShouldProcessNamespaces(c.namespaces);
        parser->setDelegate(&reader);
        EXPECT_TRUE(parser->parse());
        EXPECT_EQ(reader.seen, c.seen);
    }
}

TEST(XMLParser, TheAttributesDictionaryMayBeKept) {
    struct Keeper : XMLParserDelegate {
        std::vector<base::Ref<base::Dictionary>> kept;
        void parserDidStartElement(XMLParser&, std::string_view, std::string_view, std::string_view,
            XMLAttributes const& attributes) override {
            kept.push_back(attributes.dictionary());
        }
    } keeper;
    auto parser = XMLParser::createWithString(
        R"(<map version="1.0" width="20"><tileset firstgid="1"/></map>)");
    parser->setDelegate(&keeper);
    EXPECT_TRUE(parser->parse());
    ASSERT_EQ(keeper.kept.size(), 2u);
    EXPECT_EQ(keeper.kept[0]->objectForKey("width").intValue(), 20);
    EXPECT_EQ(keeper.kept[0]->keys(), (std::vector<std::string> {"version", "width"}));
    EXPECT_EQ(keeper.kept[1]->objectForKey("firstgid").intValue(), 1);
    EXPECT_TRUE(keeper.kept[1]->objectForKey("missing").isNull());
}

// Each dictionary the attributes make is the delegate's own: what a delegate keeps
// is never emptied or refilled, and what it reads in the call is always that
// element's own attributes.
TEST(XMLParser, KeptAttributesStayTheirElementsWhileOthersAreReused) {
    struct Keeper : XMLParserDelegate {
        std::vector<base::Ref<base::Dictionary>> kept;
        std::vector<std::vector<std::string>> seen;
        void parserDidStartElement(XMLParser&, std::string_view name, std::string_view,
            std::string_view, XMLAttributes const& attributes) override {
            auto dictionary = attributes.dictionary();
            seen.push_back(dictionary->keys());
            if (name == "keep")
                kept.push_back(dictionary);
            else
                dictionary->setObject("added by the delegate", 1);
        }
    } keeper;
    auto parser = XMLParser::createWithString(R"(<r a="1"><x b="2" c="3"/><keep d="4"/><x/>)"
                                              R"(<x e="5"/><keep/><keep f="6" g="7"/></r>)");
    parser->setDelegate(&keeper);
    EXPECT_TRUE(parser->parse());
    using Keys = std::vector<std::string>;
    EXPECT_EQ(
        keeper.seen, (std::vector<Keys> {{"a"}, {"b", "c"}, {"d"}, {}, {"e"}, {}, {"f", "g"}}));
    ASSERT_EQ(keeper.kept.size(), 3u);
    EXPECT_EQ(keeper.kept[0]->keys(), Keys {"d"});
    EXPECT_EQ(keeper.kept[0]->objectForKey("d").stringValue(), "4");
    EXPECT_TRUE(keeper.kept[1]->empty());
    EXPECT_EQ(keeper.kept[2]->keys(), (Keys {"f", "g"}));
}

TEST(XMLParser, ReadsBytesInPlaceAndAgain) {
    std::string const document = "<r><a k=\"v\">text</a><![CDATA[x]]></r>";
    auto parser = XMLParser::createWithBytesNoCopy(document);
    Recorder recorder;
    parser->setDelegate(&recorder);
    EXPECT_TRUE(parser->parse());
    auto first = recorder.events;
    recorder.events.clear();
    EXPECT_TRUE(parser->parse());
    EXPECT_EQ(recorder.events, first);
    EXPECT_EQ(first.back(), "end-document");
}
