#pragma once

#include <string>
#include <string_view>

namespace ads::mosaic {

// "sha:" and the SHA-1 of the per-installation identifier as 40 upper-case hexadecimal
// digits. Computed once, under a lock (the open report asks for it on a thread of its
// own), from the identifier configured at that moment; the same text afterwards.
std::string MXHashedDeviceIdentifier();

// The main screen's scale factor (1.0 until a drawing surface says otherwise).
float MXMainScreenScale();

// The user agent of the system web view: what "navigator.userAgent" answers in a
// throw-away web view, read once. A web view that runs no script answers "", and the
// client then sends a fixed text of its own, never an empty header.
std::string MXBrowserUserAgent();
inline constexpr char const* MXFallbackUserAgent
    = "Mozilla/5.0 (X11; Linux x86_64) Quillaby MXAdView";

// The text percent-encoded as UTF-8 with every reserved character encoded too: only
// ASCII letters, digits and "-._~" stay as they are.
std::string URLEncodedString(std::string_view text);

// Forgets the kept hashed id and user agent (tests, after changing the configuration).
void MXResetDeviceHelpers();

}
