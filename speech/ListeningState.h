#pragma once
// Whether the recognizer listens, as the user learns it: a notice when a
// reload leaves it deaf, given once until it listens again, and a state that
// the tray icon shows (grey while not listening or disabled).
#include <functional>

namespace qm {

class ListeningState {
public:
    enum class State { Listening, NotListening, Disabled };

    // Raised on every change of state.
    std::function<void(State)> changed;

    State state() const { return state_; }

    // A reload got the recognizer listening.
    void listening();
    // A reload could not get it listening. True when the user has not been
    // told since it last listened, and should be now.
    bool failed();
    // The user switched listening off.
    void disabled();

private:
    void set(State s);

    State state_ = State::Listening;
    bool told_ = false;
};

} // namespace qm
