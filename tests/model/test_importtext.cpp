// Reading runs back from tab-separated text: the date rule, line ends, encodings, and adding.
#include <gtest/gtest.h>

#include "model/UDateTime.h"
#include "model/UFormat.h"
#include "model/UImportText.h"
#include "support/AnalyteBuilders.h"

using namespace tervanix;
using namespace tervanix::test;

namespace {

class ImportText : public ::testing::Test {
protected:
    void TearDown() override { SetLocale(TLocaleFormats{}); }

    static void UseDateFormat(const std::string& format, char separator = '.') {
        TLocaleFormats f;
        f.ShortDateFormat = format;
        f.DecimalSeparator = separator;
        f.ShortMonthNames[1] = "f\xE9v."; // 8-bit, as the program fills the record
        f.LongMonthNames[1] = "f\xE9vrier";
        SetLocale(f);
    }
};

TEST_F(ImportText, DatesFollowTheShortDateFormat) {
    struct Case {
        const char* Format;
        const char* Text;
        int Year, Month, Day; // 0: not a date
    };
    const Case cases[] = {
        {"dd/MM/yyyy", "08/12/2026", 2026, 12, 8},
        {"dd/MM/yyyy", " 8/12/2026 ", 2026, 12, 8},
        {"dd/MM/yyyy", "31/11/2026", 0, 0, 0},     // no such day
        {"dd/MM/yyyy", "08-12-2026", 0, 0, 0},     // wrong separator
        {"dd/MM/yyyy", "08/12/2026 10:00", 0, 0, 0},
        {"dd/MM/yyyy", "Date", 0, 0, 0},           // a heading
        {"d.M.yy", "8.12.79", 2079, 12, 8},
        {"d.M.yy", "8.12.80", 1980, 12, 8},
        {"d.M.yy", "29.2.00", 2000, 2, 29},
        {"yyyy-MM-dd", "2026-12-08", 2026, 12, 8},
        {"yyyy-MM-dd", "2026-12", 0, 0, 0},
        {"M/d/yy", "12/8/26", 2026, 12, 8},
        {"dd-MMM-yyyy", "08-Dec-2026", 2026, 12, 8},
        {"dd-MMM-yyyy", "08-dec-2026", 0, 0, 0},   // names are matched with their case
        {"dd-MMM-yyyy", "08-De-2026", 0, 0, 0},    // at least three letters
        {"dd-MMM-yyyy", "08-f\xE9v.-2026", 2026, 2, 8},
        {"d MMMM yyyy", "8 Sept 2026", 2026, 9, 8},
        {"d MMMM yyyy", "8 Ju 2026", 0, 0, 0},
        {"yy. M. d.", "26. 12. 8.", 2026, 12, 8},  // separators of more than one character
        {"dd/MM/yyyy", "", 0, 0, 0},
    };
    for (const Case& c : cases) {
        UseDateFormat(c.Format);
        TDateTime date = -1;
        const bool read = TryReadDate(c.Text, date);
        if (c.Year == 0) {
            EXPECT_FALSE(read) << c.Format << " " << c.Text;
        } else {
            ASSERT_TRUE(read) << c.Format << " " << c.Text;
            EXPECT_EQ(date, EncodeDate(c.Year, c.Month, c.Day)) << c.Format << " " << c.Text;
        }
    }
}

TEST_F(ImportText, TimesInTheLocalesFormat) {
    const std::pair<const char*, int> cases[] = {
        {"14:30:15", 52215}, {"14:30", 52200}, {" 9:05:00 ", 32700}, {"2:30:00 PM", 52200},
        {"12:00 am", 0},     {"14", -1},       {"25:00:00", -1},    {"", -1}, {"noon", -1}, {"13:00 PM", -1},
    };
    for (const auto& [text, seconds] : cases) {
        TDateTime t = -1;
        const bool read = TryReadTime(text, t);
        EXPECT_EQ(read, seconds >= 0) << text;
        if (read) {
            EXPECT_NEAR(t * 86400, seconds, 1e-6) << text;
        }
    }
}

TEST_F(ImportText, LinesEndWithCrLfOrEitherAloneAndTheLastNeedsNoEnd) {
    UseDateFormat("dd/MM/yyyy");
    const std::string lines[] = {"01/02/2026\t08:00:00\t1.5", "02/02/2026\t\t2.5\t\t7", "Date\tTime\tQC1",
                                 "03/02/2026\t09:00\tword\t3"};
    for (const char* end : {"\r\n", "\n", "\r", "\r\n\n"}) {
        std::string text = "\xEF\xBB\xBF";
        for (const std::string& line : lines) text += line + end;
        text.resize(text.size() - std::string_view(end).size()); // the last line is not ended
        const std::vector<TImportRun> runs = ParseImportText(text);
        ASSERT_EQ(runs.size(), 3u) << "line end " << int(end[0]) << int(end[1]);
        EXPECT_EQ(runs[0].DateTime, EncodeDate(2026, 2, 1) + EncodeTime(8, 0, 0, 0));
        EXPECT_TRUE(runs[0].TimeRead);
        EXPECT_EQ(runs[0].Levels[0], (TLevelResult{1.5f, qsInControl, {}}));
        EXPECT_EQ(runs[0].Levels[1].Status, qsNoValue);
        EXPECT_EQ(runs[1].DateTime, EncodeDate(2026, 2, 2) + 0.5); // no time: noon
        EXPECT_FALSE(runs[1].TimeRead);
        EXPECT_EQ(runs[1].Levels[1].Status, qsNoValue);
        EXPECT_EQ(runs[1].Levels[2].Value, 7.0f);
        EXPECT_EQ(runs[2].Levels[0].Status, qsNoValue);
        EXPECT_EQ(ImportDisplayFields(runs[1], 2), (std::array<std::string, 5>{"02/02/2026", "12:00:00", "2.50", "", "7.00"}));
    }
}

TEST_F(ImportText, TextsOfEitherEncodingAndWhatIsNoText) {
    UseDateFormat("d MMM yyyy", ',');
    EXPECT_EQ(ParseImportText("1 f\xE9v. 2026\t10:00\t1,5\r\n").size(), 1u);         // Windows-1252
    EXPECT_EQ(ParseImportText("1 f\xC3\xA9v. 2026\t10:00\t1,5\n").size(), 1u);       // UTF-8
    EXPECT_EQ(ParseImportText("1 f\xE9v. 2026\t10:00\t1.5\n").size(), 0u);            // not this locale's number
    EXPECT_EQ(ParseImportText(std::string("1 f\xE9v. 2026\t\t1\r\n\0", 17)).size(), 1u); // as exported
    EXPECT_EQ(ParseImportText("1 f\xE9v. 2026\t\t1e39\t\t\n").size(), 0u);          // beyond a single
    EXPECT_EQ(ParseImportText("1 f\xE9v. 2026\t\t3,4e38\t-3,4e38\t\n").size(), 0u);  // beyond the results' range

    EXPECT_TRUE(IsImportText(std::string("a\tb\r\n\0\0", 7)));
    EXPECT_FALSE(IsImportText(std::string("a\0b", 3)));
    EXPECT_FALSE(IsImportText("PK\x03\x04"));
    EXPECT_TRUE(IsImportText(""));
}

TEST_F(ImportText, ProgressIsToldAndCanStopTheReading) {
    std::string text;
    for (int i = 0; i < 60000; ++i) text += "01/02/2026\t08:00:00\t1.5\r\n";
    std::size_t calls = 0;
    EXPECT_EQ(ParseImportText(text, [&](std::size_t done, std::size_t total) {
                  EXPECT_LE(done, total);
                  return ++calls < 1;
              }).size(),
              0u);
    EXPECT_EQ(calls, 1u);
}

TEST_F(ImportText, CopiedSeriesComesBackWithoutDiscardedLevelsOperatorsAndComments) {
    UseDateFormat("dd/MM/yyyy", ',');
    TAnalyte a("G", "u", 2, 3, false);
    TResu r = MakeRun(45000, {12.3f, 20.0f, 4.0f}, "Wrong calibrator", "AB");
    r.Levels[1].Status = qsDiscarded;
    a.AddPoint(r);
    TResu onlyDiscarded = MakeRun(45001, {1.0f});
    onlyDiscarded.Levels[0].Status = qsDiscarded;
    a.AddPoint(onlyDiscarded);
    a.AddPoint(MakeRun(45002, {std::nullopt, std::nullopt, 3.25f}));
    const std::vector<TImportRun> runs = ParseImportText(a.CopyToText());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].DateTime, a.Point(0).DateTime);
    EXPECT_EQ(runs[0].Levels[0].Value, 12.3f);
    EXPECT_EQ(runs[0].Levels[1].Status, qsNoValue);
    EXPECT_EQ(runs[0].Levels[2].Value, 4.0f);
    EXPECT_EQ(runs[1].DateTime, a.Point(2).DateTime);
    EXPECT_EQ(runs[1].Levels[2].Value, 3.25f);
}

TEST_F(ImportText, AddingPutsRunsInOrderOnMobileLimitsAndSkipsRunsWithoutValue) {
    TAnalyte a("G", "u", 1, 2, false);
    AddSeries(a, {10, 11, 10, 11, 10, 11, 10, 11, 10, 11, 10, 11}, 10);
    a.LimitsMode = {lmLocked, lmFixed, lmMobile};
    a.LockFirst[0] = 0, a.LockLast[0] = 3;
    a.RecomputeAll();

    TImportRun level3Only; // no value on a level the analyte uses
    level3Only.DateTime = 5;
    level3Only.Levels[2] = {9, qsInControl, {}};
    EXPECT_EQ(AddImportedRuns(a, {level3Only}), 0);
    EXPECT_EQ(a.Count(), 12);
    EXPECT_EQ(a.LimitsMode[0], lmLocked); // nothing added, nothing changed

    TImportRun late, early, sameDay;
    late.DateTime = 30.5, late.Levels[0] = {100, qsInControl, {}};
    early.DateTime = 1.5, early.Levels[1] = {2, qsInControl, {}};
    sameDay.DateTime = 30.5, sameDay.Levels[0] = {11, qsInControl, {}};
    EXPECT_EQ(AddImportedRuns(a, {late, level3Only, early, sameDay}), 3);
    ASSERT_EQ(a.Count(), 15);
    EXPECT_EQ(a.Point(0).DateTime, 1.5);
    EXPECT_EQ(a.Point(13).Levels[0].Value, 100.0f); // equal date-times keep the text's order
    EXPECT_EQ(a.Point(14).Levels[0].Value, 11.0f);
    EXPECT_EQ(a.LimitsMode, (std::array<std::uint8_t, 3>{lmMobile, lmMobile, lmMobile}));
    EXPECT_EQ(a.Current[0].N, 14);
    EXPECT_EQ(a.Point(13).Levels[0].Status, qsHighAlert); // classified against the new limits
    EXPECT_EQ(a.Point(0).CommentId, -1);
}

} // namespace
