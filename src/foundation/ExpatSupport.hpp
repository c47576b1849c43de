#pragma once

// What every reader here that runs expat shares: the protections it is set up with
// and the error codes its failures map to. Internal to foundation.

#include <foundation/XMLParser.hpp>

struct XML_ParserStruct;

namespace foundation::expat {

// Refuses to read external DTD subsets and parameter entities (no external entity
// handler is set either, so expat skips references to external entities) and caps
// entity expansion at expat's own amplification defaults, whatever the library was
// built with.
void protect(XML_ParserStruct* parser);

// The XMLParserError code of an expat error; sawElement tells an empty document
// from one cut before its end.
int errorCode(int expatError, bool sawElement);

// The largest piece expat's int length takes: a document in memory goes whole up to
// it, as expat copies every piece after the first into a buffer of its own.
inline constexpr std::size_t MemoryFeedSize = 1 << 30;

}
