// SAPI 5 on the default audio input.
#include "SapiRecognizer.h"
#include "SpeechEngine.h"

namespace qm {

bool SapiRecognizerInstalled() { return SapiRecognizerAvailable(); }

std::unique_ptr<Recognizer> MakeSapiEngine() { return std::make_unique<SapiRecognizer>(); }

} // namespace qm
