#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

#include <QTest>
#include <cmath>
#include <set>
#include <limits>
#include <memory>

#include "gui/GuiHarness.h"
#include "main/UValidCQ.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

using namespace tervanix;
using namespace tervanix::test;

namespace {

constexpr float No = std::numeric_limits<float>::quiet_NaN(); // no value for the level
using Values = std::array<float, 3>;

const QColor Red(0xFF, 0, 0), Yellow(0xFF, 0xFF, 0), Lime(0, 0xFF, 0), Gray(0x80, 0x80, 0x80);
const QColor Face(0xF0, 0xF0, 0xF0), Black(0, 0, 0);

// Every level: mean 100, alert limits 96/104, action limits 94/106 (s = 2), mobile limits.
class ValidCQ : public ::testing::Test {
protected:
    TListSerum savedMaterials = Materials;
    std::unique_ptr<TAnalyte> a;
    test::TWindowFontScope font_; // the design geometry holds at the window font
    TWinValidCQ win;

    ~ValidCQ() override { Materials = savedMaterials; }

    void Make(int levels) {
        a = std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, levels, false);
        for (int L = 0; L < levels; ++L) {
            a->MaterialId[L] = Materials.AddMaterial("Control " + std::to_string(L + 1), "LOT").Id;
            a->LimitsMode[L] = lmFixed;
            a->Current[L].Mean = 100;
            a->Current[L].AlertHalfWidth = 4;
            a->Current[L].ActionHalfWidth = 6;
        }
        a->RecomputeAll();
        for (int L = 0; L < levels; ++L) a->LimitsMode[L] = lmMobile;
    }
    TResu Run(double day, Values v, std::string op = {}, std::string comment = {}) const {
        TResu r;
        r.DateTime = day;
        r.AnalyteName = a->Name.str();
        r.Operator = std::move(op);
        r.Comment = std::move(comment);
        for (int L = 0; L < 3; ++L)
            r.Levels[L] = {std::isnan(v[L]) ? 0.0f : v[L], std::isnan(v[L]) ? qsNoValue : qsInControl, {}};
        ClassifyRun(*a, r);
        return r;
    }
    void Show(TResu& run) {
        win.Prepare(*a, run);
        win.Activate();
    }
    int ExpectedTop(int height) const { return (QGuiApplication::primaryScreen()->geometry().height() - height) / 2; }
};

QColor PixelAt(QWidget* w, int x, int y) { return Grab(w).pixelColor(x, y); }

bool HasPixelOf(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

TEST_F(ValidCQ, OkDiscardsRejectedLevelsAndKeepsTheMultirulesSwitch) {
    Make(2);
    TResu run = Run(10, {101, 99, 98});
    WhenModalOpens([this](QWidget*) {
        EXPECT_EQ(win.focusWidget(), win.BtOK());
        Click(win.RejectButton(1));
        Click(win.CBWestg());
        Click(win.BtOK());
    });
    EXPECT_TRUE(win.Execute(*a, run));
    EXPECT_EQ(run.Levels[0].Status, qsInControl);
    EXPECT_EQ(run.Levels[1].Status, qsDiscarded);
    EXPECT_EQ(run.Levels[1].Value, 99.0f);
    EXPECT_EQ(run.Levels[2].Status, qsNoValue); // beyond the analyte's levels
    EXPECT_FALSE(a->HasOption(aoWestgard));
}

TEST_F(ValidCQ, CancelLeavesStatusesAndOptionButDropsLevelsBeyondTheCount) {
    Make(2);
    TResu run = Run(10, {104.5f, 99, 98});
    WhenModalOpens([this](QWidget*) {
        Click(win.RejectButton(0));
        Click(win.CBWestg());
        Click(win.BtCancel());
    });
    EXPECT_FALSE(win.Execute(*a, run));
    EXPECT_EQ(run.Levels[0].Status, qsHighAlert);
    EXPECT_EQ(run.Levels[1].Status, qsInControl);
    EXPECT_EQ(run.Levels[2].Status, qsNoValue);
    EXPECT_TRUE(a->HasOption(aoWestgard));
}

TEST_F(ValidCQ, ARejectFromAnEarlierRunNeverDiscardsALevelTheNextRunLacks) {
    Make(3);
    TResu first = Run(10, {101, 99, 98});
    Show(first);
    win.ToggleReject(2);
    EXPECT_TRUE(win.Rejected(2));
    Make(2);
    TResu second = Run(10, {101, 99, 98});
    Show(second);
    EXPECT_FALSE(win.Rejected(2));
    win.ApplyOK();
    EXPECT_EQ(second.Levels[2].Status, qsNoValue);
    EXPECT_TRUE(win.Gauge(2)->isHidden());
    EXPECT_TRUE(win.RejectButton(2)->isHidden());
}

TEST_F(ValidCQ, ShowsTheRunTheLevelsAndTheirLimitModes) {
    Make(3);
    a->LimitsMode[2] = lmFixed;
    TResu run = Run(45000.5, {101, No, 98}, "", "after calibration");
    Show(run);
    EXPECT_EQ(win.windowTitle(), "QC validation");
    EXPECT_EQ(win.Panel1()->text(), "Glucose");
    EXPECT_EQ(win.LblUnite()->text(), "mmol/L");
    EXPECT_EQ(win.PanelDate()->text().toStdString(), FormatDate(45000.5) + " " + FormatTime(45000.5));
    EXPECT_TRUE(win.PanelOperator()->isHidden());
    EXPECT_TRUE(win.LblOperator()->isHidden());
    EXPECT_FALSE(win.PanelComment()->isHidden());
    EXPECT_EQ(win.PanelComment()->text(), "after calibration");
    EXPECT_EQ(win.MaterialLabel(1)->text(), "Control 2");
    EXPECT_TRUE(win.MaterialLabel(1)->font().underline());
    EXPECT_EQ(win.LimitModeLabel(0)->text(), "Mobile limits");
    EXPECT_EQ(win.LimitModeLabel(2)->text(), "Fixed limits");
    EXPECT_EQ(win.RejectButton(0)->text(), "Reject QC&1");
    EXPECT_FALSE(win.RejectButton(1)->isEnabled()); // no value, nothing to reject
    EXPECT_EQ(win.RejectButton(0)->geometry(), QRect(430, 90, 80, 30));
    EXPECT_EQ(win.Gauge(2)->geometry(), QRect(10, 270, 410, 60));
    EXPECT_EQ(win.CBWestg()->text(), "&Westgard multirules ");
    EXPECT_EQ(win.MaterialLabel(1)->pos(), QPoint(32, 155));
    EXPECT_EQ(win.LimitModeLabel(2)->pos(), QPoint(440, 270));
    EXPECT_EQ(win.LimitModeLabel(0)->palette().color(QPalette::WindowText), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(win.LimitModeLabel(0)->palette().color(QPalette::Window), QColor(0, 0x80, 0));
    EXPECT_EQ(win.PBoxWGAcross()->size(), QSize(465, 25));
    for (QWidget* w : {static_cast<QWidget*>(win.BtOK()), static_cast<QWidget*>(win.BtCancel())})
        EXPECT_FALSE(w->focusPolicy() & Qt::TabFocus) << w->objectName().toStdString();
    a->LimitsMode[0] = lmLocked;
    win.Activate();
    EXPECT_EQ(win.LimitModeLabel(0)->text(), "Locked limits");
}

// Three levels each one s above the mean twice (the run and the point before), level 3 beyond its
// alert limit: 3:1s across three levels lights red; without level 3, 4:1s across two lights yellow.
TEST_F(ValidCQ, RejectAndRetrieveReevaluateTheRulesAcrossLevels) {
    Make(3);
    a->AddPoint(Run(9, {103, 103, 103}));
    TResu run = Run(10, {103, 103, 105});
    Show(run);
    QWidget* box = win.PBoxWGAcross();
    const int x = TPBoxWGAcross::MarkerX(wa41s) + 3, y = TPBoxWGAcross::MarkerY + 10;
    EXPECT_EQ(win.Result().Across[wa41s], TRuleState::Reject);
    EXPECT_EQ(PixelAt(box, x, y), Red);
    EXPECT_FALSE(win.PanelWGAcross()->isHidden());

    Click(win.RejectButton(2));
    EXPECT_EQ(win.RejectButton(2)->text(), "Retrieve QC&3");
    EXPECT_EQ(win.focusWidget(), win.BtOK());
    EXPECT_EQ(win.Result().ParticipatingCount, 2);
    EXPECT_EQ(win.Result().Alarm, TRuleState::Warning);
    EXPECT_EQ(PixelAt(box, x, y), Yellow);
    EXPECT_EQ(PixelAt(win.Gauge(2), 5, 5), Gray); // "Discarded"
    EXPECT_EQ(win.height(), 493);

    Click(win.RejectButton(1));
    EXPECT_TRUE(win.PanelWGAcross()->isHidden());
    EXPECT_EQ(win.height(), 460);
    EXPECT_EQ(win.y(), ExpectedTop(460));

    Click(win.RejectButton(2));
    EXPECT_EQ(win.RejectButton(2)->text(), "Reject QC&3");
    EXPECT_EQ(win.Result().ParticipatingCount, 2);
    EXPECT_EQ(PixelAt(box, x, y), Red);
    EXPECT_NE(PixelAt(win.Gauge(2), 5, 5), Gray);
}

// Without a mouse: Tab reaches every level's reject button, Alt and the level's digit presses it.
TEST_F(ValidCQ, EveryRejectButtonIsReachedByTabAndByItsDigit) {
    Make(3);
    TResu run = Run(10, {103, 103, 105});
    Show(run);
    test::ShowActive(&win);
    std::set<QWidget*> reached;
    for (int tab = 0; tab < 20; ++tab) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.insert(QApplication::focusWidget());
    }
    for (int level = 0; level < 3; ++level) EXPECT_TRUE(reached.count(win.RejectButton(level))) << level;
    for (int level = 0; level < 3; ++level) {
        QTest::keyClick(&win, static_cast<Qt::Key>(Qt::Key_1 + level), Qt::AltModifier);
        // The button shows itself pressed, then clicks.
        EXPECT_TRUE(QTest::qWaitFor([&] { return win.Rejected(level); }, 30000)) << level;
    }
}

TEST_F(ValidCQ, ParticipationSetsTheHeightAndTheMarkers) {
    Make(3);
    a->LimitsMode[1] = lmFixed;       // fixed limits never take part
    a->Current[2].Status = qsNoValue; // nor limits that cannot be computed
    TResu run = Run(10, {104.5f, 99, 98});
    Show(run);
    EXPECT_EQ(win.Result().ParticipatingCount, 1);
    EXPECT_TRUE(win.PanelWGAcross()->isHidden());
    EXPECT_EQ(win.height(), 460);
    EXPECT_EQ(win.Panel2()->height(), 343);
    EXPECT_EQ(PixelAt(win.Gauge(0), 50 + 5, 45), Yellow); // 1:2s lit
    EXPECT_FALSE(win.Gauge(1)->View().Participates);

    Make(2);
    TResu two = Run(10, {104.5f, 99, No});
    Show(two);
    EXPECT_EQ(win.Result().ParticipatingCount, 2);
    EXPECT_FALSE(win.PanelWGAcross()->isHidden());
    EXPECT_EQ(win.PanelWGAcross()->y(), 284);
    EXPECT_EQ(win.height(), 393);
    EXPECT_EQ(win.Panel2()->height(), 243);
    EXPECT_EQ(win.y(), ExpectedTop(393));

    Click(win.CBWestg()); // multirules off: no markers, no across panel; the gauges stay
    EXPECT_EQ(win.Result().ParticipatingCount, 0);
    EXPECT_TRUE(win.PanelWGAcross()->isHidden());
    EXPECT_EQ(win.height(), 360);
    EXPECT_EQ(PixelAt(win.Gauge(0), 50 + 5, 45), Face);
    EXPECT_TRUE(win.RejectButton(0)->isEnabled());
}

TEST_F(ValidCQ, GaugeBandsChangeColourExactlyAtTheLimits) {
    Make(1);
    TResu run = Run(10, {101, No, No});
    Show(run);
    TPBoxValidCQ* g = win.Gauge(0);
    const QImage image = Grab(g);
    const int y = 22;
    ASSERT_EQ(g->Pos(96), 93); // 20 + (96 + 6.6 - 100) / 13.2 * 370
    EXPECT_EQ(image.pixelColor(g->Pos(94) - 1, y), Red);
    EXPECT_EQ(image.pixelColor(g->Pos(94), y), Yellow);
    EXPECT_EQ(image.pixelColor(g->Pos(96) - 1, y), Yellow);
    EXPECT_EQ(image.pixelColor(g->Pos(96), y), Lime);
    EXPECT_EQ(image.pixelColor(g->Pos(104) - 1, y), Lime);
    EXPECT_EQ(image.pixelColor(g->Pos(104), y), Yellow);
    EXPECT_EQ(image.pixelColor(g->Pos(106) - 1, y), Yellow);
    EXPECT_EQ(image.pixelColor(g->Pos(106), y), Red);
    EXPECT_EQ(image.pixelColor(19, y), Face);
    EXPECT_EQ(image.pixelColor(390, y), Face);
    for (int dx = -1; dx <= 1; ++dx) EXPECT_EQ(image.pixelColor(g->Pos(101) + dx, y), Black);
    EXPECT_EQ(image.pixelColor(g->Pos(101), 14), Black);
    EXPECT_EQ(image.pixelColor(g->Pos(101), 31), Face);
    EXPECT_EQ(image.pixelColor(g->Pos(100), 14), QColor(0, 0, 0x80)); // scale mark on the mean
    // Only the marks are navy: their labels above are in the plain text colour.
    int bluish = 0, dark = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            bluish += c.blue() - c.red() > 8 ? 1 : 0;
            dark += c.lightness() < 96 ? 1 : 0;
        }
    EXPECT_EQ(bluish, 0);
    EXPECT_GT(dark, 0);
}

TEST_F(ValidCQ, NoDataAndDiscardedGaugesShowTheirText) {
    Make(2);
    TResu run = Run(10, {101, No, No});
    Show(run);
    const QImage noData = Grab(win.Gauge(1));
    EXPECT_TRUE(HasPixelOf(noData, Red));
    EXPECT_FALSE(HasPixelOf(noData, Lime)); // no bands
    win.ToggleReject(1); // without a value nothing can be rejected
    EXPECT_FALSE(win.Rejected(1));

    win.ToggleReject(0);
    const QImage discarded = Grab(win.Gauge(0));
    EXPECT_EQ(discarded.pixelColor(0, 0), Black);
    EXPECT_EQ(discarded.pixelColor(5, 5), Gray);
    EXPECT_TRUE(HasPixelOf(discarded, Red));
    EXPECT_FALSE(HasPixelOf(discarded, Lime));
}

} // namespace
