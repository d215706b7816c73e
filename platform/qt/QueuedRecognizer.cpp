#include "QueuedRecognizer.h"

#include <QCoreApplication>
#include <QObject>

#include <cstdio>

namespace qm {

QueuedRecognizer::QueuedRecognizer(Recognizer& engine) : engine_(engine), context_(new QObject)
{
    failed = [](const std::string& what) {
        std::fprintf(stderr, "quillmere: %s\n", what.c_str());
        QCoreApplication::exit(1);
    };
    engine_.setEvents({
        [this](int32_t a, int32_t b) {
            post([this, a, b] {
                if (events_.PhraseStart)
                    events_.PhraseStart(a, b);
            });
        },
        [this](int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5, const std::string& phrase,
               const std::string& a7, int32_t a8) {
            post([this, a1, a2, a3, a4, a5, phrase, a7, a8] {
                if (events_.PhraseFinish)
                    events_.PhraseFinish(a1, a2, a3, a4, a5, phrase, a7, a8);
            });
        },
    });
}

QueuedRecognizer::~QueuedRecognizer()
{
    // A deactivated engine raises nothing more, so its events can be taken back safely.
    try {
        engine_.Deactivate();
    } catch (const std::exception&) {
    }
    engine_.setEvents({});
    // Deleting the context drops every event still waiting for the UI thread.
    delete context_;
}

void QueuedRecognizer::post(std::function<void()> deliver)
{
    // Runs on the engine's thread: only the period is read here.
    const unsigned period = period_.load();
    QMetaObject::invokeMethod(
        context_,
        [this, period, deliver = std::move(deliver)] {
            if (period != period_.load() || !listening_)
                return;
            try {
                deliver();
            } catch (const std::exception& e) {
                failed(e.what());
            }
        },
        Qt::QueuedConnection);
}

void QueuedRecognizer::Deactivate()
{
    listening_ = false;
    ++period_;
    engine_.Deactivate();
}

void QueuedRecognizer::GrammarFromFile(const std::string& path)
{
    listening_ = false;
    ++period_;
    engine_.GrammarFromFile(path);
}

void QueuedRecognizer::Activate()
{
    // Events the engine raises from here on belong to the grammar just loaded.
    ++period_;
    engine_.Activate();
    listening_ = true;
}

} // namespace qm
