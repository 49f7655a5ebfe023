#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/UArchives.h"
#include "dialogs/UMotPass.h"
#include "dialogs/UShowArchive.h"
#include "gui/GuiHarness.h"
#include "gui/PrintHarness.h"
#include "main/UCommandRunner.h"
#include "main/UMain.h"
#include "main/UTabbedList.h"
#include "model/UArchive.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

using test::Click;
using test::TScriptedMessages;

std::string ArchiveFile(const std::string& first, const std::string& material, int points) {
    std::string text = "Calcium\r\nmmol/L\r\n" + first + "\t28/02/2026\t" + material + "\tL42\t2.345\t3.1\t" +
                       std::to_string(points) + "\r\n";
    for (int i = 0; i < points; ++i)
        text += first + "\t08:30:00\t2.3" + std::to_string(i) + "\t" + (i == 0 ? "JD" : "") + "\t" +
                (i == 0 ? "New reagent" : "") + "\r\n";
    return text;
}

// Archives 1 and 3 of "Calcium" are sound; 2 is damaged and 4 has no file.
class ArchivesTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        savedProgramDir_ = ProgramDir;
        SetProgramDir(dir_.path().toStdString());
        Analytes.FreeAll();
        analyte_ = &Analytes.Add(std::make_unique<TAnalyte>("Calcium", "mmol/L", 2, 2, false));
        analyte_->Archives = {1, 2, 3, 4};
        WriteFileAtomic(ArchiveFileName(1), ArchiveFile("01/01/2026", "Lyphocheck", 3), "");
        WriteFileAtomic(ArchiveFileName(2), "Calcium\r\nmmol/L\r\n", "");
        WriteFileAtomic(ArchiveFileName(3), ArchiveFile("01/02/2026", "Seronorm", 2), "");
    }
    void TearDown() override {
        Analytes.FreeAll();
        SetProgramDir(savedProgramDir_);
    }
    bool Exists(int number) const { return QFile::exists(QString::fromStdString(ArchiveFileName(number))); }
    // Runs the dialog with the script applied once it is up.
    bool Execute(std::function<void(TWinArchives&)> script) {
        test::WhenModalOpens([this, script](QWidget*) { script(window_); });
        return window_.Execute(*analyte_);
    }
    static void SelectAll(TWinArchives& w) {
        for (int i = 0; i < w.LBArchi()->count(); ++i) w.LBArchi()->item(i)->setSelected(true);
    }

    QTemporaryDir dir_;
    std::string savedProgramDir_;
    TAnalyte* analyte_ = nullptr;
    TScriptedMessages messages_;
    TWinArchives window_;
};

TEST_F(ArchivesTest, ListsTheReadableArchivesAndOKDeletesExactlyTheRemovedOnes) {
    EXPECT_TRUE(Execute([this](TWinArchives& w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("QC archives for Calcium"));
        ASSERT_EQ(w.LBArchi()->count(), 2); // the damaged and the missing archive are left out
        EXPECT_EQ(w.LBArchi()->item(1)->text(), QStringLiteral("01/02/2026\t28/02/2026\tSeronorm\tL42\t2.345\t3.1\t2"));
        EXPECT_FALSE(w.BtCle()->isVisible());
        SelectAll(w);
        Click(w.BtDelete());
        EXPECT_EQ(w.LBArchi()->count(), 0);
        EXPECT_EQ(w.PendingDeletions(), (std::vector<std::int32_t>{3, 1}));
        EXPECT_TRUE(Exists(1) && Exists(3)); // nothing leaves the disk before OK
        Click(w.BtOK());
    }));
    EXPECT_EQ(analyte_->Archives, (std::vector<std::int32_t>{2, 4}));
    EXPECT_FALSE(Exists(1));
    EXPECT_TRUE(Exists(2));
    EXPECT_FALSE(Exists(3));
    EXPECT_TRUE(messages_.Recorded().empty());
}

TEST_F(ArchivesTest, CancelDeletesNothingAndUndoBringsTheLinesBack) {
    EXPECT_FALSE(Execute([](TWinArchives& w) {
        w.LBArchi()->item(0)->setSelected(true);
        QTest::keyClick(w.LBArchi(), Qt::Key_Delete);
        ASSERT_EQ(w.LBArchi()->count(), 1);
        Click(w.BtUndo());
        EXPECT_EQ(w.LBArchi()->count(), 2);
        EXPECT_TRUE(w.PendingDeletions().empty());
        SelectAll(w);
        Click(w.BtDelete());
        Click(w.BtCancel());
    }));
    EXPECT_EQ(analyte_->Archives, (std::vector<std::int32_t>{1, 2, 3, 4}));
    EXPECT_TRUE(Exists(1) && Exists(3));
}

TEST_F(ArchivesTest, WithAPasswordDeletingWaitsForTheKey) {
    test::TPasswordScope password("KEY");
    const TPasswordPrompt previous = SetPasswordPrompt([](QWidget*) { return true; });
    Execute([](TWinArchives& w) {
        EXPECT_FALSE(w.BtDelete()->isEnabled());
        EXPECT_FALSE(w.BtUndo()->isEnabled());
        EXPECT_TRUE(w.BtCle()->isVisible());
        SelectAll(w);
        QTest::keyClick(w.LBArchi(), Qt::Key_Delete);
        EXPECT_EQ(w.LBArchi()->count(), 2);
        Click(w.BtCle());
        EXPECT_TRUE(w.BtDelete()->isEnabled());
        EXPECT_FALSE(w.BtCle()->isVisible());
        Click(w.BtCancel());
    });
    SetPasswordPrompt(previous);
}

TEST_F(ArchivesTest, AnAnalyteWithoutArchivesHasNothingToShowOrPrint) {
    analyte_->Archives.clear();
    test::TPdfPrintService printer;
    Execute([](TWinArchives& w) {
        EXPECT_EQ(w.LBArchi()->count(), 0);
        Click(w.BtShowArchive());
        Click(w.BtImprimer());
        Click(w.BtOK());
    });
    ASSERT_EQ(messages_.Recorded().size(), 2u);
    EXPECT_EQ(messages_.Recorded()[0].Text, QStringLiteral("Nothing to show"));
    EXPECT_EQ(messages_.Recorded()[1].Text, QStringLiteral("Nothing to print"));
    EXPECT_EQ(printer.JobCount(), 0);
}

TEST_F(ArchivesTest, ShowsAndPrintsTheArchiveOfTheFocusedLine) {
    test::TPdfPrintService printer;
    Execute([&printer](TWinArchives& w) {
        Click(w.BtImprimer());
        const QStringList list = test::PageLines(test::PdfPages(printer.LastPdf()).value(0));
        EXPECT_TRUE(list.contains(QStringLiteral("Archived statistics for Calcium"))) << list.join('\n').toStdString();
        EXPECT_TRUE(list.contains(QStringLiteral("Begin End Name Lot Mean CV Number"))) << list.join('\n').toStdString();
        EXPECT_TRUE(list.contains(QStringLiteral("01/02/2026 28/02/2026 Seronorm L42 2.345 3.1 2")));
        w.LBArchi()->setCurrentRow(0);
        test::WhenModalOpens([](QWidget* modal) {
            auto* show = qobject_cast<TWinShowArchive*>(modal);
            ASSERT_NE(show, nullptr);
            EXPECT_EQ(show->windowTitle(), QStringLiteral("Archived data for Calcium"));
            EXPECT_EQ(show->LB()->count(), 3);
            EXPECT_EQ(show->LB()->item(0)->text(), QStringLiteral("01/01/2026\t08:30:00\t2.30\tJD\tNew reagent"));
            const QStringList shown = {show->PanelControlMaterial()->text(), show->LblLot()->text(),
                                       show->LblDateFrom()->text(),          show->LblDateTo()->text(),
                                       show->LblMean()->text(),              show->LblUnite()->text(),
                                       show->LblCV()->text(),                show->LblNbre()->text()};
            EXPECT_EQ(shown, (QStringList{"Lyphocheck", "L42", "01/01/2026", "28/02/2026", "2.345", "mmol/L", "3.1", "3"}));
            Click(show->BtImprimer());
            Click(show->BtOK());
        });
        w.LBArchi()->itemDoubleClicked(w.LBArchi()->item(0));
        EXPECT_EQ(w.WinShowArchive()->pos(), w.pos() + QPoint(100, 20));
        Click(w.BtCancel());
    });
    ASSERT_EQ(printer.JobCount(), 2);
    EXPECT_EQ(printer.LastTitle(), QStringLiteral("Printing QC archives"));
    const QString archive = test::PdfText(printer.LastPdf());
    for (const char* text : {"Archived data for Calcium", "Lyphocheck (L42)", "From 01/01/2026 to 28/02/2026",
                             "New reagent", "Statistics", "mmol/L"})
        EXPECT_TRUE(archive.contains(QLatin1String(text))) << text << "\n" << archive.toStdString();
}

TEST_F(ArchivesTest, MainWindowSavesTheAnalyteAfterDeletingAndNeedsAnAnalyte) {
    TWinMain main;
    main.RebuildAnalyteList();
    test::WhenModalOpens([&main](QWidget*) {
        main.WinArchives()->LBArchi()->item(0)->setSelected(true);
        Click(main.WinArchives()->BtDelete());
        Click(main.WinArchives()->BtOK());
    });
    RunCommand([&] { main.ArchivesClick(); });
    // The data file on disk no longer lists the deleted archive.
    const auto saved = ReadWholeFile(BasePath + ".qcf");
    ASSERT_TRUE(saved);
    TListSerum materials;
    TListAnalytes analytes;
    DecodeDataFile(*saved, materials, analytes);
    EXPECT_EQ(analytes[0].Archives, (std::vector<std::int32_t>{2, 3, 4}));

    Analytes.FreeAll();
    main.RebuildAnalyteList();
    RunCommand([&] { main.ArchivesClick(); });
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("No analyte."));
}

} // namespace
} // namespace tervanix
