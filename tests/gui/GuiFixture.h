#pragma once
// The whole window set on the Qt front end, offscreen: the real widgets over
// the real forms, a desktop that answers message boxes and dialogs at once,
// the scripted recognizer and recording backends.
#include "FakeBackends.h"
#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "QtDesktop.h"
#include "QtFrontEnd.h"
#include "ScriptedRecognizer.h"
#include "TestFolder.h"
#include "WindowSet.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qm::test {

// The Qt desktop with its blocking parts answered: a test must never wait
// on a modal box or dialog.
class AnsweringDesktop : public QtDesktop {
public:
    explicit AnsweringDesktop(std::string dir) : dir_(std::move(dir)) {}
    void messageBox(const std::string& text) override { messages.push_back(text); }
    std::string storeDirectory() override { return dir_; }
    std::optional<std::string> openFileDialog(NativeHandle) override
    {
        if (dialogAnswers.empty())
            return std::nullopt;
        auto answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    std::string openTarget(const std::string& target, NativeHandle) override
    {
        opened.push_back(target);
        return {};
    }

    std::vector<std::string> messages;
    std::deque<std::optional<std::string>> dialogAnswers;
    std::vector<std::string> opened;

private:
    std::string dir_;
};

inline const std::string kGrammarHeader = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n";

struct Gui {
    TestFolder dir;
    AnsweringDesktop desktop{dir.dir()};
    QtFrontEnd frontEnd; // outlives the window set, which drops its windows first
    ScriptedRecognizer sr;
    FakePlayer player;
    FakeSession session;
    WindowSet set{{desktop, frontEnd, sr, player, session}};

    // Three entries: a program, a player command and a message.
    void seed()
    {
        dir.write("words.txt", kGrammarHeader + "<start>=open notes\r\n<start>=next\r\n<start>=say hi\r\n\r\n");
        dir.write("dirs.txt", "/opt/tools/notes\r\n\r\nString holder\r\n\r\nHello there\r\n\r\n");
        dir.write("desc.txt", "Open\r\n\r\nNext Track\r\n\r\nMessage Prompt\r\n\r\n");
    }
    // Offscreen has no notification area, so the start says so; that notice
    // is kept apart, and messages holds only what a test itself caused.
    std::string noTrayNotice;
    bool start()
    {
        const bool started = set.start();
        settle();
        if (started && !set.trayShown() && !desktop.messages.empty()) {
            noTrayNotice = desktop.messages.back();
            desktop.messages.pop_back();
        }
        return started;
    }

    Form1& f1() { return set.form1(); }
    Form2& f2() { return set.form2(); }
    Form3& f3() { return set.form3(); }
    Form4& f4() { return set.form4(); }

    template <class W = QWidget>
    W* widget(const Control& c)
    {
        return dynamic_cast<W*>(frontEnd.widget(c));
    }
    QWidget* window(const Form& f) { return frontEnd.window(f); }

    // One turn of the event loop: rows appended to lists show by then.
    static void settle() { QCoreApplication::sendPostedEvents(); }
    // A test that ended the program left Qt's mark that every event loop must
    // end at once; a test that runs a modal loop clears it first.
    static void clearQuit()
    {
        settle();
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        QCoreApplication::exec();
    }
    // Lets windows unbound by their own handlers go, as the event loop would.
    static void deleteDeferred() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

} // namespace qm::test
