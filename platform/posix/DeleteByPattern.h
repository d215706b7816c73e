#pragma once
#include "DesktopServices.h"

namespace qm {

// "*" and "?" are wildcards in the last path component only. Only regular
// files are deleted: never folders, links, FIFOs, sockets or devices. Wildcards
// pass over names starting with "." unless the name part starts with "." too,
// as a shell's globbing does. A relative pattern is taken from the home folder,
// as an opened target is. Every matching file is tried; the first failure is
// reported.
DeleteOutcome DeleteFilesByPattern(const std::string& pattern);

// The same, with relative patterns taken from `relativeTo`.
DeleteOutcome DeleteFilesByPattern(const std::string& pattern, const std::string& relativeTo);

// $HOME, else the home folder of the user's account entry.
std::string HomeFolder();

// The wildcard match used above, exposed for tests. "*" matches any run of
// characters, "?" one whole UTF-8 character; every other byte matches itself.
bool WildcardMatch(const char* pattern, const char* name);

} // namespace qm
