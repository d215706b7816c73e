#pragma once
// The few file operations the store needs, on narrow paths in the platform's
// own encoding (the ANSI code page on Windows, UTF-8 bytes on Linux).
#include <string>
#include <vector>

namespace qm::fileio {

// Every failure throws std::runtime_error carrying the system's reason.
std::string readAll(const std::string& path);

// Creates an empty file unless something of that name exists already. Never
// truncates: an existing file, hidden or not, is left as it is.
void createIfMissing(const std::string& path);

struct Replacement {
    std::string path;
    std::string bytes;
};

// Writes each file's bytes to a temporary file beside it, then renames them
// over the originals. If any temporary file cannot be written, nothing is
// renamed and every original keeps its bytes.
void replaceAll(const std::vector<Replacement>& files);

std::string joinPath(const std::string& dir, const std::string& name);

} // namespace qm::fileio
