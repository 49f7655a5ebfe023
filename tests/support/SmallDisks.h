// Real failing disks for the tests of what the program does when the disk refuses: a small tmpfs
// that fills up, and a read-only bind mount of a folder. Both need root (or CAP_SYS_ADMIN); where
// the test cannot make one it is skipped with the reason (GTEST_SKIP in the caller).
#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace tervanix::test {

// A file system mounted at `dir` for the object's life. Ready() or Why().
class TMountedFolder {
public:
    // A tmpfs of `bytes` at `dir` (created when missing).
    static TMountedFolder Tmpfs(const std::filesystem::path& dir, std::size_t bytes) {
        TMountedFolder m(dir);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
        m.Mount("tmpfs", "tmpfs", 0, options.c_str());
        return m;
    }
    // `dir` bind-mounted on itself, read-only: its files stay readable, nothing can be written.
    static TMountedFolder ReadOnly(const std::filesystem::path& dir) {
        TMountedFolder m(dir);
        if (!m.Mount(dir.c_str(), nullptr, MS_BIND, nullptr)) return m;
        if (::mount(nullptr, dir.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            m.why_ = std::string("cannot make the bind mount read-only: ") + std::strerror(errno);
            ::umount2(dir.c_str(), MNT_DETACH);
            m.mounted_ = false;
        }
        return m;
    }
    TMountedFolder(TMountedFolder&& other) noexcept
        : dir_(std::move(other.dir_)), mounted_(other.mounted_), why_(std::move(other.why_)) {
        other.mounted_ = false;
    }
    TMountedFolder& operator=(TMountedFolder&&) = delete;
    ~TMountedFolder() { Unmount(); }

    bool Ready() const { return mounted_; }
    const std::string& Why() const { return why_; }
    void Unmount() {
        if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
        mounted_ = false;
    }
    // Fills the file system to the last byte with a file named "filler" in it (unbuffered, so
    // that no byte is left over).
    void Fill() const {
        const int fd = ::open((dir_ / "filler").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0) return;
        const std::string block(65536, 'F');
        for (std::size_t size = block.size(); size > 0; size /= 2)
            while (::write(fd, block.data(), size) == static_cast<ssize_t>(size)) {}
        ::close(fd);
    }
    void Unfill() const {
        std::error_code ec;
        std::filesystem::remove(dir_ / "filler", ec);
        std::filesystem::remove(dir_ / "filler-tail", ec);
    }

private:
    explicit TMountedFolder(std::filesystem::path dir) : dir_(std::move(dir)) {
        std::error_code ec;
        std::filesystem::create_directories(dir_, ec);
    }
    bool Mount(const char* source, const char* type, unsigned long flags, const char* options) {
        if (::geteuid() != 0) {
            why_ = "not root: cannot mount a file system for the test";
            return false;
        }
        if (::mount(source, dir_.c_str(), type, flags, options) != 0) {
            why_ = std::string("cannot mount a file system for the test: ") + std::strerror(errno);
            return false;
        }
        mounted_ = true;
        return true;
    }

    std::filesystem::path dir_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace tervanix::test
