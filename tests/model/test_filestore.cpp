#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/UClock.h"
#include "model/UDateTime.h"
#include "model/UFileStore.h"
#include "model/UTypes.h"
#include "support/SmallDisks.h"

using namespace tervanix;
namespace fs = std::filesystem;

namespace {

class FileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tervanix-store-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string At(const std::string& name) const { return (dir_ / name).string(); }
    long FilesInFolder() const { return std::distance(fs::directory_iterator(dir_), fs::directory_iterator()); }

    fs::path dir_;
};

} // namespace

TEST_F(FileStoreTest, ReplacesTheFileAndLeavesNoTemporaryFile) {
    const std::string path = At("data.qcf");
    EXPECT_FALSE(FileExists(path));
    WriteFileAtomic(path, std::string("first\0bytes", 11), "Unable to save");
    WriteFileAtomic(path, "second", "Unable to save");
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadWholeFile(path), "second");
    EXPECT_EQ(FilesInFolder(), 1);
}

// The settings file holds the password: every file the program writes is its owner's only, whatever
// the umask, also one that was readable by others before.
TEST_F(FileStoreTest, WrittenFilesAreReadableByTheirOwnerOnly) {
    const std::string path = At("Tervanix.cfr");
    WriteFileAtomic(path, "old", "Unable to save");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    const mode_t previous = ::umask(0);
    WriteFileAtomic(path, "new", "Unable to save");
    ::umask(previous);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileStoreTest, FailedRenameRemovesTheTemporaryFileAndKeepsTheTarget) {
    // A folder in place of the target: the temporary file is written, the rename is refused.
    const std::string path = At("busy");
    fs::create_directory(path);
    fs::create_directory(At("busy/inner"));
    try {
        WriteFileAtomic(path, "content", "Unable to save settings");
        ADD_FAILURE() << "the write over a folder succeeded";
    } catch (const EQCError& e) {
        EXPECT_STREQ(e.what(), "Unable to save settings");
    }
    EXPECT_TRUE(fs::is_directory(At("busy/inner")));
    EXPECT_EQ(FilesInFolder(), 1);
}

TEST_F(FileStoreTest, ReadWholeFileRefusesWhatItCannotRead) {
    WriteFileAtomic(At("big"), std::string(100, 'x'), "x");
    EXPECT_EQ(ReadWholeFile(At("big"), 100)->size(), 100u);
    EXPECT_FALSE(ReadWholeFile(At("big"), 99));
    EXPECT_FALSE(ReadWholeFile(At("missing")));
    EXPECT_FALSE(ReadWholeFile(dir_.string()));
    EXPECT_THROW(WriteFileAtomic(At("no/such/folder/file"), "x", "Unable to save"), EQCError);
}

// ---- Faults: full and read-only disks, damaged files, left-over temporary files, odd targets ----

TEST_F(FileStoreTest, AFullDiskSaysWhyAndKeepsThePreviousFile) {
    auto disk = test::TMountedFolder::Tmpfs(dir_ / "small", 64 * 1024);
    if (!disk.Ready()) GTEST_SKIP() << disk.Why();
    const std::string path = At("small/Tervanix.qcf");
    WriteFileAtomic(path, std::string(6233, 'a'), "Cannot save data");
    disk.Fill();
    try {
        WriteFileAtomic(path, std::string(20000, 'b'), "Cannot save data");
        ADD_FAILURE() << "a write on a full disk succeeded";
    } catch (const EFileWriteError& e) {
        EXPECT_STREQ(e.what(), "Cannot save data");
        EXPECT_EQ(e.Reason(), std::strerror(ENOSPC));
        EXPECT_EQ(e.Described(), std::string("Cannot save data: ") + std::strerror(ENOSPC));
    }
    EXPECT_EQ(ReadWholeFile(path), std::string(6233, 'a'));
    disk.Unfill();
    long left = 0;
    for (const auto& entry : fs::directory_iterator(dir_ / "small")) left += entry.path().string().find(".tmp") != std::string::npos;
    EXPECT_EQ(left, 0);
}

TEST_F(FileStoreTest, AReadOnlyFolderSaysWhy) {
    fs::create_directories(dir_ / "ro");
    WriteFileAtomic(At("ro/Tervanix.fif"), "queue", "x");
    auto disk = test::TMountedFolder::ReadOnly(dir_ / "ro");
    if (!disk.Ready()) GTEST_SKIP() << disk.Why();
    try {
        WriteFileAtomic(At("ro/Tervanix.fif"), "other", "Unable to save fifo");
        ADD_FAILURE() << "a write in a read-only folder succeeded";
    } catch (const EFileWriteError& e) {
        EXPECT_EQ(e.Reason(), std::strerror(EROFS));
    }
    EXPECT_EQ(ReadWholeFile(At("ro/Tervanix.fif")), "queue");
}

TEST_F(FileStoreTest, InjectedFailuresFailTheirStepWithTheirReason) {
    const std::string path = At("data.qcf");
    WriteFileAtomic(path, "before", "x");
    for (const char* step : {"create", "write", "sync", "rename"}) {
        SetWriteFault([step](std::string_view s, const std::string&) { return s == step ? EIO : 0; });
        try {
            WriteFileAtomic(path, "after", "Cannot save data");
            ADD_FAILURE() << step;
        } catch (const EFileWriteError& e) {
            EXPECT_EQ(e.Reason(), std::strerror(EIO)) << step;
        }
        SetWriteFault({});
        EXPECT_EQ(ReadWholeFile(path), "before") << step;
        EXPECT_EQ(FilesInFolder(), 1) << step;
    }
}

TEST_F(FileStoreTest, NeverReplacesWhatIsNotARegularFile) {
    // A symbolic link, a FIFO and a folder stay as they are; the link's target too.
    WriteFileAtomic(At("target"), "target", "x");
    fs::create_symlink(At("target"), At("link.pdf"));
    ASSERT_EQ(::mkfifo(At("fifo.pdf").c_str(), 0600), 0);
    fs::create_directory(At("folder.qcf"));
    for (const char* name : {"link.pdf", "fifo.pdf", "folder.qcf"}) {
        try {
            WriteFileAtomic(At(name), "pdf", "Cannot write");
            ADD_FAILURE() << name;
        } catch (const EFileWriteError& e) {
            EXPECT_NE(e.Reason().find("is not a regular file"), std::string::npos) << e.Reason();
        }
    }
    EXPECT_TRUE(fs::is_symlink(At("link.pdf")));
    EXPECT_TRUE(fs::is_fifo(At("fifo.pdf")));
    EXPECT_EQ(ReadWholeFile(At("target")), "target");
    EXPECT_EQ(FilesInFolder(), 4);
}

TEST_F(FileStoreTest, ADamagedFileIsKeptUnderADatedNameNeverOverAnother) {
    SetClock([] { return EncodeDate(2026, 12, 8) + EncodeTime(14, 30, 5, 0); });
    const std::string path = At("Tervanix.qcf");
    WriteFileAtomic(path, "first damaged", "x");
    const auto kept = KeepDamagedFile(path);
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, path + ".damaged-20261208-143005");
    EXPECT_FALSE(FileExists(path));
    WriteFileAtomic(path, "second damaged", "x");
    const auto second = KeepDamagedFile(path);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, path + ".damaged-20261208-143005-2");
    EXPECT_EQ(ReadWholeFile(*kept), "first damaged");
    EXPECT_EQ(ReadWholeFile(*second), "second damaged");
    std::string why = "x";
    EXPECT_FALSE(KeepDamagedFile(At("missing"), &why));
    EXPECT_TRUE(why.empty());
    SetClock({});
}

TEST_F(FileStoreTest, TemporaryFilesOfKilledWritersAreRemovedOthersStay) {
    // A process that has ended: a child that exits at once.
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ASSERT_GT(dead, 0);
    int status = 0;
    ::waitpid(dead, &status, 0);
    const std::string d = std::to_string(dead), me = std::to_string(::getpid());
    for (const std::string& name : {"Tervanix.qcf.tmp" + d + "-0", "Tervanix.fif.tmp" + d + "-12", "QC000001.qca.tmp" + d + "-3",
                                    "Tervanix.cfr.tmp" + me + "-1", "other.txt.tmp" + d + "-0", std::string("Tervanix.qcf.tmpx-1"),
                                    std::string("Tervanix.qcf")})
        WriteFileAtomic(At(name), "x", "x");
    EXPECT_EQ(RemoveStaleTemporaries(dir_.string(), {At("Tervanix."), At("QC")}), 3);
    EXPECT_FALSE(FileExists(At("Tervanix.qcf.tmp" + d + "-0")));
    EXPECT_FALSE(FileExists(At("QC000001.qca.tmp" + d + "-3")));
    EXPECT_TRUE(FileExists(At("Tervanix.cfr.tmp" + me + "-1"))); // a writer that runs
    EXPECT_TRUE(FileExists(At("other.txt.tmp" + d + "-0")));     // not the program's
    EXPECT_TRUE(FileExists(At("Tervanix.qcf.tmpx-1")));
    EXPECT_TRUE(FileExists(At("Tervanix.qcf")));
}
