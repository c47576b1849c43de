#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <foundation/ByteView.hpp>

#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct XML_ParserStruct;

namespace foundation {

class XMLParser;

// The attributes of the element being started, as a view of what the parser read:
// valid only during parserDidStartElement. They come in document order, named as
// written, with values whose entities and character references are resolved.
// Namespace declarations are attributes only when namespaces are not processed.
// Nothing is copied until a delegate asks for it: dictionary() makes a dictionary of
// string values that the delegate owns and may keep.
class XMLAttributes {
public:
    std::size_t size() const;
    bool empty() const { return pairs_[0] == nullptr; }

    // The name and the value of the attribute at index (below size()).
    std::string_view name(std::size_t index) const;
    std::string_view value(std::size_t index) const;

    // The value of the attribute of that name, or nothing.
    std::optional<std::string_view> find(std::string_view name) const;

    base::Ref<base::Dictionary> dictionary() const;

private:
    friend class XMLParser;

    XMLAttributes(char const* const* pairs, std::string const* names)
        : pairs_(pairs)
        , names_(names) { }

    // expat's array: name, value, name, value, ..., null.
    char const* const* pairs_;
    // The names as written, when they had to be rebuilt (namespaces processed);
    // otherwise null and the names are read from pairs_.
    std::string const* names_;
};

// Why a parse stopped. Codes follow the platform's parser error numbers, which
// callers compare against (a delegate that stops a parse itself ignores
// DelegateAborted, 512).
struct XMLParserError {
    enum Code : int {
        Internal = 1,
        OutOfMemory = 2,
        EmptyDocument = 4,
        PrematureDocumentEnd = 5,
        InvalidCharacterRef = 8,
        InvalidCharacter = 9,
        UndeclaredEntity = 26,
        UnparsedEntity = 28,
        EntityIsExternal = 29,
        UnknownEncoding = 31,
        NamespaceDeclaration = 35,
        AttributeRedefined = 42,
        ReservedXMLName = 64,
        TagNameMismatch = 76,
        NotWellBalanced = 85,
        ExtraContent = 86,
        // A recursive entity, or entities that expand far beyond the document's
        // own size (the "billion laughs").
        EntityLoop = 89,
        DelegateAborted = 512,
    };

    static constexpr char const* Domain = "NSXMLParserErrorDomain";

    int code {Internal};
    std::string message;
    // Where the parser stood, both counted from 1; 0 when no text was read.
    int line {0};
    int column {0};
};

// What a parser tells as it reads. Every operation is optional. Calls come on the
// thread that called parse(), in document order: didStartDocument first (once the
// first markup has been read), then elements, text, CDATA, comments and
// processing instructions as they appear, and either didEndDocument after a
// complete document or parserParseErrorOccurred once at the first error. Nothing follows
// either of those, and nothing at all follows abortParsing().
class XMLParserDelegate {
public:
    virtual ~XMLParserDelegate() = default;

    virtual void parserDidStartDocument(XMLParser&) { }
    virtual void parserDidEndDocument(XMLParser&) { }

    // Without namespace processing, elementName is the name as written
    // ("georss:point") and namespaceURI and qualifiedName are empty. With it,
    // elementName is the local name, namespaceURI the bound URI (empty when none)
    // and qualifiedName the name as written. Names and attributes are views into the
    // parser's storage, valid only during the call: a delegate that keeps one copies
    // it, or asks the attributes for a dictionary of its own.
    virtual void parserDidStartElement(
        XMLParser&, std::string_view, std::string_view, std::string_view, XMLAttributes const&) { }
    virtual void parserDidEndElement(
        XMLParser&, std::string_view, std::string_view, std::string_view) { }

    // Only when both namespace options are on, before the element that declares
    // the prefix starts and after it ends. The default namespace has the empty prefix.
    virtual void parserDidStartMappingPrefix(XMLParser&, std::string const&, std::string const&) { }
    virtual void parserDidEndMappingPrefix(XMLParser&, std::string const&) { }

    // Text in UTF-8 with entities and character references resolved, whitespace
    // between elements included. The parser joins what expat reports in pieces, so a
    // run of text between two pieces of markup comes in one call, unless it passes a
    // megabyte: then it comes in several, and a delegate that needs it whole appends.
    virtual void parserFoundCharacters(XMLParser&, std::string_view) { }
    // The content of one CDATA section, whole, as bytes. CDATA goes here only,
    // never to parserFoundCharacters.
    virtual void parserFoundCDATA(XMLParser&, base::Bytes const&) { }
    virtual void parserFoundComment(XMLParser&, std::string_view) { }
    virtual void parserFoundProcessingInstruction(
        XMLParser&, std::string const&, std::string const&) { }

    // Entity declarations of the document type's internal subset, as they are read:
    // an internal one with its replacement text (name, value), an external one with
    // its identifiers (name, public id, system id; either may be empty). A delegate
    // that wants no entities aborts here, before any reference is expanded.
    virtual void parserFoundInternalEntityDeclaration(
        XMLParser&, std::string const&, std::string_view) { }
    virtual void parserFoundExternalEntityDeclaration(
        XMLParser&, std::string const&, std::string const&, std::string const&) { }

    virtual void parserParseErrorOccurred(XMLParser&, XMLParserError const&) { }
};

// The event-driven XML reader: reads a document from memory or a file and tells its
// delegate what it finds, over expat. UTF-8, UTF-16, ISO-8859-1 and US-ASCII
// documents are read; text reaches the delegate as UTF-8.
//
// Safe with hostile input: external entities and external DTDs are never read,
// whatever shouldResolveExternalEntities says, and entities that expand far beyond
// the document's own size stop the parse with EntityLoop.
//
// Owned by whoever made it (the delegate usually); the delegate is not retained.
// A parser is used on one thread at a time; parse() may run again after it returns.
class XMLParser final : public base::Object {
    struct Private {
        explicit Private() = default;
    };

public:
    static base::Ref<XMLParser> createWithData(base::Bytes data);
    static base::Ref<XMLParser> createWithString(std::string text);
    // Reads the bytes in place, without a copy: they must stay alive and unchanged
    // for as long as the parser may parse.
    static base::Ref<XMLParser> createWithBytesNoCopy(ByteView bytes);
    // The file is read while parsing; one that cannot be read fails the parse.
    static base::Ref<XMLParser> createWithContentsOfFile(std::string path);

    ~XMLParser() override;

    XMLParserDelegate* delegate() const { return delegate_; }
    void setDelegate(XMLParserDelegate* delegate) { delegate_ = delegate; }

    bool shouldProcessNamespaces() const { return shouldProcessNamespaces_; }
    void setShouldProcessNamespaces(bool value) { shouldProcessNamespaces_ = value; }
    bool shouldReportNamespacePrefixes() const { return shouldReportNamespacePrefixes_; }
    void setShouldReportNamespacePrefixes(bool value) { shouldReportNamespacePrefixes_ = value; }
    // Kept for callers that set it; no external entity is ever fetched, so
    // references to one are skipped either way.
    bool shouldResolveExternalEntities() const { return shouldResolveExternalEntities_; }
    void setShouldResolveExternalEntities(bool value) { shouldResolveExternalEntities_ = value; }

    // Reads the whole document, calling the delegate. True for a well-formed
    // document read to its end; false after an error or abortParsing(), with
    // parserError() telling why. Must not be called from one of its own callbacks.
    // An exception thrown by a delegate callback stops the parse and comes out of
    // parse() once the parser has been cleaned up.
    bool parse();
    // From a delegate callback: stops at once. No further callback comes, not even
    // parserParseErrorOccurred, and parse() returns false with DelegateAborted. Outside a
    // parse it does nothing.
    void abortParsing();

    // The error of the last parse, or nothing after a successful one.
    std::optional<XMLParserError> const& parserError() const { return error_; }

    // Position of the current event while parsing, counted from 1; 0 otherwise.
    int lineNumber() const;
    int columnNumber() const;

private:
    struct Callbacks;
    struct ExpatDeleter {
        void operator()(XML_ParserStruct*) const;
    };

    bool feed();
    bool feedBytes(char const* bytes, std::size_t size, bool isFinal);
    void startDocumentIfNeeded();
    void addCharacters(std::string_view text);
    bool extendPendingCharacters(std::string_view piece);
    bool inBuffer(char const* text, std::size_t size) const;
    void keepPendingCharacters();
    void flushCharacters();
    void fail(int code, std::string message, int line, int column);
    bool stopped() const { return aborted_ || exception_ != nullptr; }
    template<typename Event> void deliver(Event&& event);

    base::Bytes data_;
    std::string text_;
    // What parse() reads when no path is given: data_, text_ or the caller's bytes.
    ByteView document_;
    std::optional<std::string> path_;
    XMLParserDelegate* delegate_ {nullptr};
    bool shouldProcessNamespaces_ {false};
    bool shouldReportNamespacePrefixes_ {false};
    bool shouldResolveExternalEntities_ {false};

    std::optional<XMLParserError> error_;

    // State of the parse in progress.
    std::unique_ptr<XML_ParserStruct, ExpatDeleter> expat_;
    bool parsing_ {false};
    bool aborted_ {false};
    bool documentStarted_ {false};
    bool sawElement_ {false};
    bool inCDATA_ {false};
    // Text gathered for the delegate: a view of expat's input buffer while the
    // pieces expat reports follow each other there (pending), else a copy.
    // At most one of the two holds text.
    std::string characters_;
    std::string_view pendingCharacters_;
    // The bytes of the piece expat is reading, valid during one call into expat.
    char const* bufferBegin_ {nullptr};
    char const* bufferEnd_ {nullptr};
    // The name of the element that started last, as a view of where expat keeps it,
    // until its end or the next start; empty otherwise. expat ends an element without
    // child elements with the name from the same storage, whose length is then known.
    std::string_view lastName_;
    // With namespaces processed: the qualified name of the element being reported and
    // of its attributes, rebuilt from expat's triplets (buffers reused).
    std::string qualifiedName_;
    std::vector<std::string> attributeNames_;
    base::Bytes cdata_;
    std::exception_ptr exception_;

    friend base::Factory;

    XMLParser(Private, base::Bytes data, std::string text, ByteView borrowed,
        std::optional<std::string> path);
};

}
