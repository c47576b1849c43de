#include <foundation/ExpatSupport.hpp>

#include <base/Verify.hpp>

// The entity-amplification limits are declared only for builds with DTD support,
// which Debian's expat has; the declarations need the same switch.
#ifndef XML_DTD
#define XML_DTD 1
#endif
#include <expat.h>

namespace foundation::expat {

namespace {

// Entities may expand to at most this many times the bytes of the document, once
// the expansion passes the threshold. These are expat's own defaults, set here so
// that the protection is on whatever the library was built with.
constexpr float MaximumAmplification = 100.0f;
constexpr unsigned long long AmplificationThreshold = 8 * 1024 * 1024;

}

void protect(XML_ParserStruct* parser) {
    VERIFY(XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER) == 1);
    VERIFY(XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, MaximumAmplification)
        == XML_TRUE);
    VERIFY(XML_SetBillionLaughsAttackProtectionActivationThreshold(parser, AmplificationThreshold)
        == XML_TRUE);
}

int errorCode(int expatError, bool sawElement) {
    switch (XML_Error(expatError)) {
    case XML_ERROR_NO_MEMORY:
        return XMLParserError::OutOfMemory;
    case XML_ERROR_NO_ELEMENTS:
        return sawElement ? XMLParserError::PrematureDocumentEnd : XMLParserError::EmptyDocument;
    case XML_ERROR_UNCLOSED_TOKEN:
    case XML_ERROR_PARTIAL_CHAR:
    case XML_ERROR_UNCLOSED_CDATA_SECTION:
        return XMLParserError::PrematureDocumentEnd;
    case XML_ERROR_INVALID_TOKEN:
        return XMLParserError::InvalidCharacter;
    case XML_ERROR_TAG_MISMATCH:
        return XMLParserError::TagNameMismatch;
    case XML_ERROR_DUPLICATE_ATTRIBUTE:
        return XMLParserError::AttributeRedefined;
    case XML_ERROR_JUNK_AFTER_DOC_ELEMENT:
        return XMLParserError::ExtraContent;
    case XML_ERROR_UNDEFINED_ENTITY:
        return XMLParserError::UndeclaredEntity;
    case XML_ERROR_RECURSIVE_ENTITY_REF:
    case XML_ERROR_AMPLIFICATION_LIMIT_BREACH:
        return XMLParserError::EntityLoop;
    case XML_ERROR_BAD_CHAR_REF:
        return XMLParserError::InvalidCharacterRef;
    case XML_ERROR_BINARY_ENTITY_REF:
        return XMLParserError::UnparsedEntity;
    case XML_ERROR_ATTRIBUTE_EXTERNAL_ENTITY_REF:
        return XMLParserError::EntityIsExternal;
    case XML_ERROR_MISPLACED_XML_PI:
        return XMLParserError::ReservedXMLName;
    case XML_ERROR_UNKNOWN_ENCODING:
    case XML_ERROR_INCORRECT_ENCODING:
        return XMLParserError::UnknownEncoding;
    case XML_ERROR_UNBOUND_PREFIX:
    case XML_ERROR_UNDECLARING_PREFIX:
    case XML_ERROR_RESERVED_PREFIX_XML:
    case XML_ERROR_RESERVED_PREFIX_XMLNS:
    case XML_ERROR_RESERVED_NAMESPACE_URI:
        return XMLParserError::NamespaceDeclaration;
    default:
        return XMLParserError::NotWellBalanced;
    }
}

}
