#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qm {

namespace {

const QByteArray kRequest = "forward\n";
const QByteArray kAnswer = "ok\n";

// A start that finds the store taken waits this long for the holder to
// listen; the holder may still be in its own start-up.
constexpr std::chrono::seconds kClaimWait{15};

QString socketPathFor(const std::string& storeDirectory)
{
    const QString dir = QString::fromStdString(storeDirectory);
    QString canonical = QFileInfo(dir).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(QDir(dir).absolutePath());
    const QByteArray key = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    // The runtime folder is the user's own; the shared temporary folder needs
    // the user's id in the name so users do not meet.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/quillmere-") + QString::fromLatin1(key);
    return QDir::tempPath() + QStringLiteral("/quillmere-%1-").arg(::getuid()) + QString::fromLatin1(key);
}

} // namespace

SingleInstance::SingleInstance(const std::string& storeDirectory) : socketPath_(socketPathFor(storeDirectory))
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&server_, &QLocalServer::newConnection, [this] { serve(); });
}

SingleInstance::~SingleInstance()
{
    server_.close();
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

SingleInstance::Outcome SingleInstance::claim()
{
    const auto giveUp = std::chrono::steady_clock::now() + kClaimWait;
    for (;;) {
        if (askRunningOne())
            return Outcome::HandedOver;
        if (takeLock()) {
            // A socket left by a program that was killed answers nobody.
            QLocalServer::removeServer(socketPath_);
            if (!server_.listen(socketPath_))
                std::fprintf(stderr, "quillmere: later starts cannot reach this one: %s: %s\n",
                             qPrintable(socketPath_), qPrintable(server_.errorString()));
            return Outcome::First;
        }
        if (std::chrono::steady_clock::now() >= giveUp)
            return Outcome::NoAnswer;
        QThread::msleep(100);
    }
}

bool SingleInstance::askRunningOne()
{
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(2000))
        return false;
    socket.write(kRequest);
    socket.waitForBytesWritten(2000);
    // The answer says the window came forward. A holder that is connected but
    // slow to answer still runs: it gets the request when its loop is free.
    while (socket.bytesAvailable() < kAnswer.size() && socket.waitForReadyRead(5000)) {
    }
    return true;
}

bool SingleInstance::takeLock()
{
    if (lockFd_ < 0) {
        // Close-on-exec: a program started from here must not keep the lock
        // once this one has ended.
        const QByteArray path = QFile::encodeName(socketPath_ + QStringLiteral(".lock"));
        lockFd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lockFd_ < 0) {
            // Without a lock file the socket alone keeps later starts away.
            std::fprintf(stderr, "quillmere: %s: %s\n", path.constData(), std::strerror(errno));
            return true;
        }
    }
    return ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
}

void SingleInstance::serve()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine();
            if (line == kRequest)
                forward();
            socket->write(kAnswer);
            socket->disconnectFromServer();
        });
    }
}

void SingleInstance::forward()
{
    if (bringForward_)
        bringForward_();
    else
        pending_ = true;
}

void SingleInstance::setBringForward(std::function<void()> bringForward)
{
    bringForward_ = std::move(bringForward);
    if (pending_ && bringForward_) {
        pending_ = false;
        bringForward_();
    }
}

} // namespace qm
