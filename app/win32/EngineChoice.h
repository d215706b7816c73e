#pragma once
// What quillmere.exe was asked for on its command line, and which recognizer
// it listens with: SAPI 5 where a recognizer is installed, the built-in engine
// otherwise or when asked.
#include <string>
#include <vector>

namespace qm {

enum class EngineRequest { Automatic, Builtin, Sapi };
enum class EngineKind { Builtin, Sapi };

struct ProgramOptions {
    EngineRequest engine = EngineRequest::Automatic;
    bool verbose = false;
    std::vector<std::string> unknown; // arguments that mean nothing to the program
};

// Arguments as the shell splits them: blanks separate, double quotes group.
std::vector<std::string> SplitCommandLine(const std::string& line);

// /engine:builtin, /engine:sapi (also with "-" or "--" for "/"), --verbose
// (also /verbose), letter case ignored. The last engine switch wins.
ProgramOptions ParseProgramOptions(const std::vector<std::string>& args);

// What to tell the user about arguments that mean nothing; empty when all did.
std::string UnknownOptionsMessage(const std::vector<std::string>& unknown);

struct EngineChoice {
    EngineKind kind;
    // For the log, when the choice cannot work; empty otherwise.
    std::string notice;
};

EngineChoice ChooseEngine(EngineRequest request, bool sapiInstalled);

// For the --verbose log: "the built-in engine", "SAPI 5".
std::string EngineName(EngineKind kind);

} // namespace qm
