#include "Vocabulary.h"

#include "EventLog.h"

namespace qm {

namespace {

// Reads all three files before appending anything, so a failed read leaves
// the lists untouched and the retry cannot add entries twice.
void readAllOrNothing(VocabularyContext& ctx)
{
    ListBox l1("List1"), l2("List2"), l3("List3"), c1("List1"), c2("List2"), c3("List3");
    CommandTable table{l1, l2, l3};
    DisplayCopy copy{c1, c2, c3};
    ReadStoreFiles(ctx.paths, table, copy);
    auto check = [](const ListBox& into, const ListBox& from, const std::string& file) {
        if (into.ListCount() + from.ListCount() > ListBox::kMaxItems)
            throw StoreError(file, "holds more than 32,767 items");
    };
    DisplayCopy dest = ctx.wordList();
    check(ctx.table.List1, l1, ctx.paths.words);
    check(ctx.table.List2, l2, ctx.paths.dirs);
    check(ctx.table.List3, l3, ctx.paths.desc);
    check(dest.List1, c1, ctx.paths.words);
    check(dest.List3, c3, ctx.paths.dirs);
    check(dest.List2, c2, ctx.paths.desc);
    auto append = [](ListBox& into, const ListBox& from) {
        for (const auto& item : from.Items())
            into.AddItem(item);
    };
    append(ctx.table.List1, l1);
    append(dest.List1, c1);
    append(ctx.table.List2, l2);
    append(dest.List3, c3);
    append(ctx.table.List3, l3);
    append(dest.List2, c2);
}

} // namespace

void ReloadVocabulary(VocabularyContext& ctx)
{
    bool retrySpent = false;
    try {
        ctx.DirectSR1.Deactivate();
    } catch (const std::exception&) {
        // Nothing is loaded yet at start-up, so a failing deactivate is passed over.
        retrySpent = true;
    }
    for (;;) {
        try {
            ctx.DirectSR1.GrammarFromFile(ctx.paths.words);
            ctx.DirectSR1.Activate();
            readAllOrNothing(ctx);
            return;
        } catch (const std::exception&) {
            if (retrySpent)
                throw;
            retrySpent = true;
        }
    }
}

bool ReloadVocabularyOrReport(VocabularyContext& ctx)
{
    try {
        ReloadVocabulary(ctx);
        if (ctx.listening)
            ctx.listening->listening();
        return true;
    } catch (const StoreError& e) {
        // Only the files failed: the recognizer was started before they were read.
        if (ctx.listening)
            ctx.listening->listening();
        ctx.desktop.messageBox("The word list could not be read: " + std::string(e.what()));
        return false;
    } catch (const std::exception& e) {
        logEvent("not listening: " + std::string(e.what()));
        if (!ctx.listening || ctx.listening->failed())
            ctx.desktop.messageBox("Quillmere Voice Command is not listening: " + std::string(e.what()) +
                                   "\r\n\r\nIts tray icon stays grey until it listens. Enable it again, or add or "
                                   "delete a word, to retry.");
    }
    try {
        readAllOrNothing(ctx);
    } catch (const std::exception& e) {
        ctx.desktop.messageBox("The word list could not be read: " + std::string(e.what()));
    }
    return false;
}

void EmptySixLists(VocabularyContext& ctx)
{
    ctx.table.clear();
    DisplayCopy copy = ctx.wordList();
    copy.List1.Clear();
    copy.List2.Clear();
    copy.List3.Clear();
}

void EnableCommand(VocabularyContext& ctx)
{
    EmptySixLists(ctx);
    if (ReloadVocabularyOrReport(ctx))
        ctx.desktop.messageBox("Enabled");
}

void DisableCommand(VocabularyContext& ctx)
{
    try {
        ctx.DirectSR1.Deactivate();
    } catch (const std::exception& e) {
        ctx.desktop.messageBox("Listening could not be switched off: " + std::string(e.what()));
        return;
    }
    if (ctx.listening)
        ctx.listening->disabled();
    ctx.desktop.messageBox("Disabled");
}

} // namespace qm
