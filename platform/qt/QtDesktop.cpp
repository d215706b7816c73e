#include "QtDesktop.h"

#include "DeleteByPattern.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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

void QtDesktop::openTarget(const std::string& target, NativeHandle)
{
    const QString t = QString::fromUtf8(target.c_str());
    QFileInfo info(t);
    // A program is started on its own, in the home folder; a document,
    // folder or address goes to the desktop's default application.
    if (info.isFile() && info.isExecutable()) {
        QProcess::startDetached(info.absoluteFilePath(), {}, QDir::homePath());
        return;
    }
    QDesktopServices::openUrl(QUrl::fromUserInput(t, QDir::homePath(), QUrl::AssumeLocalFile));
}

DeleteOutcome QtDesktop::deleteByPattern(const std::string& pattern)
{
    return DeleteFilesByPattern(pattern);
}

void QtDesktop::messageBox(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), QString::fromUtf8(text.c_str()), QMessageBox::Ok);
    // The main window stays on top of others; a box under it would go unseen.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
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

} // namespace qm
