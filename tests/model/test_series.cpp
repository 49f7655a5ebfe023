#include <gtest/gtest.h>

#include <cmath>

#include "model/UAnalyte.h"
#include "model/UFormat.h"
#include "model/URandom.h"
#include "support/AnalyteBuilders.h"

using namespace tervanix;
using tervanix::test::MakeRun;

namespace {

// Ten single-level points dated day 0..9, locked on points 3..7.
std::unique_ptr<TAnalyte> LockedSeries() {
    auto a = std::make_unique<TAnalyte>("Glucose", "mmol/L", 1, 1, false);
    for (int i = 0; i < 10; ++i) a->AddPoint(MakeRun(i * 10, {static_cast<float>(i)}));
    a->LimitsMode[0] = lmLocked;
    a->LockFirst[0] = 3;
    a->LockLast[0] = 7;
    return a;
}

std::pair<int, int> Lock(const TAnalyte& a) { return {a.LockFirst[0], a.LockLast[0]}; }

} // namespace

TEST(Series, NewAnalyteDefaults) {
    TAnalyte a("A very long analyte name", "mmol/L!", 2, 3, true);
    EXPECT_EQ(a.Name.str(), "A very long ana");
    EXPECT_EQ(a.UnitName.str(), "mmol/L");
    EXPECT_EQ(a.Options, 7);
    EXPECT_EQ(TAnalyte("x", "u", 0, 1, false).Options, 5);
    EXPECT_EQ(a.Reserved10, 10);
    for (int l = 0; l < 3; ++l) {
        EXPECT_EQ(a.MaterialId[l], -1);
        EXPECT_EQ(a.LockFirst[l], -1);
        EXPECT_EQ(a.Current[l].Status, qsNoValue);
        EXPECT_EQ(a.Current[l].ChartLow, -1);
        EXPECT_EQ(a.Current[l].ChartHigh, 1);
    }
}

TEST(Series, RunsAreOrderedByDateAndEqualDatesKeepTheirOrder) {
    TAnalyte a("G", "u", 1, 1, false);
    EXPECT_EQ(a.AddPoint(MakeRun(5, {1.0f}, "first")), 0);
    EXPECT_EQ(a.AddPoint(MakeRun(3, {2.0f})), 0);
    EXPECT_EQ(a.AddPoint(MakeRun(5, {3.0f}, "second")), 2);
    EXPECT_EQ(a.AddPoint(MakeRun(9, {4.0f})), 3);
    EXPECT_EQ(a.FindInsertPos(0), 0);
    EXPECT_EQ(a.CommentText(a.Point(1).CommentId), "first");
    EXPECT_EQ(a.CommentText(a.Point(2).CommentId), "second");
    EXPECT_EQ(a.Point(0).CommentId, -1);
}

TEST(Series, AddPointShiftsALockedInterval) {
    auto inside = LockedSeries(); // a run sorting to index 5 widens the lock
    EXPECT_EQ(inside->AddPoint(MakeRun(45, {1.0f})), 5);
    EXPECT_EQ(Lock(*inside), std::make_pair(3, 8));

    auto after = LockedSeries(); // index 8, just after the last locked point: unchanged
    EXPECT_EQ(after->AddPoint(MakeRun(75, {1.0f})), 8);
    EXPECT_EQ(Lock(*after), std::make_pair(3, 7));

    auto before = LockedSeries(); // index 2 moves the whole interval
    EXPECT_EQ(before->AddPoint(MakeRun(15, {1.0f})), 2);
    EXPECT_EQ(Lock(*before), std::make_pair(4, 8));

    auto atFirst = LockedSeries(); // index 3, just before the first locked point
    EXPECT_EQ(atFirst->AddPoint(MakeRun(25, {1.0f})), 3);
    EXPECT_EQ(Lock(*atFirst), std::make_pair(4, 8));
}

TEST(Series, DeletePointShiftsALockedInterval) {
    auto inside = LockedSeries();
    inside->DeletePoint(5);
    EXPECT_EQ(Lock(*inside), std::make_pair(3, 6));
    auto before = LockedSeries();
    before->DeletePoint(1);
    EXPECT_EQ(Lock(*before), std::make_pair(2, 6));
    auto after = LockedSeries();
    after->DeletePoint(9);
    EXPECT_EQ(Lock(*after), std::make_pair(3, 7));
    auto first = LockedSeries();
    first->DeletePoint(3);
    EXPECT_EQ(Lock(*first), std::make_pair(3, 6));
}

TEST(Series, PointsKeepTheirIdentity) {
    TAnalyte a("G", "u", 1, 1, false);
    a.AddPoint(MakeRun(5, {1.0f}));
    const TQCPoint* p = &a.Point(0);
    for (int d = 0; d < 100; ++d) a.AddPoint(MakeRun(d < 50 ? 1 : 9, {2.0f}));
    EXPECT_EQ(a.IndexOf(p), 50);
    EXPECT_EQ(a.Point(50).Levels[0].Value, 1.0f);
}

TEST(Series, EmptyPointsAreThoseWithoutValueOnTheAnalytesLevels) {
    TAnalyte a("G", "u", 1, 2, false);
    a.AddPoint(MakeRun(1, {std::nullopt, std::nullopt, 5.0f})); // level 3 is beyond LevelCount
    a.AddPoint(MakeRun(2, {std::nullopt, 1.0f}));
    EXPECT_TRUE(a.IsPointEmpty(0));
    EXPECT_FALSE(a.IsPointEmpty(1));
    EXPECT_FALSE(a.DeleteIfEmpty(1));
    EXPECT_TRUE(a.DeleteIfEmpty(0));
    EXPECT_EQ(a.Count(), 1);
}

TEST(Series, EraseLevelRemovesRunsLeftEmptyAndUnlocks) {
    TAnalyte a("G", "u", 1, 2, false);
    a.AddPoint(MakeRun(1, {1.0f}));
    a.AddPoint(MakeRun(2, {2.0f, 5.0f}));
    a.AddPoint(MakeRun(3, {3.0f}));
    a.AddPoint(MakeRun(4, {std::nullopt, 6.0f}));
    a.LimitsMode[0] = lmLocked;
    a.LockFirst[0] = 0;
    a.LockLast[0] = 2;
    EXPECT_EQ(a.FirstPointWithLevel(0), 0);
    EXPECT_EQ(a.LastPointWithLevel(0), 2);
    a.EraseLevel(0);
    ASSERT_EQ(a.Count(), 2);
    EXPECT_EQ(a.Point(0).Levels[0].Status, qsNoValue);
    EXPECT_EQ(a.Point(0).Levels[1].Value, 5.0f);
    EXPECT_EQ(a.Point(1).Levels[1].Value, 6.0f);
    EXPECT_EQ(a.LimitsMode[0], lmMobile);
    EXPECT_EQ(a.LockFirst[0], -1);
    EXPECT_EQ(a.AllPoints[0].N, 0);
    EXPECT_EQ(a.FirstPointWithLevel(0), -1);
}

TEST(Series, RandomPointsSkipLevelsWithoutMeanOrCV) {
    Random().SetSeed(42);
    TAnalyte a("G", "u", 1, 3, false);
    TLevelTriple means{{{5, 0, {}}, {10, 0, {}}, {20, 0, {}}}};
    TLevelTriple cvs{{{3, 0, {}}, {0, qsNoValue, {}}, {2, 0, {}}}};
    a.LimitsMode[0] = lmLocked;
    const int last = a.GenerateRandomPoints(20, means, cvs, 100.25);
    EXPECT_EQ(last, 19);
    ASSERT_EQ(a.Count(), 20);
    EXPECT_EQ(a.LimitsMode[0], lmMobile);
    for (int i = 0; i < 20; ++i) {
        EXPECT_DOUBLE_EQ(a.Point(i).DateTime, 100.25 + i);
        EXPECT_NE(a.Point(i).Levels[0].Status, qsNoValue);
        EXPECT_EQ(a.Point(i).Levels[1].Status, qsNoValue);
        EXPECT_LE(a.Point(i).Levels[0].Status, qsLowAction);
    }
    EXPECT_NEAR(static_cast<double>(a.AllPoints[0].Mean), 5.0, 0.3);
    EXPECT_NEAR(static_cast<double>(a.AllPoints[2].Mean), 20.0, 0.5);

    const TResu entry = a.MakeRandomEntry(means, cvs, 200);
    EXPECT_EQ(entry.AnalyteName, "G");
    EXPECT_EQ(entry.StandaloneFlag, 1);
    EXPECT_EQ(entry.Levels[1].Status, qsNoValue);
    EXPECT_EQ(entry.Levels[0].Status, qsInControl);
}

TEST(Series, RandomGeneratorIsTheProgramsLinearCongruence) {
    Random().SetSeed(0);
    EXPECT_EQ(Random().Next(), 1 / 4294967296.0);
    EXPECT_EQ(Random().Seed(), 1u);
    EXPECT_EQ(Random().Next(), 134775814 / 4294967296.0);
    Random().SetSeed(0xFFFFFFFFu); // wraps modulo 2^32
    Random().Next();
    EXPECT_EQ(Random().Seed(), static_cast<std::uint32_t>(0xFFFFFFFFull * 134775813ull + 1));
    // A first draw of exactly 0 is drawn again: seed s with s*134775813+1 == 0 (mod 2^32).
    const std::uint32_t inverse = 3645876429u; // 134775813 * inverse == 1 (mod 2^32)
    ASSERT_EQ(static_cast<std::uint32_t>(134775813u * inverse), 1u);
    Random().SetSeed(static_cast<std::uint32_t>(0xFFFFFFFFu * inverse));
    EXPECT_TRUE(std::isfinite(static_cast<double>(GaussRandom(1, 0))));
}

TEST(Series, CopyToTextWritesOneLinePerRun) {
    TLocaleFormats fr;
    fr.ShortDateFormat = "dd/MM/yyyy";
    fr.LongTimeFormat = "HH:mm:ss";
    fr.DecimalSeparator = ',';
    SetLocale(fr);
    TAnalyte a("G", "u", 2, 3, false);
    TResu r = MakeRun(45000, {12.3f, std::nullopt, 4.0f}, "Wrong calibrator", "ABCDEF");
    r.Levels[2].Status = qsDiscarded;
    a.AddPoint(r);
    a.AddPoint(MakeRun(45001, {1.005f, 2.0f, 3.0f}));
    EXPECT_EQ(a.CopyToText(), "15/03/2023\t12:00:00\t12,30\t\tDiscarded\tABCD\tWrong calibrator\r\n"
                              "16/03/2023\t12:00:00\t1,01\t2,00\t3,00\t\t\r\n");
    SetLocale(TLocaleFormats{});
    EXPECT_EQ(TAnalyte("E", "u", 1, 1, false).CopyToText(), "");
}

TEST(Lists, FindByNameIgnoresAsciiCaseOnly) {
    TListAnalytes list;
    list.Add(std::make_unique<TAnalyte>("GLUCOSE", "u", 1, 1, false));
    list.Add(std::make_unique<TAnalyte>("Glucose", "u", 1, 1, false));
    list.Add(std::make_unique<TAnalyte>("\xC9TAIN", "u", 1, 1, false)); // É in 8-bit text
    EXPECT_EQ(list.FindByName("glucose"), &list[0]);
    EXPECT_EQ(list.FindByName("\xC9tain"), &list[2]);
    EXPECT_EQ(list.FindByName("\xE9tain"), nullptr); // é is not upper-cased
    EXPECT_EQ(list.FindByName("Gluc"), nullptr);
}

TEST(Lists, CollectUsingMaterialLooksAtTheAnalytesLevelsOnly) {
    TListAnalytes list;
    auto& a = list.Add(std::make_unique<TAnalyte>("A", "u", 1, 1, false));
    auto& b = list.Add(std::make_unique<TAnalyte>("B", "u", 1, 2, false));
    a.MaterialId = {7, 7, 7};
    b.MaterialId = {1, 7, 7};
    auto& c = list.Add(std::make_unique<TAnalyte>("C", "u", 1, 1, false));
    c.MaterialId = {1, 7, 7}; // 7 only beyond its single level
    std::vector<TAnalyte*> found;
    list.CollectUsingMaterial(7, found);
    EXPECT_EQ(found, (std::vector<TAnalyte*>{&a, &b}));
}

TEST(Lists, MaterialsSortByUpperCasedNameAndLot) {
    TListSerum m;
    m.AddMaterial("lypho", "2");
    m.AddMaterial("Lypho", "1");
    m.AddMaterial("LYPHO", "2");
    m.AddMaterial("Alpha control material", "12345678901");
    ASSERT_EQ(m.Count(), 4);
    EXPECT_EQ(m[0].Name.str(), "Alpha control m");
    EXPECT_EQ(m[0].Lot.str(), "1234567890");
    EXPECT_EQ(m[1].Id, 1);
    EXPECT_EQ(m[2].Id, 0); // equal keys keep their order
    EXPECT_EQ(m[3].Id, 2);
    EXPECT_EQ(m.NextId, 4);
    EXPECT_EQ(m.FindById(2).Name.str(), "LYPHO");
    EXPECT_EQ(m.FindById(99).Name.str(), "Unknown");
    EXPECT_EQ(m.FindById(99).Id, -1);
}

TEST(Lists, CommentIdsAndTexts) {
    TListIDString c;
    EXPECT_EQ(c.TextOf(0), "");
    EXPECT_EQ(c.Add("a"), 0);
    EXPECT_EQ(c.Add("b"), 1);
    c.Clear();
    EXPECT_EQ(c.Add("c"), 2);
    EXPECT_EQ(c.IndexOfId(2), 0);
    EXPECT_EQ(c.IndexOfId(1), -1);
    EXPECT_EQ(c.TextOf(-1), "");
    EXPECT_EQ(c.TextOf(2), "c");
}

TEST(Lists, SplitTabsKeepsEmptyFields) {
    std::vector<std::string> f{"x"};
    SplitTabs("a\t\tb\t", f);
    EXPECT_EQ(f, (std::vector<std::string>{"x", "a", "", "b", ""}));
    f.clear();
    SplitTabs("", f);
    EXPECT_EQ(f, (std::vector<std::string>{""}));
}
