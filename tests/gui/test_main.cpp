#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

#include "dialogs/UAbout.h"
#include "dialogs/UMotPass.h"
#include "dialogs/UNewPsw.h"
#include "dialogs/USetUp.h"
#include "dialogs/UWinComment.h"
#include "gui/GuiHarness.h"
#include "main/UChartWindow.h"
#include "main/UCommandRunner.h"
#include "main/UMain.h"
#include "model/UClock.h"
#include "model/UDataLoadSave.h"
#include "model/UDateTime.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"

namespace tervanix {
namespace {

using test::MakeRun;
using test::TScriptedMessages;

// ---- Chart window arithmetic ----

TEST(ChartWindow, ThirtyPointsFitAndThirtyOneScroll) {
    const TChartWindow none = ComputeChartWindow(0, -1);
    EXPECT_EQ(none.First, 0);
    EXPECT_EQ(none.Last, -1);
    EXPECT_FALSE(none.Scrollable);
    const TChartWindow thirty = ComputeChartWindow(30, -1);
    EXPECT_EQ(thirty.Last, 29);
    EXPECT_FALSE(thirty.Scrollable);
    const TChartWindow full = ComputeChartWindow(31, -1);
    EXPECT_EQ(full.First, 0);
    EXPECT_EQ(full.Last, 30);
    EXPECT_TRUE(full.Scrollable);
    EXPECT_EQ(full.ScrollMax, 0);
}

TEST(ChartWindow, AnOlderSelectedPointPullsTheWindowBack) {
    const TChartWindow latest = ComputeChartWindow(100, 90);
    EXPECT_EQ(latest.First, 69);
    EXPECT_EQ(latest.Last, 99);
    const TChartWindow early = ComputeChartWindow(100, 10);
    EXPECT_EQ(early.First, 0);
    EXPECT_EQ(early.Last, 30);
    const TChartWindow middle = ComputeChartWindow(100, 50);
    EXPECT_EQ(middle.First, 50);
    EXPECT_EQ(middle.Last, 80);
    EXPECT_EQ(middle.ScrollMax, 69);
}

TEST(ChartWindow, ClickColumnTruncatesTowardZero) {
    EXPECT_EQ(ClickColumn(19), 0);
    EXPECT_EQ(ClickColumn(32), 0);
    EXPECT_EQ(ClickColumn(47), 0);
    EXPECT_EQ(ClickColumn(48), 1);
    EXPECT_EQ(ClickColumn(18), -1);
    EXPECT_EQ(ClickColumn(33 + 30 * 15), 30);
    EXPECT_TRUE(ColumnHoldsPoint(30, 0, 31));
    EXPECT_FALSE(ColumnHoldsPoint(31, 0, 100)); // right of the 31st column
    EXPECT_FALSE(ColumnHoldsPoint(5, 0, 5));    // beyond the last point
    EXPECT_FALSE(ColumnHoldsPoint(-1, 0, 5));
}

TEST(ChartWindow, DragColumnsAndScrollingAtTheEdges) {
    EXPECT_EQ(DragColumn(52, 0, 30), 0);
    EXPECT_EQ(DragColumn(53, 0, 30), 1);
    EXPECT_EQ(DragColumn(488, 0, 30), 30);
    EXPECT_EQ(DragColumn(100, 0, 3), 3); // beyond the last point of a short window
    EXPECT_EQ(DragActionAt(20, 20, 0, 0), TDragAction::SetInterval);
    EXPECT_EQ(DragActionAt(38, 100, 5, 69), TDragAction::SetInterval);
    EXPECT_EQ(DragActionAt(37, 100, 5, 69), TDragAction::ScrollBack);
    EXPECT_EQ(DragActionAt(37, 100, 0, 69), TDragAction::None);
    EXPECT_EQ(DragActionAt(504, 100, 5, 69), TDragAction::ScrollForward);
    EXPECT_EQ(DragActionAt(504, 100, 69, 69), TDragAction::None);
}

TEST(ScreenCheck, NinetySixPixelsPerInchAndNot640Wide) {
    EXPECT_TRUE(ScreenCheckMessage(96, 1024).isEmpty());
    EXPECT_TRUE(ScreenCheckMessage(96, 800).isEmpty());
    EXPECT_EQ(ScreenCheckMessage(120, 1024), QStringLiteral("You  are not using the small screen font.\rYou must "
                                                            "change it to the small one (96 pixels per inch)."));
    EXPECT_TRUE(ScreenCheckMessage(96, 640).startsWith(QStringLiteral("Your screen resolution is 640 x 480 pixels.\r")));
}

TEST(WinComment, FourLinesMakeA96PixelHighPopup) {
    TWinComment popup;
    for (int i = 0; i < 4; ++i) popup.AddLine(QStringLiteral("x"));
    EXPECT_EQ(popup.FittingSize().height(), 96);
    EXPECT_EQ(popup.FittingSize().width(), 110 + 14); // short lines: the minimum width
}

// ---- The main window on a program folder of its own ----

class MainWindowTest : public testing::Test {
protected:
    static constexpr int Day = 45366; // 2024-03-15

    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedSettings_ = Settings;
        savedProgramDir_ = ProgramDir;
        SetProgramDir(folder_.path().toStdString());
        SetClock([] { return TDateTime(Day) + 10.5 / 24; });
        Analytes.FreeAll();
        Materials.Clear();
        Queue.Clear();
        Operators.Clear();
        Settings = DefaultSettings();
        Settings.LastBackup = Day;
        window_ = std::make_unique<TWinMain>();
        window_->SetValidation([this](TAnalyte& analyte, TResu& run) {
            validated_.push_back(run);
            levelsAtValidation_ = analyte.LevelCount;
            return answer_;
        });
    }

    void TearDown() override {
        window_.reset();
        Analytes.FreeAll();
        Materials.Clear();
        Queue.Clear();
        Settings = savedSettings_;
        SetProgramDir(savedProgramDir_);
        SetClock(nullptr);
    }

    // An analyte with `points` daily runs ending yesterday, listed and current.
    TAnalyte& AddAnalyte(const char* name, int levels, int points) {
        TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>(name, "mmol/L", 2, levels, false));
        for (int i = 0; i < points; ++i) a.AddPoint(MakeRun(Day - points + i, {5.0f, 10.0f, 15.0f}));
        a.RecomputeAll();
        window_->RebuildAnalyteList();
        return a;
    }

    void Type(const QString& l1, const QString& l2 = {}, const QString& l3 = {}) {
        window_->LevelEdit(0)->setText(l1);
        window_->LevelEdit(1)->setText(l2);
        window_->LevelEdit(2)->setText(l3);
    }

    std::string DataFile() const { return BasePath + ".qcf"; }

    // The analytes of the data file on disk.
    std::optional<TListAnalytes> ReadBack() const {
        const auto bytes = ReadWholeFile(DataFile());
        if (!bytes) return std::nullopt;
        TListSerum materials;
        TListAnalytes analytes;
        DecodeDataFile(*bytes, materials, analytes);
        return analytes;
    }

    QTemporaryDir folder_;
    TSettings savedSettings_;
    std::string savedProgramDir_;
    TScriptedMessages messages_;
    test::TLocaleScope locale_{'.'};
    std::unique_ptr<TWinMain> window_;
    std::vector<TResu> validated_;
    int levelsAtValidation_ = 0;
    bool answer_ = true;
};

TEST_F(MainWindowTest, ListShowsTheAnalytesAndTheirLevelRows) {
    AddAnalyte("Glucose", 3, 5);
    AddAnalyte("Calcium", 1, 40);
    EXPECT_EQ(window_->LBAnalytes()->count(), 2);
    EXPECT_EQ(window_->CurrentAnalyte(), &Analytes[0]); // the first line after a fresh start
    window_->LBAnalytes()->setCurrentRow(1);
    EXPECT_EQ(window_->CurrentAnalyte(), &Analytes[1]);
    EXPECT_EQ(window_->PanelNomAnal()->text(), QStringLiteral("Calcium"));
    EXPECT_TRUE(window_->LevelEdit(1)->isHidden());
    EXPECT_EQ(window_->LevelMaterial(0)->text(), QStringLiteral("Unknown"));
    EXPECT_EQ(window_->LevelUnit(0)->text(), QStringLiteral("mmol/L"));
    EXPECT_FALSE(window_->ScrollBar()->isHidden()); // 40 points
    EXPECT_EQ(window_->View().First, 9);
    EXPECT_EQ(window_->ScrollBar()->maximum(), 9);
}

TEST_F(MainWindowTest, SubmitOnOkStoresSortedSelectsAndSavesAtOnce) {
    TAnalyte& a = AddAnalyte("Glucose", 3, 100);
    window_->DatePicker()->setDate(QDate(2023, 12, 15)); // before point 10
    window_->TimePicker()->setTime(QTime(8, 0, 0));
    window_->EditComment()->setText(QStringLiteral(" new lot "));
    window_->CBOperator()->setEditText(QStringLiteral("AB"));
    Type(QStringLiteral("12,5"), QString(), QStringLiteral("3.5"));
    RunCommand([this] { window_->SubmitRun(); });

    ASSERT_EQ(validated_.size(), 1u);
    ASSERT_EQ(a.Count(), 101);
    const int index = window_->SelectedPoint();
    const TQCPoint& p = a.Point(index);
    EXPECT_EQ(p.DateTime, EncodeDate(2023, 12, 15) + EncodeTime(8, 0, 0, 0));
    EXPECT_LT(a.Point(index - 1).DateTime, p.DateTime);
    EXPECT_FLOAT_EQ(p.Levels[0].Value, 12.5f);
    EXPECT_EQ(p.Levels[1].Status, qsNoValue);
    EXPECT_FLOAT_EQ(p.Levels[2].Value, 3.5f);
    EXPECT_EQ(a.CommentText(p.CommentId), "new lot");
    EXPECT_EQ(p.Operator.str(), "AB");
    // The chart moved back to show the stored run.
    EXPECT_LE(window_->View().First, index);
    EXPECT_GE(window_->View().Last, index);
    // The data file holds it already.
    const auto onDisk = ReadBack();
    ASSERT_TRUE(onDisk);
    EXPECT_EQ((*onDisk)[0].Count(), 101);
    EXPECT_EQ(Queue.Count(), 0);
    // The fields are emptied for the next run.
    EXPECT_TRUE(window_->LevelEdit(0)->text().isEmpty());
    EXPECT_TRUE(window_->EditComment()->text().isEmpty());
    EXPECT_EQ(window_->DatePicker()->date(), QDate(2024, 3, 15));
}

TEST_F(MainWindowTest, ReadingErrorsAndNoDataChangeNothingAndKeepTheFields) {
    TAnalyte& a = AddAnalyte("Glucose", 2, 3);
    Type(QStringLiteral("12.5"), QStringLiteral("abc"));
    RunCommand([this] { window_->SubmitRun(); });
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Incorrect floating number"));
    EXPECT_EQ(window_->LevelEdit(1)->text(), QStringLiteral("abc"));

    Type(QString(), QString(), QStringLiteral("9")); // level 3 is not one of this analyte's
    RunCommand([this] { window_->SubmitRun(); });
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("No data"));
    EXPECT_TRUE(validated_.empty());
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(Queue.Count(), 0);
    EXPECT_FALSE(FileExists(DataFile()));
}

TEST_F(MainWindowTest, ARunOfAOneLevelAnalyteIgnoresTheHiddenRows) {
    TAnalyte& a = AddAnalyte("Albumin", 1, 3);
    Type(QStringLiteral("40"), QStringLiteral("41"), QStringLiteral("42"));
    RunCommand([this] { window_->SubmitRun(); });
    ASSERT_EQ(a.Count(), 4);
    EXPECT_EQ(a.Point(3).Levels[1].Status, qsNoValue);
    EXPECT_EQ(a.Point(3).Levels[2].Status, qsNoValue);
}

TEST_F(MainWindowTest, BackupReminderStartsOnTheDayTheIntervalIsReached) {
    AddAnalyte("Glucose", 1, 3);
    Settings.BackupIntervalDays = 7;
    Settings.LastBackup = Day - 6;
    Type(QStringLiteral("5"));
    RunCommand([this] { window_->SubmitRun(); });
    EXPECT_FALSE(window_->TimerBackUp()->isActive());
    Settings.LastBackup = Day - 7;
    Type(QStringLiteral("5"));
    RunCommand([this] { window_->SubmitRun(); });
    EXPECT_TRUE(window_->TimerBackUp()->isActive());
}

TEST_F(MainWindowTest, RecallCreatesAMissingAnalyteAndStoresTheRun) {
    AddAnalyte("Glucose", 3, 3);
    TResu run = MakeRun(Day, {1.5f, 2.5f});
    run.AnalyteName = "Urea";
    Queue.Push(run);
    window_->RecallQueuedRun();
    TAnalyte* urea = Analytes.FindByName("Urea");
    ASSERT_NE(urea, nullptr);
    EXPECT_EQ(urea->UnitName.str(), "mmol/L");
    EXPECT_EQ(urea->Decimals, 2);
    EXPECT_EQ(urea->LevelCount, 3);
    EXPECT_FALSE(urea->HasOption(aoCommonCV));
    EXPECT_EQ(window_->CurrentAnalyte(), urea);
    EXPECT_EQ(window_->LBAnalytes()->count(), 2);
    EXPECT_EQ(window_->LBAnalytes()->currentItem()->text(), QStringLiteral("Urea"));
    EXPECT_EQ(urea->Count(), 1);
    EXPECT_EQ(window_->SelectedPoint(), 0);
    EXPECT_EQ(Queue.Count(), 0);
    EXPECT_EQ(window_->BtFifo()->text(), QStringLiteral("&Queue : 0"));
    const auto onDisk = ReadBack();
    ASSERT_TRUE(onDisk);
    EXPECT_NE(onDisk->FindByName("Urea"), nullptr);
}

TEST_F(MainWindowTest, RecallGrowsTheLevelsBeforeValidation) {
    TAnalyte& a = AddAnalyte("Albumin", 1, 3);
    TResu level2 = MakeRun(Day, {40.0f, 41.0f});
    level2.AnalyteName = "ALBUMIN"; // names are found whatever their case
    Queue.Push(level2);
    window_->RecallQueuedRun();
    EXPECT_EQ(levelsAtValidation_, 2);
    TResu level3 = MakeRun(Day, {40.0f, std::nullopt, 42.0f});
    level3.AnalyteName = "Albumin";
    Queue.Push(level3);
    window_->RecallQueuedRun();
    EXPECT_EQ(levelsAtValidation_, 3);
    EXPECT_EQ(a.LevelCount, 3);
    EXPECT_EQ(Analytes.Count(), 1);
    EXPECT_FALSE(window_->LevelEdit(2)->isHidden());
}

TEST_F(MainWindowTest, CancelledRecallGoesToTheTailOfTheQueue) {
    TAnalyte& a = AddAnalyte("Glucose", 1, 3);
    TResu first = MakeRun(Day, {1.0f});
    first.AnalyteName = "Glucose";
    TResu second = MakeRun(Day, {2.0f});
    second.AnalyteName = "Glucose";
    Queue.Push(first);
    Queue.Push(second);
    answer_ = false;
    window_->RecallQueuedRun();
    window_->RecallQueuedRun();
    window_->RecallQueuedRun();
    ASSERT_EQ(validated_.size(), 3u);
    EXPECT_FLOAT_EQ(validated_[0].Levels[0].Value, 1.0f);
    EXPECT_FLOAT_EQ(validated_[1].Levels[0].Value, 2.0f);
    EXPECT_FLOAT_EQ(validated_[2].Levels[0].Value, 1.0f);
    EXPECT_EQ(Queue.Count(), 2);
    EXPECT_EQ(a.Count(), 3);
}

TEST_F(MainWindowTest, EmptyQueueMessagesAndTheClearQueueCount) {
    window_->RecallQueuedRun();
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Nothing in the queue"));
    window_->ClearQueue();
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Nothing in the queue."));
    EXPECT_EQ(messages_.Last().Type, TMsgType::Error);

    for (int i = 0; i < 3; ++i) Queue.Push(MakeRun(Day, {1.0f}));
    messages_.Answer(TMsgButton::Cancel);
    window_->ClearQueue();
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Erase 3 control points in the queue ?"));
    EXPECT_EQ(messages_.Last().Buttons, TMsgButtons::OKCancel);
    EXPECT_EQ(Queue.Count(), 3);
    window_->ClearQueue();
    EXPECT_EQ(Queue.Count(), 0);
    EXPECT_EQ(window_->BtFifo()->text(), QStringLiteral("&Queue : 0"));
    EXPECT_FALSE(window_->TimerBtFifo()->isActive());
    EXPECT_EQ(window_->ShapeFifo()->Colour(), QColor(0, 255, 0));
}

TEST_F(MainWindowTest, ClearQueueAsksThePasswordFirst) {
    test::TPasswordScope password("SECRET");
    Queue.Push(MakeRun(Day, {1.0f}));
    const auto previous = SetPasswordPrompt([](QWidget*) { return false; });
    const std::size_t before = messages_.Recorded().size();
    window_->ClearQueue();
    SetPasswordPrompt(previous);
    EXPECT_EQ(Queue.Count(), 1);
    EXPECT_EQ(messages_.Recorded().size(), before); // no confirmation after a refused password
}

TEST_F(MainWindowTest, ClicksSelectDeselectAndOpenTheCommentPopup) {
    TAnalyte& a = AddAnalyte("Glucose", 3, 5);
    TResu run = MakeRun(Day, {5.0f, std::nullopt, 15.0f}, "Wrong calibrator", "JD");
    run.Levels[2].Status = qsDiscarded;
    a.AddPoint(run);
    window_->AfterSeriesChanged();
    const int y = 60; // inside the first plot of a three-level analyte
    window_->ChartMouseDown(Qt::LeftButton, Qt::NoModifier, QPoint(20, y));
    EXPECT_EQ(window_->SelectedPoint(), 0);
    EXPECT_FALSE(window_->WinComment()->isVisible());
    window_->ChartMouseDown(Qt::LeftButton, Qt::NoModifier, QPoint(40 + 15 * 10, y)); // beyond the last point
    EXPECT_EQ(window_->SelectedPoint(), -1);
    window_->ChartMouseDown(Qt::LeftButton, Qt::NoModifier, QPoint(40 + 15 * 5, 1)); // above the comment marks
    EXPECT_EQ(window_->SelectedPoint(), -1);

    window_->ChartMouseDown(Qt::RightButton, Qt::NoModifier, QPoint(40 + 15 * 5, y));
    EXPECT_EQ(window_->SelectedPoint(), 5);
    TWinComment* popup = window_->WinComment();
    ASSERT_TRUE(popup->isVisible());
    ASSERT_EQ(popup->LineCount(), 5);
    EXPECT_EQ(popup->LineText(0), QStringLiteral("Unknown = 5.00"));
    EXPECT_TRUE(popup->LineHasBitmap(0));
    EXPECT_EQ(popup->LineText(1), QStringLiteral("Unknown = absent"));
    EXPECT_FALSE(popup->LineHasBitmap(1));
    EXPECT_TRUE(popup->LineHasBitmap(2)); // the red cross of a discarded level
    EXPECT_EQ(popup->LineText(3), QStringLiteral("Wrong calibrator"));
    EXPECT_EQ(popup->LineText(4), QStringLiteral("Operator = JD"));
    EXPECT_EQ(popup->height(), 17 * 5 + 28);
    window_->ChartMouseDown(Qt::LeftButton, Qt::NoModifier, QPoint(20, y));
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(MainWindowTest, APointLoadedForCorrectionLeavesTheSeries) {
    TAnalyte& a = AddAnalyte("Glucose", 3, 4);
    a.AddPoint(MakeRun(Day - 1, {5.25f, std::nullopt, 15.0f}, "New reagent", "AB"));
    const TQCPoint* target = &a.Point(4);
    window_->LoadPointForCorrection(target);
    window_->AfterSeriesChanged();
    EXPECT_EQ(a.Count(), 4);
    EXPECT_EQ(window_->LevelEdit(0)->text(), QStringLiteral("5.25"));
    EXPECT_TRUE(window_->LevelEdit(1)->text().isEmpty());
    EXPECT_EQ(window_->LevelEdit(2)->text(), QStringLiteral("15.00"));
    EXPECT_EQ(window_->EditComment()->text(), QStringLiteral("New reagent"));
    EXPECT_EQ(window_->CBOperator()->currentText(), QStringLiteral("AB"));
    EXPECT_EQ(window_->DatePicker()->date(), QDate(2024, 3, 14));
    EXPECT_EQ(window_->SelectedPoint(), -1);
    // Submitting again puts it back.
    RunCommand([this] { window_->SubmitRun(); });
    EXPECT_EQ(a.Count(), 5);
}

TEST_F(MainWindowTest, ExitAsksForConfirmation) {
    messages_.Answer(TMsgButton::Cancel);
    window_->SetScreenChecks(false);
    test::ShowActive(window_.get());
    EXPECT_FALSE(window_->close());
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Exit Tervanix"));
    EXPECT_EQ(messages_.Last().Type, TMsgType::Confirmation);
    EXPECT_TRUE(window_->close());
}

TEST_F(MainWindowTest, FirstShowingOffersTheAboutBoxUntilTheOperatorDeclinesIt) {
    AddAnalyte("Glucose", 1, 3);
    Settings.ShowAboutAtStart = 1;
    bool shown = false;
    test::WhenModalOpens([&shown](QWidget* modal) {
        auto* about = qobject_cast<TWinAbout*>(modal);
        shown = about != nullptr;
        if (!about) return;
        about->CheckBoxAvertir()->setChecked(true);
        test::Click(about->BtOK());
    });
    test::ShowActive(window_.get());
    ASSERT_TRUE(messages_.Recorded().empty()) << messages_.Last().Text.toStdString(); // the screen passed its checks
    EXPECT_TRUE(shown);
    EXPECT_EQ(Settings.ShowAboutAtStart, 0);
    EXPECT_EQ(window_->LBAnalytes()->count(), 1); // the list was built when shown
}

TEST_F(MainWindowTest, ConfigurationMenuSetsThePasswordAndOffersTheShortcuts) {
    auto* psw = window_->findChild<QAction*>(QStringLiteral("MnuPsw"));
    auto* shortcuts = window_->findChild<QAction*>(QStringLiteral("MnuShortCuts"));
    ASSERT_TRUE(psw && shortcuts);
    EXPECT_EQ(psw->text(), QStringLiteral("&Password"));
    EXPECT_EQ(shortcuts->text(), QStringLiteral("&Shortcuts"));
    test::WhenModalOpens([](QWidget* modal) {
        auto* dialog = qobject_cast<TWinNewPsw*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->EditNewPsw()->setText(QStringLiteral("secret"));
        dialog->EditConfirm()->setText(QStringLiteral("secret"));
        test::Click(dialog->BtOK());
        if (dialog->isVisible()) dialog->reject(); // never leave the test waiting on a refusal
    });
    psw->trigger();
    QApplication::processEvents(); // the dialog opens once the menu item has answered
    EXPECT_EQ(PasswordKey(QString::fromStdString(Settings.Password.str())), PasswordKey(QStringLiteral("secret")));
    EXPECT_TRUE(std::filesystem::exists(BasePath + ".cfr")); // written at once
    bool setUpShown = false;
    test::WhenModalOpens([&setUpShown](QWidget* modal) {
        auto* setUp = qobject_cast<TWinSetUp*>(modal);
        setUpShown = setUp != nullptr;
        if (setUp) setUp->reject();
    });
    shortcuts->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(setUpShown);
}

} // namespace
} // namespace tervanix
