#pragma once

#include <toolkit/json/CDataScanner.hpp>
#include <toolkit/json/LJSONError.hpp>

#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

namespace toolkit::json {

// String encodings, numbered as the platform numbers them, for the scanner's second
// try when the detected encoding cannot decode the data.
enum LJSONStringEncoding : unsigned {
    LJSONASCIIStringEncoding = 1,
    LJSONUTF8StringEncoding = 4,
    LJSONISOLatin1StringEncoding = 5,
    LJSONUTF16BigEndianStringEncoding = 0x90000100,
    LJSONUTF16LittleEndianStringEncoding = 0x94000100,
    LJSONUTF32BigEndianStringEncoding = 0x98000100,
    LJSONUTF32LittleEndianStringEncoding = 0x9C000100,
};

enum LJSONScannerOptions : unsigned {
    // Dictionaries and arrays are handed over as the scanner built them.
    kJSONScannerOptions_MutableContainers = 0x1,
    // Strings are handed over as the scanner built them.
    kJSONScannerOptions_MutableLeaves = 0x2,
};

// Reads one JSON value by recursive descent and builds it as base::Values:
// dictionaries, arrays, strings, numbers (integers, or decimals when the text has a
// point), booleans and the chosen null object. The text's encoding is read from its
// first four bytes (UTF-32 and UTF-16 in either byte order, else UTF-8) and turned
// into validated UTF-8 before scanning. Lenient: trailing commas are accepted, bytes
// after the first complete value are not looked at, undefined escapes stand for
// themselves unless strictEscapeCodes is set, and control characters stay in strings.
//
// Every failure is an LJSONError of domain "kJSONScannerErrorDomain" with a code from
// -12 to -401, the message and the position report of CDataScanner; an enclosing
// dictionary or array replaces an inner error with its own and moves back to where it
// began, so the caller sees the outermost one. Nesting deeper than
// LJSONMaximumNestingDepth fails with -16 instead of exhausting the stack. A scanner
// is reused: setData starts a new text and keeps the settings. One thread at a time.
class LJSONScanner final : public CDataScanner {
public:
    static constexpr char const* kJSONScannerErrorDomain = "kJSONScannerErrorDomain";
    static constexpr std::size_t LJSONMaximumNestingDepth = 512;

    static base::Ref<LJSONScanner> scanner() { return base::make<LJSONScanner>(); }

    // Detects the encoding and makes the text the scanner's data; -12 when it cannot be
    // decoded (UTF-8 is validated, short data too).
    bool setData(base::Bytes data, LJSONError* error = nullptr);

    bool scanJSONObject(base::Value* object, LJSONError* error = nullptr);
    bool scanJSONDictionary(base::Value* dictionary, LJSONError* error = nullptr);
    bool scanJSONArray(base::Value* array, LJSONError* error = nullptr);
    bool scanJSONStringConstant(std::string* string, LJSONError* error = nullptr);
    bool scanJSONNumberConstant(base::Value* number, LJSONError* error = nullptr);
    // The longest run of bytes other than a double quote and a backslash.
    bool scanNotQuoteCharactersIntoString(std::string* string = nullptr);

    bool strictEscapeCodes() const { return strictEscapeCodes_; }
    void setStrictEscapeCodes(bool strict) { strictEscapeCodes_ = strict; }
    // The value JSON null gives; the plain null (nil) drops nulls: array elements and
    // dictionary pairs that are null are left out.
    base::Value const& nullObject() const { return nullObject_; }
    void setNullObject(base::Value nullObject) { nullObject_ = std::move(nullObject); }
    unsigned allowedEncoding() const { return allowedEncoding_; }
    void setAllowedEncoding(unsigned encoding) { allowedEncoding_ = encoding; }
    // kJSONScannerOptions bits. base's collections and strings have no immutable form,
    // so the values handed over are the same either way; the bits are kept for callers
    // that read them back.
    unsigned options() const { return options_; }
    void setOptions(unsigned options) { options_ = options; }

private:
    friend base::Factory;
    LJSONScanner() = default;

    bool fail(LJSONError* error, long code, char const* message);
    bool scanValue(base::Value* object, LJSONError* error);
    // begin is where the value began, before the white space in front of it: where a
    // failure moves back to.
    bool scanDictionaryFrom(std::size_t begin, base::Value* dictionary, LJSONError* error);
    bool scanArrayFrom(std::size_t begin, base::Value* array, LJSONError* error);
    bool scanStringFrom(std::size_t begin, std::string* string, LJSONError* error);

    bool strictEscapeCodes_ {false};
    base::Value nullObject_ {base::Value::nullObject()};
    unsigned allowedEncoding_ {0};
    unsigned options_ {0};
    std::size_t depth_ {0};
};

}
