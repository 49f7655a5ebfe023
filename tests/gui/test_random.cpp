#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <QApplication>
#include <gtest/gtest.h>

#include "dialogs/URandom.h"
#include "gui/GuiHarness.h"
#include "main/UCommandRunner.h"
#include "main/UEditGrid.h"
#include "main/UMain.h"
#include "model/UClock.h"
#include "model/UDateTime.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"

namespace tervanix {
namespace {

using test::Click;
using test::TScriptedMessages;

void SetCell(TEditGrid* grid, int row, int column, const QString& text) {
    grid->setItem(row, column, new QTableWidgetItem(text));
}

// "Calcium" with two levels and three stored runs, level 2 on locked limits; the main window on it.
class RandomTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        savedProgramDir_ = ProgramDir;
        SetProgramDir(dir_.path().toStdString());
        SetClock([] { return EncodeDate(2026, 2, 20) + 0.5; });
        Analytes.FreeAll();
        Queue.Clear();
        analyte_ = &Analytes.Add(std::make_unique<TAnalyte>("Calcium", "mmol/L", 2, 2, false));
        test::AddSeries(*analyte_, {2.4f, 2.5f, 2.6f}, EncodeDate(2026, 1, 1));
        analyte_->LimitsMode[1] = lmLocked;
        analyte_->LockFirst[1] = 0;
        analyte_->LockLast[1] = 2;
        analyte_->RecomputeAll();
        main_ = std::make_unique<TWinMain>();
        main_->RebuildAnalyteList();
    }
    void TearDown() override {
        main_.reset();
        Analytes.FreeAll();
        Queue.Clear();
        SetClock({});
        SetProgramDir(savedProgramDir_);
    }
    // Fills the dialog: N, first date 1 March 2026 at 08:00, means and CVs of levels 1 and 2.
    static void Fill(TWinRandom& w, const QString& n, const QStringList& cells) {
        w.EditNumber()->setText(n);
        w.DatePicker()->setDate(QDate(2026, 3, 1));
        w.TimePicker()->setTime(QTime(8, 0));
        for (int i = 0; i < cells.size(); ++i) SetCell(w.Grille(), 1 + i % 2, 1 + i / 2, cells[i]);
    }
    void Run(std::function<void(TWinRandom&)> script) {
        test::WhenModalOpens([this, script](QWidget*) { script(*main_->WinRandom()); });
        RunCommand([&] { main_->RandomClick(); });
    }

    QTemporaryDir dir_;
    std::string savedProgramDir_;
    TAnalyte* analyte_ = nullptr;
    TScriptedMessages messages_;
    test::TWindowFontScope font_; // the design widths hold at the window font
    std::unique_ptr<TWinMain> main_;
};

TEST_F(RandomTest, RunsGoIntoTheSeriesOneADayOnMobileLimits) {
    Run([](TWinRandom& w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Random data generator for Calcium"));
        EXPECT_TRUE(w.RBCharts()->isChecked());
        EXPECT_EQ(w.Grille()->columnCount(), 3);
        EXPECT_EQ(w.Grille()->item(0, 1)->text(), QStringLiteral("Unknown"));
        EXPECT_EQ(w.Grille()->item(1, 0)->text(), QStringLiteral("m (mmol/L)"));
        EXPECT_EQ(w.Grille()->columnWidth(2), 80);
        EXPECT_NEAR(w.Grille()->x() + w.Grille()->width() / 2, w.width() / 2, 1); // centred
        // Level 1 without spread; level 2 with a mean but no CV gets no value.
        Fill(w, QStringLiteral(" 10 "), {"100", "0", "5,5", ""});
        Click(w.BtOK());
    });
    ASSERT_EQ(messages_.Recorded().size(), 1u);
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Create 10 random QC points from 01/03/2026\r"
                                                    "Add the new random points to the previous ones."));
    ASSERT_EQ(analyte_->Count(), 13);
    for (int k = 0; k < 10; ++k) {
        const TQCPoint& p = analyte_->Point(3 + k);
        EXPECT_DOUBLE_EQ(p.DateTime, EncodeDate(2026, 3, 1 + k) + EncodeTime(8, 0, 0, 0));
        EXPECT_EQ(p.Levels[0].Value, 100.0f);
        EXPECT_EQ(p.Levels[1].Status, qsNoValue);
    }
    EXPECT_EQ(analyte_->LimitsMode[1], lmMobile);
    EXPECT_EQ(main_->SelectedPoint(), 12);
    EXPECT_TRUE(FileExists(BasePath + ".qcf")); // on disk at once
    EXPECT_EQ(Queue.Count(), 0);
}

TEST_F(RandomTest, RunsGoIntoTheQueueAndTheQueueFileIsRewritten) {
    QSignalSpy edited(&Laboratory(), &TLaboratory::QueueChanged);
    Run([](TWinRandom& w) {
        Fill(w, QStringLiteral("3"), {"", "", "5.5", "2"}); // level 2 only
        w.RBFifo()->setChecked(true);
        Click(w.BtOK());
    });
    EXPECT_EQ(messages_.Last().Text,
              QStringLiteral("Create 3 random QC points from 01/03/2026\rAdd the new random points in the fifo."));
    EXPECT_EQ(analyte_->Count(), 3);
    ASSERT_EQ(Queue.Count(), 3);
    EXPECT_EQ(edited.count(), 1);
    EXPECT_EQ(main_->BtFifo()->text(), QStringLiteral("&Queue : 3"));
    const TResu run = *Queue.Pop();
    EXPECT_EQ(run.AnalyteName, "Calcium");
    EXPECT_DOUBLE_EQ(run.DateTime, EncodeDate(2026, 3, 1) + EncodeTime(8, 0, 0, 0));
    EXPECT_EQ(run.Levels[0].Status, qsNoValue);
    EXPECT_EQ(run.Levels[1].Status, qsInControl);
    EXPECT_EQ(run.Levels[2].Status, qsNoValue);
}

TEST_F(RandomTest, BadInputIsRefusedAndNothingIsGenerated) {
    struct TCase {
        QString N;
        QStringList Cells;
        QString Message;
    };
    const TCase cases[] = {
        {"0", {"100", "1"}, "0 is too low\n\rMinimum allowed = 1"},
        {"1001", {"100", "1"}, "1001 is too high\n\rMaximum allowed = 1000"},
        {"5", {"abc", "1"}, "'abc' is not a valid floating point value"},
        {"5", {"100", "1e39"}, "'1e39' is not a valid floating point value"}, // beyond a single
        {"5", {"1e20", "1"}, "The random values of QC1 would go beyond 1e20 in size"},
        {"5", {"100", "1e20"}, "The random values of QC1 would go beyond 1e20 in size"},
        {"5", {"", "1", "", "2"}, "Fill in the grid"},
        {"5", {"100", "", "", ""}, "Fill in the grid"}, // no level would get a value
    };
    for (const TCase& c : cases) {
        Run([&c](TWinRandom& w) {
            Fill(w, c.N, c.Cells);
            Click(w.BtOK());
            EXPECT_TRUE(w.isVisible()) << c.Message.toStdString();
            Click(w.BtCancel());
        });
        EXPECT_EQ(messages_.Last().Text, c.Message);
    }
    // Cancel in the confirmation also leaves the dialog open.
    messages_.Answer(TMsgButton::Cancel);
    Run([](TWinRandom& w) {
        Fill(w, QStringLiteral("1000"), {"100", "1"});
        Click(w.BtOK());
        EXPECT_TRUE(w.isVisible());
        Click(w.BtCancel());
    });
    EXPECT_EQ(analyte_->Count(), 3);
    EXPECT_EQ(Queue.Count(), 0);

    Analytes.FreeAll();
    main_->RebuildAnalyteList();
    RunCommand([&] { main_->RandomClick(); });
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("No analyte"));
}

TEST_F(RandomTest, EnterInAGridCellActsAsOKWithTheTypedValue) {
    test::TLocaleScope comma(',');
    const test::TQtWarnings warnings;
    Analytes.Add(std::make_unique<TAnalyte>("Empty", "g/L", 1, 1, false));
    main_->RebuildAnalyteList();
    main_->SelectAnalyte(1);
    Run([](TWinRandom& w) {
        w.EditNumber()->setText(QStringLiteral("2"));
        SetCell(w.Grille(), 2, 1, QStringLiteral("0"));
        w.Grille()->setFocus();
        w.Grille()->setCurrentCell(1, 1);
        QTest::keyClick(w.Grille(), Qt::Key_7); // typing opens the cell editor
        auto* editor = w.Grille()->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, QStringLiteral(".5")); // a point where the system uses a comma
        QTest::keyClick(editor, Qt::Key_Return);
        if (w.isVisible()) w.reject();
    });
    const TAnalyte& empty = Analytes[1];
    ASSERT_EQ(empty.Count(), 2); // an empty series is filled without asking
    EXPECT_EQ(empty.Point(1).Levels[0].Value, 7.5f);
    EXPECT_TRUE(messages_.Recorded().empty());
    // The cell was committed once, by OK: the grid has nothing left to commit after it.
    EXPECT_TRUE(warnings.Containing(QStringLiteral("commitData")).empty());
}

} // namespace
} // namespace tervanix
