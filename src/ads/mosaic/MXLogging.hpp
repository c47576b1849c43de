#pragma once

#include <foundation/Format.hpp>

#include <string>

namespace ads::mosaic {

// The banner client's levelled log. A message is written, prefixed with "MOSAIC: ",
// when the threshold is at most its level. The threshold is 30 and nothing in the
// program changes it, so trace and debug messages are dropped; tests may lower it.
enum MXLogLevel : int {
    MXLogLevelTrace = 10,
    MXLogLevelDebug = 20,
    MXLogLevelInfo = 30,
    MXLogLevelWarn = 40,
    MXLogLevelError = 50,
};

int MXLogThreshold();
// For tests only: the program keeps 30.
void MXSetLogThreshold(int threshold);

// Writes "MOSAIC: " and the formatted message when level reaches the threshold.
void MXLogMessage(int level, std::string const& message);

template<typename... A> void MXLogAt(int level, foundation::FormatText format, A const&... args) {
    if (MXLogThreshold() > level)
        return;
    MXLogMessage(level, foundation::format(format, args...));
}

template<typename... A> void MXLogTraceMessage(foundation::FormatText format, A const&... args) {
    MXLogAt(MXLogLevelTrace, format, args...);
}
template<typename... A> void MXLogDebugMessage(foundation::FormatText format, A const&... args) {
    MXLogAt(MXLogLevelDebug, format, args...);
}
template<typename... A> void MXLogInfoMessage(foundation::FormatText format, A const&... args) {
    MXLogAt(MXLogLevelInfo, format, args...);
}
template<typename... A> void MXLogWarnMessage(foundation::FormatText format, A const&... args) {
    MXLogAt(MXLogLevelWarn, format, args...);
}
template<typename... A> void MXLogErrorMessage(foundation::FormatText format, A const&... args) {
    MXLogAt(MXLogLevelError, format, args...);
}

}
