// quillmere: the voice-command program for the Linux desktop.
#include "CommandLine.h"
#include "DesktopApp.h"
#include "LiveRecognizer.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before Qt: --help and --version work without a display.
    if (const int status = qm::ReadProgramOptions(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    if (!qm::NoArgumentsLeft(argc, argv))
        return 2;
    QApplication::setApplicationName(QStringLiteral("quillmere"));
    std::unique_ptr<qm::Recognizer> engine = qm::MakeLiveRecognizer();
    return qm::RunDesktop(*engine);
}
