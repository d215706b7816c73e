#include "OpenPlan.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <optional>

namespace qm {

namespace {

// A scheme of two letters or more: "C:\x" is a Windows path, not an address.
bool hasUrlScheme(const QString& t)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(t).hasMatch();
}

// "~/x" from the home folder; a relative path from the home folder too, where
// programs started by Open run.
QString resolvePath(const QString& path, const QString& home)
{
    if (path == QLatin1String("~"))
        return home;
    if (path.startsWith(QLatin1String("~/")))
        return home + path.mid(1);
    return QDir(home).absoluteFilePath(path);
}

bool isProgramFile(const QFileInfo& info) { return info.isFile() && info.isExecutable(); }

// Words as a POSIX shell splits them, with its quoting and nothing else: no
// variables, globs, redirections or command substitution. Nothing for an
// unclosed quote or a trailing backslash.
std::optional<QStringList> splitShellWords(const QString& text)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\'')) {
            const qsizetype end = text.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return std::nullopt;
            word += text.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= text.size())
                    return std::nullopt;
                const QChar d = text[i];
                if (d == QLatin1Char('"'))
                    break;
                // Inside double quotes a backslash escapes only these.
                if (d == QLatin1Char('\\') && i + 1 < text.size() &&
                    QStringLiteral("\"\\$`").contains(text[i + 1]))
                    word += text[++i];
                else
                    word += d;
            }
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 >= text.size())
                return std::nullopt;
            word += text[++i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words << word;
    return words;
}

OpenPlan nothing(const QString& why)
{
    OpenPlan p;
    p.why = why;
    return p;
}

} // namespace

OpenPlan PlanOpen(const QString& target, const QString& home)
{
    const QString t = target.trimmed();
    if (t.isEmpty())
        return nothing(QStringLiteral("the target is empty"));

    if (t.startsWith(QLatin1String("www."), Qt::CaseInsensitive) || hasUrlScheme(t)) {
        OpenPlan p;
        p.way = OpenPlan::Way::Open;
        p.url = hasUrlScheme(t) ? QUrl(t, QUrl::TolerantMode) : QUrl::fromUserInput(t);
        if (!p.url.isValid())
            return nothing(QStringLiteral("not a valid address: ") + p.url.errorString());
        return p;
    }

    // The whole target first: a path may hold blanks.
    const QFileInfo whole(resolvePath(t, home));
    if (whole.exists()) {
        OpenPlan p;
        if (isProgramFile(whole)) {
            p.way = OpenPlan::Way::Program;
            p.program = whole.absoluteFilePath();
        } else {
            p.way = OpenPlan::Way::Open;
            p.url = QUrl::fromLocalFile(whole.absoluteFilePath());
        }
        return p;
    }

    const std::optional<QStringList> split = splitShellWords(t);
    if (!split)
        return nothing(QStringLiteral("a quote is not closed"));
    QStringList words = *split;
    if (words.isEmpty())
        return nothing(QStringLiteral("the target holds no program name"));
    const QString first = words.takeFirst();
    OpenPlan p;
    p.arguments = words;
    if (first.contains(QLatin1Char('/')) || first.startsWith(QLatin1Char('~'))) {
        const QFileInfo info(resolvePath(first, home));
        if (!info.exists())
            return nothing(QStringLiteral("no such file: ") + info.absoluteFilePath());
        if (!isProgramFile(info))
            return nothing(info.absoluteFilePath() + QStringLiteral(" is not an executable file"));
        p.program = info.absoluteFilePath();
    } else {
        p.program = QStandardPaths::findExecutable(first);
        if (p.program.isEmpty())
            return nothing(QStringLiteral("no file of that name in the home folder, and no program \"") + first +
                           QStringLiteral("\" on PATH"));
    }
    p.way = OpenPlan::Way::Program;
    return p;
}

} // namespace qm
