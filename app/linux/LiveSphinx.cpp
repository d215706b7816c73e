#include "LiveRecognizer.h"

#include "LostMicrophone.h"
#include "QtDesktop.h"
#include "UnheardPhrases.h"

#include "speech/sphinx/PhraseGrammar.h"
#include "speech/sphinx/PulseCapture.h"
#include "speech/sphinx/SphinxRecognizer.h"

#include <QCoreApplication>
#include <QObject>

#include <stdexcept>

namespace qm {

namespace {

// PocketSphinx on the default PulseAudio source. The capture thread hands
// each buffer to the UI thread, which decodes it there.
class LiveSphinx : public Recognizer {
public:
    LiveSphinx()
    {
        engine_.setEvents({
            [this](int32_t a, int32_t b) {
                if (events_.PhraseStart)
                    events_.PhraseStart(a, b);
            },
            [this](int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5, const std::string& phrase,
                   const std::string& a7, int32_t a8) {
                if (events_.PhraseFinish)
                    events_.PhraseFinish(a1, a2, a3, a4, a5, phrase, a7, a8);
            },
        });
    }

    ~LiveSphinx() override
    {
        capture_.stop();
        // Buffers still on their way to the UI thread are dropped with their context.
        delete context_;
    }

    void Deactivate() override { engine_.Deactivate(); }
    void GrammarFromFile(const std::string& path) override
    {
        engine_.GrammarFromFile(path);
        tellAboutUnheardPhrases();
    }

    void Activate() override
    {
        engine_.Activate();
        told_ = false;
        if (capture_.running())
            return;
        // The microphone opens with the first activation and stays open;
        // a deactivated engine drops what it hears.
        try {
            QObject* context = context_;
            capture_.listen(
                engine_,
                [this, context](std::function<void()> feed) {
                    QMetaObject::invokeMethod(
                        context, [this, feed = std::move(feed)] { feedTellingOfFailure(feed); }, Qt::QueuedConnection);
                },
                [this, context](const std::string& reason) {
                    QMetaObject::invokeMethod(
                        context, [this, reason] { tellOfLostMicrophone(reason); }, Qt::QueuedConnection);
                });
        } catch (const std::runtime_error& e) {
            engine_.Deactivate();
            throw RecognizerError(e.what());
        }
    }

private:
    // An exception must not leave a queued call: the event loop cannot
    // carry it. The engine goes on with the next audio; the user is told
    // once, as the same cause would fail every stretch.
    void feedTellingOfFailure(const std::function<void()>& feed)
    {
        try {
            feed();
        } catch (const RecognizerError& e) {
            if (told_)
                return;
            told_ = true;
            QtDesktop().messageBox(std::string(kAppTitle) + " cannot hear commands: " + e.what());
        }
    }

    // The capture seeks the sound server again by itself; the user learns
    // why commands go unheard meanwhile. One box at a time: a server that
    // comes and goes would otherwise stack them.
    void tellOfLostMicrophone(const std::string& reason)
    {
        engine_.abandon();
        if (tellingOfLoss_)
            return;
        tellingOfLoss_ = true;
        QtDesktop().messageBox(LostMicrophoneMessage(reason));
        tellingOfLoss_ = false;
    }

    void tellAboutUnheardPhrases()
    {
        const std::string text = UnheardPhrasesMessage(engine_.unheardPhrases(), engine_.unknownWords(), engine_.longPhrases(),
                                                        sphinx::PhraseGrammar::kMaxWords);
        // The reload's retry may load twice; the user is told once.
        if (text.empty() || telling_)
            return;
        telling_ = true;
        // Shown once the reload is over: a box opened here would run the
        // event loop in the middle of refilling the lists.
        QMetaObject::invokeMethod(
            context_,
            [this, text] {
                telling_ = false;
                QtDesktop().messageBox(text);
            },
            Qt::QueuedConnection);
    }

    SphinxRecognizer engine_;
    PulseCapture capture_;
    bool telling_ = false;
    bool told_ = false;  // of a failure to hear, since the last activation
    bool tellingOfLoss_ = false;
    QObject* context_ = new QObject;
};

} // namespace

std::unique_ptr<Recognizer> MakeLiveRecognizer()
{
    return std::make_unique<LiveSphinx>();
}

} // namespace qm
