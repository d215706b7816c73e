#pragma once
#include <string>

namespace qm {

// What to tell the user when the microphone goes away while listening. The
// capture seeks it again by itself, so the box says that no restart is needed.
std::string LostMicrophoneMessage(const std::string& reason);

} // namespace qm
