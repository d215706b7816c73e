#pragma once
// SIGTERM and SIGINT end the program the way its Exit does. The handler only
// writes a byte into a pipe; the event loop reads it and runs the exit, so
// nothing unsafe runs inside the signal handler.
#include <functional>
#include <memory>

class QSocketNotifier;

namespace qm {

class ExitOnSignals {
public:
    explicit ExitOnSignals(std::function<void()> exit);
    ~ExitOnSignals(); // the default actions again
    ExitOnSignals(const ExitOnSignals&) = delete;
    ExitOnSignals& operator=(const ExitOnSignals&) = delete;

private:
    std::function<void()> exit_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace qm
