// Replacing the three store files as one: either every file gets its new
// bytes or every file keeps its old ones, also when the process is killed.
//
// The order on disk:
//   1. each file's new bytes go to a fresh temporary file beside it, flushed;
//   2. a journal names, for each file, its temporary file and the name under
//      which the replaced file is kept until the end, and whether one existed;
//   3. the renames; each keeps the old file under its keep name;
//   4. the folders are flushed, the kept files and the journal removed.
// A start that finds the journal finishes step 3 (every temporary file still
// there is renamed in). A failure during step 3 first renames the journal to
// the undo journal, then puts the kept files back; a start that finds the
// undo journal puts back whatever is still kept.
#include "FileIO.h"

#include <optional>
#include <set>
#include <string_view>

namespace qm::fileio {

namespace {

FaultHook& hook()
{
    static FaultHook h;
    return h;
}

void step(Step s, const std::string& path)
{
    if (hook())
        if (std::string reason = hook()(s, path); !reason.empty())
            throw Error(path, reason);
}

constexpr const char* kJournal = "quillmere-save.journal";
constexpr const char* kUndoJournal = "quillmere-save.undo";
constexpr std::string_view kJournalMagic = "quillmere store switch 1";
constexpr std::string_view kJournalEnd = "end";
// Temporary and kept files are the store file's name, this, a random part.
constexpr std::string_view kTempTag = ".qm";
constexpr std::string_view kTempEnd = ".tmp";
constexpr std::string_view kKeepEnd = ".old";

struct Move {
    std::string path;  // as the program names it
    std::string final; // where its bytes live
    std::string temp;
    std::string keep;
    bool existed = false;
};

// Fields separated by NUL, which no path can hold; the end mark tells a whole
// journal from one cut off while being written.
std::string journalBytes(const std::vector<Move>& moves)
{
    std::string out(kJournalMagic);
    out += '\0';
    for (const auto& m : moves) {
        for (const std::string* s : {&m.path, &m.final, &m.temp, &m.keep}) {
            out += *s;
            out += '\0';
        }
        out += m.existed ? "1" : "0";
        out += '\0';
    }
    out += kJournalEnd;
    out += '\0';
    return out;
}

// Nothing when the journal is not whole: then no rename had started.
std::optional<std::vector<Move>> parseJournal(const std::string& bytes)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0') {
            fields.emplace_back(bytes, start, i - start);
            start = i + 1;
        }
    }
    if (fields.size() < 2 || fields.front() != kJournalMagic || fields.back() != kJournalEnd ||
        (fields.size() - 2) % 5 != 0 || start != bytes.size())
        return std::nullopt;
    std::vector<Move> moves;
    for (size_t i = 1; i + 5 <= fields.size() - 1; i += 5)
        moves.push_back({fields[i], fields[i + 1], fields[i + 2], fields[i + 3], fields[i + 4] == "1"});
    return moves;
}

std::set<std::string> foldersOf(const std::vector<Move>& moves)
{
    std::set<std::string> out;
    for (const auto& m : moves)
        out.insert(sys::folderOf(m.final));
    return out;
}

// Puts every replaced file back. True when all are back; a failure goes on
// with the others, so as much as possible is old again.
bool rollBack(const std::vector<Move>& moves, Error* first)
{
    bool ok = true;
    for (const auto& m : moves) {
        try {
            const bool replaced = !sys::exists(m.temp);
            if (sys::exists(m.keep)) {
                step(Step::Restore, m.final);
                sys::restore(m.keep, m.final);
                // A rename between two names of one file does nothing.
                sys::remove(m.keep);
            } else if (replaced && !m.existed) {
                sys::remove(m.final);
            }
            sys::remove(m.temp);
        } catch (const Error& e) {
            if (ok && first)
                *first = Error(m.path, e.reason());
            ok = false;
        }
    }
    for (const auto& folder : foldersOf(moves)) {
        try {
            sys::syncFolder(folder);
        } catch (const Error&) {
        }
    }
    return ok;
}

void finish(const std::vector<Move>& moves)
{
    for (const auto& m : moves) {
        if (!sys::exists(m.temp))
            continue;
        if (sys::exists(m.final))
            sys::replace(m.temp, m.final, m.keep);
        else
            sys::restore(m.temp, m.final);
    }
    for (const auto& folder : foldersOf(moves))
        sys::syncFolder(folder);
    for (const auto& m : moves)
        sys::remove(m.keep);
}

std::string baseName(const std::string& path)
{
    const std::string folder = sys::folderOf(path);
    return path.substr(folder.size() + (path.size() > folder.size() ? 1 : 0));
}

bool endsWith(const std::string& s, std::string_view end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

} // namespace

void setFaultHook(FaultHook h) { hook() = std::move(h); }

void replaceAll(const std::string& journalFolder, const std::vector<Replacement>& files)
{
    const std::string journal = joinPath(journalFolder, kJournal);
    const std::string undoJournal = joinPath(journalFolder, kUndoJournal);
    if (sys::exists(journal) || sys::exists(undoJournal)) {
        try {
            recoverSwitch(journalFolder, {});
        } catch (const Error& e) {
            throw SwitchError(e, Outcome::Unchanged);
        }
    }

    std::vector<Move> moves;
    const std::string suffix = sys::uniqueSuffix();
    auto discard = [&] {
        for (const auto& m : moves)
            try {
                sys::remove(m.temp);
            } catch (const Error&) {
            }
    };
    for (const auto& f : files) {
        try {
            Move m;
            m.path = f.path;
            m.final = sys::resolveTarget(f.path);
            m.temp = m.final + std::string(kTempTag) + suffix + std::string(kTempEnd);
            m.keep = m.final + std::string(kTempTag) + suffix + std::string(kKeepEnd);
            step(Step::WriteTemp, f.path);
            sys::writeNew(m.temp, f.bytes);
            m.existed = sys::exists(m.final);
            moves.push_back(std::move(m));
        } catch (const Error& e) {
            discard();
            throw SwitchError(Error(f.path, e.reason()), Outcome::Unchanged);
        }
    }

    try {
        step(Step::WriteJournal, journal);
        sys::writeNew(journal, journalBytes(moves));
        sys::syncFolder(journalFolder);
    } catch (const Error& e) {
        discard();
        try {
            sys::remove(journal);
        } catch (const Error&) {
        }
        throw SwitchError(e, Outcome::Unchanged);
    }

    for (const auto& m : moves) {
        try {
            step(Step::Replace, m.final);
            sys::replace(m.temp, m.final, m.keep);
        } catch (const Error& e) {
            const Error failed(m.path, e.reason());
            // From here a cut-off process must be undone, not finished.
            try {
                sys::restore(journal, undoJournal);
            } catch (const Error&) {
                throw SwitchError(failed, Outcome::Unfinished);
            }
            Error ignored("", "");
            if (!rollBack(moves, &ignored))
                throw SwitchError(failed, Outcome::Unfinished);
            try {
                sys::remove(undoJournal);
            } catch (const Error&) {
            }
            throw SwitchError(failed, m.path == moves.front().path ? Outcome::Unchanged : Outcome::RolledBack);
        }
    }

    // Every file is new now; what is left is tidying up, which a later start
    // repeats if it is cut off.
    try {
        for (const auto& folder : foldersOf(moves))
            sys::syncFolder(folder);
        for (const auto& m : moves)
            sys::remove(m.keep);
        sys::remove(journal);
        sys::syncFolder(journalFolder);
    } catch (const Error&) {
    }
}

void recoverSwitch(const std::string& journalFolder, const std::vector<std::string>& paths)
{
    const std::string journal = joinPath(journalFolder, kJournal);
    const std::string undoJournal = joinPath(journalFolder, kUndoJournal);
    for (const std::string* j : {&undoJournal, &journal}) {
        if (!sys::exists(*j))
            continue;
        auto moves = parseJournal(readRegular(*j).bytes);
        if (moves) {
            if (j == &undoJournal) {
                Error first("", "");
                if (!rollBack(*moves, &first))
                    throw first;
            } else {
                finish(*moves);
            }
        }
        sys::remove(*j);
        sys::syncFolder(journalFolder);
        break;
    }
    // Temporary files of a save cut off before its journal was written.
    for (const auto& path : paths) {
        std::string final;
        try {
            final = sys::resolveTarget(path);
        } catch (const Error&) {
            continue;
        }
        const std::string folder = sys::folderOf(final);
        const std::string prefix = baseName(final) + std::string(kTempTag);
        for (const auto& name : sys::namesIn(folder))
            if (name.size() > prefix.size() + kTempEnd.size() && name.compare(0, prefix.size(), prefix) == 0 &&
                endsWith(name, kTempEnd))
                sys::remove(joinPath(folder, name));
    }
}

} // namespace qm::fileio
