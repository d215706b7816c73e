// quillmere.exe: the voice-command program for Windows.
//   /engine:builtin  listen with the built-in engine even where SAPI 5 has a recognizer
//   /engine:sapi     listen with SAPI 5 even where it has none
//   --verbose        write what happens to the console
#include "EngineChoice.h"
#include "EventLog.h"
#include "Program.h"
#include "SpeechEngine.h"
#include "VerboseLog.h"
#include "Win32Desktop.h"

#include <objbase.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    const qm::ProgramOptions options = qm::ParseProgramOptions(qm::SplitCommandLine(commandLine ? commandLine : ""));
    if (options.verbose)
        qm::RouteEventLogToConsole();
    if (const std::string text = qm::UnknownOptionsMessage(options.unknown); !text.empty())
        qm::Win32Desktop().messageBox(text);

    // The recognizer's COM objects live in this thread's apartment and call
    // back through its message loop.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool sapi = options.engine != qm::EngineRequest::Builtin && qm::SapiRecognizerInstalled();
    const qm::EngineChoice choice = qm::ChooseEngine(options.engine, sapi);
    qm::logEvent("listening with " + qm::EngineName(choice.kind) +
                 (choice.kind == qm::EngineKind::Builtin ? " (model " + qm::ModelDirBesideProgram() + ")" : ""));
    // The user hears of it from the vocabulary reload at start, which reports
    // why the recognizer cannot listen.
    if (!choice.notice.empty())
        qm::logEvent(choice.notice);
    int code = 1;
    {
        auto engine = qm::MakeSpeechEngine(choice.kind);
        code = qm::RunProgram(instance, *engine);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return code;
}
