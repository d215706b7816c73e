#pragma once
// The program's own command-line options: --verbose, --version and --help.
// Qt's own options (-platform, -display, …) are left for QApplication.

namespace qm {

// Reads and removes the program's options from argv. Returns an exit status
// when the program is to end at once (after --help or --version: 0), or -1
// to go on. --verbose sends one line per event to stderr.
int ReadProgramOptions(int& argc, char** argv);

// After QApplication took its own options: anything left is a mistake, which
// is said on stderr. False when the program is to end, with status 2.
bool NoArgumentsLeft(int argc, char** argv);

} // namespace qm
