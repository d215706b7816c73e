#pragma once
// Puts an engine's events on the UI thread. Engines decode audio on a thread
// of their own and raise phrase-started and phrase-finished there; the window
// logic must see them on the UI thread, one at a time, and never while the
// vocabulary is being reloaded.
#include "Recognizer.h"

#include <atomic>
#include <functional>
#include <string>

class QObject;

namespace qm {

class QueuedRecognizer : public Recognizer {
public:
    // Made on the UI thread; takes over the engine's events.
    explicit QueuedRecognizer(Recognizer& engine);
    ~QueuedRecognizer() override;
    QueuedRecognizer(const QueuedRecognizer&) = delete;
    QueuedRecognizer& operator=(const QueuedRecognizer&) = delete;

    // Each operation starts a new period of listening: events raised before
    // it are dropped when they arrive, as are events that arrive while the
    // recognizer is not listening (between a deactivate or a load and the
    // next activate, which is where a reload runs).
    void Deactivate() override;
    void GrammarFromFile(const std::string& path) override;
    void Activate() override;

    // Called when a handler fails with nothing to catch it.
    std::function<void(const std::string& what)> failed;

private:
    void post(std::function<void()> deliver);

    Recognizer& engine_;
    QObject* context_;
    std::atomic<unsigned> period_{0};
    bool listening_ = false; // UI thread only
};

} // namespace qm
