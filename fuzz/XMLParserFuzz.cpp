// The event-driven XML reader over documents from servers and files. Each input is
// read three times by one parser: without namespaces, with namespaces and their
// prefixes reported, and with a delegate that stops the parse after a few events.
// A recording delegate checks the order the parser promises: the document starts
// once before anything else, elements nest, a run of text comes in one piece, and
// the end of the document or one error comes last; nothing at all follows an abort.
#include "FuzzSupport.hpp"

#include <foundation/XMLParser.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using foundation::XMLAttributes;
using foundation::XMLParser;
using foundation::XMLParserDelegate;
using foundation::XMLParserError;

namespace {

class Recorder final : public XMLParserDelegate {
public:
    void parserDidStartDocument(XMLParser& parser) override {
        FUZZ_CHECK(!started_);
        started_ = true;
        event(parser);
    }
    void parserDidEndDocument(XMLParser& parser) override {
        FUZZ_CHECK(open_.empty());
        FUZZ_CHECK(sawElement_);
        event(parser);
        finished_ = true;
    }
    void parserDidStartElement(XMLParser& parser, std::string_view name, std::string_view,
        std::string_view qualifiedName, XMLAttributes const& attributes) override {
        // Every attribute is found by its name, and the dictionary holds them all.
        std::size_t count = attributes.size();
        for (std::size_t index = 0; index < count; ++index)
            FUZZ_CHECK(attributes.find(attributes.name(index)) == attributes.value(index));
        FUZZ_CHECK(attributes.dictionary()->size() == count);
        sawElement_ = true;
        open_.emplace_back(qualifiedName.empty() ? name : qualifiedName);
        event(parser);
    }
    void parserDidEndElement(XMLParser& parser, std::string_view name, std::string_view,
        std::string_view qualifiedName) override {
        FUZZ_CHECK(!open_.empty());
        FUZZ_CHECK(open_.back() == (qualifiedName.empty() ? name : qualifiedName));
        open_.pop_back();
        event(parser);
    }
    void parserDidStartMappingPrefix(
        XMLParser& parser, std::string const&, std::string const&) override {
        event(parser);
    }
    void parserDidEndMappingPrefix(XMLParser& parser, std::string const&) override {
        event(parser);
    }
    void parserFoundCharacters(XMLParser& parser, std::string_view characters) override {
        FUZZ_CHECK(!characters.empty());
        // Text comes whole between two pieces of markup unless it passes a megabyte.
        FUZZ_CHECK(!textMayContinue_);
        event(parser);
        textMayContinue_ = characters.size() < 1024 * 1024;
    }
    void parserFoundCDATA(XMLParser& parser, base::Bytes const&) override { event(parser); }
    void parserFoundComment(XMLParser& parser, std::string_view) override { event(parser); }
    void parserFoundProcessingInstruction(
        XMLParser& parser, std::string const&, std::string const&) override {
        event(parser);
    }
    void parserParseErrorOccurred(XMLParser& parser, XMLParserError const& error) override {
        FUZZ_CHECK(error.code != XMLParserError::DelegateAborted);
        // An error may come before the document started (an empty one, say).
        failed_ = true;
        event(parser);
        finished_ = true;
    }

    // After parse() returned what it returned.
    void checkOutcome(XMLParser const& parser, bool succeeded) const {
        if (aborted_) {
            FUZZ_CHECK(!succeeded && parser.parserError());
            // Stopping from the error's own callback keeps that error.
            FUZZ_CHECK(failed_ || parser.parserError()->code == XMLParserError::DelegateAborted);
            return;
        }
        FUZZ_CHECK(finished_);
        FUZZ_CHECK(succeeded == !failed_);
        FUZZ_CHECK(succeeded == !parser.parserError().has_value());
    }

private:
    void event(XMLParser& parser) {
        FUZZ_CHECK(!finished_ && !aborted_);
        FUZZ_CHECK(started_ || failed_);
        textMayContinue_ = false;
        parser.lineNumber();
        parser.columnNumber();
        if (++events_ == abortAt_) {
            aborted_ = true;
            parser.abortParsing();
        }
    }

    std::size_t abortAt_;
    std::size_t events_ {0};
    bool started_ {false};
    bool sawElement_ {false};
    bool finished_ {false};
    bool failed_ {false};
    bool aborted_ {false};
    bool textMayContinue_ {false};
    std::vector<std::string> open_;

public:
    // Stops the parse at this event (counted from 1); 0 never stops.
    explicit Recorder(std::size_t abortAt)
        : abortAt_(abortAt) { }
};

void parseOnce(XMLParser& parser, std::size_t abortAt) {
    Recorder recorder(abortAt);
    parser.setDelegate(&recorder);
    bool succeeded = parser.parse();
    recorder.checkOutcome(parser, succeeded);
    parser.setDelegate(nullptr);
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto parser = XMLParser::createWithData(base::Bytes(data, data + size));
    parseOnce(*parser, 0);
    parser->setShouldProcessNamespaces(true);
    parser->setShouldReportNamespacePrefixes(true);
    parseOnce(*parser, 0);
    parser->setShouldProcessNamespaces(false);
    parseOnce(*parser, 1 + size % 7);
    return 0;
}
