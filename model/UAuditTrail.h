// The audit trail: every change of the laboratory's QC record, who made it and when, one JSON
// object a line in "<data file>.adt" (Tervanix.qcf -> Tervanix.adt), appended and never rewritten.
// Each line carries the SHA-256 of the line before it, so that an edited, removed or reordered
// line breaks the chain. Texts are UTF-8.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/UFileStore.h"

namespace tervanix {

// Every action the trail knows, in the order the window offers them.
// clang-format off
inline constexpr std::array<std::string_view, 28> AuditActions = {
    "audit.started",
    "run.stored", "run.queued", "run.deleted", "run.taken_for_correction", "run.put_back", "queue.cleared",
    "limits.locked", "limits.unlocked", "limits.fixed", "level.archived", "common_cv.changed", "risks.changed",
    "analyte.added", "analyte.changed", "analyte.deleted",
    "material.added", "material.changed", "material.deleted", "assignment.changed",
    "import", "restore", "backup", "archive.deleted",
    "operators.changed", "password.changed", "options.changed", "goals.changed"};
// clang-format on

// Where the change came from.
inline constexpr std::string_view AuditFromProgram = "program";
inline constexpr std::string_view AuditFromAutomation = "automation";
inline constexpr std::string_view AuditFromCommandLine = "command line";

// What a change says of itself; the trail adds its number, time, login and link.
struct TAuditNote {
    std::string Action;
    std::string Analyte;        // "" when not about one analyte
    int Level = 0;              // 1-3, 0 when not about one level
    std::string Details = "{}"; // a JSON object: what changed, before and after
    std::string Operator;       // chosen or typed in the program for this action; "" when none
    std::string Source;         // "" : the writer's own (the laboratory's current source, else "program")
};

struct TAuditEntry : TAuditNote {
    long long Seq = 0;
    std::string Time;  // UTC, "2026-12-08T16:35:03Z"
    std::string Login; // the operating-system user
    std::string Prev;  // SHA-256 of the previous line, "" on the first
};

// The audit file of a data file: the same name with ".adt".
std::string AuditPathOf(const std::string& dataPath);

// The audit file could not be written: the change it records must not be made.
class EAuditWriteError : public EFileWriteError {
public:
    EAuditWriteError(std::string path, std::string reason)
        : EFileWriteError("Cannot write the audit trail", std::move(reason)), path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Appends the notes as one write, flushed to the disk before it returns; "audit.started" comes
// first in a folder without an audit file. Throws EAuditWriteError; the file is then as before.
void AppendAudit(const std::string& path, const std::vector<TAuditNote>& notes);

// The clock (UTC, ISO 8601 with seconds and "Z") and the login of the trail, replaceable for the
// tests; empty functions restore the system's.
void SetAuditClock(std::function<std::string()> utcNow);
void SetAuditLogin(std::function<std::string()> login);
std::string AuditUtcNow();
std::string AuditLogin();

// One line, without its line end; and back (nothing for a line that is not an entry).
std::string EncodeAuditLine(const TAuditEntry& entry);
std::optional<TAuditEntry> DecodeAuditLine(std::string_view line);

// The chain: every line numbered from 1 without gaps and linked to the line before it.
// `FirstBroken` is the position of the first line that is not (0: intact).
struct TAuditCheck {
    long long Entries = 0;
    long long FirstBroken = 0;
    bool Intact() const { return FirstBroken == 0; }
};
TAuditCheck VerifyAuditText(std::string_view text);
// Nothing when the file cannot be read (the reason in `why`) or `stop` was set before the end; a
// missing file is an empty trail.
std::optional<TAuditCheck> VerifyAuditFile(const std::string& path, std::string* why = nullptr,
                                           const std::atomic<bool>* stop = nullptr);

// Which entries to read: empty texts take every analyte and action; dates "YYYY-MM-DD" (UTC).
struct TAuditFilter {
    std::string Analyte;
    std::string Action;
    std::string FromDate;
    std::string ToDate;
    bool Accepts(const TAuditEntry& entry) const;
};
// The newest `maxCount` entries that the filter accepts, newest first; lines that are not entries
// are passed over (the check tells of them). Throws EQCError("Cannot read the audit trail: <path>:
// <reason>") when the file cannot be read; a missing file is an empty trail.
std::vector<TAuditEntry> ReadAuditEntries(const std::string& path, const TAuditFilter& filter,
                                          std::size_t maxCount = std::numeric_limits<std::size_t>::max());

} // namespace tervanix
