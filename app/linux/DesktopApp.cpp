#include "DesktopApp.h"

#include "Backends.h"
#include "Form1.h"
#include "QtDesktop.h"
#include "QtFrontEnd.h"
#include "QueuedRecognizer.h"
#include "SignalExit.h"
#include "WindowSet.h"

#include <QApplication>

namespace qm {

int RunDesktop(Recognizer& engine, const StartedHook& started)
{
    // The tray icon keeps the program running while its windows are hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon());

    // Declared in this order so that each outlives what uses it.
    QtDesktop desktop;
    QtFrontEnd frontEnd;
    QueuedRecognizer recognizer(engine);
    WindowSet set({desktop, frontEnd, recognizer, DesktopPlayer(), DesktopSession()});

    // A failure that no handler caught ends the program after saying what it was.
    auto stop = [&desktop](const std::string& what) {
        desktop.messageBox(std::string(kAppTitle) + " has to stop: " + what);
        QCoreApplication::exit(1);
    };
    frontEnd.failed = stop;
    recognizer.failed = stop;

    // Asked to end (a log-out, kill, Ctrl+C): end as Exit does, also while a
    // box of the start-up waits.
    bool ended = false;
    ExitOnSignals onSignal([&set, &ended] {
        ended = true;
        set.form1().mnu_exit_Click();
    });

    try {
        if (!set.start())
            return 1;
    } catch (const std::exception& e) {
        desktop.messageBox(std::string(kAppTitle) + " cannot start: " + e.what());
        return 1;
    }
    if (ended)
        return 0;
    if (started)
        started(set, frontEnd);
    return QApplication::exec();
}

} // namespace qm
