#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "charts/UPrnCharts.h"
#include "dialogs/UMotPass.h"
#include "dialogs/UShowData.h"
#include "gui/GuiHarness.h"
#include "gui/PrintHarness.h"
#include "main/UCommandRunner.h"
#include "main/UMain.h"
#include "model/UAnalyte.h"
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

std::vector<float> Level1Values(const TAnalyte& a) {
    std::vector<float> values;
    for (int i = 0; i < a.Count(); ++i) values.push_back(a.Point(i).Levels[0].Value);
    return values;
}

void Select(QListView* list, std::initializer_list<int> rows) {
    list->clearSelection();
    for (int row : rows) list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
}

TEST(DataLines, TextAndTabStops) {
    test::TLocaleScope locale('.');
    TAnalyte a("Urea", "mmol/L", 1, 2, false);
    a.AddPoint(MakeRun(EncodeDate(2026, 5, 4), {5.25f, std::nullopt}, "Late", "AB"));
    TResu midnight = MakeRun(EncodeDate(2026, 5, 5), {5.0f, 6.0f});
    midnight.DateTime = EncodeDate(2026, 5, 5);
    a.AddPoint(midnight);
    EXPECT_EQ(DataLineText(a, a.Point(0)), QStringLiteral("04/05/2026 12:00:00\t5.3\t\tAB\tLate"));
    EXPECT_EQ(DataLineText(a, a.Point(1)), QStringLiteral("05/05/2026\t5.0\t6.0\t\t"));
    EXPECT_EQ(DataLineTabStops(3), (std::vector<int>{135, 195, 255, 315, 355}));
    EXPECT_EQ(DataLineTabStops(1), (std::vector<int>{135, 195, 235}));
}

// Six runs of values 1..6 on one level.
class ShowData : public ::testing::Test {
protected:
    void SetUp() override {
        Settings = DefaultSettings();
        for (int i = 1; i <= 6; ++i) analyte_.AddPoint(MakeRun(100 + i, {float(i)}));
    }
    void TearDown() override { Settings = DefaultSettings(); }
    TAnalyte analyte_{"Urea", "mmol/L", 1, 1, false};
    TScriptedMessages boxes_;
    test::TWindowFontScope font_; // the design widths hold at the window font
    TWinShowData dialog_;
};

// Deletions are recorded as positions at their removal and applied to the series only on OK.
TEST_F(ShowData, DeletionsAreAppliedOnlyWhenOKIsConfirmed) {
    dialog_.Prepare(analyte_, -1);
    EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("QC data for Urea"));
    EXPECT_TRUE(dialog_.Header(2)->isHidden()); // one level: only QC1
    EXPECT_EQ(dialog_.LB()->width(), 385);
    Select(dialog_.LB(), {1, 4});
    dialog_.DeleteSelection();
    EXPECT_EQ(dialog_.PendingDeletions(), (std::vector<int>{4, 1}));
    EXPECT_EQ(analyte_.Count(), 6);

    boxes_.Answer(TMsgButton::Cancel);
    dialog_.accept();
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Irreversible deletion of 2 lines ?"));
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
    EXPECT_EQ(analyte_.Count(), 6);
    EXPECT_FALSE(dialog_.SeriesChanged());

    dialog_.Prepare(analyte_, -1);
    Select(dialog_.LB(), {1, 4});
    dialog_.DeleteSelection();
    dialog_.reject();
    EXPECT_EQ(analyte_.Count(), 6);

    dialog_.Prepare(analyte_, -1);
    Select(dialog_.LB(), {1, 4});
    dialog_.DeleteSelection();
    Select(dialog_.LB(), {0});
    dialog_.DeleteSelection();
    dialog_.accept();
    EXPECT_EQ(Level1Values(analyte_), (std::vector<float>{3, 4, 6}));
    EXPECT_TRUE(dialog_.SeriesChanged());

    dialog_.Prepare(analyte_, -1);
    dialog_.DeleteAll();
    EXPECT_EQ(dialog_.LB()->model()->rowCount(), 0);
    dialog_.Undo();
    EXPECT_EQ(dialog_.LB()->model()->rowCount(), 3);
    EXPECT_TRUE(dialog_.PendingDeletions().empty());
    dialog_.DeleteAll();
    dialog_.accept();
    EXPECT_EQ(analyte_.Count(), 0);
}

TEST_F(ShowData, EditLineAsksAboutPendingDeletionsAndHandsThePointBack) {
    dialog_.Prepare(analyte_, 4);
    const TQCPoint* fifth = &analyte_.Point(4);
    Select(dialog_.LB(), {0, 1});
    dialog_.DeleteSelection();
    dialog_.EditLine();
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Select the line to edit."));
    dialog_.LB()->setCurrentIndex(dialog_.LB()->model()->index(2, 0)); // the fifth run
    boxes_.Answer(TMsgButton::Cancel);
    dialog_.EditLine();
    EXPECT_TRUE(boxes_.Last().Text.startsWith(
        QStringLiteral("Irreversible deletion of 2 lines.\r+ Edit and validate again the control point on ")));
    EXPECT_EQ(analyte_.Count(), 6);
    EXPECT_EQ(dialog_.HandedBackPoint(), nullptr);
    dialog_.EditLine();
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
    EXPECT_EQ(dialog_.HandedBackPoint(), fifth);
    EXPECT_EQ(Level1Values(analyte_), (std::vector<float>{3, 4, 5, 6}));

    dialog_.Prepare(analyte_, -1);
    dialog_.DeleteAll();
    dialog_.EditLine();
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Nothing to edit."));
}

TEST_F(ShowData, PasswordLocksDeletionAndEditingUntilGiven) {
    test::TPasswordScope password("SECRET");
    bool asked = false;
    SetPasswordPrompt([&](QWidget*) { return asked = true; });
    dialog_.Prepare(analyte_, 0);
    EXPECT_FALSE(dialog_.BtDelete()->isEnabled());
    EXPECT_FALSE(dialog_.BtEdit()->isEnabled());
    EXPECT_TRUE(dialog_.BtPrint()->isEnabled());
    test::ShowActive(&dialog_);
    dialog_.LB()->setFocus();
    QTest::keyClick(dialog_.LB(), Qt::Key_Delete);
    EXPECT_TRUE(dialog_.PendingDeletions().empty());
    dialog_.LineDoubleClicked(); // asks for the password first
    EXPECT_TRUE(asked);
    EXPECT_TRUE(dialog_.BtDelete()->isEnabled());
    dialog_.hide();
    SetPasswordPrompt({});
}

// The main window's commands: messages without an analyte or points, the table opened by a
// double-click on a point, and the point handed back loaded into the entry fields.
class DataCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedProgramDir_ = ProgramDir;
        SetProgramDir(folder_.path().toStdString());
        Analytes.FreeAll();
        Settings = DefaultSettings();
        window_ = std::make_unique<TWinMain>();
    }
    void TearDown() override {
        window_.reset();
        Analytes.FreeAll();
        SetProgramDir(savedProgramDir_);
    }
    QTemporaryDir folder_;
    std::string savedProgramDir_;
    TScriptedMessages boxes_;
    std::unique_ptr<TWinMain> window_;
};

TEST_F(DataCommands, MessagesWithoutAnalyteOrPoints) {
    EXPECT_EQ(window_->BtData()->text(), QStringLiteral("Data ta&ble"));
    EXPECT_EQ(window_->BtPrnGraph()->toolTip(), QStringLiteral("Printing control charts"));
    RunCommand([&] { window_->DataTableClick(); });
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("No analyte."));
    Analytes.Add(std::make_unique<TAnalyte>("Urea", "mmol/L", 1, 1, false));
    window_->RebuildAnalyteList();
    RunCommand([&] { window_->PrintChartsClick(); });
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Nothing to print"));
}

// The table shows the series as stored: a special page is left as with its Cancel first.
TEST_F(DataCommands, DataTableLeavesASpecialPageAsWithCancel) {
    TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>("Urea", "mmol/L", 1, 1, false));
    for (int i = 1; i <= 3; ++i) a.AddPoint(MakeRun(100 + i, {float(i)}));
    a.RecomputeAll();
    window_->RebuildAnalyteList();
    window_->SwitchPage(2);
    ASSERT_EQ(window_->PageTag(), 2);
    a.LimitsMode[0] = lmFixed; // as an unconfirmed edit of the Fix page would
    test::WhenModalOpens([](QWidget* modal) { modal->close(); });
    RunCommand([&] { window_->DataTableClick(); });
    EXPECT_EQ(window_->PageTag(), 0);
    EXPECT_EQ(a.LimitsMode[0], lmMobile);
}

TEST_F(DataCommands, DoubleClickOnAPointEditsItAndLeavesNothingSelected) {
    TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>("Urea", "mmol/L", 1, 1, false));
    for (int i = 1; i <= 3; ++i) a.AddPoint(MakeRun(100 + i, {float(i)}, i == 2 ? "Late" : "", "OP"));
    a.RecomputeAll();
    window_->RebuildAnalyteList();
    const int levels = 1;
    const QPoint second(ColumnX(1, 0), (PlotsTop(levels) + DateBandY(levels)) / 2);
    window_->ChartMouseDown(Qt::LeftButton, Qt::NoModifier, second);
    ASSERT_EQ(window_->SelectedPoint(), 1);
    test::WhenModalOpens([](QWidget* modal) {
        auto* table = qobject_cast<TWinShowData*>(modal);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->LB()->currentIndex().row(), 1); // the selected point's line
        table->EditLine();
    });
    window_->ChartDoubleClick();
    window_->ChartMouseDown(Qt::LeftButton, Qt::NoModifier, second); // the press that ends the double-click
    EXPECT_EQ(window_->SelectedPoint(), -1);
    EXPECT_EQ(Level1Values(a), (std::vector<float>{1, 3}));
    EXPECT_EQ(window_->LevelEdit(0)->text(), QStringLiteral("2.0"));
    EXPECT_EQ(window_->EditComment()->text(), QStringLiteral("Late"));
    // The series without the point is on disk at once.
    TListSerum materials;
    TListAnalytes saved;
    const auto bytes = ReadWholeFile(BasePath + ".qcf");
    ASSERT_TRUE(bytes);
    DecodeDataFile(*bytes, materials, saved);
    EXPECT_EQ(saved[0].Count(), 2);
}

} // namespace
} // namespace tervanix
