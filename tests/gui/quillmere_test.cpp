// quillmere-test: the desktop program as the tests and benchmarks drive it.
// Never shipped. It takes the same options and differs from quillmere in two ways:
//  - with QM_TEST_PHRASES naming a file or FIFO, the lines written to it are
//    heard instead of the microphone (see InjectedRecognizer);
//  - it reports on stdout, one line each:
//      QM_EXPOSED <unix time in ns>   when the main window is first exposed
//      QM_MESSAGE <text>              for each message box, line breaks as \n
//      QM_MESSAGE_FORMAT <plain|rich|auto>  and how it renders that text
#include "CommandLine.h"
#include "DesktopApp.h"
#include "Form1.h"
#include "InjectedRecognizer.h"
#include "LiveRecognizer.h"
#include "QtFrontEnd.h"
#include "WindowSet.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

void report(const char* what, const QString& text)
{
    std::printf("%s %s\n", what, text.toUtf8().constData());
    std::fflush(stdout);
}

long long unixNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

class Reporter : public QObject {
public:
    QWindow* main = nullptr;
    bool exposed = false;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                report("QM_MESSAGE", box->text().replace(QLatin1Char('\n'), QStringLiteral("\\n")));
                const Qt::TextFormat f = box->textFormat();
                report("QM_MESSAGE_FORMAT", f == Qt::PlainText ? QStringLiteral("plain")
                                            : f == Qt::RichText ? QStringLiteral("rich")
                                                                : QStringLiteral("auto"));
            }
        } else if (e->type() == QEvent::Expose && watched == main && !exposed && main->isExposed()) {
            exposed = true;
            report("QM_EXPOSED", QString::number(unixNanoseconds()));
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (const int status = qm::ReadProgramOptions(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmere"));
    Reporter reporter;
    app.installEventFilter(&reporter);

    const QByteArray injected = qgetenv("QM_TEST_PHRASES");
    std::unique_ptr<qm::Recognizer> engine;
    if (injected.isEmpty())
        engine = qm::MakeLiveRecognizer();
    else
        engine = std::make_unique<qm::test::InjectedRecognizer>(injected.toStdString());

    return qm::RunDesktop(*engine, [&reporter](qm::WindowSet& set, qm::QtFrontEnd& frontEnd) {
        QWidget* main = frontEnd.window(set.form1());
        reporter.main = main ? main->windowHandle() : nullptr;
        if (reporter.main && reporter.main->isExposed() && !reporter.exposed) {
            reporter.exposed = true;
            report("QM_EXPOSED", QString::number(unixNanoseconds()));
        }
    });
}
