#pragma once
// The recognizers quillmere.exe can listen with.
#include "EngineChoice.h"
#include "Recognizer.h"

#include <memory>
#include <string>

namespace qm {

// True when SAPI 5 lists a speech recognizer that can be created.
bool SapiRecognizerInstalled();

// The built-in engine reads its model from modelDir; the default is the
// model folder beside the program.
std::unique_ptr<Recognizer> MakeSpeechEngine(EngineKind kind, const std::string& modelDir = {});

// The model folder beside the running program.
std::string ModelDirBesideProgram();

} // namespace qm
