#pragma once
// From a recognized phrase to its commands: every entry whose phrase equals
// the text exactly is selected and carried out, in table order.
#include "Backends.h"
#include "CommandTable.h"
#include "DesktopServices.h"
#include "Image.h"

#include <cstdint>
#include <string>

namespace qm {

// What the dispatch needs of the window set that hosts it.
class WindowSetHost {
public:
    virtual ~WindowSetHost() = default;
    // Hides the main, word list and add windows, creating hidden any that does not exist.
    virtual void hideForVoice() = 0;
    virtual void showMainWindow() = 0;
    virtual NativeHandle mainWindowHandle() = 0;
};

struct DispatchContext {
    CommandTable table;
    Image& Image1;
    WindowSetHost& windows;
    DesktopServices& desktop;
    PlayerBackend& player;
    SessionBackend& session;
};

// The handler of the recognizer's phrase-finished event. Errors of one entry
// are reported in a message box and the dispatch goes on with the next.
void DirectSR1_PhraseFinish(DispatchContext& ctx, int32_t, int32_t, int32_t, int32_t, int32_t, const std::string& phrase,
                            const std::string&, int32_t);

} // namespace qm
