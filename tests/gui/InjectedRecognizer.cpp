#include "InjectedRecognizer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace qm::test {

InjectedRecognizer::~InjectedRecognizer()
{
    stopping_ = true;
    if (reader_.joinable())
        reader_.join();
}

void InjectedRecognizer::Deactivate()
{
    std::lock_guard lock(mutex_);
    listening_ = false;
}

void InjectedRecognizer::GrammarFromFile(const std::string&)
{
    // Every line is heard, in the grammar or not: what the program does with
    // a phrase that matches no entry is the program's to show.
}

void InjectedRecognizer::Activate()
{
    {
        std::lock_guard lock(mutex_);
        listening_ = true;
    }
    if (!reader_.joinable())
        reader_ = std::thread([this] { readLoop(); });
}

void InjectedRecognizer::hear(const std::string& phrase)
{
    std::lock_guard lock(mutex_);
    if (!listening_)
        return;
    if (events_.PhraseStart)
        events_.PhraseStart(0, 0);
    if (events_.PhraseFinish)
        events_.PhraseFinish(0, 0, 0, 0, 0, phrase, std::string(), 0);
}

void InjectedRecognizer::readLoop()
{
    std::string pending;
    int fd = -1;
    while (!stopping_) {
        if (fd < 0) {
            // Non-blocking, so that a FIFO with no writer yet does not hold the thread.
            fd = ::open(source_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) {
                ::usleep(100 * 1000);
                continue;
            }
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) {
            // The writer went away: wait for the next one.
            ::close(fd);
            fd = -1;
            ::usleep(20 * 1000);
            continue;
        }
        pending.append(buf, static_cast<size_t>(n));
        for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            hear(line);
        }
    }
    if (fd >= 0)
        ::close(fd);
}

} // namespace qm::test
