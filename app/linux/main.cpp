// quillmere: the voice-command program for the Linux desktop.
#include "CommandLine.h"
#include "DesktopApp.h"
#include "LiveRecognizer.h"
#include "QtDesktop.h"
#include "SingleInstance.h"
#include "WindowSet.h"

#include <QApplication>

#include <optional>

int main(int argc, char** argv)
{
    // Before Qt: --help and --version work without a display.
    if (const int status = qm::ReadProgramOptions(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    if (!qm::NoArgumentsLeft(argc, argv))
        return 2;
    QApplication::setApplicationName(QStringLiteral("quillmere"));

    // A second program on the same store would keep a table of its own, act
    // on every phrase a second time, and save over the first one's entries.
    std::optional<qm::SingleInstance> instance;
    try {
        instance.emplace(qm::LinuxStoreDirectory());
    } catch (const std::exception&) {
        // No store folder: the start-up says so itself.
    }
    if (instance) {
        switch (instance->claim()) {
        case qm::SingleInstance::Outcome::HandedOver:
            return 0;
        case qm::SingleInstance::Outcome::NoAnswer:
            qm::QtDesktop().messageBox(std::string(qm::kAppTitle) +
                                       " is already running for this word list, but does not answer.");
            return 1;
        case qm::SingleInstance::Outcome::First:
            break;
        }
    }

    std::unique_ptr<qm::Recognizer> engine = qm::MakeLiveRecognizer();
    return qm::RunDesktop(*engine, [&instance](qm::WindowSet& set, qm::QtFrontEnd&) {
        if (instance)
            // Show raises the main window and gives it the focus, also from hidden.
            instance->setBringForward([&set] { set.showMainWindow(); });
    });
}
