#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "dialogs/UEmployees.h"
#include "dialogs/UOptions.h"
#include "gui/GuiHarness.h"
#include "main/UColors.h"
#include "main/UCommandRunner.h"
#include "main/UEditGrid.h"
#include "main/UMain.h"
#include "model/UClock.h"
#include "model/UDateTime.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/USettingsFile.h"
#include "support/AuditReading.h"

namespace tervanix {
namespace {

using test::Click;
using test::TScriptedMessages;

// A program folder of its own, operators AB, JD and ZZ, a backup ten days ago every 7 days.
class SettingsDialogsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        savedProgramDir_ = ProgramDir;
        savedSettings_ = Settings;
        SetProgramDir(dir_.path().toStdString());
        SetClock([] { return EncodeDate(2026, 2, 20) + 0.5; });
        Settings = DefaultSettings();
        Settings.BackupDrive = 'C';
        Settings.LastBackup = EncodeDate(2026, 2, 10);
        Operators.Clear();
        for (const char* code : {"ZZ", "AB", "JD"}) Operators.Add(code);
        main_ = std::make_unique<TWinMain>();
    }
    void TearDown() override {
        main_.reset();
        Operators.Clear();
        Settings = savedSettings_;
        SetClock({});
        SetProgramDir(savedProgramDir_);
    }
    // The settings file as written: its operators.
    std::vector<std::string> SavedOperators() const {
        TSettings settings;
        TOperatorList operators;
        const auto bytes = ReadWholeFile(BasePath + ".cfr");
        if (!bytes) return {};
        DecodeSettingsFile(*bytes, settings, operators);
        return operators.Items();
    }
    static void SetCode(TEditGrid* grid, int row, const QString& code) { grid->setItem(row, 1, new QTableWidgetItem(code)); }

    QTemporaryDir dir_;
    std::string savedProgramDir_;
    TSettings savedSettings_;
    TScriptedMessages messages_;
    std::unique_ptr<TWinMain> main_;
};

TEST_F(SettingsDialogsTest, OperatorsAreEditedSortedAndSavedAfterConfirmingDeletions) {
    test::WhenModalOpens([this](QWidget*) {
        TWinEmployees& w = *main_->WinEmployees();
        EXPECT_EQ(w.windowTitle(), QStringLiteral("List of operators"));
        EXPECT_EQ(w.Grid()->rowCount(), 16);
        EXPECT_EQ(w.Grid()->item(15, 0)->text(), QStringLiteral("16"));
        EXPECT_EQ(w.Grid()->CellText(1, 1), QStringLiteral("JD"));
        EXPECT_EQ(w.LblNbChar()->text(), QStringLiteral("4"));
        SetCode(w.Grid(), 1, QStringLiteral(" "));
        SetCode(w.Grid(), 3, QStringLiteral("CD"));
        SetCode(w.Grid(), 4, QStringLiteral("AB")); // the same code twice is kept
        Click(w.BtOK());
    });
    RunCommand([&] { main_->OperatorsClick(); });
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Deletion of :\r\r   JD\r"));
    EXPECT_EQ(Operators.Items(), (std::vector<std::string>{"AB", "AB", "CD", "ZZ"}));
    EXPECT_EQ(SavedOperators(), Operators.Items());
    EXPECT_EQ(main_->CBOperator()->count(), 4);
    const TAuditEntry changed = test::Audited("operators.changed");
    EXPECT_TRUE(test::Detail(changed, "operators.before").toArray().contains(QStringLiteral("JD")));
    EXPECT_FALSE(test::Detail(changed, "operators.after").toArray().contains(QStringLiteral("JD")));

    // Cancel in the confirmation keeps the list as it was.
    messages_.Answer(TMsgButton::Cancel);
    test::WhenModalOpens([this](QWidget*) {
        SetCode(main_->WinEmployees()->Grid(), 0, QString());
        Click(main_->WinEmployees()->BtOK());
    });
    RunCommand([&] { main_->OperatorsClick(); });
    EXPECT_EQ(Operators.Items(), (std::vector<std::string>{"AB", "AB", "CD", "ZZ"}));
}

TEST_F(SettingsDialogsTest, OperatorCellsTakeFourCharactersAndTheLastRowGrows) {
    const test::TQtWarnings warnings;
    for (int i = 0; i < 20; ++i) Operators.Add("X" + std::to_string(i));
    TWinEmployees w;
    // Types into a cell as the operator does (the first key opens the cell editor), then ends with
    // the key; the dialog is closed if it is still open.
    const auto typeInCell = [&w](int row, const QString& text, Qt::Key end) {
        TEditGrid* grid = w.Grid();
        grid->setCurrentCell(row, 1);
        QTest::keyClick(grid, text[0].toLatin1());
        auto* editor = grid->viewport()->findChild<QLineEdit*>();
        EXPECT_NE(editor, nullptr);
        if (editor) {
            QTest::keyClicks(editor, text.mid(1));
            QTest::keyClick(editor, end);
        }
        if (w.isVisible()) w.reject();
    };
    test::WhenModalOpens([&w, &typeInCell](QWidget*) {
        EXPECT_EQ(w.Grid()->rowCount(), 24); // one free row below the 23 codes
        typeInCell(23, QStringLiteral("QRSTUV"), Qt::Key_Escape); // Escape is Cancel, even from a cell
    });
    EXPECT_FALSE(w.Execute());
    EXPECT_EQ(w.Grid()->rowCount(), 25); // the editor opened on the last row added one
    EXPECT_EQ(w.Grid()->item(24, 0)->text(), QStringLiteral("25"));
    EXPECT_EQ(Operators.Count(), 23);
    test::WhenModalOpens([&typeInCell](QWidget*) { typeInCell(23, QStringLiteral("QRSTUV"), Qt::Key_Return); });
    EXPECT_TRUE(w.Execute()); // Enter is OK
    EXPECT_EQ(Operators.Count(), 24);
    EXPECT_EQ(Operators[2], "QRST"); // four characters, in sorted place
    EXPECT_TRUE(warnings.Containing(QStringLiteral("commitData")).empty()); // the cell committed once, by OK
}

TEST_F(SettingsDialogsTest, OptionsListTheVolumesAndStoreTheUpperCaseLetter) {
    TWinOptions w;
    w.SetVolumeLister([] { return QList<TDriveVolume>{{'A', "/media/lab/QC_USB", "QC_USB"}, {'B', "/mnt/backup", "backup"}}; });
    test::WhenModalOpens([&w](QWidget*) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Backup / restore options"));
        QStringList items;
        for (int i = 0; i < w.CBDrive()->count(); ++i) items << w.CBDrive()->itemText(i);
        EXPECT_EQ(items, (QStringList{"a: [QC_USB]", "b: [backup]", "c:"})); // the stored drive though not mounted
        EXPECT_EQ(w.CBDrive()->currentText(), QStringLiteral("c:"));
        EXPECT_EQ(w.EditDelay()->text(), QStringLiteral("7"));
        w.CBDrive()->setCurrentIndex(1);
        w.EditDelay()->setText(QStringLiteral("12"));
        Click(w.BtUndo());
        EXPECT_EQ(w.CBDrive()->currentText(), QStringLiteral("c:"));
        EXPECT_EQ(w.EditDelay()->text(), QStringLiteral("7"));
        w.CBDrive()->setCurrentIndex(1);
        for (const char* refused : {"0", ""}) {
            w.EditDelay()->setText(QString::fromLatin1(refused));
            Click(w.BtOK());
            EXPECT_TRUE(w.isVisible()) << refused;
        }
        w.EditDelay()->setText(QStringLiteral("999"));
        Click(w.BtOK());
    });
    EXPECT_TRUE(w.Execute());
    ASSERT_EQ(messages_.Recorded().size(), 2u);
    EXPECT_EQ(messages_.Recorded()[0].Text, QStringLiteral("0 is too low\n\rMinimum allowed = 1"));
    EXPECT_EQ(Settings.BackupDrive, 'B');
    EXPECT_EQ(Settings.BackupIntervalDays, 999);
    EXPECT_EQ(w.EditDelay()->maxLength(), 3);
}

TEST_F(SettingsDialogsTest, NewOptionsStopADueReminderAndAreSaved) {
    main_->ApplyBackupReminder();
    ASSERT_TRUE(main_->TimerBackUp()->isActive());
    test::WhenModalOpens([this](QWidget*) {
        main_->WinOptions()->EditDelay()->setText(QStringLiteral("30"));
        Click(main_->WinOptions()->BtOK());
    });
    RunCommand([&] { main_->OptionsClick(); });
    EXPECT_FALSE(main_->TimerBackUp()->isActive());
    EXPECT_EQ(main_->ShapeBackUp()->Colour(), clLime);
    TSettings saved;
    TOperatorList operators;
    DecodeSettingsFile(*ReadWholeFile(BasePath + ".cfr"), saved, operators);
    EXPECT_EQ(saved.BackupIntervalDays, 30);
    EXPECT_EQ(test::Detail(test::Audited("options.changed"), "backup_interval_days.after").toInt(), 30);

    test::WhenModalOpens([this](QWidget*) {
        main_->WinOptions()->EditDelay()->setText(QStringLiteral("10"));
        Click(main_->WinOptions()->BtOK());
    });
    RunCommand([&] { main_->OptionsClick(); });
    EXPECT_TRUE(main_->TimerBackUp()->isActive()); // ten days since the last backup: due again
}

} // namespace
} // namespace tervanix
