// Copy, Paste, Export, Import and the user manual as the operator meets them in the main window.
#include <QDir>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/UImport.h"
#include "gui/GuiHarness.h"
#include "main/UAnsi.h"
#include "main/UCommandRunner.h"
#include "main/UExchange.h"
#include "main/UMain.h"
#include "model/UCodec.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"
#include "support/AuditReading.h"

namespace tervanix {
namespace {

using test::MakeRun;
using test::TScriptedMessages;

class ExchangeTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        savedProgramDir_ = ProgramDir;
        SetProgramDir(dir_.path().toStdString() + "/");
        Analytes.FreeAll();
        Settings = DefaultSettings();
        window_ = std::make_unique<TWinMain>();
        window_->ExchangeFiles().SetChooser([this](bool, const QString& directory) {
            askedIn_ = directory;
            return answer_;
        });
    }
    void TearDown() override {
        window_.reset();
        Analytes.FreeAll();
        SetProgramDir(savedProgramDir_);
        QApplication::clipboard()->clear();
    }

    // Glucose: three levels, a run with a discarded level 2 and no level 3, operator and comment.
    TAnalyte& AddGlucose() {
        auto a = std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 3, false);
        TResu run = MakeRun(46000, {5.25f, 9.0f}, "Recal", "JD");
        run.Levels[1].Status = qsDiscarded;
        a->AddPoint(run);
        a->AddPoint(MakeRun(46001, {5.5f, 9.5f, 14.0f}));
        a->RecomputeAll();
        TAnalyte& added = Analytes.Add(std::move(a));
        window_->RebuildAnalyteList();
        return added;
    }

    TAnalyte& AddEmpty(const char* name, int levels = 3) {
        TAnalyte& added = Analytes.Add(std::make_unique<TAnalyte>(name, "g/L", 1, levels, false));
        window_->RebuildAnalyteList();
        window_->SelectAnalyte(Analytes.IndexOf(&added));
        return added;
    }

    // Runs the command; the import dialog, when it opens, is handed to the script.
    void WithImportDialog(const std::function<void()>& command, const std::function<void(TWinImport&)>& script) {
        opened_ = false;
        test::WhenModalOpens([&](QWidget* modal) {
            opened_ = true;
            auto* dialog = qobject_cast<TWinImport*>(modal);
            ASSERT_NE(dialog, nullptr);
            script(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        command();
    }

    std::string FileText(const QString& name) { return ReadWholeFile(Path(name).toStdString()).value_or("<none>"); }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    std::string savedProgramDir_;
    std::unique_ptr<TWinMain> window_;
    QString answer_, askedIn_;
    bool opened_ = false;
};

TEST_F(ExchangeTest, CommandsSitInTheirMenus) {
    for (const char* name : {"MnuImport", "MnuExport", "MnuCopy", "MnuPaste", "MnuUserManual"}) {
        auto* item = window_->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(item, nullptr) << name;
        EXPECT_TRUE(item->isVisible());
    }
    TScriptedMessages messages;
    window_->findChild<QAction*>(QStringLiteral("MnuCopy"))->trigger();
    EXPECT_TRUE(messages.Recorded().empty()); // the box comes once the menu has closed
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.Recorded().empty(); }, 30000));
    ASSERT_EQ(messages.Recorded().size(), 1u);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Nothing to copy."));
}

TEST_F(ExchangeTest, CopyThenPasteGivesTheRunsBack) {
    TScriptedMessages messages;
    TAnalyte& glucose = AddGlucose();
    RunCommand([&] { window_->CopyClick(); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("The data for Glucose are now copied in the clipboard.\r"
                                                   "You can paste them in a spreadsheet."));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), glucose.CopyToText());

    TAnalyte& copy = AddEmpty("Copy");
    WithImportDialog([&] { RunCommand([&] { window_->PasteClick(); }); }, [&](TWinImport& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ClipBoard contents"));
        EXPECT_EQ(dialog.BtAdd()->text(), QStringLiteral("&Add the QC data to Copy"));
        EXPECT_TRUE(dialog.BtAdd()->isEnabled());
        EXPECT_FALSE(dialog.BtCle()->isVisible());
        ASSERT_EQ(dialog.LB()->model()->rowCount(), 2);
        EXPECT_EQ(dialog.LB()->model()->index(0, 0).data().toString(),
                  QStringLiteral("09/12/2025\t12:00:00\t5.3\t\t")); // the copy's decimals; discarded is no value
        test::Click(dialog.BtAdd());
    });
    EXPECT_TRUE(opened_);
    EXPECT_EQ(messages.Recorded().size(), 1u); // an empty series takes the runs without asking
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Point(0).DateTime, glucose.Point(0).DateTime);
    EXPECT_EQ(copy.Point(0).Levels[1].Status, qsNoValue);
    EXPECT_EQ(copy.Point(1).Levels[2].Value, 14.0f);
    EXPECT_TRUE(copy.Point(0).Operator.empty());
    EXPECT_EQ(window_->SelectedPoint(), -1);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(BasePath + ".qcf"))); // on disk at once
}

TEST_F(ExchangeTest, PastingIntoASeriesAsksAndPutsItOnMobileLimits) {
    TScriptedMessages messages;
    TAnalyte& glucose = AddGlucose();
    glucose.LimitsMode = {lmFixed, lmMobile, lmMobile};
    QApplication::clipboard()->setText(QStringLiteral("01/02/2026\t10:00:00\t5.1\t9.1\n"));
    messages.Answer(TMsgButton::Cancel);
    WithImportDialog([&] { RunCommand([&] { window_->PasteClick(); }); }, [&](TWinImport& dialog) { test::Click(dialog.BtAdd()); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Add the new QC points to the previous ones\rThe QC mode will be reset to mobile"));
    EXPECT_EQ(glucose.Count(), 2);
    EXPECT_EQ(glucose.LimitsMode[0], lmFixed);

    WithImportDialog([&] { RunCommand([&] { window_->PasteClick(); }); }, [&](TWinImport& dialog) { test::Click(dialog.BtAdd()); });
    EXPECT_EQ(glucose.Count(), 3);
    EXPECT_EQ(glucose.LimitsMode[0], lmMobile);
}

// Lines the program cannot read are counted and the dialog says what a line must hold, instead of
// showing an empty list without a word.
TEST_F(ExchangeTest, PasteSaysHowManyLinesItCouldNotReadAndWhatItExpected) {
    TScriptedMessages messages;
    test::TLocaleScope locale(',');
    AddGlucose();
    struct TCase {
        const char* Text;
        int Runs;
        QString Note; // empty: no note shown
    };
    const QString expects = QStringLiteral("Each line needs a date as %1, a time as %2 and up to three values with \",\" as "
                                           "decimal separator, separated by tabs.")
                                .arg(FromAnsi(Locale().ShortDateFormat), FromAnsi(Locale().LongTimeFormat));
    const TCase cases[] = {
        {"01/02/2026\t10:00:00\t5,1\r\n\t\t\r\n", 1, QString()},
        {"2026-02-01\t10:00\t5.1\n2026-02-02\t10:00\t5.2\n", 0, QStringLiteral("2 lines could not be read. ") + expects},
        {"Date\tTime\tQC1\n01/02/2026\t10:00:00\t5,1\n", 1, QStringLiteral("1 line could not be read. ") + expects},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        QApplication::clipboard()->setText(QString::fromLatin1(c.Text));
        WithImportDialog([&] { RunCommand([&] { window_->PasteClick(); }); }, [&](TWinImport& dialog) {
            EXPECT_EQ(dialog.LB()->model()->rowCount(), c.Runs);
            EXPECT_EQ(dialog.LblUnread()->isVisibleTo(&dialog) ? dialog.LblUnread()->text() : QString(), c.Note);
        });
        EXPECT_TRUE(opened_);
    }
}

TEST_F(ExchangeTest, PasteRefusesWhatItCannotUse) {
    TScriptedMessages messages;
    RunCommand([&] { window_->PasteClick(); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("No analyte. Cannot paste"));
    TAnalyte& glucose = AddGlucose();
    QApplication::clipboard()->clear();
    RunCommand([&] { window_->PasteClick(); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Bad clipboard format"));

    // Runs with values only on a level the analyte does not use: Add changes nothing.
    TAnalyte& oneLevel = AddEmpty("Urea", 1);
    QApplication::clipboard()->setText(QStringLiteral("01/02/2026\t10:00:00\t\t4\r\n"));
    WithImportDialog([&] { RunCommand([&] { window_->PasteClick(); }); }, [&](TWinImport& dialog) {
        EXPECT_EQ(dialog.LB()->model()->rowCount(), 1);
        test::Click(dialog.BtAdd());
    });
    EXPECT_EQ(oneLevel.Count(), 0);
    EXPECT_EQ(glucose.Count(), 2);
    EXPECT_EQ(messages.Recorded().size(), 2u);
}

TEST_F(ExchangeTest, ExportWritesTheSeriesTextAndReplacesAFileOnlyOnOK) {
    TScriptedMessages messages;
    RunCommand([&] { window_->ExportClick(); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("No analyte"));
    TAnalyte& glucose = AddGlucose();
    const std::string expected = glucose.CopyToText() + std::string(1, '\0');
    EXPECT_EQ(expected.substr(0, expected.find('\n') + 1), "09/12/2025\t12:00:00\t5.25\tDiscarded\t\tJD\tRecal\r\n");

    answer_ = Path(QStringLiteral("series")); // the default extension is added
    RunCommand([&] { window_->ExportClick(); });
    EXPECT_EQ(askedIn_, QString::fromStdString(ProgramDir)); // first in the program's folder
    EXPECT_EQ(FileText(QStringLiteral("series.txt")), expected);

    WriteFileAtomic(Path(QStringLiteral("old.txt")).toStdString(), std::string(500, 'x'), "");
    answer_ = Path(QStringLiteral("old.txt"));
    messages.Answer(TMsgButton::Cancel);
    RunCommand([&] { window_->ExportClick(); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("The file ") + answer_ + QStringLiteral("\ralready exists. Overwrite ?"));
    EXPECT_EQ(FileText(QStringLiteral("old.txt")), std::string(500, 'x'));
    RunCommand([&] { window_->ExportClick(); });
    EXPECT_EQ(FileText(QStringLiteral("old.txt")), expected); // nothing of the former content is left

    answer_ = Path(QStringLiteral("missing/folder/x.txt"));
    RunCommand([&] { window_->ExportClick(); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Cannot write ") + answer_);
    EXPECT_FALSE(QFile::exists(answer_));
    answer_.clear(); // cancelled: nothing said
    const std::size_t said = messages.Recorded().size();
    RunCommand([&] { window_->ExportClick(); });
    EXPECT_EQ(messages.Recorded().size(), said);
}

TEST_F(ExchangeTest, ImportTakesTextFilesToTheDialogAndRefusesOthers) {
    TScriptedMessages messages;
    WriteFileAtomic(Path(QStringLiteral("runs.txt")).toStdString(), "Date\tTime\tQC1\n01/02/2026\t10:00\t5.1\n02/02/2026\t\t5.2", "");
    answer_ = Path(QStringLiteral("runs.txt"));
    RunCommand([&] { window_->ImportClick(); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("No analyte to import data"));

    TAnalyte& urea = AddEmpty("Urea", 1);
    WithImportDialog([&] { RunCommand([&] { window_->ImportClick(); }); }, [&](TWinImport& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Imported file contents"));
        EXPECT_EQ(dialog.LB()->model()->index(1, 0).data().toString(), QStringLiteral("02/02/2026\t12:00:00\t5.2\t\t"));
        test::Click(dialog.BitBtn1());
    });
    EXPECT_EQ(urea.Count(), 0); // Cancel adds nothing (Add: Scenario.ImportedTextRunsJoinTheSeries)

    WriteFileAtomic(Path(QStringLiteral("picture.txt")).toStdString(), std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "");
    answer_ = Path(QStringLiteral("picture.txt"));
    RunCommand([&] { window_->ImportClick(); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Bad file format"));
    answer_ = Path(QStringLiteral("absent.txt"));
    RunCommand([&] { window_->ImportClick(); });
    // Not "Bad file format": the file could not be read, and the reason is said.
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Cannot read ") + QDir::toNativeSeparators(answer_) +
                                        QStringLiteral(": No such file or directory"));
    QFile huge(Path(QStringLiteral("huge.txt"))); // sparse: refused by its size before it is read
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(MaxImportTextBytes) + 1));
    huge.close();
    answer_ = huge.fileName();
    const std::size_t said = messages.Recorded().size();
    RunCommand([&] { window_->ImportClick(); });
    EXPECT_EQ(messages.Recorded().size(), said + 1);
    EXPECT_TRUE(messages.Last().Text.endsWith(QStringLiteral(": larger than 67108864 bytes"))) << messages.Last().Text.toStdString();
    EXPECT_EQ(urea.Count(), 0);
}

TEST_F(ExchangeTest, ImportOfAVersion2FileAppendsItsAnalytesWhateverTheCaseOfItsExtension) {
    TScriptedMessages messages;
    ByteWriter w; // one analyte "Urea" with one run of 5.0 on level 1
    w.I32(0), w.I32(1), w.I32(1), w.F64(46000);
    w.F32(5.0f), w.U8(0), w.Zeros(3);
    for (int l = 0; l < 2; ++l) w.F32(0), w.U8(1), w.Zeros(3);
    w.I32(-1), w.Short("Urea", 10), w.Short("mmol/L", 12), w.I32(1), w.Zeros(108 - 28);
    for (int i = 0; i < 6; ++i) w.I32(-1);
    w.I32(0), w.I32(0), w.I32(0);
    const std::string tag("\x08" "20\xB5\xFE\x70\x6F\x34\x35", 9);
    WriteFileAtomic(Path(QStringLiteral("old.Dat")).toStdString(), w.bytes() + tag, "");
    answer_ = Path(QStringLiteral("old.Dat"));
    RunCommand([&] { window_->ImportClick(); });
    EXPECT_TRUE(messages.Recorded().empty());
    ASSERT_EQ(Analytes.Count(), 1);
    EXPECT_EQ(window_->LBAnalytes()->count(), 1);
    EXPECT_EQ(Analytes[0].Point(0).DateTime, 46000.5);
    const TAuditEntry imported = test::Audited("import");
    EXPECT_EQ(test::Detail(imported, "file").toString(), QStringLiteral("old.Dat"));
    EXPECT_EQ(test::Detail(imported, "runs").toInt(), 1);

    WriteFileAtomic(Path(QStringLiteral("bad.SAV")).toStdString(), w.bytes(), "");
    answer_ = Path(QStringLiteral("bad.SAV"));
    RunCommand([&] { window_->ImportClick(); });
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Cannot read data"));
    EXPECT_EQ(Analytes.Count(), 1);
    EXPECT_TRUE(IsLegacyFileName(QStringLiteral("/x/OLD.sav")));
    EXPECT_FALSE(IsLegacyFileName(QStringLiteral("/x/update"))); // no extension: a text
}

TEST_F(ExchangeTest, TheImportDialogIsLockedByThePassword) {
    test::TPasswordScope password("LAB");
    TScriptedMessages messages;
    AddEmpty("Urea", 1);
    QApplication::clipboard()->setText(QStringLiteral("01/02/2026\t10:00\t5.1"));
    WithImportDialog([&] { RunCommand([&] { window_->PasteClick(); }); }, [&](TWinImport& dialog) {
        EXPECT_FALSE(dialog.BtAdd()->isEnabled());
        EXPECT_TRUE(dialog.BtCle()->isVisible());
        EXPECT_FALSE(dialog.LB()->accessibleName().isEmpty());
    });
    EXPECT_TRUE(opened_);
}

TEST_F(ExchangeTest, UserManualOpensInTheBrowserOrSaysItCannot) {
    TScriptedMessages messages;
    QUrl opened;
    const TUrlOpener previous = SetUrlOpener([&](const QUrl& url) {
        opened = url;
        return true;
    });
    OpenUserManual(QString::fromStdString(ProgramDir));
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Impossible to open the user manual")); // no manual there
    WriteFileAtomic(ProgramDir + "UserManual.htm", "<html></html>", "");
    OpenUserManual(QString::fromStdString(ProgramDir));
    EXPECT_EQ(opened, QUrl::fromLocalFile(QString::fromStdString(ProgramDir + "UserManual.htm")));
    EXPECT_EQ(messages.Recorded().size(), 1u);
    SetUrlOpener([](const QUrl&) { return false; });
    OpenUserManual(QString::fromStdString(ProgramDir));
    EXPECT_EQ(messages.Recorded().size(), 2u);
    SetUrlOpener(previous);
}

} // namespace
} // namespace tervanix
