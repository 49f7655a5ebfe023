// The limits view with its common-CV switch, the statistical risks dialog with its live preview,
// and the daily QC summary.
#include <QSignalSpy>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "charts/UDailyQC.h"
#include "charts/UShowLimits.h"
#include "dialogs/UMotPass.h"
#include "dialogs/URisks.h"
#include "gui/GuiHarness.h"
#include "gui/PrintHarness.h"
#include "main/UCommandRunner.h"
#include "main/UMain.h"
#include "model/UClock.h"
#include "model/UDataLoadSave.h"
#include "model/UDateTime.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/USettingsFile.h"
#include "support/AnalyteBuilders.h"

namespace tervanix {
namespace {

using test::Click;
using test::MakeRun;

constexpr int Day = 45366; // 2024-03-15

// A program folder of its own, empty lists, default settings and a fixed clock for each test.
class ViewsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedSettings_ = Settings;
        savedProgramDir_ = ProgramDir;
        SetProgramDir(folder_.path().toStdString());
        SetClock([] { return TDateTime(Day) + 10.5 / 24; });
        Analytes.FreeAll();
        Materials.Clear();
        Settings = DefaultSettings();
    }
    void TearDown() override {
        Analytes.FreeAll();
        Materials.Clear();
        Settings = savedSettings_;
        SetProgramDir(savedProgramDir_);
        SetClock(nullptr);
    }

    // Runs on consecutive days ending today, one value triple each (nullopt: no value).
    TAnalyte& AddAnalyte(const char* name, int levels, std::initializer_list<TLevelTriple> runs = {}) {
        TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>(name, "mmol/L", 2, levels, false));
        double day = Day - static_cast<double>(runs.size()) + 1;
        for (const TLevelTriple& r : runs) {
            TResu run = MakeRun(day++, {});
            run.Levels = r;
            a.AddPoint(run);
        }
        a.RecomputeAll();
        return a;
    }

    static TLevelTriple Values(std::optional<float> v1, std::optional<float> v2 = {}, std::optional<float> v3 = {}) {
        TLevelTriple t{};
        const std::optional<float> v[] = {v1, v2, v3};
        for (int i = 0; i < MaxLevels; ++i) t[i] = v[i] ? TLevelResult{*v[i], qsInControl, {}} : TLevelResult{};
        return t;
    }

    QTemporaryDir folder_;
    TSettings savedSettings_;
    std::string savedProgramDir_;
    test::TScriptedMessages messages_;
    test::TLocaleScope locale_{'.'};
};

// ---- Limits view ----

TEST_F(ViewsTest, LimitsTableShowsEachModeAsItsLimitsAllow) {
    const TMaterial& lyo = Materials.AddMaterial("Lyphochek", "A12");
    TAnalyte& a = AddAnalyte("Glucose", 3, {Values(1, 9), Values(2, 10), Values(3, 12)});
    a.MaterialId[0] = lyo.Id;
    a.LimitsMode[1] = lmLocked;
    a.LockFirst[1] = 1;
    a.LockLast[1] = 2;
    a.LimitsMode[2] = lmFixed;
    a.Current[2].Mean = 100;
    a.Current[2].AlertHalfWidth = 2;
    a.Current[2].ActionHalfWidth = 3;
    a.RecomputeAll();
    TAnalyte& single = AddAnalyte("Urea", 1, {Values(5)});

    const std::vector<QStringList> rows = LimitsTableTexts(a, Materials);
    const QStringList expected[LimitsTableRows] = {
        {"Control materials", "Lyphochek", "Unknown", "Unknown"},
        {"Lots", "A12", "", ""},
        {"QC mode", "Mobile limits", "Locked limits", "Fixed limits"},
        {"Target", "2.000 mmol/L", "11.000 mmol/L", "100.000 mmol/L"},
        {"Warning limits", "-2.303  /  6.303", "-6.969  /  28.969", "98.000  /  102.000"},
        {"Action limits", "-20.326  /  24.326", "-439.158  /  461.158", "97.000  /  103.000"},
        {"Dates ref interval", "13/03/2024  to 15/03/2024", "14/03/2024 - 15/03/2024", ""},
        {"# points in ref interval", "3", "2", ""},
        {"Reference CV", "50.0 %", "12.9 %", ""},
        {"# degrees of freedom", "2", "1", ""}};
    for (int r = 0; r < LimitsTableRows; ++r) EXPECT_EQ(rows[static_cast<std::size_t>(r)], expected[r]) << "row " << r;

    // One value: a target and its count, but neither limits nor a CV.
    const std::vector<QStringList> one = LimitsTableTexts(single, Materials);
    EXPECT_EQ(one[3][1], QStringLiteral("5.000 mmol/L"));
    for (int r : {4, 5, 8, 9}) EXPECT_TRUE(one[static_cast<std::size_t>(r)][1].isEmpty()) << "row " << r;
    EXPECT_EQ(one[6][1], QStringLiteral("15/03/2024  to 15/03/2024"));
    EXPECT_EQ(one[7][1], QStringLiteral("1"));
}

class LimitsViewTest : public ViewsTest {
protected:
    void SetUp() override {
        ViewsTest::SetUp();
        analyte_ = &AddAnalyte("Calcium", 2, {Values(2.0f, 5.0f), Values(2.2f, 5.1f), Values(2.1f, 5.6f)});
    }
    TAnalyte* analyte_ = nullptr;
    // Every change of the limits reaches the chart through the laboratory.
    QSignalSpy repaints_{&Laboratory(), &TLaboratory::SeriesChanged};
    test::TWindowFontScope font_; // the design widths hold at the window font
    TWinShowLimits window_;
};

TEST_F(LimitsViewTest, CommonCVTakesEffectAtOnceAndOnlyOKKeepsIt) {
    const TLevelStats before = analyte_->Current[0];
    for (const bool keep : {false, true}) {
        window_.Prepare(*analyte_);
        test::ShowActive(&window_);
        Click(window_.CBCommonCV());
        EXPECT_TRUE(analyte_->HasOption(aoCommonCV));
        EXPECT_NE(analyte_->Current[0].AlertHalfWidth, before.AlertHalfWidth);
        EXPECT_EQ(window_.Grid()->item(8, 1)->text(), window_.Grid()->item(8, 2)->text()); // one pooled CV
        EXPECT_EQ(window_.Grid()->item(9, 1)->text(), QStringLiteral("4"));
        EXPECT_EQ(repaints_.count(), keep ? 3 : 1);
        if (keep) {
            Click(window_.BtOK());
        } else {
            window_.close(); // the close box undoes as Cancel does
        }
        EXPECT_FALSE(window_.isVisible());
        EXPECT_EQ(analyte_->HasOption(aoCommonCV), keep);
        EXPECT_EQ(analyte_->Current[0].AlertHalfWidth == before.AlertHalfWidth, !keep);
        EXPECT_EQ(repaints_.count(), keep ? 3 : 2);
    }
    // Shown again: the box follows the option, and Cancel without a change repaints nothing.
    window_.Prepare(*analyte_);
    test::ShowActive(&window_);
    EXPECT_TRUE(window_.CBCommonCV()->isChecked());
    Click(window_.BtCancel());
    EXPECT_EQ(repaints_.count(), 3);
}

TEST_F(LimitsViewTest, TheSwitchIsHiddenForFixedLevelsAndLockedByThePassword) {
    TAnalyte& fixed = AddAnalyte("Iron", 1);
    fixed.LimitsMode[0] = lmFixed;
    window_.Prepare(fixed);
    EXPECT_EQ(window_.width(), 122 + 141);
    EXPECT_EQ(window_.BtOK()->x(), 24);
    EXPECT_TRUE(window_.CBCommonCV()->isHidden());
    EXPECT_TRUE(window_.BtCle()->isHidden());
    EXPECT_EQ(window_.Grid()->item(3, 1)->text(), QStringLiteral("0.000 mmol/L")); // a target even without points

    test::TPasswordScope password("KEY");
    const auto previous = SetPasswordPrompt([](QWidget*) { return true; });
    window_.Prepare(*analyte_);
    EXPECT_EQ(window_.width(), 122 + 2 * 141);
    EXPECT_FALSE(window_.CBCommonCV()->isHidden());
    EXPECT_FALSE(window_.CBCommonCV()->isEnabled());
    EXPECT_FALSE(window_.BtCle()->isHidden());
    Click(window_.BtCle());
    EXPECT_TRUE(window_.CBCommonCV()->isEnabled());
    EXPECT_TRUE(window_.BtCle()->isHidden());
    EXPECT_FALSE(window_.BtCle()->isChecked());
    SetPasswordPrompt(previous);
}

TEST_F(LimitsViewTest, PrintsTheTableAndStaysUsableWhenThePrintIsCancelled) {
    test::TPdfPrintService printer;
    window_.Prepare(*analyte_);
    test::ShowActive(&window_);
    printer.CancelJobs(true);
    EXPECT_EQ(window_.BtPrnClick(), TPrintOutcome::Cancelled);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_TRUE(window_.BtOK()->hasFocus());
    printer.CancelJobs(false);
    Click(window_.BtPrn());
    ASSERT_EQ(printer.JobCount(), 1);
    EXPECT_EQ(printer.LastTitle(), QStringLiteral("QC limits for Calcium"));
    const QStringList lines = test::PageLines(test::PdfPages(printer.LastPdf())[0]);
    const QString all = lines.join(QLatin1Char('|'));
    for (const char* line : {"QC limits for Calcium", "Control materials Unknown Unknown", "QC mode Mobile limits Mobile limits",
                             "Target 2.100 mmol/L 5.233 mmol/L", "# points in ref interval 3 3",
                             "- Page 1/1 - QC limits for Calcium - Printed on 15/03/2024 -"})
        EXPECT_TRUE(lines.contains(QLatin1String(line))) << line << " in " << all.toStdString();
    EXPECT_TRUE(window_.isVisible());
}

// ---- Statistical risks ----

class RisksTest : public ViewsTest {
protected:
    void SetUp() override {
        ViewsTest::SetUp();
        analyte_ = &AddAnalyte("Sodium", 1, {Values(140), Values(142), Values(141)});
    }
    TAnalyte* analyte_ = nullptr;
    int previews_ = 0;
    TWinRisks window_{[this] {
        ++previews_;
        return analyte_;
    }};
};

TEST_F(RisksTest, EveryClickIsPreviewedAndLeavingWithoutOKPutsTheRisksBack) {
    const long double action = analyte_->Current[0].ActionHalfWidth;
    test::ShowActive(&window_);
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Tervanix : Statistical parameters"));
    EXPECT_TRUE(window_.AlertItem(0)->isChecked());
    EXPECT_TRUE(window_.ActionItem(2)->isChecked());
    EXPECT_TRUE(window_.AlertItem(0)->hasFocus());

    Click(window_.ActionItem(0));
    EXPECT_EQ(Settings.ActionRisk, 2);
    EXPECT_EQ(previews_, 1);
    EXPECT_LT(analyte_->Current[0].ActionHalfWidth, action);
    Click(window_.AlertItem(1));
    EXPECT_EQ(Settings.AlertRisk, 1);

    Click(window_.BtUndo());
    EXPECT_EQ(Settings.AlertRisk, 0);
    EXPECT_EQ(Settings.ActionRisk, 4);
    EXPECT_TRUE(window_.AlertItem(0)->isChecked());
    EXPECT_TRUE(window_.ActionItem(2)->isChecked());
    EXPECT_EQ(analyte_->Current[0].ActionHalfWidth, action);

    Click(window_.ActionItem(1));
    Click(window_.BtCancel());
    EXPECT_EQ(Settings.ActionRisk, 4);
    EXPECT_EQ(analyte_->Current[0].ActionHalfWidth, action);
    EXPECT_EQ(previews_, 5);
}

TEST_F(RisksTest, APasswordLetsThePreviewRunButNotTheOK) {
    test::TPasswordScope password("KEY");
    test::ShowActive(&window_);
    EXPECT_FALSE(window_.BtOK()->isEnabled());
    EXPECT_FALSE(window_.BtCle()->isHidden());
    Click(window_.ActionItem(0));
    EXPECT_EQ(Settings.ActionRisk, 2);
    window_.reject();
    EXPECT_EQ(Settings.ActionRisk, 4);

    // Without any analyte the values change and nothing is recomputed.
    Analytes.FreeAll();
    test::ShowActive(&window_);
    const int before = previews_;
    Click(window_.ActionItem(1));
    EXPECT_EQ(Settings.ActionRisk, 3);
    EXPECT_EQ(previews_, before);
    window_.reject();
}

// ---- Daily QC summary ----

class DailyTest : public ViewsTest {
protected:
    // A run at hh:mm:ss of the day `day`.
    static void AddRun(TAnalyte& a, double day, int h, int m, int s, TLevelTriple levels, std::string op = {},
                       std::string comment = {}) {
        TResu run = MakeRun(0, {}, std::move(comment), std::move(op));
        run.DateTime = day + EncodeTime(h, m, s, 0);
        run.Levels = levels;
        a.AddPoint(run);
    }
};

TEST_F(DailyTest, TheDayRunsAnalyteByAnalyteNewestFirstWithinTheDayBounds) {
    TAnalyte& glucose = AddAnalyte("Glucose", 3);
    AddRun(glucose, Day - 1, 23, 59, 59, Values(1, 2, 3));
    AddRun(glucose, Day, 8, 0, 0, Values(4, 5, 6));
    AddRun(glucose, Day, 23, 59, 59, Values(7, std::nullopt, 9));
    AddRun(glucose, Day + 1, 0, 0, 0, Values(10, 11, 12));
    AddAnalyte("Iron", 2);
    TAnalyte& urea = AddAnalyte("Urea", 1);
    TLevelTriple discarded = Values(5.5f);
    discarded[0].Status = qsDiscarded;
    AddRun(urea, Day, 12, 0, 0, discarded, "ABC", "Reagent");

    auto times = [](const std::vector<TDayRun>& runs) {
        std::vector<std::pair<std::string, TDateTime>> seen;
        for (const TDayRun& r : runs) seen.emplace_back(r.Analyte->Name.str(), r.Point->DateTime);
        return seen;
    };
    const std::vector<std::pair<std::string, TDateTime>> expected = {
        {"Glucose", Day + EncodeTime(23, 59, 59, 0)}, {"Glucose", Day + EncodeTime(8, 0, 0, 0)}, {"Urea", Day + 0.5}};
    EXPECT_EQ(times(CollectDayRuns(Analytes, Day)), expected);
    EXPECT_EQ(CollectDayRuns(Analytes, Day - 1).size(), 1u);
    EXPECT_TRUE(CollectDayRuns(Analytes, Day - 2).empty());

    TWinDailyQC window;
    test::ShowActive(&window);
    EXPECT_EQ(window.Calendar()->selectedDate(), QDate(2024, 3, 15)); // today
    ASSERT_EQ(window.LB()->count(), 3);
    EXPECT_EQ(window.LB()->item(0)->text(), QStringLiteral("Glucose\t23:59:59\t7.00\t\t9.00\t\t"));
    EXPECT_EQ(window.LB()->item(2)->text(), QStringLiteral("Urea\t12:00:00\t5.50\t\t\tABC\tReagent"));

    // The marks: green beside a value in control, a red cross beside a discarded one, none without value.
    const QImage shot = test::Grab(window.LB()->viewport());
    const QRect row0 = window.LB()->visualItemRect(window.LB()->item(0));
    const QRect row2 = window.LB()->visualItemRect(window.LB()->item(2));
    const auto markCentre = [&](const QRect& row, int level) {
        return shot.pixelColor(row.left() + 185 + 60 * level + 5, row.top() + 2 + 5);
    };
    EXPECT_GT(markCentre(row0, 0).green(), 150);
    EXPECT_LT(markCentre(row0, 0).red(), 100);
    EXPECT_EQ(markCentre(row0, 1), QColor(Qt::white));
    EXPECT_GT(markCentre(row2, 0).red(), 150);
    EXPECT_LT(markCentre(row2, 0).green(), 100);
    EXPECT_EQ(markCentre(row2, 1), QColor(Qt::white));

    window.Calendar()->setSelectedDate(QDate(2024, 3, 13));
    EXPECT_EQ(window.LB()->count(), 0);
    Click(window.BtToday());
    EXPECT_EQ(window.LB()->count(), 3);
    // Enter closes the window wherever the focus is, as Escape does.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(DailyTest, PrintsTheDayAsAnArchiveDocumentAndClosesOnlyWhenPrinted) {
    test::TPdfPrintService printer;
    TAnalyte& glucose = AddAnalyte("Glucose", 3);
    TLevelTriple marked = Values(9.5f, 5, 1.25f);
    marked[0].Status = qsHighAction;
    marked[1].Status = qsDiscarded;
    AddRun(glucose, Day, 9, 30, 0, marked, "JD", "Recalibrated");
    AddRun(glucose, Day, 8, 0, 0, Values(4, 5, 6));
    TAnalyte& urea = AddAnalyte("Urea", 1);
    AddRun(urea, Day - 1, 12, 0, 0, Values(5.5f));

    TWinDailyQC window;
    test::ShowActive(&window);
    window.Calendar()->setSelectedDate(QDate(2024, 3, 13));
    Click(window.BtPrn());
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Nothing to print"));
    EXPECT_EQ(printer.JobCount(), 0);

    Click(window.BtToday());
    printer.CancelJobs(true);
    Click(window.BtPrn());
    EXPECT_TRUE(window.isVisible());
    printer.CancelJobs(false);
    Click(window.BtPrn());
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(printer.JobCount(), 1);
    const QStringList lines = test::PageLines(test::PdfPages(printer.LastPdf())[0]);
    const QString all = lines.join(QLatin1Char('|'));
    EXPECT_TRUE(lines.contains(QStringLiteral("Cumulative daily QC : 15/03/2024"))) << all.toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("Archive document - Keep it")).size(), 1);
    EXPECT_TRUE(lines.contains(QStringLiteral("Analytes Time QC1 QC2 QC3 Operator Comment")));
    EXPECT_TRUE(lines.filter(QStringLiteral("09:30:00 9.50 \u2191\u2191 5.00 1.25 JD Recalibrated")).size() == 1) << all.toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("08:00:00 4.00 5.00 6.00")).size() == 1) << all.toStdString();
    EXPECT_EQ(all.count(QStringLiteral("Glucose")), 1); // one tall cell for the analyte's runs
    EXPECT_FALSE(all.contains(QStringLiteral("Urea")));
}

// ---- The commands of the main window ----

TEST_F(ViewsTest, MainWindowCommandsWriteWhatOKConfirmsAtOnce) {
    TWinMain main;
    RunCommand([&] { main.LimitsClick(); });
    ASSERT_FALSE(messages_.Recorded().empty());
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("No analyte."));

    TAnalyte& a = AddAnalyte("Sodium", 1, {Values(140), Values(142), Values(141)});
    main.RebuildAnalyteList();
    const long double action = a.Current[0].ActionHalfWidth;
    test::WhenModalOpens([](QWidget* modal) {
        auto* risks = qobject_cast<TWinRisks*>(modal);
        ASSERT_NE(risks, nullptr);
        Click(risks->ActionItem(0));
        Click(risks->BtOK());
    });
    RunCommand([&] { main.RisksClick(); });
    EXPECT_EQ(Settings.ActionRisk, 2);
    EXPECT_LT(a.Current[0].ActionHalfWidth, action);
    const auto bytes = ReadWholeFile(BasePath + ".cfr");
    ASSERT_TRUE(bytes.has_value());
    TSettings onDisk;
    TOperatorList operators;
    DecodeSettingsFile(*bytes, onDisk, operators);
    EXPECT_EQ(onDisk.ActionRisk, 2);

    // A common-CV switch kept with OK is on disk at once; one left with Cancel changes nothing.
    for (const bool keep : {false, true}) {
        test::WhenModalOpens([keep](QWidget* modal) {
            auto* limits = qobject_cast<TWinShowLimits*>(modal);
            ASSERT_NE(limits, nullptr);
            Click(limits->CBCommonCV());
            Click(keep ? limits->BtOK() : limits->BtCancel());
        });
        RunCommand([&] { main.LimitsClick(); });
        EXPECT_EQ(a.HasOption(aoCommonCV), keep);
        EXPECT_EQ(std::filesystem::exists(BasePath + ".qcf"), keep);
    }
    TListSerum storedMaterials;
    TListAnalytes stored;
    DecodeDataFile(*ReadWholeFile(BasePath + ".qcf"), storedMaterials, stored);
    EXPECT_TRUE(stored[0].HasOption(aoCommonCV));

    auto* risks = main.findChild<QAction*>(QStringLiteral("MnuRisks"));
    ASSERT_NE(risks, nullptr);
    EXPECT_EQ(risks->text(), QStringLiteral("Statistical &risks"));
    for (const char* name : {"BtDaily", "BtLimits"}) EXPECT_NE(main.findChild<QWidget*>(QLatin1String(name)), nullptr);
}

} // namespace
} // namespace tervanix
