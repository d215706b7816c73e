// quillmere.exe: the voice-command program for Windows. No arguments.
#include "Program.h"
#include "SpeechEngine.h"

#include <objbase.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The recognizer's COM objects live in this thread's apartment and call
    // back through its message loop.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 1;
    {
        auto engine = qm::MakeSpeechEngine();
        code = qm::RunProgram(instance, *engine);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return code;
}
