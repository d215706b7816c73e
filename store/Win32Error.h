#pragma once
// Windows only: the system's own text for an error code, without the
// trailing line break and full stop, so it reads well inside a sentence.
// Empty when the system has no text for the code.
#include <string>

namespace qm {

std::string Win32ErrorText(unsigned long code);

} // namespace qm
