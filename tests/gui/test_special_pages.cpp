// The Lock, Fix and Erase/archive pages driven as the operator drives them: menu, chart clicks,
// group box buttons, OK/Undo/Cancel; what reaches the analyte, the archive files and the data file.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

#include "dialogs/UMotPass.h"
#include "gui/GuiHarness.h"
#include "intake/UFifoResult.h"
#include "main/UMain.h"
#include "main/USpecialComponents.h"
#include "model/UArchive.h"
#include "model/UClock.h"
#include "model/UDataLoadSave.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"

namespace tervanix {
namespace {

using test::MakeRun;

class SpecialPagesTest : public testing::Test {
protected:
    static constexpr int Day = 45366;

    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedSettings_ = Settings;
        savedProgramDir_ = ProgramDir;
        SetProgramDir(folder_.path().toStdString());
        SetClock([] { return TDateTime(Day) + 0.5; });
        Analytes.FreeAll();
        Materials.Clear();
        Settings = DefaultSettings();
        Settings.LastBackup = Day;
        TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 3, false));
        for (int level = 0; level < 3; ++level)
            a.MaterialId[static_cast<std::size_t>(level)] =
                Materials.AddMaterial("Lyphocheck " + std::to_string(level + 1), "1").Id;
        const float spread[] = {5.0f, 5.3f, 4.8f, 5.1f, 4.9f, 5.4f, 5.2f, 4.7f, 5.0f, 5.1f};
        for (int i = 0; i < 10; ++i)
            a.AddPoint(MakeRun(Day - 10 + i, {spread[i], 2 * spread[i], 3 * spread[i]}));
        a.RecomputeAll();
        analyte_ = &a;
        window_ = std::make_unique<TWinMain>();
        window_->RebuildAnalyteList();
    }

    void TearDown() override {
        window_.reset();
        Analytes.FreeAll();
        Materials.Clear();
        Settings = savedSettings_;
        SetProgramDir(savedProgramDir_);
        SetClock(nullptr);
    }

    // Buttons and menu items do their work once their click has returned.
    static void Press(QPushButton* button) {
        button->click();
        QApplication::processEvents();
    }
    void Open(QAction* item) {
        item->trigger();
        QApplication::processEvents();
    }
    // A click on the date band under the chart column of point `index`.
    void ClickDate(int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        window_->ChartMouseDown(Qt::LeftButton, modifiers, QPoint(40 + 15 * index, DateBandY(3) + 8));
    }
    std::string DataFile() const { return BasePath + ".qcf"; }

    QTemporaryDir folder_;
    TSettings savedSettings_;
    std::string savedProgramDir_;
    test::TScriptedMessages messages_;
    test::TLocaleScope locale_{'.'};
    TAnalyte* analyte_ = nullptr;
    std::unique_ptr<TWinMain> window_;
};

TEST_F(SpecialPagesTest, LockOnTheChartsIntervalThenUndoAndCancelBringBackTheOpeningLimits) {
    const TLimitsSnapshot opening = TLimitsSnapshot::Of(*analyte_);
    Open(window_->MnuLockLimits());
    TLockPage* page = window_->LockPage();
    ASSERT_EQ(window_->PageTag(), 1);
    EXPECT_EQ(page->GrilleLock()->item(0, 3)->text(), QStringLiteral("0"));

    Press(page->Box(0)->BtLock); // no interval yet
    EXPECT_TRUE(messages_.Last().Text.startsWith(
        QStringLiteral("Define a date interval at the bottom of the charts\r")));
    EXPECT_EQ(analyte_->LimitsMode[0], lmMobile);

    ClickDate(2);
    ClickDate(6, Qt::ShiftModifier);
    EXPECT_EQ(page->PanelFirstDate()->text(), QString::fromStdString(FormatDate(Day - 8)));
    EXPECT_EQ(page->PanelLastDate()->text(), QString::fromStdString(FormatDate(Day - 4)));
    EXPECT_EQ(page->GrilleLock()->item(1, 3)->text(), QStringLiteral("5"));
    EXPECT_EQ(page->GrilleLock()->item(0, 1)->text(), QStringLiteral("5.080")); // 8 digits, decimals + 1

    Press(page->Box(0)->BtLock);
    Press(page->Box(1)->BtLock);
    EXPECT_EQ(analyte_->LimitsMode[0], lmLocked);
    EXPECT_EQ(analyte_->LockLast[1], 6);
    EXPECT_TRUE(page->Box(1)->BtUnLock->isEnabled());
    EXPECT_EQ(page->Box(0)->Lbl1->text(),
              QStringLiteral("Locked from ") + QString::fromStdString(FormatDate(Day - 8)) +
                  QStringLiteral(" to ") + QString::fromStdString(FormatDate(Day - 4)));

    Press(page->BtUndo());
    EXPECT_EQ(window_->PageTag(), 1);
    EXPECT_EQ(analyte_->LimitsMode, opening.LimitsMode);
    EXPECT_EQ(analyte_->LockFirst, opening.LockFirst);
    EXPECT_EQ(analyte_->Current[1].Mean, opening.Current[1].Mean);
    EXPECT_EQ(page->Box(0)->Lbl1->text(), QStringLiteral("Mobile limits"));

    Press(page->Box(2)->BtLock); // the interval survives Undo
    EXPECT_EQ(analyte_->LimitsMode[2], lmLocked);
    Press(page->BtCancel());
    EXPECT_EQ(window_->PageTag(), 0);
    EXPECT_EQ(analyte_->LimitsMode[2], lmMobile);
    EXPECT_EQ(window_->View().IntervalFrom, -1);
    EXPECT_FALSE(std::filesystem::exists(DataFile())); // nothing confirmed, nothing written
}

TEST_F(SpecialPagesTest, LockOnOnePointIsRefusedAndAFixedLevelKeepsItsOwnLimits) {
    analyte_->LimitsMode[0] = lmFixed;
    analyte_->Current[0].Mean = 6;
    analyte_->Current[0].AlertHalfWidth = 0.5L;
    analyte_->Current[0].ActionHalfWidth = 1;
    analyte_->RecomputeAll();
    Open(window_->MnuLockLimits());
    TLockPage* page = window_->LockPage();
    EXPECT_EQ(page->Box(0)->Lbl1->text(), QStringLiteral("Fixed limits"));
    ClickDate(4);
    Press(page->Box(0)->BtLock);
    EXPECT_EQ(messages_.Last().Text,
              QStringLiteral("Not enough QC points in the dates interval for Lyphocheck 1"));
    EXPECT_EQ(analyte_->LimitsMode[0], lmFixed);
    EXPECT_EQ(analyte_->Current[0].Mean, 6);
    EXPECT_EQ(analyte_->Current[0].ActionHalfWidth, 1);
    EXPECT_EQ(analyte_->LockFirst[0], -1);
}

TEST_F(SpecialPagesTest, ALockThatCannotBeWrittenIsSaidAndKeptForTheExitSave) {
    std::filesystem::create_directory(DataFile()); // the data file cannot be replaced
    Open(window_->MnuLockLimits());
    ClickDate(0);
    ClickDate(9, Qt::ShiftModifier);
    Press(window_->LockPage()->Box(0)->BtLock);
    Press(window_->LockPage()->BtOK());
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Cannot save data"));
    EXPECT_EQ(window_->PageTag(), 0);
    EXPECT_EQ(analyte_->LimitsMode[0], lmLocked);
}

TEST_F(SpecialPagesTest, PartialStatisticsFollowTheDragAlongTheDateBand) {
    Open(window_->MnuLockLimits());
    ClickDate(1);
    for (int index = 2; index <= 5; ++index) {
        window_->ChartMouseMove(Qt::LeftButton, Qt::NoModifier, QPoint(40 + 15 * index, DateBandY(3) + 8));
        EXPECT_EQ(window_->LockPage()->GrilleLock()->item(0, 3)->text(), QString::number(index));
    }
    ClickDate(-2); // outside the point columns: the interval goes
    EXPECT_EQ(window_->LockPage()->GrilleLock()->item(0, 3)->text(), QStringLiteral("0"));
    EXPECT_EQ(window_->LockPage()->PanelFirstDate()->text(), QString());
}

// Without a mouse: arrows pick a point of the date band, Shift+arrows stretch the interval.
TEST_F(SpecialPagesTest, TheDateIntervalIsChosenWithTheArrowKeysToo) {
    Open(window_->MnuLockLimits());
    EXPECT_EQ(window_->PBox()->focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(window_->ChartKey(Qt::Key_Left, Qt::NoModifier)); // first key: the newest point
    EXPECT_EQ(window_->View().IntervalFrom, 9);
    window_->ChartKey(Qt::Key_Left, Qt::NoModifier);
    for (int i = 0; i < 3; ++i)
        window_->ChartKey(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(window_->View().IntervalFrom, 5);
    EXPECT_EQ(window_->View().IntervalTo, 8);
    EXPECT_EQ(window_->LockPage()->GrilleLock()->item(0, 3)->text(), QStringLiteral("4"));
    Press(window_->LockPage()->BtCancel());
    EXPECT_FALSE(window_->ChartKey(Qt::Key_Left, Qt::NoModifier)); // the Enter page has no interval
    EXPECT_EQ(window_->PBox()->focusPolicy(), Qt::NoFocus);
}

TEST_F(SpecialPagesTest, FixAcceptsWhatReadsRightAndRefusesTheRestUnchanged) {
    struct TCase {
        const char* Target;
        const char* Warning;
        const char* Action;
        const char* Refusal; // nullptr: accepted
        long double Mean;    // when accepted
    };
    const TCase cases[] = {
        {"5", "2", "2", nullptr, 5},
        {"-1,5", "1", "2", nullptr, -1.5L},
        {"5", "3", "2", "Action < Warning", 0},
        {"5", "-1", "2", "-1 is a negative value (not allowed)", 0},
        {"", "1", "2", "'' is not a valid floating point value", 0},
        {"5", "1", "x", "'x' is not a valid floating point value", 0},
    };
    Open(window_->MnuFixLimits());
    TFixPage* page = window_->FixPage();
    TGBFixedParam* box = page->Box(1);
    EXPECT_EQ(box->title(), QStringLiteral("Lyphocheck 2"));
    EXPECT_EQ(box->LblUnite->text(), QStringLiteral("mmol/L"));
    for (const TCase& c : cases) {
        Press(box->BtUnfix);
        const long double mobileMean = analyte_->Current[1].Mean;
        const std::size_t said = messages_.Recorded().size();
        box->EditTarget->setText(QString::fromLatin1(c.Target));
        box->EditWarning->setText(QString::fromLatin1(c.Warning));
        box->EditAction->setText(QString::fromLatin1(c.Action));
        Press(box->BtFix);
        if (c.Refusal) {
            ASSERT_EQ(messages_.Recorded().size(), said + 1) << c.Target << c.Warning << c.Action;
            EXPECT_EQ(messages_.Last().Text, QString::fromLatin1(c.Refusal));
            EXPECT_EQ(analyte_->LimitsMode[1], lmMobile);
            EXPECT_EQ(analyte_->Current[1].Mean, mobileMean);
        } else {
            EXPECT_EQ(messages_.Recorded().size(), said) << c.Target;
            EXPECT_EQ(analyte_->LimitsMode[1], lmFixed);
            EXPECT_EQ(analyte_->Current[1].Mean, c.Mean);
            EXPECT_TRUE(box->BtUnfix->isEnabled());
        }
    }
    box->EditTarget->setText(QStringLiteral("-1,5"));
    box->EditWarning->setText(QStringLiteral("1"));
    box->EditAction->setText(QStringLiteral("2"));
    Press(box->BtFix);
    Press(page->BtOK());
    EXPECT_EQ(window_->PageTag(), 0);
    // The fix is on disk at once, and shows again when the page reopens.
    Analytes.FreeAll();
    Materials.Clear();
    LoadDataFile(DataFile());
    ASSERT_EQ(Analytes.Count(), 1);
    EXPECT_EQ(Analytes[0].LimitsMode[1], lmFixed);
    EXPECT_EQ(Analytes[0].Current[1].Mean, -1.5L);
    window_->RebuildAnalyteList();
    Open(window_->MnuFixLimits());
    EXPECT_EQ(window_->FixPage()->Box(1)->EditTarget->text(), QStringLiteral("-1.50"));
    EXPECT_EQ(window_->FixPage()->Box(1)->EditAction->text(), QStringLiteral("2.000"));
}

TEST_F(SpecialPagesTest, EraseTwoLevelsAsksOnceArchivesInLevelOrderAndWritesTheDataFile) {
    Open(window_->Archiving1());
    TErasePage* page = window_->ErasePage();
    Press(page->BtOK());
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Nothing to erase"));

    Press(page->Box(0)->BtArchi);
    Press(page->Box(0)->BtArchi); // twice: unmarked again
    EXPECT_EQ(page->Box(0)->BtArchi->text(), QStringLiteral("Erase/archive data"));
    EXPECT_FALSE(window_->View().EraseMarks[0]);
    Press(page->Box(0)->BtArchi);
    Press(page->Box(1)->BtArchi);
    EXPECT_EQ(page->Box(1)->BtArchi->text(), QStringLiteral("Un-erase data"));

    messages_.Answer(TMsgButton::Cancel);
    Press(page->BtOK());
    EXPECT_EQ(messages_.Last().Text,
              QStringLiteral("You are going to erase/archive the data of 2 QC level(s) for Glucose\r"));
    EXPECT_EQ(messages_.Last().Type, TMsgType::Confirmation);
    EXPECT_EQ(analyte_->AllPoints[0].N, 10);
    EXPECT_EQ(window_->PageTag(), 3);

    const std::size_t said = messages_.Recorded().size();
    Press(page->BtOK());
    EXPECT_EQ(messages_.Recorded().size(), said + 1);
    EXPECT_EQ(window_->PageTag(), 0);
    EXPECT_EQ(window_->View().EraseMarks, (std::array<bool, MaxLevels>{}));
    EXPECT_EQ(analyte_->Archives, (std::vector<std::int32_t>{1, 2}));
    const auto first = ReadArchive(1);
    const auto second = ReadArchive(2);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Material, "Lyphocheck 1");
    EXPECT_EQ(second->Material, "Lyphocheck 2");
    EXPECT_EQ(analyte_->AllPoints[1].N, 0);
    EXPECT_EQ(analyte_->AllPoints[2].N, 10);
    ASSERT_TRUE(std::filesystem::exists(DataFile()));
    Analytes.FreeAll();
    LoadDataFile(DataFile());
    EXPECT_EQ(Analytes[0].AllPoints[0].N, 0);
}

// A command that adds points leaves the page first, so that no stale snapshot comes back later.
TEST_F(SpecialPagesTest, RecallingAQueuedRunLeavesThePageAsCancelDoes) {
    Open(window_->MnuLockLimits());
    ClickDate(2);
    ClickDate(8, Qt::ShiftModifier);
    Press(window_->LockPage()->Box(0)->BtLock);
    TResu run = MakeRun(Day - 20, {5.0f, 10.0f, 15.0f});
    run.AnalyteName = "Glucose";
    Queue.Push(std::move(run));
    window_->SetValidation([](TAnalyte&, TResu&) { return true; });
    window_->RecallQueuedRun();
    EXPECT_EQ(window_->PageTag(), 0);
    EXPECT_EQ(analyte_->LimitsMode[0], lmMobile);
    EXPECT_EQ(analyte_->Count(), 11);
    Queue.Clear();
}

TEST_F(SpecialPagesTest, ThePasswordIsAskedOnlyWhenLeavingTheEnterPage) {
    test::TPasswordScope password("SECRET");
    int asked = 0;
    bool answer = false;
    const auto previous = SetPasswordPrompt([&](QWidget*) {
        ++asked;
        return answer;
    });
    Open(window_->MnuLockLimits());
    EXPECT_EQ(window_->PageTag(), 0);
    answer = true;
    Open(window_->MnuLockLimits());
    ClickDate(0);
    ClickDate(5, Qt::ShiftModifier);
    Press(window_->LockPage()->Box(0)->BtLock);
    Open(window_->MnuFixLimits()); // from page to page: no password, the Lock page's changes undone
    EXPECT_EQ(window_->PageTag(), 2);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(analyte_->LimitsMode[0], lmMobile);
    SetPasswordPrompt(previous);
}

} // namespace
} // namespace tervanix
