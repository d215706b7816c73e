#pragma once
#include "DesktopServices.h"

namespace qm {

// "*" and "?" are wildcards in the last path component only; folders are
// never deleted. Every matching file is tried; the first failure is reported.
DeleteOutcome DeleteFilesByPattern(const std::string& pattern);

// The wildcard match used above, exposed for tests.
bool WildcardMatch(const char* pattern, const char* name);

} // namespace qm
