// The three handlers that write the store (the add window's Save, the word
// list's Delete, the main window's close) never write over bytes the program
// has not seen: a hand edit is read first, an unclean store is backed up.
#include "ScriptedProgram.h"
#include "FakeBackends.h"
#include "FakeDesktop.h"
#include "FakeFrontEnd.h"
#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "ScriptedRecognizer.h"
#include "TestFolder.h"
#include "WindowSet.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;

namespace {

const std::string kHeader = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n";

struct App : test::ScriptedProgram {
    App(const std::string& words, const std::string& dirs, const std::string& desc)
    {
        dir.write("words.txt", words);
        dir.write("dirs.txt", dirs);
        dir.write("desc.txt", desc);
        EXPECT_TRUE(set.start());
        desktop.messages.clear();
    }
    // Another program saves the files anew, with LF line ends.
    void handEdit(const std::string& words, const std::string& dirs, const std::string& desc)
    {
        for (const char* name : {"words.txt", "dirs.txt", "desc.txt"})
            std::filesystem::remove(dir.file(name));
        dir.write("words.txt", words);
        dir.write("dirs.txt", dirs);
        dir.write("desc.txt", desc);
    }
    void add(const std::string& phrase)
    {
        Form3& f3 = set.form3();
        f3.Text1.userSetText(phrase);
        f3.Command1.userClick();
    }
    void deleteRow(int row)
    {
        set.form2().List2.userSelect(row);
        set.form2().Command2.userClick();
    }
    std::vector<std::string> backups() const
    {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.dir()))
            if (e.path().extension() == ".bak")
                out.push_back(e.path().filename().string());
        return out;
    }
};

App twoEntries()
{
    return App(kHeader + "<start>=one\r\n<start>=two\r\n\r\n", "t1\r\n\r\nt2\r\n\r\n", "Open\r\n\r\nShow\r\n\r\n");
}

} // namespace

TEST(StoreEdits, AnEntryAddedAfterAHandEditJoinsTheEditedTable)
{
    App app = twoEntries();
    app.handEdit("<start>=one\n<start>=two\n<start>=by hand\n", "t1\nt2\nt3\n", "Open\nShow\nHide\n");
    app.add("added");
    EXPECT_EQ(app.dir.read("words.txt"), kHeader + "<start>=one\r\n<start>=two\r\n<start>=by hand\r\n<start>=added\r\n\r\n");
    EXPECT_EQ(app.dir.read("desc.txt").rfind("Open\r\n\r\nShow\r\n\r\nHide\r\n\r\n", 0), 0u) << app.dir.read("desc.txt");
    EXPECT_EQ(app.set.form1().List3.ListCount(), 4);
    EXPECT_TRUE(app.desktop.messages.empty()) << app.desktop.messages[0];
    EXPECT_TRUE(app.backups().empty());
}

TEST(StoreEdits, ADeleteAfterAHandEditReadsAgainAndDeletesNothing)
{
    App app = twoEntries();
    app.set.form2().List2.userSelect(0);
    const std::string words = "<start>=new first\n<start>=one\n<start>=two\n";
    app.handEdit(words, "t0\nt1\nt2\n", "Hide\nOpen\nShow\n");
    app.set.form2().Command2.userClick();
    EXPECT_EQ(app.dir.read("words.txt"), words) << "the row picked belonged to the old table";
    ASSERT_EQ(app.desktop.messages.size(), 1u);
    EXPECT_NE(app.desktop.messages[0].find("changed on disk"), std::string::npos) << app.desktop.messages[0];
    EXPECT_EQ(app.set.form1().List1.Items(), (std::vector<std::string>{"new first", "one", "two"}));
    EXPECT_EQ(app.sr.grammar(), (std::vector<std::string>{"new first", "one", "two"}));
}

TEST(StoreEdits, ACloseAfterAHandEditKeepsIt)
{
    App app = twoEntries();
    app.handEdit("<start>=one\n<start>=two\n<start>=by hand\n", "t1\nt2\nt3\n", "Open\nShow\nHide\n");
    app.set.form1().userClose();
    EXPECT_EQ(app.dir.read("words.txt"), kHeader + "<start>=one\r\n<start>=two\r\n<start>=by hand\r\n\r\n");
    EXPECT_TRUE(app.backups().empty());
}

// Save, Delete and the close each keep an unclean store before writing, say
// where, and still write: the program keeps working.
TEST(StoreEdits, EveryWriterKeepsAStoreThatWasNotReadCleanly)
{
    struct Writer {
        const char* what;
        std::function<void(App&)> write;
    } writers[] = {
        {"Save", [](App& a) { a.add("added"); }},
        {"Delete", [](App& a) { a.deleteRow(0); }},
        {"close", [](App& a) { a.set.form1().userClose(); }},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.what);
        // dirs.txt holds one target fewer than there are phrases.
        const std::string words = kHeader + "<start>=one\r\n<start>=two\r\n\r\n", dirs = "t1\r\n\r\n",
                          desc = "Open\r\n\r\nShow\r\n\r\n";
        App app(words, dirs, desc);
        w.write(app);
        ASSERT_EQ(app.backups().size(), 3u);
        for (const auto& b : app.backups()) {
            const std::string& old = b.rfind("words", 0) == 0 ? words : b.rfind("dirs", 0) == 0 ? dirs : desc;
            EXPECT_EQ(app.dir.read(b), old) << b;
        }
        ASSERT_FALSE(app.desktop.messages.empty());
        EXPECT_NE(app.desktop.messages[0].find(app.dir.file(app.backups()[0])), std::string::npos)
            << app.desktop.messages[0];
        EXPECT_NE(app.desktop.messages[0].find("different numbers of entries"), std::string::npos);
        for (const auto& m : app.desktop.messages)
            EXPECT_EQ(m.find("could not be saved"), std::string::npos) << "the save itself goes through: " << m;
    }
}
