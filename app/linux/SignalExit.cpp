#include "SignalExit.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace qm {

namespace {

int pipeEnds[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request to end; dropping this one is fine.
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

ExitOnSignals::ExitOnSignals(std::function<void()> exit) : exit_(std::move(exit))
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // then the signals keep their default action: the program ends at once
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        char buffer[16];
        while (::read(pipeEnds[0], buffer, sizeof buffer) > 0) {
        }
        if (exit_)
            exit_();
    });
    setHandler(onSignal);
}

ExitOnSignals::~ExitOnSignals()
{
    if (!notifier_)
        return;
    setHandler(SIG_DFL);
    notifier_.reset();
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

} // namespace qm
