// tervanix-cli as a laboratory's script sees it: the built tool run on files made by the core.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <QLocale>
#include <QLockFile>
#include <QString>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

#include "cli/CliJson.h"
#include "cli/CliPrintSupport.h"
#include "cli/CliLocale.h"
#include "model/UArchive.h"
#include "main/USystemLocale.h"
#include "model/UAnsiText.h"
#include "model/UCodec.h"
#include "model/UDataLoadSave.h"
#include "model/USettingsFile.h"
#include "model/support/FileTestSupport.h"
#include "support/AnalyteBuilders.h"

using namespace tervanix;
using namespace tervanix::test;

namespace {

struct TRun {
    int Code = -1;
    std::string Out, Err;
};

std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::size_t Occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
}

class Cli : public FileTest {
protected:
    TRun Run(const std::vector<std::string>& args, const std::string& env = "LC_ALL=C") {
        std::string command = env + " " + Quote(TERVANIX_CLI_PATH);
        for (const std::string& a : args) command.append(" ").append(Quote(a));
        command.append(" >").append(Quote(Path("stdout"))).append(" 2>").append(Quote(Path("stderr")));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(Path("stdout")), ReadFile(Path("stderr"))};
    }

    void ExpectUsageError(const std::vector<std::string>& args, const std::string& message) {
        const TRun r = Run(args);
        EXPECT_EQ(r.Code, 2) << r.Err;
        EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
        EXPECT_NE(r.Err.find("'tervanix-cli --help' lists every command"), std::string::npos) << r.Err;
        ExpectEveryLineMarked(r.Err);
        EXPECT_EQ(r.Out, "");
    }

    static void ExpectEveryLineMarked(const std::string& err) {
        std::istringstream lines(err);
        for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind("tervanix-cli: ", 0), 0u) << line;
    }

    // Two levels of 20 runs from 2026-01-01 12:00, one a day, alternating 98/102 and 198/202:
    // means 100 and 200, SD 2.052, alert half-width 4.29 and action half-width 7.34 by default.
    std::string WriteRuleAnalyte() {
        auto a = std::make_unique<TAnalyte>("Test", "\xB5g/L", 1, 2, false);
        const double first = EncodeDate(2026, 1, 1);
        for (int i = 0; i < 20; ++i)
            a->AddPoint(MakeRun(first + i, {i % 2 ? 102.0f : 98.0f, i % 2 ? 202.0f : 198.0f}, i == 3 ? "Tab\there \"q\" caf\xE9" : ""));
        a->RecomputeAll();
        TListAnalytes analytes;
        analytes.Add(std::move(a));
        WriteFile(Path("rules.qcf"), EncodeDataFile(TListSerum(), analytes));
        return Path("rules.qcf");
    }

    TRun Westgard(std::vector<std::string> extra, const std::string& values1, const std::string& values2) {
        std::vector<std::string> args = {"westgard", WriteRuleAnalyte(), "test", "--values", values1, values2};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }

    std::string WriteSettings(TRiskIndex actionRisk) {
        TSettings s = DefaultSettings();
        s.ActionRisk = actionRisk;
        s.Password = "Secret";
        s.FormatTag = CurrentFormatTag();
        TOperatorList operators;
        operators.Add("zed");
        operators.Add("AB");
        WriteFile(Path("risks.cfr"), EncodeSettingsFile(s, operators));
        return Path("risks.cfr");
    }

    // A version-2 file with one analyte "Urea" and one run of 5.0 on level 1.
    std::string WriteVersion2() {
        ByteWriter w;
        w.I32(0);
        w.I32(1);
        w.I32(1);
        w.F64(46000);
        w.F32(5.0f), w.U8(0), w.Zeros(3);
        for (int l = 0; l < 2; ++l) w.F32(0), w.U8(1), w.Zeros(3);
        w.I32(-1);
        w.Short("Urea", 10);
        w.Short("mmol/L", 12);
        w.I32(1);
        w.Zeros(108 - 28);
        for (int i = 0; i < 6; ++i) w.I32(-1);
        w.I32(0);          // skipped records
        w.I32(0), w.I32(0); // comments: next id, count
        w.Raw(Hex("08 32 30 B5 FE 70 6F 34 35"));
        WriteFile(Path("old.DAT"), w.bytes());
        return Path("old.DAT");
    }
};

TEST_F(Cli, DemoWithSeedIsReproducibleAndNeverReplacesFiles) {
    ASSERT_EQ(Run({"demo", "--seed", "7", Path("a")}).Code, 0);
    ASSERT_EQ(Run({"demo", "--seed", "7", Path("b/c")}).Code, 0);
    EXPECT_EQ(ReadFile(Path("a/Tervanix.qcf")), ReadFile(Path("b/c/Tervanix.qcf")));
    EXPECT_EQ(ReadFile(Path("a/Tervanix.fif")), ReadFile(Path("b/c/Tervanix.fif")));

    const std::string before = ReadFile(Path("a/Tervanix.qcf"));
    const TRun again = Run({"demo", "--seed", "8", Path("a")});
    EXPECT_EQ(again.Code, 1);
    EXPECT_NE(again.Err.find("already exists"), std::string::npos);
    EXPECT_EQ(ReadFile(Path("a/Tervanix.qcf")), before);
}

TEST_F(Cli, CheckSaysWhetherEachKindOfFileIsSound) {
    ASSERT_EQ(Run({"demo", "--seed", "1", Path("d")}).Code, 0);
    EXPECT_EQ(Run({"check", Path("d/Tervanix.qcf")}).Out, "OK: data file, 3 materials, 3 analytes, 120 points\n");
    EXPECT_EQ(Run({"check", Path("d/Tervanix.fif")}).Out, "OK: queue file, 5 entries\n");
    EXPECT_EQ(Run({"check", WriteSettings(4)}).Out, "OK: settings file, 2 operators\n");
    EXPECT_EQ(Run({"check", WriteVersion2()}).Out, "OK: version-2 file, 1 analyte, 1 point\n");

    const std::string data = ReadFile(Path("d/Tervanix.qcf"));
    WriteFile(Path("short.QCF"), data.substr(0, data.size() / 2) + TagBytes); // upper-case extension
    WriteFile(Path("short.fif"), ReadFile(Path("d/Tervanix.fif")).substr(0, 50));
    WriteFile(Path("bad.cfr"), std::string(40, '\0'));
    WriteFile(Path("bad.sav"), data);
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"short.QCF", "Cannot read data"}, {"short.fif", "Damaged queue file"}, {"bad.cfr", "Damaged settings file"},
        {"bad.sav", "Cannot read data"},   {"missing.qcf", "Cannot read data"}};
    for (const auto& [name, message] : damaged) {
        const TRun r = Run({"check", Path(name)});
        EXPECT_EQ(r.Code, 1) << name;
        EXPECT_NE(r.Err.find(message), std::string::npos) << name << ": " << r.Err;
        EXPECT_EQ(r.Out, "") << name;
    }
    ExpectUsageError({"check", Path("notes.txt")}, "Unknown kind of file");
}

TEST_F(Cli, DumpGivesTheWholeDataFileAsJson) {
    const TRun r = Run({"dump", WriteRuleAnalyte()});
    ASSERT_EQ(r.Code, 0) << r.Err;
    const std::string& j = r.Out;
    EXPECT_EQ(j.rfind("{\"format_version\":\"32\",\"materials\":[],\"analytes\":[{\"name\":\"Test\",", 0), 0u) << j;
    EXPECT_NE(j.find("\"unit\":\"\xC2\xB5g/L\""), std::string::npos); // 8-bit text as UTF-8
    EXPECT_NE(j.find("{\"id\":0,\"text\":\"Tab\\there \\\"q\\\" caf\xC3\xA9\"}"), std::string::npos);
    EXPECT_NE(j.find("\"current\":[{\"mean\":100,"), std::string::npos);
    EXPECT_NE(j.find("\"n\":20,\"discarded_count\":0,\"degrees_of_freedom\":19"), std::string::npos);
    EXPECT_EQ(Occurrences(j, "\"date_time\":"), 20u);
    EXPECT_NE(j.find("{\"value\":102,\"status\":0},{\"value\":202,\"status\":0},{\"value\":0,\"status\":6}"),
              std::string::npos);
    EXPECT_EQ(Occurrences(j, "nan") + Occurrences(j, "inf"), 0u);
}

TEST_F(Cli, RisksComeFromTheGivenSettingsFile) {
    const std::string data = WriteRuleAnalyte();
    const std::string byDefault = Run({"dump", data}).Out;
    const std::string withRisk = Run({"dump", data, "--settings", WriteSettings(2)}).Out;
    EXPECT_NE(byDefault.find("\"action_half_width\":7.34"), std::string::npos);
    EXPECT_NE(withRisk.find("\"action_half_width\":5.87"), std::string::npos);

    WriteFile(Path("bad.cfr"), "short");
    const TRun bad = Run({"dump", data, "--settings", Path("bad.cfr")});
    EXPECT_EQ(bad.Code, 1);
    EXPECT_NE(bad.Err.find("Cannot read settings"), std::string::npos);
}

// Without --settings every command finds the laboratory's risks where the program keeps them.
TEST_F(Cli, RisksComeFromTheSettingsFileBesideTheDataFile) {
    const std::string data = WriteRuleAnalyte();
    const std::vector<std::vector<std::string>> commands = {{"dump", data},
                                                            {"westgard", data, "test", "--date-time", "2026-02-01T12:00", "--values", "106.5", "200"}};
    for (const auto& command : commands) {
        const TRun byDefault = Run(command);
        EXPECT_NE(byDefault.Err.find("tervanix-cli: no settings file " + Path("rules.cfr") +
                                     ": the default risks are used (warning 5 %, action 0.2 %)"),
                  std::string::npos)
            << byDefault.Err;
        std::vector<std::string> explicitly = command;
        explicitly.insert(explicitly.end(), {"--settings", WriteSettings(2)});
        const TRun given = Run(explicitly);
        std::filesystem::copy_file(Path("risks.cfr"), Path("rules.cfr"));
        const TRun beside = Run(command);
        std::filesystem::remove(Path("rules.cfr"));
        EXPECT_EQ(beside.Out, given.Out) << command[0];
        EXPECT_EQ(beside.Err, "") << command[0];
        EXPECT_NE(beside.Out, byDefault.Out) << command[0];
    }
}

TEST_F(Cli, ExportWritesTheSeriesTextInTheEnvironmentsLocale) {
    const std::string data = WriteRuleAnalyte();
    TRun r = Run({"export", data, "TEST"}, "LC_ALL=C");
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out.substr(0, r.Out.find("\r\n")), "1 Jan 2026\t12:00:00\t98.0\t198.0\t\t");
    EXPECT_EQ(Occurrences(r.Out, "\r\n"), 20u);
    EXPECT_NE(r.Out.find("\tTab\there \"q\" caf\xE9\r\n"), std::string::npos); // the stored 8-bit text
    r = Run({"export", data, "test"}, "LC_ALL=C.UTF-8");
    EXPECT_NE(r.Out.find("\tTab\there \"q\" caf\xC3\xA9\r\n"), std::string::npos);

    const TRun missing = Run({"export", data, "Urea"});
    EXPECT_EQ(missing.Code, 1);
    EXPECT_NE(missing.Err.find("No analyte named \"Urea\""), std::string::npos);
}

// The tool's export against the program's own text for the same locale, whether or not the C
// library has that locale installed; dates and times follow LC_TIME, the separator LC_NUMERIC.
TEST_F(Cli, ExportWritesWhatTheProgramWritesInTheSameLocale) {
    const std::string data = WriteRuleAnalyte();
    struct TCase {
        std::string Environment, ProgramLocale, FirstLine;
    };
    const std::vector<TCase> cases = {
        {"LANG=en_GB.UTF-8", "en_GB", "01/01/2026\t12:00:00\t98.0\t198.0\t\t"},
        {"LANG=de_DE.UTF-8", "de_DE", "01.01.26\t12:00:00\t98,0\t198,0\t\t"},
        {"LANG=C", "C", "1 Jan 2026\t12:00:00\t98.0\t198.0\t\t"},
        {"LANG=en_GB.UTF-8 LC_TIME=de_DE.UTF-8", "", "01.01.26\t12:00:00\t98.0\t198.0\t\t"},
        {"LANG=en_GB.UTF-8 LC_NUMERIC=de_DE.UTF-8", "", "01/01/2026\t12:00:00\t98,0\t198,0\t\t"},
        {"LANG=de_DE.UTF-8 LC_TIME=de_DE.UTF-8 LC_ALL=en_US.UTF-8", "", "1/1/26\t12:00:00 PM\t98.0\t198.0\t\t"},
    };
    for (const TCase& c : cases) {
        const TRun r = Run({"export", data, "Test"}, "env -u LC_ALL -u LC_CTYPE -u LC_TIME -u LC_NUMERIC " + c.Environment);
        ASSERT_EQ(r.Code, 0) << c.Environment << ": " << r.Err;
        EXPECT_EQ(r.Out.substr(0, r.Out.find("\r\n")), c.FirstLine) << c.Environment;
        if (c.ProgramLocale.empty()) continue;
        TListSerum materials;
        TListAnalytes program;
        DecodeDataFile(ReadFile(data), materials, program);
        SetLocale(LocaleFormatsOf(QLocale(QString::fromStdString(c.ProgramLocale))));
        const std::string text = program[0].CopyToText();
        SetLocale(TLocaleFormats());
        const bool utf8 = c.Environment.find("UTF-8") != std::string::npos;
        EXPECT_EQ(r.Out, utf8 ? AnsiToUtf8(text) : text) << c.Environment;
    }
}

// What stderr says besides the note that no settings file lies beside the data file.
std::string BesideTheSettingsNote(const std::string& err) {
    const std::string note = "tervanix-cli: no settings file ";
    if (err.rfind(note, 0) != 0) return err;
    const std::size_t end = err.find('\n');
    return end == std::string::npos ? std::string() : err.substr(end + 1);
}

TEST_F(Cli, ImportReadsTheExportedTextAndAddsAsTheDialogDoes) {
    const std::string data = WriteRuleAnalyte();
    const std::string before = ReadFile(data);
    WriteFile(Path("runs.txt"), "\xEF\xBB\xBF" "Date\tTime\tQC1\n1 Feb 2026\t08:00:00\t150\t\t7\n2 Feb 2026\t\t\t201");
    TRun r = Run({"import", data, "test", Path("runs.txt"), "--dry-run"});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, "{\"runs\":[{\"date_time\":46054.333333333336,\"values\":[150,null,7]},"
                     "{\"date_time\":46055.5,\"values\":[null,201,null]}]}\n");
    EXPECT_EQ(ReadFile(data), before);

    WriteFile(Path("none.txt"), "2 Mar 2026\t10:00\t\t\t5\r\n"); // only a level the analyte does not use
    for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"import", data, "Urea", Path("runs.txt")}, "No analyte"},
             {{"import", data, "Test", Path("none.txt")}, "Nothing to import"},
             {{"import", data, "Test", data}, "Bad file format"},
             // A text that cannot be read says why, not "Bad file format".
             {{"import", data, "Test", Path("absent.txt")}, "Cannot read " + Path("absent.txt") + ": No such file or directory"},
             {{"import", data, "Test", Path("")}, "Cannot read " + Path("") + ": "}}) {
        r = Run(args);
        EXPECT_EQ(r.Code, 1);
        EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
        EXPECT_EQ(ReadFile(data), before);
    }

    // Not behind the back of a program working on the same data file: its exit would undo the import.
    {
        QLockFile program(QString::fromStdString(Path("rules.lck")));
        ASSERT_TRUE(program.tryLock(0));
        r = Run({"import", data, "Test", Path("runs.txt")});
        EXPECT_EQ(r.Code, 1);
        EXPECT_NE(r.Err.find("The program is working on"), std::string::npos) << r.Err;
        EXPECT_EQ(ReadFile(data), before);
        EXPECT_FALSE(std::filesystem::exists(Path("rules.adt"))); // nor its audit trail
    }

    r = Run({"import", data, "Test", Path("runs.txt")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, "{\"analyte\":\"Test\",\"added\":2,\"points\":22}\n");
    EXPECT_EQ(BesideTheSettingsNote(r.Err), ""); // mobile limits stay mobile: nothing to tell
    const TRun exported = Run({"export", data, "Test"});
    EXPECT_NE(exported.Out.find("1 Feb 2026\t08:00:00\t150.0\t\t\t\r\n2 Feb 2026\t12:00:00\t\t201.0\t\t\r\n"), std::string::npos);
    EXPECT_NE(Run({"dump", data}).Out.find("\"status\":2"), std::string::npos); // 150 classified beyond action
}

// The import appends its audit line before it writes the data file; the trail is read, checked
// and printed by the command line.
TEST_F(Cli, ImportIsAuditedAndTheTrailIsReadCheckedAndPrinted) {
    const std::string data = WriteRuleAnalyte();
    const std::string trail = Path("rules.adt");
    WriteFile(Path("runs.txt"), "1 Feb 2026\t08:00\t150\r\n");
    // An audit file that cannot be written refuses the import.
    const std::string before = ReadFile(data);
    std::filesystem::create_directory(trail);
    TRun r = Run({"import", data, "Test", Path("runs.txt")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("Cannot write the audit trail: " + trail + ": "), std::string::npos) << r.Err;
    EXPECT_EQ(ReadFile(data), before);
    std::filesystem::remove(trail);
    r = Run({"import", data, "Test", Path("runs.txt")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(ReadFile(data), before);

    r = Run({"audit", trail});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(Occurrences(r.Out, "\"seq\":"), 2u);
    EXPECT_NE(r.Out.find("\"source\":\"command line\",\"action\":\"import\",\"analyte\":\"Test\""), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("\"details\":{\"file\":\"runs.txt\",\"runs\":1}"), std::string::npos) << r.Out;
    const std::string today = r.Out.substr(r.Out.find("\"time\":\"") + 8, 10);
    const struct { std::vector<std::string> options; std::size_t entries; } filters[] = {
        {{"--analyte", "Test"}, 1}, {{"--analyte", "Urea"}, 0}, {{"--from", today, "--to", today}, 2}, {{"--from", "2999-01-01"}, 0}};
    for (const auto& f : filters) {
        std::vector<std::string> args = {"audit", trail};
        args.insert(args.end(), f.options.begin(), f.options.end());
        r = Run(args);
        EXPECT_EQ(r.Code, 0) << r.Err;
        EXPECT_EQ(Occurrences(r.Out, "\"seq\":"), f.entries) << f.options[1];
    }

    r = Run({"audit", trail, "--verify"});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, "{\"entries\": 2, \"intact\": true}\n");
    std::string edited = ReadFile(trail);
    edited.replace(edited.find("audit.started"), 13, "audit.startex"); // line 1, which line 2 links to
    WriteFile(trail, edited);
    r = Run({"audit", trail, "--verify"});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Out, "{\"entries\": 2, \"intact\": false, \"first_broken\": 2}\n");
    EXPECT_EQ(Run({"audit", Path("absent.adt"), "--verify"}).Code, 1);

    r = Run({"print", "audit", trail, "--analyte", "Test", "--out", Path("audit.pdf")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    const std::string text = SqueezeBlanks(PdfFileText(Path("audit.pdf"), Path("audit.txt")));
    EXPECT_NE(text.find("Audit trail"), std::string::npos) << text;
    EXPECT_NE(text.find("import Test"), std::string::npos) << text;
    EXPECT_EQ(text.find("audit.started"), std::string::npos) << text; // not about Test
    EXPECT_EQ(Run({"print", "audit", trail, "--analyte", "Urea", "--out", Path("none.pdf")}).Code, 1);
}

// The import dialog asks before it sets locked or fixed limits back to mobile; the command line
// tells on stderr.
TEST_F(Cli, ImportSaysWhenItSetsLockedOrFixedLimitsBackToMobile) {
    const std::string data = WriteRuleAnalyte();
    TListSerum materials;
    TListAnalytes analytes;
    DecodeDataFile(ReadFile(data), materials, analytes);
    analytes[0].LimitsMode = {lmLocked, lmFixed, lmMobile};
    analytes[0].LockFirst[0] = 0;
    analytes[0].LockLast[0] = 9;
    analytes[0].RecomputeAll();
    WriteFile(data, EncodeDataFile(materials, analytes));
    WriteFile(Path("runs.txt"), "1 Feb 2026\t08:00:00\t150\t200\n");
    const TRun r = Run({"import", data, "Test", Path("runs.txt")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(BesideTheSettingsNote(r.Err), "tervanix-cli: Test level 1: locked limits set back to mobile limits\n"
                                            "tervanix-cli: Test level 2: fixed limits set back to mobile limits\n");
}

TEST_F(Cli, ConvertWritesTheCurrentFormatAndNeverOverwritesItsInput) {
    ASSERT_EQ(Run({"demo", "--seed", "3", Path("d")}).Code, 0);
    const std::string in = Path("d/Tervanix.qcf");
    const std::string original = ReadFile(in);
    ASSERT_EQ(Run({"convert", in, Path("copy.qcf")}).Code, 0);
    EXPECT_EQ(ReadFile(Path("copy.qcf")), original);

    std::filesystem::create_symlink(in, Path("link.qcf"));
    for (const std::string& out : {in, Path("d/../d/Tervanix.qcf"), Path("link.qcf")}) {
        const TRun r = Run({"convert", Path("link.qcf"), out});
        EXPECT_EQ(r.Code, 1) << out;
        EXPECT_NE(r.Err.find("input file"), std::string::npos);
    }
    EXPECT_EQ(ReadFile(in), original);

    WriteFile(Path("bad.qcf"), original.substr(0, 200) + TagBytes);
    EXPECT_EQ(Run({"convert", Path("bad.qcf"), Path("out.qcf")}).Code, 1);
    EXPECT_FALSE(std::filesystem::exists(Path("out.qcf")));

    // Format "30": 75-byte definition blocks; the converted analyte gets multirules and common CV.
    std::string old = Hex("00 00 00 00 01 00 00 00 00 00 00 00") + ShortBytes("Calcium", 15) + ShortBytes("mmol/L", 6);
    old += Hex("00 02 00 00 00 02 00 00 00 01 00 00 00 02 00 00 00 FF FF FF FF 00 00 00 00");
    old += std::string(24, '\xFF') + Hex("11 22 33") + std::string(90, '\0');
    const std::string tag30 = Hex("08 33 30 B5 FE 70 6F 34 35");
    WriteFile(Path("old30.qcf"), old + tag30 + Hex("00 00 00 00") + tag30 + Hex("00 00 00 00") + tag30 + tag30);
    const TRun converted = Run({"convert", Path("old30.qcf"), Path("new.qcf")});
    ASSERT_EQ(converted.Code, 0) << converted.Err;
    EXPECT_NE(converted.Out.find("(format 30)"), std::string::npos);
    const std::string saved = ReadFile(Path("new.qcf"));
    EXPECT_EQ(saved.substr(saved.size() - 9), TagBytes);
    EXPECT_NE(Run({"dump", Path("new.qcf")}).Out.find("\"name\":\"Calcium\",\"unit\":\"mmol/L\",\"decimals\":2,\"level_count\":2,\"options\":7"),
              std::string::npos);

    // An existing data file is replaced only with --force, and never while the program works on
    // its folder.
    const std::string copy = ReadFile(Path("copy.qcf"));
    TRun refused = Run({"convert", Path("old30.qcf"), Path("copy.qcf")});
    EXPECT_EQ(refused.Code, 1);
    EXPECT_NE(refused.Err.find("already exists; nothing was written; --force replaces it"), std::string::npos) << refused.Err;
    EXPECT_EQ(ReadFile(Path("copy.qcf")), copy);
    {
        QLockFile program(QString::fromStdString(Path("copy.lck")));
        ASSERT_TRUE(program.tryLock(0));
        refused = Run({"convert", Path("old30.qcf"), Path("copy.qcf"), "--force"});
        EXPECT_EQ(refused.Code, 1);
        EXPECT_NE(refused.Err.find("The program is working on"), std::string::npos) << refused.Err;
        EXPECT_EQ(ReadFile(Path("copy.qcf")), copy);
    }
    ASSERT_EQ(Run({"convert", Path("old30.qcf"), Path("copy.qcf"), "--force"}).Code, 0);
    EXPECT_EQ(ReadFile(Path("copy.qcf")), saved);

    ASSERT_EQ(Run({"convert", WriteVersion2(), Path("urea.qcf")}).Code, 0);
    const std::string dump = Run({"dump", Path("urea.qcf")}).Out;
    EXPECT_NE(dump.find("\"name\":\"Urea\",\"unit\":\"mmol/L\",\"decimals\":1,\"level_count\":3"), std::string::npos);
    EXPECT_NE(dump.find("\"date_time\":46000.5"), std::string::npos); // the run placed at 12:00
}

TEST_F(Cli, QueueAndSettingsAsJson) {
    ASSERT_EQ(Run({"demo", "--seed", "5", Path("d")}).Code, 0);
    const TRun queue = Run({"queue", Path("d/Tervanix.fif")});
    ASSERT_EQ(queue.Code, 0) << queue.Err;
    EXPECT_EQ(queue.Out.rfind("[{\"standalone\":true,\"date_time\":", 0), 0u);
    EXPECT_EQ(Occurrences(queue.Out, "\"comment\":\"\",\"operator\":\"\",\"analyte\":\"Glucose\"}"), 5u);

    const TRun settings = Run({"settings", WriteSettings(3)});
    ASSERT_EQ(settings.Code, 0) << settings.Err;
    EXPECT_NE(settings.Out.find("\"password\":\"Secret\",\"backup_drive\":\"A\",\"backup_interval_days\":7"),
              std::string::npos);
    EXPECT_NE(settings.Out.find("\"alert_risk\":0,\"action_risk\":3,\"format_version\":\"32\",\"operators\":[\"AB\",\"zed\"]}"),
              std::string::npos);
}

TEST_F(Cli, WestgardJudgesARunAsTheDialogDoes) {
    // 110 is beyond the action limit of level 1; 200 sits on the mean of level 2.
    TRun r = Westgard({"--date-time", "2026-02-01T12:00"}, "110", "200");
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, "{\"previous_point\":19,\"participating\":[true,true,false],\"participating_count\":2,"
                     "\"alarm\":\"red\",\"levels\":[{\"status\":2,\"rejected\":false,\"rules\":{\"1:2s\":\"warning\","
                     "\"1:3s\":\"reject\",\"2:2s\":\"none\",\"R:4s\":\"none\",\"4:1s\":\"none\",\"10:m\":\"none\"}},"
                     "{\"status\":0,\"rejected\":false,\"rules\":{\"1:2s\":\"none\",\"1:3s\":\"none\",\"2:2s\":\"none\","
                     "\"R:4s\":\"none\",\"4:1s\":\"none\",\"10:m\":\"none\"}}],"
                     "\"across\":{\"2:2s\":\"none\",\"R:4s\":\"none\",\"4:1s\":\"none\",\"10:m\":\"none\"}}\n");

    // Both levels high: 2:2s across levels; one high and one low (comma accepted): R:4s.
    EXPECT_NE(Westgard({"--date-time", "46054.5"}, "105", "205").Out.find("\"across\":{\"2:2s\":\"reject\",\"R:4s\":\"none\""),
              std::string::npos);
    EXPECT_NE(Westgard({"--date-time", "46054.5"}, "105", "195,0").Out.find("\"across\":{\"2:2s\":\"none\",\"R:4s\":\"reject\""),
              std::string::npos);
    // Rejecting level 2 leaves one participating level; multirules off leaves none.
    r = Westgard({"--date-time", "46054.5", "--reject", "2"}, "105", "205");
    EXPECT_NE(r.Out.find("\"participating\":[true,false,false],\"participating_count\":1"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("\"rejected\":true"), std::string::npos);
    EXPECT_NE(Westgard({"--date-time", "46054.5", "--multirules", "off"}, "105", "205").Out.find("\"participating_count\":0"),
              std::string::npos);
    // The run is compared with the points dated at or before it.
    EXPECT_NE(Westgard({"--date-time", "2026-01-06T11:59:59"}, "100", "").Out.find("\"previous_point\":4,"), std::string::npos);
    EXPECT_NE(Westgard({"--date-time", "2026-01-06T12:00"}, "100", "").Out.find("\"previous_point\":5,"), std::string::npos);
    EXPECT_NE(Westgard({"--date-time", "2025-12-31T12:00"}, "100", "").Out.find("\"previous_point\":-1,"), std::string::npos);
    // 106 is within the action limit with the default risk, beyond it with the 1% risk.
    EXPECT_NE(Westgard({"--date-time", "46054.5"}, "106", "").Out.find("\"status\":1,"), std::string::npos);
    EXPECT_NE(Westgard({"--date-time", "46054.5", "--settings", WriteSettings(2)}, "106", "").Out.find("\"status\":2,"),
              std::string::npos);
}

TEST_F(Cli, ArchivesOfAnAnalyteAndOneArchiveAsJson) {
    // Two archives written by the program's own archiving, listed in the analyte's order.
    auto a = std::make_unique<TAnalyte>("Test", "\xB5g/L", 1, 2, false);
    a->AddPoint(MakeRun(46000, {98.0f, 198.0f}, "caf\xE9", "JD"));
    a->AddPoint(MakeRun(46001, {102.0f, 202.0f}));
    a->RecomputeAll();
    ArchiveLevel(*a, 1);
    ArchiveLevel(*a, 0);
    a->Archives = {2, 1, 7};
    TListAnalytes analytes;
    analytes.Add(std::move(a));
    WriteFile(Path("Tervanix.qcf"), EncodeDataFile(TListSerum(), analytes));

    const TRun list = Run({"archives", Path("Tervanix.qcf"), "test"});
    ASSERT_EQ(list.Code, 0) << list.Err;
    EXPECT_EQ(list.Out, "[{\"number\":2,\"file\":\"" + Path("QC000002.qca") + "\"},{\"number\":1,\"file\":\"" +
                            Path("QC000001.qca") + "\"},{\"number\":7,\"file\":\"" + Path("QC000007.qca") + "\"}]\n");

    const TRun one = Run({"archive", Path("QC000001.qca")});
    ASSERT_EQ(one.Code, 0) << one.Err;
    EXPECT_EQ(one.Out, "{\"analyte\":\"Test\",\"unit\":\"\xC2\xB5g/L\",\"first_date\":\"09/12/2025\",\"last_date\":"
                       "\"10/12/2025\",\"material\":\"Unknown\",\"lot\":\"\",\"mean\":\"200.00\",\"cv\":\"1.4\",\"n\":\"2\","
                       "\"points\":[{\"date\":\"09/12/2025\",\"time\":\"12:00:00\",\"value\":\"198.0\",\"operator\":\"JD\","
                       "\"comment\":\"caf\xC3\xA9\"},{\"date\":\"10/12/2025\",\"time\":\"12:00:00\",\"value\":\"202.0\","
                       "\"operator\":\"\",\"comment\":\"\"}]}\n");

    WriteFile(Path("QC000003.qca"), "Test\r\nmg/L\r\nno summary here\r\n");
    std::filesystem::create_directory(Path("QC000004.qca"));
    {
        std::ofstream big(Path("QC000005.qca"));
        big.seekp(static_cast<std::streamoff>(MaxArchiveBytes));
        big.put('x');
    }
    // A folder or a file over the size limit is named as such, not as a damaged archive.
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"QC000003.qca", "Damaged archive file"},
        {"QC000007.qca", "Cannot read archive"},
        {"QC000004.qca", "Cannot read archive " + Path("QC000004.qca") + ": Is a directory"},
        {"QC000005.qca", "Cannot read archive " + Path("QC000005.qca") + ": larger than 16777216 bytes"}};
    for (const auto& [name, message] : refused) {
        const TRun r = Run({"archive", Path(name)});
        EXPECT_EQ(r.Code, 1) << name;
        EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "");
    }
}

TEST_F(Cli, VersionHelpAndErrorsFollowTheConventions) {
    struct TCase {
        std::vector<std::string> Args;
        int Code;
        std::string Out;
    };
    const TCase cases[] = {
        {{"--version"}, 0, "tervanix-cli 1.0 (data format 32)\n"},
        {{"dump", "--help"}, 0, "Usage:\n  tervanix-cli dump FILE.qcf [--settings FILE.cfr]\n"},
        {{"westgard", "x.qcf", "--help"}, 0,
         "Usage:\n  tervanix-cli westgard FILE.qcf ANALYTE --date-time T --values V1 [V2 [V3]]\n"
         "               [--reject L]... [--multirules on|off] [--settings FILE.cfr]\n"},
        {{"dump", Path("missing.qcf")}, 1, ""},
        {{"print", "limits", Path("missing.qcf"), "Glucose", "--out", Path("x.pdf")}, 1, ""},
    };
    for (const TCase& c : cases) {
        const TRun r = Run(c.Args);
        EXPECT_EQ(r.Code, c.Code) << c.Args[0] << r.Err;
        EXPECT_EQ(r.Out, c.Out);
        ExpectEveryLineMarked(r.Err);
    }
    const TRun print = Run({"print", "--help"});
    EXPECT_EQ(print.Out.rfind("Usage:\n  tervanix-cli print data ", 0), 0u) << print.Out;
    EXPECT_EQ(print.Out.find("tervanix-cli dump"), std::string::npos);

    // The program answers without a display and without touching any data folder.
    const std::string program = std::string("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb HOME=") + Quote(Path("home")) +
                                " " + Quote(TERVANIX_PROGRAM_PATH);
    ASSERT_EQ(std::system((program + " --version >" + Quote(Path("v"))).c_str()), 0);
    EXPECT_EQ(ReadFile(Path("v")), "Tervanix 1.0 (data format 32)\n");
    ASSERT_EQ(std::system((program + " --help >" + Quote(Path("h"))).c_str()), 0);
    EXPECT_EQ(ReadFile(Path("h")).rfind("Usage: Tervanix [OPTION]\n", 0), 0u);
    EXPECT_NE(ReadFile(Path("h")).find("--version"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Path("home")));
}

TEST_F(Cli, UnusableCommandLinesGetTheUsageText) {
    const std::string data = WriteRuleAnalyte();
    ExpectUsageError({}, "Missing command");
    ExpectUsageError({"frobnicate"}, "Unknown command");
    ExpectUsageError({"dump"}, "Missing argument");
    ExpectUsageError({"dump", data, "--colour"}, "Unknown option");
    ExpectUsageError({"import", data, "Test"}, "Missing argument");
    ExpectUsageError({"demo", "--seed", "-1", Path("x")}, "seed");
    ExpectUsageError({"westgard", data, "Test", "--values", "1"}, "--date-time is required");
    ExpectUsageError({"westgard", data, "Test", "--date-time", "2026-02-30T10:00", "--values", "1"}, "--date-time");
    ExpectUsageError({"westgard", data, "Test", "--date-time", "46054.5", "--values", "abc"}, "Not a valid result");
    ExpectUsageError({"westgard", data, "Test", "--date-time", "46054.5", "--values", "1e39"}, "Not a valid result");
    ExpectUsageError({"westgard", data, "Test", "--date-time", "46054.5", "--values", "1", "2", "--reject", "3"}, "--reject");
    ExpectUsageError({"westgard", data, "Test", "--date-time", "46054.5", "--values", "1", "", "--reject", "2"}, "no value");
    ExpectUsageError({"westgard", data, "Test", "--date-time", "46054.5", "--values", "1", "--multirules", "yes"}, "on or off");
}

TEST_F(Cli, OutputThatCannotBeWrittenIsAFailure) {
    const std::string command = Quote(TERVANIX_CLI_PATH) + " dump " + Quote(WriteRuleAnalyte()) + " >/dev/full 2>/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(CliLocale, Utf8IsReadFromTheLocaleName) {
    for (const char* name : {"en_GB.UTF-8", "de_DE.utf8", "C.UTF-8", "sr_RS.UTF-8@latin"}) EXPECT_TRUE(cli::IsUtf8LocaleName(name)) << name;
    for (const char* name : {"C", "POSIX", "de_DE.ISO-8859-1", "de_DE@euro", ""}) EXPECT_FALSE(cli::IsUtf8LocaleName(name)) << name;
}

TEST(CliJson, NumbersRoundTripAndNonFiniteValuesAreNull) {
    cli::TJsonWriter j;
    j.BeginArray().Number(0.1).Number(0.1f).Number(std::nanl("")).Number(-HUGE_VAL).Number(1.0L / 3).EndArray();
    EXPECT_EQ(j.str().substr(0, 20), "[0.1,0.1,null,null,0");
    const std::string third = j.str().substr(19, j.str().size() - 20);
    EXPECT_EQ(std::strtold(third.c_str(), nullptr), 1.0L / 3);
}

} // namespace

// sigma and summary read the goals file beside the data file unless --goals names another; a
// damaged goals file is refused and left as it is.
TEST_F(Cli, SigmaAndSummaryFollowTheGoals) {
    const std::string data = WriteRuleAnalyte(); // CV 2.05 % and 1.03 %, runs in January 2026
    WriteFile(Path("rules.goals"), "{\"analytes\": {\"TEST\": {\"tea_percent\": 10, \"targets\": [100, null]}}}");
    WriteFile(Path("other.goals"), "{\"analytes\": {}}");
    const TRun sigma = Run({"sigma", data});
    ASSERT_EQ(sigma.Code, 0) << sigma.Err;
    EXPECT_EQ(Occurrences(sigma.Out, "\"analyte\":\"Test\""), 2u) << sigma.Out;
    EXPECT_NE(sigma.Out.find("\"level\":1,\"material\":\"Unknown\",\"lot\":\"\",\"tea_percent\":10,\"target\":100,"), std::string::npos);
    EXPECT_NE(sigma.Out.find("\"bias_percent\":0,\"sigma\":4.87"), std::string::npos) << sigma.Out;
    EXPECT_NE(sigma.Out.find("\"rules\":[\"1:3s\",\"2:2s\",\"R:4s\",\"4:1s\"]"), std::string::npos);
    EXPECT_NE(sigma.Out.find("\"target\":null,\"mean\":200,"), std::string::npos);
    EXPECT_NE(sigma.Out.find("\"bias_percent\":null,\"sigma\":9.7"), std::string::npos);
    EXPECT_NE(sigma.Out.find("\"rules\":[\"1:3s\"]"), std::string::npos);
    const TRun none = Run({"sigma", data, "--goals", Path("other.goals")});
    EXPECT_EQ(Occurrences(none.Out, "\"tea_percent\":null,\"target\":null,"), 2u) << none.Out;
    EXPECT_EQ(Occurrences(none.Out, "\"sigma\":null,\"rules\":null"), 2u);

    const TRun january = Run({"summary", data, "--month", "2026-01"});
    ASSERT_EQ(january.Code, 0) << january.Err;
    EXPECT_NE(january.Out.find("\"level\":1,\"material\":\"Unknown\",\"lot\":\"\",\"n\":20,\"mean\":100,\"sd\":2.05"), std::string::npos)
        << january.Out;
    EXPECT_NE(january.Out.find("\"alerts\":0,\"actions\":0,\"discarded\":0,\"sigma\":4.87"), std::string::npos);
    EXPECT_EQ(Run({"summary", data, "--month", "2026-02"}).Out, "[]\n");
    ExpectUsageError({"summary", data, "--month", "2026-1"}, "must be written YYYY-MM");
    ExpectUsageError({"summary", data}, "Missing --month");

    WriteFile(Path("rules.goals"), "{\"analytes\": {\"Test\": {\"tea_percent\": -1}}}");
    for (const auto& args : {std::vector<std::string>{"sigma", data}, {"summary", data, "--month", "2026-01"}}) {
        const TRun damaged = Run(args);
        EXPECT_EQ(damaged.Code, 1);
        EXPECT_NE(damaged.Err.find("Cannot read quality goals: " + Path("rules.goals")), std::string::npos) << damaged.Err;
        EXPECT_EQ(damaged.Out, "");
    }
    EXPECT_EQ(ReadFile(Path("rules.goals")), "{\"analytes\": {\"Test\": {\"tea_percent\": -1}}}");
}
