// quillmere: the voice-command program for the Linux desktop. No arguments.
#include "DesktopApp.h"
#include "LiveRecognizer.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmere"));
    std::unique_ptr<qm::Recognizer> engine = qm::MakeLiveRecognizer();
    return qm::RunDesktop(*engine);
}
