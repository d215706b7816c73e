#pragma once
// The recognizer the program listens with; the build picks it.
#include "Recognizer.h"

#include <memory>

namespace qm {

std::unique_ptr<Recognizer> MakeSpeechEngine();

} // namespace qm
