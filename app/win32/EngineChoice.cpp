#include "EngineChoice.h"

#include <algorithm>
#include <cctype>

namespace qm {

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// "/x", "-x" and "--x" are the same switch "x".
std::string switchName(const std::string& arg)
{
    if (arg.rfind("--", 0) == 0)
        return arg.substr(2);
    if (!arg.empty() && (arg[0] == '/' || arg[0] == '-'))
        return arg.substr(1);
    return {};
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& line)
{
    std::vector<std::string> args;
    std::string current;
    bool inArg = false, quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inArg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg)
                args.push_back(current);
            current.clear();
            inArg = false;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (inArg)
        args.push_back(current);
    return args;
}

ProgramOptions ParseProgramOptions(const std::vector<std::string>& args)
{
    ProgramOptions options;
    for (const std::string& arg : args) {
        const std::string name = lower(switchName(arg));
        if (name == "engine:builtin")
            options.engine = EngineRequest::Builtin;
        else if (name == "engine:sapi")
            options.engine = EngineRequest::Sapi;
        else if (name == "verbose")
            options.verbose = true;
        else
            options.unknown.push_back(arg);
    }
    return options;
}

std::string UnknownOptionsMessage(const std::vector<std::string>& unknown)
{
    if (unknown.empty())
        return {};
    std::string text = "Quillmere Voice Command does not know ";
    for (size_t i = 0; i < unknown.size(); ++i)
        text += (i ? ", \"" : "\"") + unknown[i] + "\"";
    return text + ". It knows /engine:builtin, /engine:sapi and --verbose.";
}

EngineChoice ChooseEngine(EngineRequest request, bool sapiInstalled)
{
    switch (request) {
    case EngineRequest::Builtin:
        return {EngineKind::Builtin, {}};
    case EngineRequest::Sapi:
        if (sapiInstalled)
            return {EngineKind::Sapi, {}};
        return {EngineKind::Sapi, "/engine:sapi was asked for, but no SAPI 5 speech recognizer is installed: "
                                  "nothing will be heard. Start without /engine:sapi to use the built-in engine."};
    case EngineRequest::Automatic:
        break;
    }
    return {sapiInstalled ? EngineKind::Sapi : EngineKind::Builtin, {}};
}

std::string EngineName(EngineKind kind)
{
    return kind == EngineKind::Sapi ? "SAPI 5" : "the built-in engine";
}

} // namespace qm
