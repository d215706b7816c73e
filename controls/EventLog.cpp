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

std::string logQuoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

} // namespace qm
