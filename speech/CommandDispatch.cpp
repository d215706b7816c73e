#include "CommandDispatch.h"

#include "Class1.h"
#include "CommandKinds.h"
#include "EventLog.h"
#include "cls_Winamp.h"

#include <optional>

namespace qm {

namespace {

// One log line per command: ran, or failed and why. The failures the user is
// not shown (a target that does not start, no player, a refused session end)
// are found here.
void logOutcome(const std::string& phrase, std::string_view kind, const std::string& target, const std::string& cause)
{
    if (!eventLogEnabled())
        return;
    // Appended piece by piece: GCC 12 at -O3 takes "text" + string for an overlapping copy.
    std::string line = cause.empty() ? "ran " : "failed ";
    line += logQuoted(phrase);
    line += ": ";
    line += kind;
    if (!target.empty()) {
        line += ' ';
        line += logQuoted(target);
    }
    if (!cause.empty()) {
        line += ": ";
        line += cause;
    }
    logEvent(line);
}

void report(DispatchContext& ctx, const std::string& phrase, const std::string& target, const std::string& reason)
{
    logOutcome(phrase, "the entry", target, reason);
    ctx.desktop.messageBox("The command for \"" + phrase + "\" (target \"" + target + "\") could not be carried out: " +
                           reason);
}

// Selects entry i in the three lists. Files that disagree can leave a list
// shorter than the phrases; that entry is then reported instead of run.
bool selectEntry(DispatchContext& ctx, int i, const std::string& phrase)
{
    CommandTable& t = ctx.table;
    t.List1.setListIndex(i);
    const bool haveTargets = t.List2.ListCount() > 0;
    if (haveTargets && i >= t.List2.ListCount()) {
        report(ctx, phrase, "", "dirs.txt holds no target for entry " + std::to_string(i + 1));
        return false;
    }
    if (haveTargets)
        t.List2.setListIndex(i);
    if (i >= t.List3.ListCount()) {
        report(ctx, phrase, t.List2.List(i), "desc.txt holds no command for entry " + std::to_string(i + 1));
        return false;
    }
    t.List3.setListIndex(i);
    return true;
}

void carryOut(DispatchContext& ctx, const CommandKind& kind, const std::string& phrase, const std::string& target,
              cls_Winamp& winamp, std::optional<Class1>& session)
{
    switch (kind.action) {
    case KindAction::Open:
        logOutcome(phrase, kind.text, target, ctx.desktop.openTarget(target, ctx.windows.mainWindowHandle()));
        break;
    case KindAction::Delete:
        if (auto outcome = ctx.desktop.deleteByPattern(target); !outcome.error.empty())
            report(ctx, phrase, target, outcome.error);
        else
            logOutcome(phrase, kind.text, target, {});
        break;
    case KindAction::MessagePrompt:
        // Logged before the box, which waits for the user.
        logOutcome(phrase, kind.text, target, {});
        ctx.desktop.messageBox(target);
        break;
    case KindAction::Player:
        logOutcome(phrase, kind.text, {}, winamp.Execute(kind.argument));
        break;
    case KindAction::ShutDown:
    case KindAction::Restart:
    case KindAction::LogOff:
        if (!session)
            session.emplace(ctx.session);
        logOutcome(phrase, kind.text, {}, session->ExitWindows(kind.argument));
        break;
    case KindAction::Hide:
        logOutcome(phrase, kind.text, {}, {});
        ctx.windows.hideForVoice();
        break;
    case KindAction::Show:
        logOutcome(phrase, kind.text, {}, {});
        ctx.windows.showMainWindow();
        break;
    }
}

} // namespace

void DirectSR1_PhraseFinish(DispatchContext& ctx, int32_t, int32_t, int32_t, int32_t, int32_t, const std::string& phraseArg,
                            const std::string&, int32_t)
{
    // A message box below runs the event loop, which may deliver the next
    // event; keep our own copy of the phrase.
    const std::string phrase = phraseArg;
    cls_Winamp winamp(ctx.player);
    std::optional<Class1> session;
    CommandTable& t = ctx.table;

    t.List1.setListIndex(-1);
    ctx.Image1.setVisible(false);
    // Read once: entries added or removed while a message box waits do not
    // change how far this lookup goes.
    const int n = t.count();
    if (phrase.empty()) {
        t.List1.setListIndex(-1);
        t.List2.setListIndex(-1);
        t.List3.setListIndex(-1);
        return;
    }
    bool matched = false;
    for (int i = 0; i < n; ++i) {
        const bool same = t.phrase(i) == phrase;
        matched = matched || same;
        if (same && selectEntry(ctx, i, phrase)) {
            const std::string kindText = t.List3.Text();
            const std::string target = t.List2.ListCount() > 0 ? t.List2.List(i) : std::string();
            if (const CommandKind* kind = FindCommandKind(kindText))
                carryOut(ctx, *kind, phrase, target, winamp, session);
            else if (eventLogEnabled())
                logEvent(std::string("ignored ").append(logQuoted(phrase)).append(": entry ").append(std::to_string(i + 1))
                             .append(" has the unknown command ").append(logQuoted(kindText)));
        }
        ctx.Image1.setVisible(false);
    }
    if (!matched && eventLogEnabled())
        logEvent(std::string("ignored ").append(logQuoted(phrase)).append(": no entry of the word list has this phrase"));
}

} // namespace qm
