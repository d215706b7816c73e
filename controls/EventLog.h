#pragma once
// The --verbose event log: one line per event (heard, ignored, command run or
// failed). Every layer may write to it; the program decides where lines go
// (stderr on Linux, the console or a file on Windows). Without a sink the
// lines are dropped, so tests and quiet runs pay nothing but the call.
#include <functional>
#include <string>
#include <string_view>

namespace qm {

using EventLogSink = std::function<void(std::string_view line)>;

// Replaces the sink; an empty function turns logging off.
void setEventLogSink(EventLogSink sink);
bool eventLogEnabled();
// One event, without a trailing newline.
void logEvent(std::string_view line);
// A text in double quotes with its line breaks and tabs escaped,
// so that a phrase or target never splits an event over two lines.
std::string logQuoted(std::string_view text);

} // namespace qm
