#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "model/UFileStore.h"
#include "model/UTypes.h"

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
