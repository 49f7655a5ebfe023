#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

#include "dialogs/UAnimCopyFic.h"
#include "gui/GuiHarness.h"
#include "main/UColors.h"
#include "main/UCommandRunner.h"
#include "main/UMain.h"
#include "model/UBackup.h"
#include "model/UClock.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"
#include "support/AuditReading.h"

namespace tervanix {
namespace {

using test::MakeRun;
using test::TScriptedMessages;

// The main window's backup and restore, with drive A standing for a folder.
class BackupCommandTest : public testing::Test {
protected:
    static constexpr int Day = 45366;

    void SetUp() override {
        ASSERT_TRUE(program_.isValid());
        ASSERT_TRUE(diskette_.isValid());
        savedSettings_ = Settings;
        savedProgramDir_ = ProgramDir;
        SetProgramDir(program_.path().toStdString());
        SetClock([] { return TDateTime(Day) + 0.5; });
        Analytes.FreeAll();
        Materials.Clear();
        Settings = DefaultSettings();
        Settings.BackupDrive = 'A';
        Settings.LastBackup = Day - 10;
        window_ = std::make_unique<TWinMain>();
        auto drives = std::make_unique<TFolderDriveMap>();
        drives->Map('A', diskette_.path().toStdString());
        window_->SetDriveMap(std::move(drives));
        AddAnalyte("Glucose");
        window_->ApplyBackupReminder();
    }
    void TearDown() override {
        window_.reset();
        Analytes.FreeAll();
        Materials.Clear();
        Settings = savedSettings_;
        SetProgramDir(savedProgramDir_);
        SetClock(nullptr);
    }
    void AddAnalyte(const char* name) {
        TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>(name, "mmol/L", 2, 1, false));
        a.AddPoint(MakeRun(Day - 1, {5.0f}));
        a.RecomputeAll();
        window_->RebuildAnalyteList();
    }
    QString OnDiskette(const char* name) const { return diskette_.filePath(QLatin1String(name)); }
    QStringList Texts() const {
        QStringList texts;
        for (const auto& m : messages_.Recorded()) texts << m.Text;
        return texts;
    }

    QTemporaryDir program_, diskette_;
    TSettings savedSettings_;
    std::string savedProgramDir_;
    TScriptedMessages messages_;
    std::unique_ptr<TWinMain> window_;
};

TEST_F(BackupCommandTest, BackupWritesTheCopyKeepsTheOldOneAndStopsTheReminder) {
    ASSERT_TRUE(window_->TimerBackUp()->isActive());
    EXPECT_EQ(window_->BtBackup()->text(), QStringLiteral("Bac&kup"));
    EXPECT_EQ(window_->BtBackup()->toolTip(), QStringLiteral("Backup on diskette"));

    window_->BtBackup()->click();
    QApplication::processEvents(); // the command runs once the click has returned
    EXPECT_EQ(Texts(), (QStringList{QStringLiteral("Confirm data backup"), QStringLiteral("Backup OK")}));
    EXPECT_TRUE(QFile::exists(OnDiskette("Tervanix.Sav")));
    EXPECT_EQ(Settings.LastBackup, TDateTime(Day));
    EXPECT_FALSE(window_->TimerBackUp()->isActive());
    EXPECT_EQ(window_->ShapeBackUp()->Colour(), clLime);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    WriteFileAtomic(BasePath + ".goals", R"({"analytes": {"Glucose": {"tea_percent": 10}}})", "goals");
    RunCommand([this] { window_->BackupClick(); });
    EXPECT_TRUE(QFile::exists(OnDiskette("Tervanix.Sav")));
    EXPECT_TRUE(QFile::exists(OnDiskette("Tervanix.Old")));
    // The audit trail goes with the copy, its backup line included.
    EXPECT_EQ(ReadWholeFile(OnDiskette("Tervanix.adt").toStdString()), ReadWholeFile(test::AuditFile()));
    EXPECT_EQ(ReadWholeFile(OnDiskette("Tervanix.goals").toStdString()), ReadWholeFile(BasePath + ".goals"));
    EXPECT_EQ(test::Detail(test::Audited("backup"), "copy").toString(), OnDiskette("Tervanix.Sav"));
}

TEST_F(BackupCommandTest, NoDisketteAsksRetryOrCancelAndCancelChangesNothing) {
    auto drives = std::make_unique<TFolderDriveMap>();
    drives->Map('A', (diskette_.path() + QStringLiteral("/absent")).toStdString());
    window_->SetDriveMap(std::move(drives));
    messages_.Answer(TMsgButton::Retry);
    messages_.Answer(TMsgButton::Cancel);
    RunCommand([this] { window_->BackupClick(); });
    ASSERT_EQ(messages_.Recorded().size(), 3u);
    EXPECT_EQ(messages_.Recorded()[0].Text, QStringLiteral("No diskette in drive A"));
    EXPECT_EQ(messages_.Recorded()[0].Buttons, TMsgButtons::RetryCancel);
    EXPECT_EQ(messages_.Recorded()[0].Type, TMsgType::Error);
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Backup aborted"));
    EXPECT_EQ(messages_.Last().Type, TMsgType::Error);
    EXPECT_TRUE(window_->TimerBackUp()->isActive());
    EXPECT_EQ(Settings.LastBackup, TDateTime(Day - 10));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(BackupCommandTest, RestoreBringsTheCopyBackAndKeepsTheCurrentAnalyteByName) {
    RunCommand([this] { window_->BackupClick(); });
    AddAnalyte("Calcium");
    window_->LBAnalytes()->setCurrentRow(0);
    window_->SelectAnalyte(0);
    ASSERT_EQ(Analytes.Count(), 2);

    window_->Disketterestore1()->trigger();
    QApplication::processEvents();
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Restore OK"));
    // The trail only grows: the copy's older trail does not replace it, a restore line is added.
    const std::vector<TAuditEntry> trail = ReadAuditEntries(test::AuditFile(), {}, 2);
    ASSERT_EQ(trail.size(), 2U);
    EXPECT_EQ(trail[0].Action, "restore");
    EXPECT_EQ(trail[1].Action, "backup");
    ASSERT_EQ(Analytes.Count(), 1);
    ASSERT_NE(window_->CurrentAnalyte(), nullptr);
    EXPECT_EQ(window_->CurrentAnalyte(), &Analytes[0]);
    EXPECT_EQ(window_->LBAnalytes()->count(), 1);
}

TEST_F(BackupCommandTest, RestoreWithoutACopyOrFromADamagedOneKeepsTheData) {
    RunCommand([this] { window_->RestoreClick(); });
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("No backup file to restore"));
    {
        QFile damaged(OnDiskette("Tervanix.Sav"));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a data file");
    }
    TAnalyte* before = window_->CurrentAnalyte();
    RunCommand([this] { window_->RestoreClick(); });
    EXPECT_TRUE(messages_.Last().Text.startsWith(QStringLiteral("Impossible to restore\r") + OnDiskette("Tervanix.Sav") + QStringLiteral(": ")))
        << messages_.Last().Text.toStdString();
    EXPECT_EQ(Analytes.Count(), 1);
    EXPECT_EQ(window_->CurrentAnalyte(), before);
}

TEST(CopyWindow, ShowsItsWarningAndAnimatesOnlyWhileOpen) {
    TWinAnimCopyFic window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tervanix"));
    window.ShowWarning(QStringLiteral("Backuping data to A:/Tervanix.Sav"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.LblWarning()->text(), QStringLiteral("Backuping data to A:/Tervanix.Sav"));
    EXPECT_TRUE(window.Animate()->Playing());
    window.close();
    EXPECT_FALSE(window.Animate()->Playing());
}

TEST(Messages, RetryCancelBoxAnswersRetry) {
    QList<QMessageBox::StandardButton> offered;
    test::WhenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons()) offered << box->standardButton(b);
        box->button(QMessageBox::Retry)->click();
    });
    TMessageBoxService service;
    EXPECT_EQ(service.Show(QStringLiteral("No diskette in drive A"), TMsgType::Error, TMsgButtons::RetryCancel),
              TMsgButton::Retry);
    EXPECT_TRUE(offered.contains(QMessageBox::Retry));
    EXPECT_TRUE(offered.contains(QMessageBox::Cancel));
    EXPECT_FALSE(offered.contains(QMessageBox::Ok));
}

} // namespace
} // namespace tervanix
