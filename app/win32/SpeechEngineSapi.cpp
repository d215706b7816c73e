// The build's engine: SAPI 5 on the default audio input.
#include "SapiRecognizer.h"
#include "SpeechEngine.h"

namespace qm {

std::unique_ptr<Recognizer> MakeSpeechEngine() { return std::make_unique<SapiRecognizer>(); }

} // namespace qm
