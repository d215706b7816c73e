#pragma once
// A recognizer for the test build of the program: it "hears" the lines that
// a test writes into a file or FIFO, on a thread of its own as a real engine
// would, while listening. Lines outside the grammar are heard as well, so
// that the program's own handling of them is what a test sees.
#include "Recognizer.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace qm::test {

class InjectedRecognizer : public Recognizer {
public:
    explicit InjectedRecognizer(std::string source) : source_(std::move(source)) {}
    ~InjectedRecognizer() override;

    void Deactivate() override;
    void GrammarFromFile(const std::string& path) override;
    void Activate() override;

private:
    void readLoop();
    void hear(const std::string& phrase);

    std::string source_;
    std::mutex mutex_; // held while an event is raised, so Deactivate waits for it
    bool listening_ = false;
    std::atomic<bool> stopping_{false};
    std::thread reader_;
};

} // namespace qm::test
