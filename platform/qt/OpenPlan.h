#pragma once
// What an Open target means on Linux, worked out before anything starts:
//  - "www." or any "scheme:" is an address for the desktop's browser or handler;
//  - a file or folder that exists (absolute, "~/…", or relative to the home
//    folder) is started when it is an executable file, else opened with its
//    default application;
//  - anything else is a command: split into words as a shell would (blanks,
//    '…', "…" and backslashes), the first word a program on PATH (or a path
//    to one), started through no shell, so that ";", "|", "$(…)" and the like
//    are plain characters of an argument.
#include <QString>
#include <QStringList>
#include <QUrl>

namespace qm {

struct OpenPlan {
    enum class Way { Nothing, Program, Open };
    Way way = Way::Nothing;
    QString program;       // Program: the executable's absolute path
    QStringList arguments; // Program
    QUrl url;              // Open: an address, or a local file's URL
    QString why;           // Nothing: why nothing can start
};

// Looks programs up on the PATH of the moment.
OpenPlan PlanOpen(const QString& target, const QString& home);

} // namespace qm
