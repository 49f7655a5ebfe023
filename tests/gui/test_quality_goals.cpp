// The quality goals window (TEa and targets, Sigma and its rules), the goals file as the laboratory
// keeps it, and the monthly summary window.
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

#include "charts/UMonthlySummary.h"
#include "dialogs/UQualityGoals.h"
#include "gui/GuiHarness.h"
#include "gui/PrintHarness.h"
#include "main/ULaboratory.h"
#include "model/UClock.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"
#include "support/AuditReading.h"

namespace tervanix {
namespace {

using test::Click;
using test::TypeText;

constexpr int Day = 46000;

class QualityGoalsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedProgramDir_ = ProgramDir;
        SetProgramDir(folder_.path().toStdString());
        SetClock([] { return TDateTime(Day) + 0.5; });
        Analytes.FreeAll();
        Materials.Clear();
        goalsScope_.emplace();
        // Glucose: means 100 and 200, both CV 1.1547 %; Calcium fixed, no Sigma.
        TAnalyte& glucose = Analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 1, 2, false));
        for (int i = 0; i < 4; ++i) glucose.AddPoint(test::MakeRun(Day - 4 + i, {i % 2 ? 101.0f : 99.0f, i % 2 ? 202.0f : 198.0f}));
        glucose.RecomputeAll();
        TAnalyte& calcium = Analytes.Add(std::make_unique<TAnalyte>("Calcium", "mmol/L", 2, 1, false));
        test::AddSeries(calcium, {2.3f, 2.4f, 2.5f}, Day - 3);
        calcium.LimitsMode[0] = lmFixed;
        calcium.RecomputeAll();
    }
    void TearDown() override {
        SetWriteFault(nullptr);
        goalsScope_.reset();
        Analytes.FreeAll();
        SetProgramDir(savedProgramDir_);
        SetClock(nullptr);
    }
    std::string GoalsPath() const { return BasePath + ".goals"; }
    std::string OnDisk() const { return ReadWholeFile(GoalsPath()).value_or("(none)"); }
    QString Cell(int row, int column) const { return window_.Grid()->item(row, column)->text(); }

    QTemporaryDir folder_;
    std::string savedProgramDir_;
    std::optional<test::TGoalsScope> goalsScope_;
    test::TScriptedMessages messages_;
    test::TLocaleScope locale_{','};
    TWinQualityGoals window_;
};

// The Sigma follows what is typed; Cancel leaves the file; a refused TEa or a file that cannot be
// written keeps the window open and the goals as they were; OK writes them, the unknown names and
// the targets of levels an analyte no longer has kept.
TEST_F(QualityGoalsTest, TypedGoalsShowTheirSigmaAndOnlyOKWritesThem) {
    TQualityGoals before;
    before.Set("Lactate", {20.0, {1.5}});
    before.Set("Calcium", {std::nullopt, {std::nullopt, 2.6}}); // a level Calcium no longer has
    ASSERT_TRUE(Laboratory().ChangeGoals(before));
    const std::string file = OnDisk();
    window_.Prepare();
    test::ShowActive(&window_);
    ASSERT_EQ(window_.Grid()->rowCount(), 3);
    EXPECT_EQ(window_.TeaEdit(1), nullptr); // one TEa per analyte, on its first level
    TypeText(window_.TeaEdit(0), QStringLiteral("10"));
    TypeText(window_.TargetEdit(0), QStringLiteral("98"));
    EXPECT_EQ(Cell(0, scBias), QStringLiteral("2,04"));
    EXPECT_EQ(Cell(0, scSigma), QStringLiteral("6,8"));
    EXPECT_EQ(Cell(0, scRules), QStringLiteral("1:3s - 2 control measurements per run"));
    const QTableWidget* grid = window_.Grid(); // the advice typing brought is shown whole
    EXPECT_GE(grid->columnWidth(scRules), grid->fontMetrics().horizontalAdvance(Cell(0, scRules)));
    EXPECT_EQ(window_.Grid()->item(0, scSigma)->background().color(), QColor(0x66, 0xCC, 0x66));
    EXPECT_EQ(Cell(1, scTea), QStringLiteral("10,00"));
    EXPECT_EQ(Cell(1, scBias), QStringLiteral("bias unknown"));
    EXPECT_EQ(Cell(1, scSigma), QStringLiteral("8,6"));
    EXPECT_EQ(Cell(2, scSigma), QString()); // fixed limits
    Click(window_.BtCancel());
    EXPECT_EQ(OnDisk(), file);

    window_.Prepare();
    test::ShowActive(&window_);
    EXPECT_EQ(window_.TeaEdit(0)->text(), QString());
    TypeText(window_.TeaEdit(0), QStringLiteral("0"));
    Click(window_.BtOK());
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("The allowable total error (TEa) must be above 0 %"));
    EXPECT_TRUE(window_.TeaEdit(0)->hasFocus());
    window_.TeaEdit(0)->clear();
    TypeText(window_.TeaEdit(0), QStringLiteral("7.5"));
    TypeText(window_.TargetEdit(1), QStringLiteral("2e2"));
    SetWriteFault([](std::string_view step, const std::string& path) {
        return step == "rename" && path.ends_with(".goals") ? ENOSPC : 0;
    });
    Click(window_.BtOK());
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Cannot save the quality goals: No space left on device"));
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(Laboratory().Goals(), before);
    EXPECT_EQ(OnDisk(), file);
    SetWriteFault(nullptr);
    Click(window_.BtOK());
    EXPECT_FALSE(window_.isVisible());
    TQualityGoals expected = before;
    expected.Set("Glucose", {7.5, {std::nullopt, 200.0}});
    EXPECT_EQ(DecodeGoalsFile(OnDisk()), expected);
    EXPECT_EQ(Laboratory().Goals(), expected);
    const TAuditEntry audited = test::Audited("goals.changed"); // before and after, one analyte
    EXPECT_EQ(audited.Analyte, "Glucose");
    EXPECT_TRUE(test::Detail(audited, "before").isNull());
    EXPECT_EQ(test::Detail(audited, "after.tea_percent").toDouble(), 7.5);
    EXPECT_EQ(test::Detail(audited, "after.targets").toArray().at(1).toDouble(), 200.0);
}

// The table is printed through the page engine, the goals as typed.
TEST_F(QualityGoalsTest, PrintsTheTableAsShown) {
    test::TPdfPrintService printer;
    window_.Prepare();
    TypeText(window_.TeaEdit(0), QStringLiteral("10"));
    EXPECT_EQ(window_.BtPrnClick(), TPrintOutcome::Printed);
    const QString all = test::PageLines(test::PdfPages(printer.LastPdf())[0]).join(QLatin1Char('|'));
    EXPECT_TRUE(all.contains(QStringLiteral("Sigma metrics and QC rules"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("QC2 Unknown 10,00 200,00 1,15 bias unknown 8,6 1:3s - 2 control measurements per run")))
        << all.toStdString();
}

// A goals file that cannot be read is kept aside and said; the goals start empty and the next OK
// writes a new file beside the kept one.
TEST_F(QualityGoalsTest, DamagedGoalsFileIsKeptAsideAndSaid) {
    ASSERT_TRUE(Laboratory().ChangeGoals({}));
    std::filesystem::resize_file(GoalsPath(), 3);
    Laboratory().LoadGoals();
    EXPECT_TRUE(messages_.Last().Text.startsWith(QStringLiteral("The quality goals file could not be read")))
        << messages_.Last().Text.toStdString();
    EXPECT_TRUE(messages_.Last().Text.contains(QStringLiteral(".goals.damaged-")));
    EXPECT_EQ(Laboratory().Goals().Count(), 0);
    EXPECT_FALSE(FileExists(GoalsPath()));
    window_.Prepare();
    TypeText(window_.TeaEdit(0), QStringLiteral("10"));
    Click(window_.BtOK());
    EXPECT_EQ(DecodeGoalsFile(OnDisk()).Count(), 1);
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ProgramDir))
        kept += entry.path().filename().string().starts_with("Tervanix.goals.damaged-");
    EXPECT_EQ(kept, 1);
}

// The month of today at first, another month as the operator picks it; a month without runs says
// so and prints nothing; the month's Sigma comes from the goals.
TEST_F(QualityGoalsTest, MonthlySummaryPreviewsAndPrintsTheChosenMonth) {
    test::TPdfPrintService printer;
    TQualityGoals goals;
    goals.Set("Glucose", {10.0, {100.0}});
    ASSERT_TRUE(Laboratory().ChangeGoals(goals));
    TWinMonthlySummary summary;
    summary.Prepare();
    test::ShowActive(&summary);
    EXPECT_EQ(summary.CBMonth()->currentText(), QStringLiteral("December"));
    EXPECT_EQ(summary.SEYear()->value(), 2025);
    ASSERT_EQ(summary.Grid()->rowCount(), 3);
    EXPECT_EQ(summary.Grid()->item(0, mcN)->text(), QStringLiteral("4"));
    EXPECT_EQ(summary.Grid()->item(0, mcSigma)->text(), QStringLiteral("8,6"));
    EXPECT_FALSE(summary.findChild<QLabel*>(QStringLiteral("LblEmpty"))->isVisible());
    summary.CBMonth()->setCurrentIndex(10);
    EXPECT_EQ(summary.Grid()->rowCount(), 0);
    EXPECT_TRUE(summary.findChild<QLabel*>(QStringLiteral("LblEmpty"))->isVisible());
    Click(summary.BtPrn());
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Nothing to print"));
    EXPECT_EQ(printer.JobCount(), 0);
    summary.CBMonth()->setCurrentIndex(11);
    Click(summary.BtPrn());
    ASSERT_EQ(printer.JobCount(), 1);
    const QString all = test::PageLines(test::PdfPages(printer.LastPdf())[0]).join(QLatin1Char('|'));
    EXPECT_TRUE(all.contains(QStringLiteral("Monthly QC summary - December 2025"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("Calcium QC1 Unknown 3 2,400 0,1000 4,17 0 0 0"))) << all.toStdString();
}

} // namespace
} // namespace tervanix
