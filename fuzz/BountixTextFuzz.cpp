// The offer-wall client's readers of server text: HTML unescaping and lenient Base64.
// Any text unescapes without harm and never grows; escaping for ASCII then unescaping
// gives the text back; lenient Base64 gives at most three bytes per four characters.
#include "FuzzSupport.hpp"

#include <ads/bountix/BTXHTMLEntities.hpp>
#include <ads/bountix/BTXUtil.hpp>
#include <foundation/Strings.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace ads::bountix;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto bytes = BTXUtil::dataWithBase64EncodedString(text);
    FUZZ_CHECK(bytes.size() <= size * 3 / 4 + 2);
    auto unescaped = BTXNSStringHTMLAdditions::CHW_stringByUnescapingFromHTML(text);
    if (foundation::isValidUtf8(text)) {
        FUZZ_CHECK(foundation::utf16Length(unescaped) <= foundation::utf16Length(text));
        auto ascii = BTXNSStringHTMLAdditions::CHW_stringByEscapingForAsciiHTML(text);
        for (char c : ascii)
            FUZZ_CHECK(static_cast<unsigned char>(c) < 128);
        auto html = BTXNSStringHTMLAdditions::CHW_stringByEscapingForHTML(text);
        FUZZ_CHECK(html.find('<') == std::string::npos);
    }
    return 0;
}
