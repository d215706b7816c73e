#include "ListeningState.h"

namespace qm {

void ListeningState::listening()
{
    told_ = false;
    set(State::Listening);
}

bool ListeningState::failed()
{
    set(State::NotListening);
    // Every Save, Delete and Enable reloads; a machine with no microphone
    // would otherwise say the same thing each time.
    const bool tell = !told_;
    told_ = true;
    return tell;
}

void ListeningState::disabled() { set(State::Disabled); }

void ListeningState::set(State s)
{
    if (s == state_)
        return;
    state_ = s;
    if (changed)
        changed(s);
}

} // namespace qm
