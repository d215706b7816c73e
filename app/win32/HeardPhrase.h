#pragma once
// How the test build of the program is made to hear a phrase: another program
// sends the main window WM_COPYDATA with this tag and the phrase's bytes (no
// terminating NUL). The shipped program does not take it.
#include <windows.h>

namespace qm {

// "QMPH"
inline constexpr ULONG_PTR kHeardPhraseTag = 0x514D5048;
// Posted by the main window to itself to hand the next heard phrase to the
// recognizer from the message loop, not from inside the sender's call.
inline constexpr UINT kHearNextPhraseMessage = WM_APP + 16;

} // namespace qm
