// Whole-file reads and atomic writes: a file is written to a temporary file in the same folder,
// flushed to the disk and renamed over the target, so a failed or interrupted save never
// destroys the previous file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/UTypes.h"

namespace tervanix {

// A file that could not be written. what() is the caller's failure message ("Cannot save data");
// Reason() is the system's reason ("No space left on device"), empty when there is none.
class EFileWriteError : public EQCError {
public:
    EFileWriteError(const std::string& message, std::string reason)
        : EQCError(message), reason_(std::move(reason)) {}
    const std::string& Reason() const { return reason_; }
    // "message: reason", or the message alone.
    std::string Described() const { return reason_.empty() ? std::string(what()) : std::string(what()) + ": " + reason_; }

private:
    std::string reason_;
};

// Throws EFileWriteError(failureMessage, reason) when the file cannot be written; the previous file
// is kept. A target that exists and is not a regular file (a folder, a device, a FIFO, a symbolic
// link) is never replaced: refused before anything is written.
void WriteFileAtomic(const std::string& path, std::string_view bytes, const std::string& failureMessage);

// Adds the bytes at the end of the file (created when missing), in one write flushed to the disk
// before it returns. On failure the file is cut back to its former length and EFileWriteError
// (failureMessage, reason) is thrown. A target that is not a regular file is refused.
void AppendFileDurably(const std::string& path, std::string_view bytes, const std::string& failureMessage);

// Injectable failures of the atomic writes, for the tests of what the callers do when the disk
// refuses: before each step ("create", "write", "sync", "rename"; "append" for an append) of a write to `path` the hook
// is asked, and a non-zero errno it returns makes that step fail with it. Empty: no hook.
using TWriteFault = std::function<int(std::string_view step, const std::string& path)>;
void SetWriteFault(TWriteFault fault);

// The file's bytes, or nothing when it cannot be read. Files larger than maxBytes are not read.
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::uint64_t maxBytes = std::uint64_t(1) << 32);

// Why a file cannot be read as ReadWholeFile reads it ("No such file or directory", "Is a
// directory", "larger than N bytes"); empty when it can be.
std::string WhyUnreadable(const std::string& path, std::uint64_t maxBytes = std::uint64_t(1) << 32);

bool FileExists(const std::string& path);

// The path with its extension replaced (or added): ("lab.qcf", ".cfr") -> "lab.cfr", the files the
// program keeps beside its data file.
std::string PathWithExtension(const std::string& path, std::string_view extension);

// Local date-time of the file's last modification (days since 1899-12-30), or nothing when the
// file cannot be examined.
std::optional<double> FileModified(const std::string& path);

// A file the program could not read, kept before anything is written over it: renamed to
// "<path>.damaged-YYYYMMDD-HHMMSS" (the clock's local time; "-2", "-3"... when that name is
// taken), never over another file. The new path, or nothing when the file could not be moved
// (the reason in `why`). A path that does not exist gives nothing and an empty `why`.
std::optional<std::string> KeepDamagedFile(const std::string& path, std::string* why = nullptr);

// The temporary files that atomic writes to these targets left behind when their process was
// killed ("<target>.tmp<pid>-<n>" of a process that no longer runs) are removed; `targetPrefixes`
// are full paths or path prefixes ("/data/Tervanix.", "/data/QC"). The number removed.
int RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& targetPrefixes);

} // namespace tervanix
