#pragma once

#include <string>
#include <string_view>

namespace base {

// Where log lines go: standard error by default. Tests install a sink to read
// what was logged; the sink is called under a lock, one complete line at a time.
using LogSink = void (*)(std::string_view line);

void setLogSink(LogSink sink);
void logLine(std::string_view line);

}
