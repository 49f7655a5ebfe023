// tervanix-cli print as a nightly report script uses it: PDFs checked through their text.
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

#include "cli/CliPrintSupport.h"
#include "model/UArchive.h"
#include "model/UCodec.h"
#include "model/UDataLoadSave.h"
#include "support/AnalyteBuilders.h"

using namespace tervanix;
using namespace tervanix::test;

namespace {

// A word of a PDF page as pdftotext -bbox places it, in points.
struct TWordBox {
    std::string Text;
    double XMin, YMin, XMax, YMax;
    int Page;
};

double Attribute(const std::string& tag, const std::string& name) {
    const std::size_t at = tag.find(name + "=\"");
    return at == std::string::npos ? -1 : std::stod(tag.substr(at + name.size() + 2));
}

// The words of every page, and the size of the (last) page.
std::vector<TWordBox> PdfWords(const std::string& pdfPath, const std::string& htmlPath, double& width, double& height) {
    std::vector<TWordBox> words;
    if (std::system(("pdftotext -bbox " + ShellQuote(pdfPath) + " " + ShellQuote(htmlPath)).c_str()) != 0) return words;
    const std::string html = ReadFile(htmlPath);
    int page = 0;
    for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
        const std::size_t end = html.find('>', at);
        const std::string tag = html.substr(at, end - at);
        if (tag.rfind("<page ", 0) == 0) {
            ++page;
            width = Attribute(tag, "width");
            height = Attribute(tag, "height");
        } else if (tag.rfind("<word ", 0) == 0) {
            const std::string text = html.substr(end + 1, html.find('<', end) - end - 1);
            words.push_back({text, Attribute(tag, "xMin"), Attribute(tag, "yMin"), Attribute(tag, "xMax"),
                             Attribute(tag, "yMax"), page});
        }
    }
    return words;
}

bool Overlap(double a1, double a2, double b1, double b2, double tolerance) { return a1 < b2 - tolerance && b1 < a2 - tolerance; }

class CliPrint : public FileTest {
protected:
    TCliResult Print(std::vector<std::string> args, const std::string& env = "LC_ALL=C.UTF-8 QT_QPA_PLATFORM=") {
        args.insert(args.begin(), "print");
        return RunTool(TERVANIX_CLI_PATH, args, env, Path("stderr"));
    }
    std::string PdfText(const std::string& name) { return SqueezeBlanks(PdfFileText(Path(name), Path(name + ".txt"))); }

    // Glucose, two levels: two runs on 2026-03-02 (one high action on level 1, level 2 discarded),
    // one on 03-04 with a comment, one on 03-09 without level 2.
    std::string WriteData() {
        TListSerum materials;
        const int lyo = materials.AddMaterial("Lyo N", "L42").Id;
        const int path = materials.AddMaterial("Patho", "").Id;
        auto a = std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 2, false);
        a->MaterialId = {lyo, path, -1};
        const double d = EncodeDate(2026, 3, 2);
        TResu run = MakeRun(d, {5.5f, 12.25f}, "", "AB");
        run.DateTime = d + 0.25;
        run.Levels[0].Status = qsHighAction;
        run.Levels[1].Status = qsDiscarded;
        a->AddPoint(run);
        a->AddPoint(MakeRun(d, {5.0f, 11.0f}, "", "AB"));
        a->AddPoint(MakeRun(d + 2, {5.25f, 11.5f}, "Recalibrated", "CD"));
        a->AddPoint(MakeRun(d + 7, {5.75f, std::nullopt}));
        a->RecomputeAll();
        TListAnalytes analytes;
        analytes.Add(std::move(a));
        WriteFile(Path("lab.qcf"), EncodeDataFile(materials, analytes));
        return Path("lab.qcf");
    }
};

TEST_F(CliPrint, DataTableWithStatisticsInEitherDateOrder) {
    const std::string data = WriteData();
    ASSERT_EQ(Print({"data", data, "Glucose", "--from", "2026-03-01", "--to", "2026-03-09", "--stats", "--out",
                     Path("a.pdf")}).Code, 0) << ReadFile(Path("stderr"));
    const std::string text = PdfText("a.pdf");
    for (const char* expected : {
             "QC data for Glucose",
             "QC1 : Lyo N (lot L42)\nQC2 : Patho\n",
             "Date Time QC1 QC2 Operator Comment\n",
             // One date cell for the day's two runs, its text centred between them.
             "06:00:00 5.50 \u2191\u2191 12.25 AB\n2 Mar 2026\n12:00:00 5.00 11.00 AB\n",
             "4 Mar 2026 12:00:00 5.25 11.50 CD Recalibrated\n",
             "9 Mar 2026 12:00:00 5.75\n",
             // Means of the printed runs; the discarded 12.25 is not counted on level 2.
             "Mean 5.375 11.250 mmol/L\n", "Statistics CV ", "N 4 2\n",
             "- Page 1/1 - QC data for Glucose - Printed on ",
         })
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n---\n" << text;

    ASSERT_EQ(Print({"data", data, "Glucose", "--to", "2026-03-01", "--from", "2026-03-09", "--stats", "--out",
                     Path("b.pdf")}).Code, 0);
    EXPECT_EQ(PdfText("b.pdf"), text);

    // Only the runs of the days asked for, whatever their time; no statistics unless asked.
    ASSERT_EQ(Print({"data", data, "Glucose", "--from", "2026-03-02", "--to", "2026-03-02", "--out", Path("c.pdf")}).Code, 0);
    const std::string day = PdfText("c.pdf");
    EXPECT_NE(day.find("06:00:00"), std::string::npos);
    EXPECT_NE(day.find("12:00:00"), std::string::npos);
    EXPECT_EQ(day.find("4 Mar 2026"), std::string::npos);
    EXPECT_EQ(day.find("Statistics"), std::string::npos);
}

TEST_F(CliPrint, ChartsOfChosenLevelsWithStatistics) {
    const std::string data = WriteData();
    const TCliResult r = Print({"charts", data, "Glucose", "--from", "2026-03-09", "--to", "2026-03-01", "--levels", "2",
                                "--stats", "--bw", "--out", Path("c.pdf")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    // Level 2 has no value on 03-09: its chart just has no point there.
    EXPECT_EQ(r.Err.find("no value"), std::string::npos) << r.Err;
    const std::string text = PdfText("c.pdf");
    for (const char* expected : {"Glucose QC charts", "Patho ()", "2 4 9\nMar\n26\n", "Statistics m (mmol/L) C.V. (%) N\n",
                                 "Patho 11.250",
                                 "\nRisks: warning 5 %, action 0.2 % - QC1 Mobile limits, QC2 Mobile limits - Common "
                                 "CV method: not used\n",
                                 "- Page 1 - Glucose QC - Printed on "})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n---\n" << text;
    EXPECT_EQ(text.find("Lyo N"), std::string::npos);

    const TCliResult missing = Print({"charts", data, "Glucose", "--from", "2026-03-09", "--to", "2026-03-09", "--levels",
                                      "2", "--out", Path("d.pdf")});
    EXPECT_EQ(missing.Code, 0);
    EXPECT_NE(missing.Err.find("Level 2 has no value in the range"), std::string::npos) << missing.Err;

    // A range without runs prints what the print dialog prints: the empty charts and N = 0.
    const TCliResult empty = Print({"charts", data, "Glucose", "--from", "2025-01-01", "--to", "2025-01-31", "--stats",
                                    "--out", Path("e.pdf")});
    ASSERT_EQ(empty.Code, 0) << empty.Err;
    EXPECT_NE(empty.Err.find("tervanix-cli: No run in the range: the charts are printed empty"), std::string::npos);
    const std::string emptyText = PdfText("e.pdf");
    for (const char* expected : {"Glucose QC charts", "Lyo N (L42)", "Patho ()", "Lyo N 0\n", "Patho 0\n"})
        EXPECT_NE(emptyText.find(expected), std::string::npos) << expected << "\n---\n" << emptyText;
}

TEST_F(CliPrint, ArchiveAsTheBrowserPrintsIt) {
    // Level 2 of the runs, archived by the program's own archiving (dates as this process writes them).
    TListAnalytes analytes;
    DecodeDataFile(ReadFile(WriteData()), Materials, analytes);
    analytes[0].RecomputeAll();
    ArchiveLevel(analytes[0], 1);
    ASSERT_EQ(Print({"archive", Path("QC000001.qca"), "--out", Path("a.pdf")}).Code, 0) << ReadFile(Path("stderr"));
    const std::string text = PdfText("a.pdf");
    for (const char* expected : {"Archived data for Glucose", "Patho ()\nFrom 02/03/2026 to 04/03/2026\n",
                                 "Date Time Result Operator Comment\n", "Discarded AB\n", "Recalibrated\n",
                                 "Mean 11.250 mmol/L\n", "- Page 1/1 - Archived data for Glucose - Printed on "})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n---\n" << text;

    WriteFile(Path("QC000002.qca"), "Glucose\r\nmmol/L\r\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"archive", Path("QC000002.qca"), "--out", Path("b.pdf")}, "Damaged archive file"},
        {{"archive", Path("QC000009.qca"), "--out", Path("b.pdf")}, "Cannot read archive"},
        {{"archive", Path("QC000001.qca"), "--stats", "--out", Path("b.pdf")}, "takes no --from"},
    };
    for (const auto& [args, message] : refused) {
        EXPECT_NE(Print(args).Code, 0) << message;
        EXPECT_NE(ReadFile(Path("stderr")).find(message), std::string::npos) << ReadFile(Path("stderr"));
        EXPECT_FALSE(std::filesystem::exists(Path("b.pdf")));
    }
}

// The longest texts the fields hold, in the widest letters: every word of every printout stays
// inside the page's 10 mm margins and inside its own cell, never over its neighbour's text.
TEST_F(CliPrint, LongestTextsStayInsideTheMarginsAndTheirCells) {
    TListSerum materials;
    const int id = materials.AddMaterial(std::string(15, 'W'), std::string(10, 'W')).Id;
    auto a = std::make_unique<TAnalyte>(std::string(15, 'W'), std::string(6, 'W'), 3, 3, false);
    a->MaterialId = {id, id, id};
    const double d = EncodeDate(2026, 3, 2);
    for (int i = 0; i < 40; ++i) {
        TResu run = MakeRun(d + i / 2, {99999.999f, 88888.888f, 77777.777f}, std::string(40, 'W'), std::string(4, 'W'));
        run.DateTime += i % 2 * 0.25;
        run.Levels[0].Status = i % 3 ? qsHighAction : qsLowAlert;
        a->AddPoint(run);
    }
    a->RecomputeAll();
    TListAnalytes analytes;
    analytes.Add(std::move(a));
    WriteFile(Path("wide.qcf"), EncodeDataFile(materials, analytes));
    const std::string data = Path("wide.qcf"), name(15, 'W');
    const std::vector<std::vector<std::string>> printouts = {
        {"data", data, name, "--from", "2026-03-01", "--to", "2026-05-01", "--stats"},
        {"charts", data, name, "--from", "2026-03-01", "--to", "2026-05-01", "--stats"},
        {"limits", data, name},
        {"daily", data, "--day", "2026-03-02"},
    };
    const double margin = 10 / 25.4 * 72, tolerance = 0.5;
    for (std::vector<std::string> args : printouts) {
        SCOPED_TRACE(args[0]);
        args.insert(args.end(), {"--out", Path("w.pdf")});
        const TCliResult r = Print(args);
        ASSERT_EQ(r.Code, 0) << r.Err;
        double width = 0, height = 0;
        const std::vector<TWordBox> words = PdfWords(Path("w.pdf"), Path("w.html"), width, height);
        ASSERT_GT(words.size(), 20u);
        for (std::size_t i = 0; i < words.size(); ++i) {
            const TWordBox& w = words[i];
            EXPECT_GE(w.XMin, margin - tolerance) << w.Text;
            EXPECT_LE(w.XMax, width - margin + tolerance) << w.Text;
            EXPECT_GE(w.YMin, margin - tolerance) << w.Text;
            EXPECT_LE(w.YMax, height - margin + tolerance) << w.Text;
            for (std::size_t j = i + 1; j < words.size(); ++j) {
                const TWordBox& v = words[j];
                const bool sameLine = v.Page == w.Page && Overlap(w.YMin, w.YMax, v.YMin, v.YMax, 1);
                EXPECT_FALSE(sameLine && Overlap(w.XMin, w.XMax, v.XMin, v.XMax, tolerance))
                    << w.Text << " over " << v.Text << " at " << w.XMin << "-" << w.XMax << " / " << v.XMin << "-" << v.XMax;
            }
        }
    }
}

// The paper of the country unless --paper names one: Letter in the United States, A4 in Germany.
TEST_F(CliPrint, PaperFollowsTheLocaleUnlessGiven) {
    const std::string data = WriteData();
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"LC_ALL=en_US.UTF-8"}, "612 x 792"},
        {{"LC_ALL=de_DE.UTF-8"}, "595 x 842"},
        {{"LC_ALL=en_US.UTF-8", "--paper", "A4"}, "595 x 842"},
        {{"LC_ALL=de_DE.UTF-8", "--paper", "letter"}, "612 x 792"},
    };
    for (const auto& [envAndOptions, size] : cases) {
        std::vector<std::string> args = {"limits", data, "Glucose", "--out", Path("p.pdf")};
        args.insert(args.end(), envAndOptions.begin() + 1, envAndOptions.end());
        ASSERT_EQ(Print(args, envAndOptions[0] + " QT_QPA_PLATFORM=").Code, 0) << ReadFile(Path("stderr"));
        ASSERT_EQ(std::system(("pdfinfo " + ShellQuote(Path("p.pdf")) + " >" + ShellQuote(Path("info"))).c_str()), 0);
        EXPECT_NE(ReadFile(Path("info")).find("Page size:       " + size + " pts"), std::string::npos)
            << envAndOptions[0] << "\n" << ReadFile(Path("info"));
    }
}

// Every refusal leaves no file behind and says why.
TEST_F(CliPrint, RefusalsLeaveNoFile) {
    const std::string data = WriteData();
    const std::string out = Path("out.pdf");
    struct TCase {
        std::vector<std::string> Args;
        int Code;
        std::string Message;
    };
    const TCase cases[] = {
        {{"data", data, "Urea", "--from", "2026-03-01", "--to", "2026-03-09", "--out", out}, 1, "No analyte named"},
        {{"data", data, "Glucose", "--from", "2025-01-01", "--to", "2025-12-31", "--out", out}, 1, "Nothing to print"},
        {{"data", data, "Glucose", "--from", "2026-03-01", "--to", "2026-03-09", "--out", Path("no/such/dir/x.pdf")}, 1,
         "Cannot write the PDF file"},
        {{"data", data, "Glucose", "--from", "2026-03-01", "--to", "2026-03-09", "--out", data}, 1, "is the input file"},
        {{"data", data, "Glucose", "--from", "2026-02-30", "--to", "2026-03-09", "--out", out}, 2, "YYYY-MM-DD"},
        {{"data", data, "Glucose", "--from", "2026-03-01", "--out", out}, 2, "Missing --from DATE or --to DATE"},
        {{"data", data, "Glucose", "--from", "2026-03-01", "--to", "2026-03-09"}, 2, "Missing --out"},
        {{"table", data, "Glucose", "--out", out}, 2, "Unknown kind of printout: table"},
        {{"charts", data, "Glucose", "--from", "2026-03-01", "--to", "2026-03-09", "--levels", "3", "--out", out}, 1,
         "Level 3 does not exist: Glucose has 2 levels"},
        {{"charts", data, "Glucose", "--from", "2026-03-01", "--to", "2026-03-09", "--levels", "1,4", "--out", out}, 2,
         "--levels takes level numbers"},
        {{"limits", data, "Glucose", "--paper", "B5", "--out", out}, 2, "--paper takes A4 or Letter: B5"},
        {{"charts", data, "Glucose", "--from", "2026-03-01", "--to", "2026-03-09", "--levels", "1,1,1,1", "--out", out}, 2,
         "--levels names level 1 more than once"},
        // Never replaces what is not a regular file (a device, a FIFO, a symbolic link).
        {{"data", data, "Glucose", "--from", "2026-03-01", "--to", "2026-03-09", "--out", Path("pipe.pdf")}, 1,
         "is not a regular file"},
        {{"data", data, "Glucose", "--from", "2026-03-01", "--to", "2026-03-09", "--out", Path("link.pdf")}, 1,
         "is not a regular file"},
    };
    ASSERT_EQ(::mkfifo(Path("pipe.pdf").c_str(), 0600), 0);
    std::filesystem::create_symlink(Path("elsewhere.pdf"), Path("link.pdf"));
    const std::string before = ReadFile(data);
    for (const TCase& c : cases) {
        const TCliResult r = Print(c.Args);
        EXPECT_EQ(r.Code, c.Code) << c.Message << ": " << r.Err;
        EXPECT_NE(r.Err.find(c.Message), std::string::npos) << r.Err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.Message;
    }
    EXPECT_EQ(ReadFile(data), before);
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

} // namespace
