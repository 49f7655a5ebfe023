#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <deque>
#include <filesystem>
#include <functional>
#include <sys/resource.h>

#include "model/UBackup.h"
#include "model/UClock.h"
#include "model/UDataLoadSave.h"
#include "support/AnalyteBuilders.h"
#include "support/FileTestSupport.h"

using namespace tervanix;
using namespace tervanix::test;
namespace fs = std::filesystem;

namespace {

// Answers the boxes as scripted and records everything shown, in order.
class ScriptedUi : public IBackupUi {
public:
    std::deque<bool> Answers; // Retry/OK = true, Cancel = false
    std::function<void()> OnRetryBox;
    std::vector<std::string> Shown;
    bool WindowOpen = false;

    bool RetryOrCancel(const std::string& text) override {
        Shown.push_back("retry? " + text);
        if (OnRetryBox) OnRetryBox();
        return Next();
    }
    bool Confirm(const std::string& text) override {
        Shown.push_back("confirm? " + text);
        return Next();
    }
    void Information(const std::string& text) override { Shown.push_back("info " + text); }
    void ShowCopyWindow(const std::string& warning) override {
        Shown.push_back("window " + warning);
        WindowOpen = true;
    }
    void CloseCopyWindow() override {
        Shown.push_back("window closed");
        WindowOpen = false;
    }

private:
    bool Next() {
        if (Answers.empty()) {
            ADD_FAILURE() << "unexpected box";
            return false;
        }
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

// While alive, no file may grow past a few bytes: the data file write fails, renames still work.
class FileSizeLimit {
public:
    FileSizeLimit() {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved_;
        small.rlim_cur = 8;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

class BackupTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        drive_ = dir_ / "removable";
        fs::create_directories(drive_);
        drives_.Map('A', drive_.string());
        Settings.LastBackup = Today() - 30;
        auto a = std::make_unique<TAnalyte>("Glucose", "mmol/L", 1, 1, false);
        AddSeries(*a, {5.0f, 5.2f, 4.9f});
        Analytes.Add(std::move(a));
    }
    std::string OnDrive(const std::string& name) const { return (drive_ / name).string(); }
    bool OnDriveExists(const std::string& name) const { return fs::exists(drive_ / name); }
    std::vector<std::string> DriveFiles() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(drive_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Runs an operation that must abort with `message`.
    template <class F> void ExpectAbort(F operation, const std::string& message) {
        try {
            operation();
            ADD_FAILURE() << "no abort, expected " << message;
        } catch (const EQCError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
        EXPECT_FALSE(ui_.WindowOpen);
    }
    // The message, then the file on the drive and the system's reason on a line of their own.
    template <class F> void ExpectAbortNaming(F operation, const std::string& message, const fs::path& file) {
        const std::string head = message + "\r" + file.string() + ": ";
        try {
            operation();
            ADD_FAILURE() << "no abort, expected " << head;
        } catch (const EQCError& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.substr(0, head.size()), head);
            EXPECT_GT(text.size(), head.size()) << "no reason: " << text;
        }
        EXPECT_FALSE(ui_.WindowOpen);
    }
    void Backup() { BackupToDiskette(ui_, drives_); }
    void Restore() { RestoreFromDiskette(ui_, drives_); }

    fs::path drive_;
    TFolderDriveMap drives_;
    ScriptedUi ui_;
};

const std::string NoDiskette = "retry? No diskette in drive A";
const std::string ConfirmBackup = "confirm? Confirm data backup";

TEST_F(BackupTest, MissingDiskRetriesUntilPresentOrCancelled) {
    Settings.BackupDrive = 'B'; // no volume behind B
    ui_.Answers = {true, false};
    ExpectAbort([&] { Backup(); }, "Backup aborted");
    EXPECT_EQ(ui_.Shown, (std::vector<std::string>{"retry? No diskette in drive B", "retry? No diskette in drive B"}));

    // Drive A unmounted, then the operator inserts the disk and retries.
    Settings.BackupDrive = 'a';
    fs::rename(drive_, dir_ / "elsewhere");
    ui_.Shown.clear();
    ui_.Answers = {true, true};
    ui_.OnRetryBox = [&] { fs::rename(dir_ / "elsewhere", drive_); };
    Backup();
    EXPECT_EQ(ui_.Shown, (std::vector<std::string>{NoDiskette, ConfirmBackup, "window Backuping data to A:/Tervanix.Sav",
                                                   "window closed", "info Backup OK"}));
    EXPECT_EQ(DriveFiles(), std::vector<std::string>{"Tervanix.Sav"});
}

TEST_F(BackupTest, CancelledConfirmationChangesNothing) {
    WriteFile(drive_ / "Tervanix.Sav", "previous");
    WriteFile(drive_ / "Tervanix.Old", "older");
    const TDateTime lastBackup = Settings.LastBackup;
    ui_.Answers = {false};
    ExpectAbort([&] { Backup(); }, "Backup aborted");
    EXPECT_EQ(ReadFile(drive_ / "Tervanix.Sav"), "previous");
    EXPECT_EQ(ReadFile(drive_ / "Tervanix.Old"), "older");
    EXPECT_EQ(Settings.LastBackup, lastBackup);
    EXPECT_EQ(ui_.Shown, std::vector<std::string>{ConfirmBackup});
}

TEST_F(BackupTest, NewCopyReplacesAndPreviousBecomesOld) {
    WriteFile(drive_ / "Tervanix.Sav", "previous");
    WriteFile(drive_ / "Tervanix.Old", "older");
    WriteFile(drive_ / "Tervanix.tmp", "stale");
    ui_.Answers = {true};
    Backup();
    EXPECT_EQ(DriveFiles(), (std::vector<std::string>{"Tervanix.Old", "Tervanix.Sav"}));
    EXPECT_EQ(ReadFile(drive_ / "Tervanix.Old"), "previous");
    EXPECT_EQ(ReadFile(drive_ / "Tervanix.Sav"), EncodeDataFile(Materials, Analytes));
    EXPECT_EQ(Settings.LastBackup, Today());
    EXPECT_FALSE(BackupDue());
}

TEST_F(BackupTest, FailedWriteKeepsBothPreviousCopies) {
    WriteFile(drive_ / "Tervanix.Sav", "previous");
    WriteFile(drive_ / "Tervanix.Old", "older");
    const TDateTime lastBackup = Settings.LastBackup;
    ui_.Answers = {true};
    {
        FileSizeLimit limit;
        ExpectAbortNaming([&] { Backup(); }, "Cannot save data", drive_ / "Tervanix.Sav");
    }
    EXPECT_EQ(DriveFiles(), (std::vector<std::string>{"Tervanix.Old", "Tervanix.Sav"}));
    EXPECT_EQ(ReadFile(drive_ / "Tervanix.Sav"), "previous");
    EXPECT_EQ(ReadFile(drive_ / "Tervanix.Old"), "older");
    EXPECT_EQ(Settings.LastBackup, lastBackup);
    EXPECT_EQ(ui_.Shown.back(), "window closed"); // no "Backup OK"

    // The first backup ever fails: the drive is left empty.
    fs::remove(drive_ / "Tervanix.Sav");
    fs::remove(drive_ / "Tervanix.Old");
    ui_.Answers = {true};
    {
        FileSizeLimit limit;
        ExpectAbortNaming([&] { Backup(); }, "Cannot save data", drive_ / "Tervanix.Sav");
    }
    EXPECT_TRUE(DriveFiles().empty());
}

// The restore's confirmation shows the copy's modification date.
void SetModified(const fs::path& path, int year, int month, int day) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
    fs::last_write_time(path, std::chrono::file_clock::from_sys(when));
}

TEST_F(BackupTest, RestoreAbortsWithTheirMessagesAndKeepsTheData) {
    Settings.BackupDrive = 'C';
    ui_.Answers = {false};
    ExpectAbort([&] { Restore(); }, "Restore aborted");
    EXPECT_EQ(ui_.Shown, std::vector<std::string>{"retry? No diskette in drive C"});

    Settings.BackupDrive = 'A';
    ui_.Shown.clear();
    ExpectAbort([&] { Restore(); }, "No backup file to restore");
    EXPECT_TRUE(ui_.Shown.empty());

    WriteFile(drive_ / "Tervanix.Sav", EncodeDataFile(TListSerum(), TListAnalytes()));
    SetModified(drive_ / "Tervanix.Sav", 2023, 2, 1);
    ui_.Answers = {false};
    ExpectAbort([&] { Restore(); }, "Restore aborted");
    EXPECT_EQ(ui_.Shown, std::vector<std::string>{
                             "confirm? Confirm data restore from diskette. The date of source file is : 01/02/2023"});

    WriteFile(drive_ / "Tervanix.Sav", "damaged copy");
    ui_.Shown.clear();
    ui_.Answers = {true};
    ExpectAbortNaming([&] { Restore(); }, "Impossible to restore", drive_ / "Tervanix.Sav");
    EXPECT_EQ(ui_.Shown.back(), "window closed");
    ASSERT_EQ(Analytes.Count(), 1);
    EXPECT_EQ(Analytes[0].Count(), 3);
}

TEST_F(BackupTest, RestoreReplacesTheDataWithTheCopy) {
    ui_.Answers = {true};
    Backup(); // the copy holds Glucose with three runs
    Analytes[0].AddPoint(MakeRun(10, {6.0f}));
    Materials.AddMaterial("Lyphocheck 1", "42");
    ui_.Shown.clear();
    ui_.Answers = {true};
    Restore();
    EXPECT_EQ(Materials.Count(), 0);
    ASSERT_EQ(Analytes.Count(), 1);
    EXPECT_EQ(Analytes[0].Count(), 3);
    ASSERT_EQ(ui_.Shown.size(), 3u);
    EXPECT_EQ(ui_.Shown[1], "window Restoring data from A:/Tervanix.Sav");
    EXPECT_EQ(ui_.Shown[2], "window closed"); // "Restore OK" is the main window's
    EXPECT_EQ(DriveFiles(), std::vector<std::string>{"Tervanix.Sav"});
}

TEST(BackupDueRule, WholeDaysReachTheInterval) {
    TSettings s;
    s.BackupIntervalDays = 7;
    const TDateTime today = 45000;
    s.LastBackup = today - 7;
    EXPECT_TRUE(BackupDue(s, today));
    s.LastBackup = today - 6;
    EXPECT_FALSE(BackupDue(s, today));
    s.LastBackup = today + 3; // clock put back since the last backup
    EXPECT_FALSE(BackupDue(s, today));
    s.BackupIntervalDays = 0;
    s.LastBackup = today;
    EXPECT_TRUE(BackupDue(s, today));
}

} // namespace
