#include "QtDesktop.h"

#include "DeleteByPattern.h"
#include "OpenPlan.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>
#include <QWidget>

#include <cstdlib>
#include <stdexcept>

namespace qm {

namespace {
QWidget* widgetOf(NativeHandle h) { return reinterpret_cast<QWidget*>(h); }
}

std::string QtDesktop::openTarget(const std::string& target, NativeHandle)
{
    const OpenPlan plan = PlanOpen(QString::fromUtf8(target.c_str()), QDir::homePath());
    switch (plan.way) {
    case OpenPlan::Way::Nothing:
        return plan.why.toStdString();
    case OpenPlan::Way::Program: {
        // On its own, in the home folder, outliving this program.
        QProcess process;
        process.setProgram(plan.program);
        process.setArguments(plan.arguments);
        process.setWorkingDirectory(QDir::homePath());
        process.setStandardInputFile(QProcess::nullDevice());
        if (!process.startDetached())
            return (plan.program + QStringLiteral(" did not start: ") + process.errorString()).toStdString();
        return {};
    }
    case OpenPlan::Way::Open:
        if (!QDesktopServices::openUrl(plan.url))
            return "the desktop has no application to open " + plan.url.toString().toStdString() +
                   " (is xdg-open installed?)";
        return {};
    }
    return {};
}

DeleteOutcome QtDesktop::deleteByPattern(const std::string& pattern)
{
    return DeleteFilesByPattern(pattern);
}

void QtDesktop::messageBox(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), QString::fromUtf8(text.c_str()), QMessageBox::Ok);
    // A message is shown as typed: "<b>" is three characters, not bold.
    box.setTextFormat(Qt::PlainText);
    ShowAboveTheProgram(box);
}

std::string LinuxStoreDirectory()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + "/.local/share";
    const QString dir = base + "/quillmere";
    if (!QDir().mkpath(dir))
        throw std::runtime_error(dir.toStdString() + ": the folder cannot be created");
    return dir.toStdString();
}

std::string QtDesktop::storeDirectory()
{
    return LinuxStoreDirectory();
}

std::optional<std::string> QtDesktop::openFileDialog(NativeHandle owner)
{
    const QString file = QFileDialog::getOpenFileName(widgetOf(owner), QString(), QString(), "All Files (*)");
    if (file.isEmpty())
        return std::nullopt;
    return file.toStdString();
}

void KeepOnTop(QWidget* w)
{
    // Changing a window's flags hides it; a window already on top is left alone.
    if (!w || w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return;
    const bool shown = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (shown)
        w->show();
}

void QtDesktop::makeTopmost(NativeHandle window)
{
    KeepOnTop(widgetOf(window));
}

void ShowAboveTheProgram(QMessageBox& box)
{
    // The program's own windows are kept on top: a box that is not opens
    // behind them, and the program looks frozen while the box waits unseen.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // The window manager cuts a title wider than the box; the buttons of the
    // title bar and a bold title font take room beside the text.
    const QFontMetrics fm(box.font());
    const int title = fm.horizontalAdvance(box.windowTitle()) * 5 / 4 + 6 * fm.height();
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(title, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    box.exec();
}

} // namespace qm
