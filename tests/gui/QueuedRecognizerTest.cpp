// The hand-over of recognizer events to the UI thread.
#include "QueuedRecognizer.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace qm;

namespace {

// An engine that raises its events from whatever thread calls hear().
class ThreadedEngine : public Recognizer {
public:
    void Deactivate() override { ops.push_back("deactivate"); }
    void GrammarFromFile(const std::string& path) override { ops.push_back("load " + path); }
    void Activate() override { ops.push_back("activate"); }
    void hear(const std::string& phrase)
    {
        if (events_.PhraseStart)
            events_.PhraseStart(1, 2);
        if (events_.PhraseFinish)
            events_.PhraseFinish(0, 0, 0, 0, 0, phrase, "", 0);
    }
    void hearOnAnotherThread(const std::string& phrase)
    {
        std::thread([this, phrase] { hear(phrase); }).join();
    }
    std::vector<std::string> ops;
};

struct Heard {
    std::vector<std::string> phrases;
    int starts = 0;
    std::vector<std::thread::id> threads;
};

struct Bridge {
    ThreadedEngine engine;
    std::unique_ptr<QueuedRecognizer> queued = std::make_unique<QueuedRecognizer>(engine);
    Heard heard;
    Bridge()
    {
        queued->setEvents({
            [this](int32_t, int32_t) { ++heard.starts; },
            [this](int32_t, int32_t, int32_t, int32_t, int32_t, const std::string& phrase, const std::string&,
                   int32_t) {
                heard.phrases.push_back(phrase);
                heard.threads.push_back(std::this_thread::get_id());
            },
        });
        queued->GrammarFromFile("words.txt");
        queued->Activate();
    }
    void reload()
    {
        queued->Deactivate();
        queued->GrammarFromFile("words.txt");
        queued->Activate();
    }
};

void runPosted() { QCoreApplication::processEvents(); }

} // namespace

TEST(QueuedRecognizer, EventsFromTheEngineThreadArriveOnTheUiThreadWhenTheLoopRuns)
{
    Bridge b;
    b.engine.hearOnAnotherThread("open notes");
    EXPECT_TRUE(b.heard.phrases.empty()) << "nothing runs on the engine's thread";
    runPosted();
    EXPECT_EQ(b.heard.phrases, std::vector<std::string>{"open notes"});
    EXPECT_EQ(b.heard.starts, 1);
    EXPECT_EQ(b.heard.threads, std::vector<std::thread::id>{std::this_thread::get_id()});
    EXPECT_EQ(b.engine.ops, (std::vector<std::string>{"load words.txt", "activate"}));
}

TEST(QueuedRecognizer, EventsRaisedBeforeOrDuringAReloadAreDropped)
{
    struct Case {
        const char* what;
        std::function<void(Bridge&)> between; // runs after the engine heard, before the loop runs
        std::vector<std::string> expected;
    } cases[] = {
        {"heard, then reloaded", [](Bridge& b) { b.reload(); }, {}},
        {"heard while deactivated", [](Bridge& b) { b.queued->Deactivate(); }, {}},
        {"heard, then a grammar loading", [](Bridge& b) { b.queued->GrammarFromFile("other.txt"); }, {}},
        {"heard, nothing else", [](Bridge&) {}, {"next"}},
    };
    for (const auto& c : cases) {
        Bridge b;
        b.engine.hearOnAnotherThread("next");
        c.between(b);
        runPosted();
        EXPECT_EQ(b.heard.phrases, c.expected) << c.what;
    }
}

TEST(QueuedRecognizer, ListeningAgainAfterAReloadHearsTheNewGrammar)
{
    Bridge b;
    b.queued->Deactivate();
    b.engine.hear("dropped");
    b.queued->GrammarFromFile("words.txt");
    b.queued->Activate();
    b.engine.hear("kept");
    runPosted();
    EXPECT_EQ(b.heard.phrases, std::vector<std::string>{"kept"});
}

TEST(QueuedRecognizer, AFailingOperationStaysTheCallersAndLeavesItNotListening)
{
    struct Failing : ThreadedEngine {
        void Activate() override { throw RecognizerError("no microphone"); }
    };
    Failing engine;
    QueuedRecognizer queued(engine);
    std::vector<std::string> phrases;
    queued.setEvents({{}, [&](int32_t, int32_t, int32_t, int32_t, int32_t, const std::string& p, const std::string&,
                              int32_t) { phrases.push_back(p); }});
    queued.GrammarFromFile("words.txt");
    EXPECT_THROW(queued.Activate(), RecognizerError);
    engine.hear("anything");
    runPosted();
    EXPECT_TRUE(phrases.empty());
}

TEST(QueuedRecognizer, AHandlerFailureIsReportedNotThrownIntoTheLoop)
{
    Bridge b;
    std::vector<std::string> failures;
    b.queued->failed = [&](const std::string& what) { failures.push_back(what); };
    b.queued->setEvents({{}, [](int32_t, int32_t, int32_t, int32_t, int32_t, const std::string&, const std::string&,
                                int32_t) { throw std::runtime_error("the handler broke"); }});
    b.engine.hear("x");
    runPosted();
    EXPECT_EQ(failures, std::vector<std::string>{"the handler broke"});
}

TEST(QueuedRecognizer, EventsStillQueuedWhenItGoesAreDroppedAndTheEngineIsDeactivated)
{
    Bridge b;
    b.engine.hearOnAnotherThread("late");
    b.queued.reset();
    runPosted();
    EXPECT_TRUE(b.heard.phrases.empty());
    EXPECT_EQ(b.engine.ops.back(), "deactivate");
    b.engine.hear("after"); // the engine's events are taken back: nothing to call
    runPosted();
    EXPECT_TRUE(b.heard.phrases.empty());
}
