// tervanix-cli print limits and print daily, checked through the text of the PDFs they write.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliPrintSupport.h"
#include "model/UCodec.h"
#include "model/UDataLoadSave.h"
#include "model/USettingsFile.h"
#include "support/AnalyteBuilders.h"

using namespace tervanix;
using namespace tervanix::test;

namespace {

class CliPrintViews : public FileTest {
protected:
    TCliResult Print(std::vector<std::string> args) {
        args.insert(args.begin(), "print");
        return RunTool(TERVANIX_CLI_PATH, args, "LC_ALL=C.UTF-8 QT_QPA_PLATFORM=", Path("stderr"));
    }
    std::string PdfText(const std::string& name) {
        const std::string text = PdfFileText(Path(name), Path(name + ".txt"));
        return SqueezeBlanks(text);
    }

    // Glucose (two levels, pooled CV) with two runs on 2026-03-02, one the day before and one after; Urea
    // (one level) with one run on 03-02.
    std::string WriteData() {
        TListSerum materials;
        const int lyo = materials.AddMaterial("Lyo N", "L42").Id;
        const int patho = materials.AddMaterial("Patho", "").Id;
        auto glucose = std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 2, true);
        glucose->MaterialId = {lyo, patho, -1};
        const double d = EncodeDate(2026, 3, 2);
        TResu marked = MakeRun(d, {6.5f, 12.25f}, "Recalibrated", "AB");
        marked.DateTime = d + 0.75;
        marked.Levels[0].Status = qsHighAction;
        marked.Levels[1].Status = qsDiscarded;
        glucose->AddPoint(marked);
        glucose->AddPoint(MakeRun(d - 1, {5.0f, 11.0f}));
        glucose->AddPoint(MakeRun(d, {5.25f, 11.5f}, "", "CD"));
        glucose->AddPoint(MakeRun(d + 1, {5.5f, 11.25f}));
        auto urea = std::make_unique<TAnalyte>("Urea", "mmol/L", 1, 1, false);
        urea->AddPoint(MakeRun(d, {7.5f}));
        TListAnalytes analytes;
        analytes.Add(std::move(glucose));
        analytes.Add(std::move(urea));
        WriteFile(Path("lab.qcf"), EncodeDataFile(materials, analytes));
        return Path("lab.qcf");
    }
};

TEST_F(CliPrintViews, LimitsTableFollowsTheRisksOfTheSettings) {
    const std::string data = WriteData();
    const TCliResult byDefault = Print({"limits", data, "Glucose", "--out", Path("l.pdf")});
    ASSERT_EQ(byDefault.Code, 0) << byDefault.Err;
    EXPECT_NE(byDefault.Err.find("tervanix-cli: no settings file " + Path("lab.cfr") + ": the default risks are used"),
              std::string::npos)
        << byDefault.Err;
    const std::string text = PdfText("l.pdf");
    for (const char* expected : {"QC limits for Glucose\n",
                                 "\nRisks: warning 5 %, action 0.2 % - QC1 Mobile limits, QC2 Mobile limits - Common CV "
                                 "method: used\n",
                                 "Control materials Lyo N Patho\n", "Lots L42\n",
                                 "QC mode Mobile limits Mobile limits\n",
                                 "# points in ref interval 4 3\n", "# degrees of freedom 5 5\n",
                                 "- Page 1/1 - QC limits for Glucose - Printed on "})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n---\n" << text;
    // The first and the last run's dates, in whatever short format the locale has.
    const std::size_t dates = text.find("\nDates ref interval ");
    ASSERT_NE(dates, std::string::npos) << text;
    const std::string line = text.substr(dates + 1, text.find('\n', dates + 1) - dates - 1);
    EXPECT_NE(line.find(" to ", line.find(" to ") + 4), std::string::npos) << line;

    TSettings settings = DefaultSettings();
    settings.ActionRisk = 2;
    WriteFile(Path("lab.cfr"), EncodeSettingsFile(settings, TOperatorList()));
    ASSERT_EQ(Print({"limits", data, "Glucose", "--settings", Path("lab.cfr"), "--out", Path("s.pdf")}).Code, 0);
    const std::string narrower = PdfText("s.pdf");
    const auto actionLine = [](const std::string& t) { return t.substr(t.find("Action limits"), 40); };
    EXPECT_NE(actionLine(narrower), actionLine(text));
    const auto tableStart = [](const std::string& t) { return t.find("Control materials"); };
    EXPECT_EQ(narrower.substr(tableStart(narrower), narrower.find("Action limits") - tableStart(narrower)),
              text.substr(tableStart(text), text.find("Action limits") - tableStart(text)));
    EXPECT_NE(narrower.find("Risks: warning 5 %, action 1 % -"), std::string::npos) << narrower;
    // The settings file beside the data file is the laboratory's, as the program reads it.
    const TCliResult beside = Print({"limits", data, "Glucose", "--out", Path("b.pdf")});
    ASSERT_EQ(beside.Code, 0) << beside.Err;
    EXPECT_EQ(beside.Err, "");
    EXPECT_EQ(PdfText("b.pdf"), narrower);
}

TEST_F(CliPrintViews, DailySheetListsTheDayAnalyteByAnalyteNewestFirst) {
    const std::string data = WriteData();
    ASSERT_EQ(Print({"daily", data, "--day", "2026-03-02", "--out", Path("d.pdf")}).Code, 0) << ReadFile(Path("stderr"));
    const std::string text = PdfText("d.pdf");
    for (const char* expected :
         {"Cumulative daily QC : ", "\nArchive document - Keep it\n", "Analytes Time QC1 QC2 QC3 Operator Comment\n",
          "18:00:00 6.50 \u2191\u2191 12.25 AB Recalibrated\n", "12:00:00 5.25 11.50 CD\n",
          "Urea 12:00:00 7.5\n", "- Page 1/1 - Cumulative daily QC : "})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n---\n" << text;
    EXPECT_EQ(text.find("Glucose"), text.rfind("Glucose")); // one tall cell for the analyte's runs
    EXPECT_LT(text.find("Glucose"), text.find("Urea"));
    EXPECT_EQ(text.find("11.00"), std::string::npos); // 03-01
    EXPECT_EQ(text.find("11.25"), std::string::npos); // 03-03
}

// The monthly summary and the Sigma table as the windows print them, with the goals beside the data.
TEST_F(CliPrintViews, MonthlySummaryAndSigmaTable) {
    const std::string data = WriteData();
    WriteFile(Path("lab.goals"), "{\"analytes\": {\"Urea\": {\"tea_percent\": 9}, \"Glucose\": {\"tea_percent\": 10, \"targets\": [5, 11]}}}");
    ASSERT_EQ(Print({"summary", data, "--month", "2026-03", "--out", Path("m.pdf")}).Code, 0);
    const std::string month = PdfText("m.pdf");
    EXPECT_NE(month.find("Monthly QC summary - March 2026"), std::string::npos) << month;
    EXPECT_NE(month.find("QC1 Lyo N L42 4 5.563 0.6575 11.82 0 1 0 -0.2"), std::string::npos) << month; // one action
    EXPECT_NE(month.find("QC2 Patho 3 11.250 0.2500 2.22 0 0 1 3.4"), std::string::npos) << month; // one discarded
    EXPECT_NE(month.find("Urea QC1 Unknown 1 7.50 0 0 0"), std::string::npos) << month;
    ASSERT_EQ(Print({"sigma", data, "--out", Path("s.pdf")}).Code, 0);
    const std::string sigma = PdfText("s.pdf");
    EXPECT_NE(sigma.find("Sigma metrics and QC rules"), std::string::npos) << sigma;
    EXPECT_NE(sigma.find("Urea QC1 Unknown 9.00"), std::string::npos) << sigma;
}

TEST_F(CliPrintViews, RefusalsLeaveNoFile) {
    const std::string data = WriteData();
    const std::string out = Path("out.pdf");
    struct TCase {
        std::vector<std::string> Args;
        int Code;
        std::string Message;
    };
    const TCase cases[] = {
        {{"limits", data, "Iron", "--out", out}, 1, "No analyte named"},
        {{"limits", data, "Glucose", "--out", Path("no/such/dir/x.pdf")}, 1, "Cannot write the PDF file"},
        {{"limits", data, "Glucose", "--from", "2026-03-01", "--out", out}, 2, "takes neither"},
        {{"daily", data, "--day", "2026-03-05", "--out", out}, 1, "Nothing to print"},
        {{"daily", data, "--day", "02/03/2026", "--out", out}, 2, "YYYY-MM-DD"},
        {{"daily", data, "--out", out}, 2, "Missing --day DATE"},
        {{"daily", data, "--day", "2026-03-02", "--out", data}, 1, "is the input file"},
        {{"summary", data, "--month", "2026-04", "--out", out}, 1, "Nothing to print"},
        {{"summary", data, "--out", out}, 2, "Missing --month"},
        {{"sigma", data, "--goals", Path("none.goals"), "--out", out}, 1, "Cannot read quality goals"},
    };
    const std::string before = ReadFile(data);
    for (const TCase& c : cases) {
        const TCliResult r = Print(c.Args);
        EXPECT_EQ(r.Code, c.Code) << c.Message << ": " << r.Err;
        EXPECT_NE(r.Err.find(c.Message), std::string::npos) << r.Err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.Message;
    }
    EXPECT_EQ(ReadFile(data), before);
}

} // namespace
