#pragma once
// The whole program over fakes, as the window-logic tests drive it: the store
// in a temporary folder, the scripted recognizer, and a window set over them.
#include "FakeBackends.h"
#include "FakeDesktop.h"
#include "FakeFrontEnd.h"
#include "ScriptedRecognizer.h"
#include "TestFolder.h"
#include "WindowSet.h"

namespace qm::test {

struct ScriptedProgram {
    TestFolder dir;
    FakeDesktop desktop{dir.dir()};
    FakeFrontEnd frontEnd;
    ScriptedRecognizer sr;
    FakePlayer player;
    FakeSession session;
    WindowSet set{{desktop, frontEnd, sr, player, session}};
};

} // namespace qm::test
