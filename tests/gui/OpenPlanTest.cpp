// What an Open target means on Linux, decided before anything starts: the
// cases the real-program test does not reach (it checks what starts).
#include "OpenPlan.h"
#include "TestFolder.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;
using Way = OpenPlan::Way;

TEST(OpenPlan, EachTargetFindsItsWayOrSaysWhyNot)
{
    test::TestFolder home;
    const QString h = QString::fromStdString(home.dir());
    std::filesystem::create_directories(home.file("bin"));
    std::filesystem::create_directories(home.file("My Folder"));
    home.write("bin/tool", "#!/bin/sh\n");
    std::filesystem::permissions(home.file("bin/tool"), std::filesystem::perms::owner_all);
    home.write("letter.txt", "text");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", (h + "/bin").toUtf8());

    struct Case {
        QString target;
        Way way;
        QString program;   // Program: its path; Open: the URL; Nothing: a piece of the reason
        QStringList arguments;
    } cases[] = {
        {"tool", Way::Program, h + "/bin/tool", {}},
        {"  tool  -x 'a b' \"c\\\"d\" e\\ f  ", Way::Program, h + "/bin/tool", {"-x", "a b", "c\"d", "e f"}},
        {"~/bin/tool --go", Way::Program, h + "/bin/tool", {"--go"}},
        {"My Folder", Way::Open, QUrl::fromLocalFile(h + "/My Folder").toString(QUrl::FullyEncoded), {}},
        {"~/letter.txt", Way::Open, QUrl::fromLocalFile(h + "/letter.txt").toString(QUrl::FullyEncoded), {}},
        {"WWW.Example.org/a b", Way::Open, "http://www.example.org/a%20b", {}},
        {"ftp://host/file", Way::Open, "ftp://host/file", {}},
        {"", Way::Nothing, "empty", {}},
        {"C:\\Tools\\notes.exe", Way::Nothing, "on PATH", {}},
        {"tool 'unclosed", Way::Nothing, "quote", {}},
        {"letter.txt now", Way::Nothing, "on PATH", {}},
        {"~/letter.txt now", Way::Nothing, "not an executable file", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        const OpenPlan p = PlanOpen(c.target, h);
        EXPECT_EQ(p.way, c.way) << p.why.toStdString();
        switch (c.way) {
        case Way::Program:
            EXPECT_EQ(p.program.toStdString(), c.program.toStdString());
            EXPECT_EQ(p.arguments.join('|').toStdString(), c.arguments.join('|').toStdString());
            break;
        case Way::Open:
            EXPECT_EQ(p.url.toString(QUrl::FullyEncoded).toStdString(), c.program.toStdString());
            break;
        case Way::Nothing:
            EXPECT_TRUE(p.why.contains(c.program)) << p.why.toStdString();
            break;
        }
    }
    qputenv("PATH", oldPath);
}
