#include "model/UFileStore.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

// ISO C++ has no way to force written bytes to the disk; the POSIX calls stay in this file.
#include <fcntl.h>
#include <unistd.h>

#include "model/UDateTime.h"
#include "model/UTypes.h"

namespace tervanix {

namespace {

namespace fs = std::filesystem;

// A name in the target's own folder (so the rename stays on one file system), unique per process
// and per call, so that two saves never share a temporary file.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes, flushes and closes the temporary file; false on any failure (the descriptor is closed).
// Readable by its owner only: the settings file holds the password, the data file the laboratory's
// results.
bool WriteTemporary(const std::string& tmp, std::string_view bytes) {
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return written && closed;
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

void WriteFileAtomic(const std::string& path, std::string_view bytes, const std::string& failureMessage) {
    const std::string tmp = TemporaryName(path);
    if (!WriteTemporary(tmp, bytes) || ::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        throw EQCError(failureMessage);
    }
    SyncFolder(FolderOf(path));
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

} // namespace tervanix
