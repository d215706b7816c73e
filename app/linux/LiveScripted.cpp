#include "LiveRecognizer.h"

#include "ScriptedRecognizer.h"

namespace qm {

// No speech engine in this build: the grammar loads and the program runs,
// but nothing is ever heard.
std::unique_ptr<Recognizer> MakeLiveRecognizer()
{
    return std::make_unique<ScriptedRecognizer>();
}

} // namespace qm
