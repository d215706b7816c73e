// The SAPI 5 recognizer. Under Wine no speech recognizer is registered, so the
// engine's own failure path is what runs here; the grammar's phrase table is
// checked without an engine.
#include "FakeDesktop.h"
#include "SapiRecognizer.h"
#include "TestFolder.h"
#include "Vocabulary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qm;

namespace qm {
// Failures show the phrase, not its bytes.
void PrintTo(const SapiPhrase& p, std::ostream* os)
{
    *os << "{" << p.index << ", " << testing::PrintToString(p.words) << "}";
}
} // namespace qm

namespace {

struct PhraseCase {
    const char* what;
    std::vector<std::string> phrases;
    std::vector<SapiPhrase> spoken;
};

class SapiPhrases : public testing::TestWithParam<PhraseCase> {};

const std::string kWords = "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n<start>=Open Notepad\r\n<start>=i c q\r\n\r\n";

} // namespace

TEST_P(SapiPhrases, OneEntryPerSpokenFormFirstInFileOrder)
{
    EXPECT_EQ(SapiGrammarPhrases(GetParam().phrases), GetParam().spoken);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SapiPhrases,
    testing::Values(
        PhraseCase{"kept_as_written", {"Open Notepad", "i c q", "a=b!"}, {{0, L"Open Notepad"}, {1, L"i c q"}, {2, L"a=b!"}}},
        PhraseCase{"blanks_separate_words", {" Play ", "next\t  track"}, {{0, L"Play"}, {1, L"next track"}}},
        PhraseCase{"case_and_blanks_differences_keep_the_first",
                   {"open notepad", "Open  Notepad", "OPEN\tNOTEPAD", "open note pad"},
                   {{0, L"open notepad"}, {3, L"open note pad"}}},
        PhraseCase{"phrases_without_words_are_left_out", {"", "   ", "go", "\t"}, {{2, L"go"}}},
        PhraseCase{"ansi_letters_fold_too", {"caf\xE9", "CAF\xC9"}, {{0, L"caf\u00E9"}}},
        PhraseCase{"nothing", {}, {}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(SapiRecognizer, WithoutAnEngineLoadAndActivateFailWithTheCause)
{
    test::TestFolder dir;
    dir.write("words.txt", kWords);
    SapiRecognizer sr;
    EXPECT_NO_THROW(sr.Deactivate()) << "nothing is listening yet";
    std::string loadFailure;
    try {
        sr.GrammarFromFile(dir.file("words.txt"));
        FAIL() << "no recognizer is registered under Wine";
    } catch (const RecognizerError& e) {
        loadFailure = e.what();
    }
    EXPECT_NE(loadFailure.find("recognizer"), std::string::npos) << loadFailure;
    try {
        sr.Activate();
        FAIL() << "nothing was loaded";
    } catch (const RecognizerError& e) {
        EXPECT_EQ(std::string(e.what()), loadFailure) << "the reason is repeated, not lost";
    }
    // Trying again fails the same way rather than half-working.
    EXPECT_THROW(sr.GrammarFromFile(dir.file("words.txt")), RecognizerError);
}

TEST(SapiRecognizer, AnUnreadableGrammarNamesTheFile)
{
    test::TestFolder dir;
    SapiRecognizer sr;
    try {
        sr.GrammarFromFile(dir.file("missing.txt"));
        FAIL();
    } catch (const RecognizerError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.txt"), std::string::npos) << e.what();
    }
}

TEST(SapiRecognizer, TheReloadReportsOneBoxAndStillFillsTheLists)
{
    test::TestFolder dir;
    dir.write("words.txt", kWords);
    dir.write("dirs.txt", "C:\\Windows\\notepad.exe\r\n\r\nC:\\icq\\icq.exe\r\n\r\n");
    dir.write("desc.txt", "Open\r\n\r\nOpen\r\n\r\n");
    const StorePaths paths = EnsureStoreFiles(dir.dir());
    ListBox l1("List1"), l2("List2"), l3("List3"), c1("List1"), c2("List2"), c3("List3");
    SapiRecognizer sr;
    FakeDesktop desktop;
    VocabularyContext ctx{sr, paths, {l1, l2, l3}, [&] { return DisplayCopy{c1, c2, c3}; }, desktop};

    EXPECT_FALSE(ReloadVocabularyOrReport(ctx));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_NE(desktop.messages[0].find("recognizer"), std::string::npos) << desktop.messages[0];
    EXPECT_EQ(l1.Items(), (std::vector<std::string>{"Open Notepad", "i c q"}));
    EXPECT_EQ(l2.Items(), (std::vector<std::string>{"C:\\Windows\\notepad.exe", "C:\\icq\\icq.exe"}));
    EXPECT_EQ(l3.Items(), (std::vector<std::string>{"Open", "Open"}));
    EXPECT_EQ(c3.Items(), (std::vector<std::string>{"notepad.exe", "icq.exe"}));
}
