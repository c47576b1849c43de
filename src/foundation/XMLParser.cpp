#include <foundation/XMLParser.hpp>

#include <base/Verify.hpp>

#include <expat.h>
#include <foundation/ExpatSupport.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <utility>

namespace foundation {

namespace {

// Joins namespace URI, local name and prefix in the names expat reports. The
// character cannot occur in an XML 1.0 document, not even as a reference.
constexpr char NamespaceSeparator = '\x01';

// A file goes to expat in pieces of this size. A document in memory goes whole, up
// to the largest piece expat's int length takes: expat copies every piece after the
// first into a buffer of its own, which costs more than the parse of a small feed.
constexpr std::size_t FeedSize = 64 * 1024;
using expat::MemoryFeedSize;

// Text is handed over once this much has gathered, so a huge run of text (or of
// expanded entities) is not held whole.
constexpr std::size_t CharactersFlushSize = 1024 * 1024;

// The parts of a name from a namespace-processing parser, as views of expat's
// string: "uri SEP local SEP prefix", "uri SEP local" or, outside any namespace,
// "local".
struct Name {
    std::string_view local;
    std::string_view namespaceURI;
    std::string_view prefix;
};

Name splitName(XML_Char const* raw) {
    std::string_view name(raw);
    auto first = name.find(NamespaceSeparator);
    if (first == std::string_view::npos)
        return {name, {}, {}};
    std::string_view uri = name.substr(0, first);
    std::string_view rest = name.substr(first + 1);
    auto second = rest.find(NamespaceSeparator);
    if (second == std::string_view::npos)
        return {rest, uri, {}};
    return {rest.substr(0, second), uri, rest.substr(second + 1)};
}

// Names are short: a loop of our own is quicker than a call into the C library.
std::string_view nameView(XML_Char const* name) {
    std::size_t length = 0;
    while (name[length] != '\0')
        ++length;
    return {name, length};
}

// The name as written: the local name, or "prefix:local" built in buffer.
std::string_view qualifiedName(Name const& name, std::string& buffer) {
    if (name.prefix.empty())
        return name.local;
    buffer.assign(name.prefix);
    buffer += ':';
    buffer.append(name.local);
    return buffer;
}

}

// expat's callbacks, forwarding to the parser. Each one does nothing once the
// parse has been stopped: expat may still deliver an event or two after a stop.
struct XMLParser::Callbacks {
    static XMLParser& parserOf(void* userData) { return *static_cast<XMLParser*>(userData); }

    static void xmlDeclaration(void* userData, XML_Char const*, XML_Char const*, int) {
        parserOf(userData).startDocumentIfNeeded();
    }

    static void startDoctype(
        void* userData, XML_Char const*, XML_Char const*, XML_Char const*, int) {
        parserOf(userData).startDocumentIfNeeded();
    }

    static void startElement(
        void* userData, XML_Char const* rawName, XML_Char const** rawAttributes) {
        XMLParser& parser = parserOf(userData);
        if (!parser.documentStarted_)
            parser.startDocumentIfNeeded();
        parser.flushCharacters();
        if (parser.stopped())
            return;
        parser.sawElement_ = true;
        if (!parser.shouldProcessNamespaces_) {
            // Names and values go over as views of expat's strings, with nothing copied.
            std::string_view name = nameView(rawName);
            parser.lastName_ = name;
            XMLAttributes attributes(rawAttributes, nullptr);
            parser.deliver([&](XMLParserDelegate& delegate) {
                delegate.parserDidStartElement(parser, name, {}, {}, attributes);
            });
            return;
        }
        Name name = splitName(rawName);
        std::string_view qualified = qualifiedName(name, parser.qualifiedName_);
        // Attribute names are rebuilt as written; the buffers keep their capacity.
        auto& names = parser.attributeNames_;
        std::size_t count = 0;
        for (auto attribute = rawAttributes; attribute[0]; attribute += 2, ++count) {
            if (names.size() <= count)
                names.emplace_back();
            Name attributeName = splitName(attribute[0]);
            if (qualifiedName(attributeName, names[count]).data() != names[count].data())
                names[count].assign(attributeName.local);
        }
        XMLAttributes attributes(rawAttributes, names.data());
        parser.deliver([&](XMLParserDelegate& delegate) {
            delegate.parserDidStartElement(
                parser, name.local, name.namespaceURI, qualified, attributes);
        });
    }

    static void endElement(void* userData, XML_Char const* rawName) {
        XMLParser& parser = parserOf(userData);
        parser.flushCharacters();
        if (parser.stopped())
            return;
        if (!parser.shouldProcessNamespaces_) {
            std::string_view name
                = rawName == parser.lastName_.data() ? parser.lastName_ : nameView(rawName);
            parser.lastName_ = {};
            parser.deliver([&](XMLParserDelegate& delegate) {
                delegate.parserDidEndElement(parser, name, {}, {});
            });
            return;
        }
        Name name = splitName(rawName);
        std::string_view qualified = qualifiedName(name, parser.qualifiedName_);
        parser.deliver([&](XMLParserDelegate& delegate) {
            delegate.parserDidEndElement(parser, name.local, name.namespaceURI, qualified);
        });
    }

    static void characterData(void* userData, XML_Char const* text, int length) {
        XMLParser& parser = parserOf(userData);
        if (parser.stopped())
            return;
        if (parser.inCDATA_) {
            parser.cdata_.insert(parser.cdata_.end(), text, text + length);
            return;
        }
        // A run short of the flush size is gathered here, as extendPendingCharacters
        // and addCharacters would, without their general loop.
        auto& pending = parser.pendingCharacters_;
        auto& characters = parser.characters_;
        auto size = std::size_t(length);
        if (characters.size() + pending.size() + size >= CharactersFlushSize) {
            parser.addCharacters(std::string_view(text, size));
            return;
        }
        if (!characters.empty()) {
            characters.append(text, size);
            return;
        }
        char const* next = pending.empty() ? text : pending.data() + pending.size();
        if (parser.inBuffer(next, size) && (next == text || std::memcmp(next, text, size) == 0)) {
            pending
                = std::string_view(pending.empty() ? next : pending.data(), pending.size() + size);
            return;
        }
        characters.append(pending);
        pending = {};
        characters.append(text, size);
    }

    static void startCDATA(void* userData) {
        XMLParser& parser = parserOf(userData);
        parser.flushCharacters();
        parser.inCDATA_ = true;
        parser.cdata_.clear();
    }

    static void endCDATA(void* userData) {
        XMLParser& parser = parserOf(userData);
        parser.inCDATA_ = false;
        // Handed over in place; the buffer keeps its capacity for the next section.
        parser.deliver(
            [&](XMLParserDelegate& delegate) { delegate.parserFoundCDATA(parser, parser.cdata_); });
        parser.cdata_.clear();
    }

    static void comment(void* userData, XML_Char const* text) {
        XMLParser& parser = parserOf(userData);
        parser.startDocumentIfNeeded();
        parser.flushCharacters();
        parser.deliver(
            [&](XMLParserDelegate& delegate) { delegate.parserFoundComment(parser, text); });
    }

    static void entityDeclaration(void* userData, XML_Char const* name, int, XML_Char const* value,
        int valueLength, XML_Char const*, XML_Char const* systemId, XML_Char const* publicId,
        XML_Char const*) {
        XMLParser& parser = parserOf(userData);
        parser.deliver([&](XMLParserDelegate& delegate) {
            if (value) {
                delegate.parserFoundInternalEntityDeclaration(
                    parser, name, std::string_view(value, std::size_t(valueLength)));
            } else {
                delegate.parserFoundExternalEntityDeclaration(
                    parser, name, publicId ? publicId : "", systemId ? systemId : "");
            }
        });
    }

    static void processingInstruction(
        void* userData, XML_Char const* target, XML_Char const* data) {
        XMLParser& parser = parserOf(userData);
        parser.startDocumentIfNeeded();
        parser.flushCharacters();
        parser.deliver([&](XMLParserDelegate& delegate) {
            delegate.parserFoundProcessingInstruction(parser, target, data ? data : "");
        });
    }

    static void startNamespace(void* userData, XML_Char const* prefix, XML_Char const* uri) {
        XMLParser& parser = parserOf(userData);
        parser.startDocumentIfNeeded();
        parser.flushCharacters();
        parser.deliver([&](XMLParserDelegate& delegate) {
            delegate.parserDidStartMappingPrefix(parser, prefix ? prefix : "", uri ? uri : "");
        });
    }

    static void endNamespace(void* userData, XML_Char const* prefix) {
        XMLParser& parser = parserOf(userData);
        parser.deliver([&](XMLParserDelegate& delegate) {
            delegate.parserDidEndMappingPrefix(parser, prefix ? prefix : "");
        });
    }
};

std::size_t XMLAttributes::size() const {
    std::size_t count = 0;
    while (pairs_[2 * count])
        ++count;
    return count;
}

std::string_view XMLAttributes::name(std::size_t index) const {
    return names_ ? std::string_view(names_[index]) : std::string_view(pairs_[2 * index]);
}

std::string_view XMLAttributes::value(std::size_t index) const {
    return pairs_[2 * index + 1];
}

std::optional<std::string_view> XMLAttributes::find(std::string_view wanted) const {
    for (std::size_t index = 0; pairs_[2 * index]; ++index) {
        if (names_) {
            if (names_[index] == wanted)
                return value(index);
            continue;
        }
        // Compared in place: the name matches when its bytes do and it ends there (a
        // wanted name with a null byte never matches, as none is read past its end).
        char const* candidate = pairs_[2 * index];
        std::size_t same = 0;
        while (same < wanted.size() && candidate[same] != '\0' && candidate[same] == wanted[same])
            ++same;
        if (same == wanted.size() && candidate[same] == '\0')
            return value(index);
    }
    return std::nullopt;
}

base::Ref<base::Dictionary> XMLAttributes::dictionary() const {
    auto dictionary = base::Dictionary::create();
    for (std::size_t index = 0; pairs_[2 * index]; ++index)
        dictionary->setObject(name(index), std::string(value(index)));
    return dictionary;
}

void XMLParser::ExpatDeleter::operator()(XML_ParserStruct* parser) const {
    XML_ParserFree(parser);
}

base::Ref<XMLParser> XMLParser::createWithData(base::Bytes data) {
    return base::make<XMLParser>(
        Private {}, std::move(data), std::string(), ByteView(), std::nullopt);
}

base::Ref<XMLParser> XMLParser::createWithString(std::string text) {
    return base::make<XMLParser>(
        Private {}, base::Bytes(), std::move(text), ByteView(), std::nullopt);
}

base::Ref<XMLParser> XMLParser::createWithBytesNoCopy(ByteView bytes) {
    return base::make<XMLParser>(Private {}, base::Bytes(), std::string(), bytes, std::nullopt);
}

base::Ref<XMLParser> XMLParser::createWithContentsOfFile(std::string path) {
    return base::make<XMLParser>(
        Private {}, base::Bytes(), std::string(), ByteView(), std::move(path));
}

XMLParser::XMLParser(
    Private, base::Bytes data, std::string text, ByteView borrowed, std::optional<std::string> path)
    : data_(std::move(data))
    , text_(std::move(text))
    , document_(borrowed)
    , path_(std::move(path)) {
    // The buffers moved in keep their places, so the view stays valid.
    if (!data_.empty())
        document_ = ByteView(data_);
    else if (!text_.empty())
        document_ = ByteView(text_);
}

XMLParser::~XMLParser() = default;

bool XMLParser::parse() {
    VERIFY_MSG(!parsing_, "XMLParser::parse called from one of its own callbacks");
    // A callback may drop the last reference its owner holds to this parser.
    base::Ref<XMLParser> protect(this);

    error_.reset();
    aborted_ = false;
    documentStarted_ = false;
    sawElement_ = false;
    inCDATA_ = false;
    characters_.clear();
    pendingCharacters_ = {};
    lastName_ = {};
    cdata_.clear();
    exception_ = nullptr;

    expat_.reset(shouldProcessNamespaces_ ? XML_ParserCreateNS(nullptr, NamespaceSeparator)
                                          : XML_ParserCreate(nullptr));
    if (!expat_) {
        parsing_ = true;
        fail(XMLParserError::OutOfMemory, "cannot create an XML parser", 0, 0);
        parsing_ = false;
        return false;
    }
    XML_Parser expat = expat_.get();
    XML_SetUserData(expat, this);
    XML_SetXmlDeclHandler(expat, &Callbacks::xmlDeclaration);
    XML_SetStartDoctypeDeclHandler(expat, &Callbacks::startDoctype);
    XML_SetElementHandler(expat, &Callbacks::startElement, &Callbacks::endElement);
    XML_SetCharacterDataHandler(expat, &Callbacks::characterData);
    XML_SetCdataSectionHandler(expat, &Callbacks::startCDATA, &Callbacks::endCDATA);
    XML_SetCommentHandler(expat, &Callbacks::comment);
    XML_SetProcessingInstructionHandler(expat, &Callbacks::processingInstruction);
    XML_SetEntityDeclHandler(expat, &Callbacks::entityDeclaration);
    if (shouldProcessNamespaces_) {
        XML_SetReturnNSTriplet(expat, XML_TRUE);
        if (shouldReportNamespacePrefixes_)
            XML_SetNamespaceDeclHandler(
                expat, &Callbacks::startNamespace, &Callbacks::endNamespace);
    }
    expat::protect(expat);

    parsing_ = true;
    if (feed() && !stopped()) {
        flushCharacters();
        // abortParsing() from here still makes the parse a failure, as anywhere else.
        deliver([&](XMLParserDelegate& delegate) { delegate.parserDidEndDocument(*this); });
    }
    if (aborted_ && !error_)
        error_ = XMLParserError {XMLParserError::DelegateAborted, "parsing aborted by the delegate",
            lineNumber(), columnNumber()};
    parsing_ = false;
    expat_.reset();
    characters_.clear();
    characters_.shrink_to_fit();
    lastName_ = {};
    qualifiedName_.clear();
    qualifiedName_.shrink_to_fit();
    attributeNames_.clear();
    attributeNames_.shrink_to_fit();
    cdata_.clear();
    cdata_.shrink_to_fit();

    if (exception_)
        std::rethrow_exception(std::exchange(exception_, nullptr));
    return !error_;
}

bool XMLParser::feed() {
    if (!path_) {
        std::string_view document = document_.text();
        std::size_t offset = 0;
        do {
            std::size_t size = std::min(MemoryFeedSize, document.size() - offset);
            bool isFinal = offset + size == document.size();
            if (!feedBytes(document.data() + offset, size, isFinal))
                return false;
            offset += size;
        } while (offset < document.size());
        return true;
    }

    std::ifstream file(*path_, std::ios::binary);
    if (!file) {
        fail(XMLParserError::Internal, "cannot open file " + *path_, 0, 0);
        return false;
    }
    std::string buffer(FeedSize, '\0');
    while (true) {
        file.read(buffer.data(), std::streamsize(buffer.size()));
        if (file.bad()) {
            fail(XMLParserError::Internal, "cannot read file " + *path_, lineNumber(),
                columnNumber());
            return false;
        }
        std::size_t size = std::size_t(file.gcount());
        bool isFinal = file.eof();
        if (!feedBytes(buffer.data(), size, isFinal))
            return false;
        if (isFinal)
            return true;
    }
}

bool XMLParser::feedBytes(char const* bytes, std::size_t size, bool isFinal) {
    // The bytes go into expat's buffer here rather than inside XML_Parse, so that the
    // text it reports can be told apart as a view of that buffer.
    XML_Status status = XML_STATUS_ERROR;
    if (size == 0) {
        status = XML_Parse(expat_.get(), bytes, 0, isFinal ? XML_TRUE : XML_FALSE);
    } else if (auto* buffer = static_cast<char*>(XML_GetBuffer(expat_.get(), int(size)))) {
        std::memcpy(buffer, bytes, size);
        bufferBegin_ = buffer;
        bufferEnd_ = buffer + size;
        status = XML_ParseBuffer(expat_.get(), int(size), isFinal ? XML_TRUE : XML_FALSE);
    }
    // The next piece may move expat's buffer: text still gathering is copied out.
    keepPendingCharacters();
    bufferBegin_ = nullptr;
    bufferEnd_ = nullptr;
    if (stopped())
        return false;
    if (status == XML_STATUS_ERROR) {
        XML_Error error = XML_GetErrorCode(expat_.get());
        fail(expat::errorCode(error, sawElement_), XML_ErrorString(error), lineNumber(),
            columnNumber());
        return false;
    }
    return true;
}

void XMLParser::abortParsing() {
    if (!parsing_ || aborted_)
        return;
    aborted_ = true;
    // Fails harmlessly when expat has already finished (from didEndDocument).
    XML_StopParser(expat_.get(), XML_FALSE);
}

int XMLParser::lineNumber() const {
    if (!parsing_ || !expat_)
        return 0;
    return int(XML_GetCurrentLineNumber(expat_.get()));
}

int XMLParser::columnNumber() const {
    if (!parsing_ || !expat_)
        return 0;
    return int(XML_GetCurrentColumnNumber(expat_.get())) + 1;
}

void XMLParser::startDocumentIfNeeded() {
    if (documentStarted_ || stopped())
        return;
    documentStarted_ = true;
    deliver([&](XMLParserDelegate& delegate) { delegate.parserDidStartDocument(*this); });
}

// expat may report a long run in one call: it is handed over a megabyte at a time.
void XMLParser::addCharacters(std::string_view text) {
    while (!text.empty() && !stopped()) {
        std::size_t gathered = characters_.size() + pendingCharacters_.size();
        std::size_t room = CharactersFlushSize - std::min(gathered, CharactersFlushSize);
        std::size_t take = std::min(text.size(), std::max<std::size_t>(room, 1));
        std::string_view piece = text.substr(0, take);
        text.remove_prefix(take);
        if (!extendPendingCharacters(piece)) {
            keepPendingCharacters();
            characters_.append(piece);
        }
        if (gathered + take >= CharactersFlushSize)
            flushCharacters();
    }
}

// Text that lies in expat's input buffer is not copied: while each piece is the
// buffer's next bytes, the gathered text stays a view of the buffer. A piece expat
// reports from storage of its own (a line feed, a predefined entity's character)
// still extends the view when the buffer's next bytes are the same; anything else
// starts a copy.
bool XMLParser::extendPendingCharacters(std::string_view piece) {
    if (!characters_.empty())
        return false;
    char const* next = pendingCharacters_.empty()
        ? piece.data()
        : pendingCharacters_.data() + pendingCharacters_.size();
    if (!inBuffer(next, piece.size()))
        return false;
    if (next != piece.data() && std::memcmp(next, piece.data(), piece.size()) != 0)
        return false;
    char const* first = pendingCharacters_.empty() ? next : pendingCharacters_.data();
    pendingCharacters_ = std::string_view(first, pendingCharacters_.size() + piece.size());
    return true;
}

// Whether size bytes from text lie in the piece expat is reading. Compared as
// addresses: text may point anywhere (into expat's own storage, say).
bool XMLParser::inBuffer(char const* text, std::size_t size) const {
    auto address = [](char const* p) { return reinterpret_cast<std::uintptr_t>(p); };
    return address(text) >= address(bufferBegin_) && address(text) <= address(bufferEnd_)
        && size <= std::size_t(address(bufferEnd_) - address(text));
}

void XMLParser::keepPendingCharacters() {
    characters_.append(pendingCharacters_);
    pendingCharacters_ = {};
}

void XMLParser::flushCharacters() {
    if ((characters_.empty() && pendingCharacters_.empty()) || stopped())
        return;
    // The text is handed over in place and the buffer kept for the next run; the
    // delegate's call cannot add to it (expat delivers nothing during a callback).
    std::string_view text
        = pendingCharacters_.empty() ? std::string_view(characters_) : pendingCharacters_;
    deliver([&](XMLParserDelegate& delegate) { delegate.parserFoundCharacters(*this, text); });
    characters_.clear();
    pendingCharacters_ = {};
}

void XMLParser::fail(int code, std::string message, int line, int column) {
    if (error_)
        return;
    error_ = XMLParserError {code, std::move(message), line, column};
    XMLParserError error = *error_;
    deliver([&](XMLParserDelegate& delegate) { delegate.parserParseErrorOccurred(*this, error); });
}

template<typename Event> void XMLParser::deliver(Event&& event) {
    if (stopped() || !delegate_)
        return;
    try {
        event(*delegate_);
    } catch (...) {
        // Unwinding through expat's C frames is not safe: hold the exception until
        // expat has returned, then rethrow it from parse().
        exception_ = std::current_exception();
        if (expat_)
            XML_StopParser(expat_.get(), XML_FALSE);
    }
}

}
