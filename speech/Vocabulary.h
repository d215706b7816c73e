#pragma once
// Restarting the recognizer on words.txt and refilling the lists from the
// store files, with the single retry, and the Enable and Disable commands.
#include "CommandTable.h"
#include "DesktopServices.h"
#include "ListeningState.h"
#include "Recognizer.h"
#include "StoreFiles.h"

#include <functional>

namespace qm {

struct VocabularyContext {
    Recognizer& DirectSR1;
    const StorePaths& paths;
    CommandTable table;
    // The word list window's columns; asking for them creates that window.
    std::function<DisplayCopy()> wordList;
    DesktopServices& desktop;
    // Told of every reload's outcome and of Disable; none: every failure is told.
    ListeningState* listening = nullptr;
};

// Deactivate, load words.txt, activate, read the store files. The first
// failure after the deactivate is retried once from the load; a second
// failure passes to the caller. Only appends: callers empty the lists first.
void ReloadVocabulary(VocabularyContext& ctx);

// ReloadVocabulary for callers that must not end: a failure is reported in a
// message box naming its cause, and the lists are filled from the store files
// all the same, so the table shows while the program runs without listening.
// That the recognizer does not listen is told once, until it listens again.
// Returns whether the reload worked.
bool ReloadVocabularyOrReport(VocabularyContext& ctx);

// Empties the main window's three lists, then the word list window's.
void EmptySixLists(VocabularyContext& ctx);

// mnu_enable: empty the six lists, reload, then "Enabled".
void EnableCommand(VocabularyContext& ctx);
// mnu_disable1: deactivate, then "Disabled".
void DisableCommand(VocabularyContext& ctx);

} // namespace qm
