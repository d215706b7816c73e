#pragma once
// The recognizer on live audio. CMake compiles one implementation: the
// PocketSphinx engine on the default PulseAudio source when that engine is
// part of the build, otherwise a recognizer that never hears anything.
#include "Recognizer.h"

#include <memory>

namespace qm {

std::unique_ptr<Recognizer> MakeLiveRecognizer();

} // namespace qm
