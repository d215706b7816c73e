// SAPI 5 on the default audio input.
#include "SapiRecognizer.h"
#include "SpeechEngine.h"
#include "Win32Desktop.h"

namespace qm {

bool SapiRecognizerInstalled() { return SapiRecognizerAvailable(); }

std::unique_ptr<Recognizer> MakeSapiEngine()
{
    auto engine = std::make_unique<SapiRecognizer>();
    engine->setNotice([](const std::string& text) { Win32Desktop().messageBox(text); });
    return engine;
}

} // namespace qm
