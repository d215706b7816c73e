#pragma once
// The whole program over fakes, as the window-logic tests drive it: the store
// in a temporary folder, a recognizer (the scripted one unless a test needs
// a real engine), and a window set over them.
#include "FakeBackends.h"
#include "FakeDesktop.h"
#include "FakeFrontEnd.h"
#include "ScriptedRecognizer.h"
#include "TestFolder.h"
#include "WindowSet.h"

namespace qm::test {

template <class Recognizer>
struct ProgramOver {
    TestFolder dir;
    FakeDesktop desktop{dir.dir()};
    FakeFrontEnd frontEnd;
    Recognizer sr;
    FakePlayer player;
    FakeSession session;
    WindowSet set{{desktop, frontEnd, sr, player, session}};
};

using ScriptedProgram = ProgramOver<ScriptedRecognizer>;

} // namespace qm::test
