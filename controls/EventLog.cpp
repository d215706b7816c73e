#include "EventLog.h"

#include <utility>

namespace qm {
namespace {
EventLogSink& sink() {
    static EventLogSink s;
    return s;
}
} // namespace

void setEventLogSink(EventLogSink s) { sink() = std::move(s); }

bool eventLogEnabled() { return static_cast<bool>(sink()); }

void logEvent(std::string_view line) {
    if (auto& s = sink()) s(line);
}

} // namespace qm
