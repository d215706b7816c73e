#pragma once
// One program per store folder. The first start listens on a local socket
// named after the store folder; a later start finds it there, asks it to bring
// its main window forward, and ends. A lock file beside the socket settles two
// starts at the same moment: only its holder listens.
#include <QLocalServer>
#include <QString>

#include <functional>
#include <string>

namespace qm {

class SingleInstance {
public:
    enum class Outcome {
        First,      // this is the store's one program; it goes on
        HandedOver, // another one runs and was asked to come forward
        NoAnswer,   // another one holds the store but does not answer
    };

    explicit SingleInstance(const std::string& storeDirectory);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Outcome claim();

    // Runs for every later start, on the UI thread; a request that came
    // before this was set runs as soon as it is.
    void setBringForward(std::function<void()> bringForward);

    // The socket's path: in the user's runtime folder, named by a hash of the
    // store folder's canonical path.
    const QString& socketPath() const { return socketPath_; }

private:
    bool askRunningOne();
    bool takeLock();
    void serve();
    void forward();

    QString socketPath_;
    int lockFd_ = -1;
    QLocalServer server_;
    std::function<void()> bringForward_;
    bool pending_ = false;
};

} // namespace qm
