#include "model/UFileStore.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <system_error>

// ISO C++ has no way to force written bytes to the disk; the POSIX calls stay in this file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/UClock.h"
#include "model/UDateTime.h"

namespace tervanix {

namespace {

namespace fs = std::filesystem;

// A name in the target's own folder (so the rename stays on one file system), unique per process
// and per call, so that two saves never share a temporary file.
constexpr std::string_view TemporaryMark = ".tmp";

std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + std::string(TemporaryMark) + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

TWriteFault& WriteFault() {
    static TWriteFault fault;
    return fault;
}

// The injected errno of this step, 0 when none; errno is set to it.
int Injected(std::string_view step, const std::string& path) {
    const TWriteFault& fault = WriteFault();
    if (!fault) return 0;
    const int error = fault(step, path);
    if (error != 0) errno = error;
    return error;
}

std::string ErrorText(int error) { return error != 0 ? std::string(std::strerror(error)) : std::string(); }

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

bool WriteAll(int fd, std::string_view bytes, const std::string& target) {
    if (Injected("write", target) != 0) return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes, flushes and closes the temporary file; 0, or the errno of the first failure (the
// descriptor is closed). Readable by its owner only: the settings file holds the password, the data
// file the laboratory's results.
int WriteTemporary(const std::string& tmp, std::string_view bytes, const std::string& target) {
    if (Injected("create", target) != 0) return errno;
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    int error = 0;
    if (!WriteAll(fd, bytes, target)) error = errno;
    if (error == 0 && (Injected("sync", target) != 0 || ::fsync(fd) != 0)) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

// A target that exists and is not a regular file: a folder, a device, a FIFO, a socket or a
// symbolic link (whatever it points to).
bool IsNonRegular(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

// Makes the rename itself durable. Best effort: the new file is already in place, and some file
// systems refuse to sync a folder.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

void SetWriteFault(TWriteFault fault) { WriteFault() = std::move(fault); }

void WriteFileAtomic(const std::string& path, std::string_view bytes, const std::string& failureMessage) {
    if (IsNonRegular(path)) throw EFileWriteError(failureMessage, path + " is not a regular file; it was left as it is");
    const std::string tmp = TemporaryName(path);
    int error = WriteTemporary(tmp, bytes, path);
    if (error == 0 && (Injected("rename", path) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0)) error = errno;
    if (error != 0) {
        ::unlink(tmp.c_str());
        throw EFileWriteError(failureMessage, ErrorText(error));
    }
    SyncFolder(FolderOf(path));
}

void AppendFileDurably(const std::string& path, std::string_view bytes, const std::string& failureMessage) {
    if (IsNonRegular(path)) throw EFileWriteError(failureMessage, path + " is not a regular file; it was left as it is");
    const bool created = !FileExists(path);
    if (Injected("append", path) != 0) throw EFileWriteError(failureMessage, ErrorText(errno));
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) throw EFileWriteError(failureMessage, ErrorText(errno));
    struct stat st {};
    const off_t before = ::fstat(fd, &st) == 0 ? st.st_size : 0;
    int error = 0;
    if (!WriteAll(fd, bytes, path)) error = errno;
    // The bytes and the file's new length on the disk; its times may follow later.
    if (error == 0 && (Injected("sync", path) != 0 || ::fdatasync(fd) != 0)) error = errno;
    // A torn line must not stay in front of the next one.
    if (error != 0) [[maybe_unused]] const int cut = ::ftruncate(fd, before);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) throw EFileWriteError(failureMessage, ErrorText(error));
    if (created) SyncFolder(FolderOf(path));
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t maxBytes) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > maxBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) return std::nullopt;
    return bytes;
}

std::string WhyUnreadable(const std::string& path, std::uint64_t maxBytes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return ErrorText(errno);
    if (S_ISDIR(st.st_mode)) return ErrorText(EISDIR);
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) return "larger than " + std::to_string(maxBytes) + " bytes";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ErrorText(errno);
    ::close(fd);
    return ReadWholeFile(path, maxBytes) ? std::string() : std::string("cannot be read");
}

std::string PathWithExtension(const std::string& path, std::string_view extension) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? path.substr(0, dot) : path) + std::string(extension);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::optional<double> FileModified(const std::string& path) {
    std::error_code ec;
    const auto written = fs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(written)));
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) return std::nullopt;
    try {
        return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
               EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), 0);
    } catch (const EQCError&) { // a date the calendar cannot hold
        return std::nullopt;
    }
}

namespace {

std::string Stamp() {
    const TDateTime now = Now();
    const TDateParts d = DecodeDate(now);
    const TTimeParts t = DecodeTime(now);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", d.Year, d.Month, d.Day, t.Hour, t.Minute, t.Second);
    return text;
}

// Renames without ever replacing: a hard link that fails on an existing name, then the old name
// goes; on file systems without hard links, a rename after a check.
int MoveNoReplace(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0 ? 0 : errno;
    if (errno == EEXIST) return EEXIST;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool ProcessRuns(long pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

} // namespace

std::optional<std::string> KeepDamagedFile(const std::string& path, std::string* why) {
    if (why) why->clear();
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    const std::string base = path + ".damaged-" + Stamp();
    int error = 0;
    for (int n = 1; n < 1000; ++n) {
        const std::string kept = n == 1 ? base : base + "-" + std::to_string(n);
        error = MoveNoReplace(path, kept);
        if (error == 0) {
            SyncFolder(FolderOf(path));
            return kept;
        }
        if (error != EEXIST) break;
    }
    if (why) *why = ErrorText(error);
    return std::nullopt;
}

int RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& targetPrefixes) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string path = it->path().string();
        const std::size_t mark = path.rfind(TemporaryMark);
        if (mark == std::string::npos) continue;
        const std::string target = path.substr(0, mark);
        const bool ours = std::any_of(targetPrefixes.begin(), targetPrefixes.end(),
                                      [&](const std::string& prefix) { return target.compare(0, prefix.size(), prefix) == 0; });
        if (!ours) continue;
        // ".tmp<pid>-<n>", digits only.
        const std::string tail = path.substr(mark + TemporaryMark.size());
        const std::size_t dash = tail.find('-');
        if (dash == std::string::npos || dash == 0 || dash + 1 == tail.size() ||
            tail.find_first_not_of("0123456789-") != std::string::npos || tail.find('-', dash + 1) != std::string::npos)
            continue;
        const long pid = std::strtol(tail.substr(0, dash).c_str(), nullptr, 10);
        if (ProcessRuns(pid)) continue;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

} // namespace tervanix
