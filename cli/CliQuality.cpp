// sigma, summary, print sigma and print summary: the quality goals of the laboratory against its
// limits in use, and the monthly QC summary, as JSON and as the program prints them.
#include <QGuiApplication>
#include <iostream>
#include <optional>

#include "charts/UQualityPages.h"
#include "cli/CliCommands.h"
#include "cli/CliJson.h"
#include "cli/CliPrint.h"
#include "model/UAnalyte.h"
#include "model/UFileStore.h"
#include "model/UMonthlySummary.h"
#include "model/UQualityGoals.h"

namespace tervanix::cli {
namespace {

// The given goals file, else the one beside the data file; no goals when there is none beside it.
TQualityGoals ReadGoalsFor(const std::string& dataPath, const std::optional<std::string>& path) {
    const std::string goalsPath = path.value_or(GoalsPathBeside(dataPath));
    if (!path && !FileExists(goalsPath)) return {};
    try {
        return DecodeGoalsFile(ReadInput(goalsPath, "Cannot read quality goals"));
    } catch (const EQCError& e) {
        throw EFailure("Cannot read quality goals: " + goalsPath + ": " + e.what());
    }
}

TMonth ParseMonth(const std::string& text) {
    const bool shape = text.size() == 7 && text[4] == '-' &&
                       text.find_first_not_of("0123456789", 0) == 4 && text.find_first_not_of("0123456789", 5) == std::string::npos;
    if (shape) {
        const TMonth month{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2))};
        if (month.Year >= 1900 && month.Month >= 1 && month.Month <= 12) return month;
    }
    throw EUsage("The month of --month must be written YYYY-MM: " + text);
}

template <class T> void OptionalNumber(TJsonWriter& j, const std::optional<T>& value) {
    if (value) j.Number(*value);
    else j.Null();
}

std::string MaterialOf(const TDataSet& data, const TAnalyte& analyte, int level, bool lot) {
    const TMaterial& m = data.Materials.FindById(analyte.MaterialId[static_cast<std::size_t>(level)]);
    return lot ? m.Lot.str() : m.Name.str();
}

void BeginLevel(TJsonWriter& j, const TDataSet& data, const TAnalyte& analyte, int level) {
    j.BeginObject();
    j.Key("analyte").Text(analyte.Name.str());
    j.Key("level").Int(level + 1);
    j.Key("material").Text(MaterialOf(data, analyte, level, false));
    j.Key("lot").Text(MaterialOf(data, analyte, level, true));
}

struct TQualityArgs {
    std::string DataPath;
    std::optional<std::string> GoalsPath, SettingsPath;
    std::optional<TMonth> Month;
};

// The options of the quality commands: --goals, --settings and --month where the command takes it.
bool TakeQualityOption(const std::string& option, TArgCursor& cursor, TQualityArgs& args, bool month) {
    if (option == "--goals") args.GoalsPath = cursor.ValueOf(option);
    else if (option == "--settings") args.SettingsPath = cursor.ValueOf(option);
    else if (option == "--month" && month) args.Month = ParseMonth(cursor.ValueOf(option));
    else return false;
    return true;
}

TQualityArgs ParseQualityArgs(const TArgs& args, bool month) {
    TQualityArgs parsed;
    std::vector<std::string> positionals;
    TArgCursor cursor(args);
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (!IsOption(arg)) positionals.push_back(arg);
        else if (!TakeQualityOption(arg, cursor, parsed, month)) throw EUsage("Unknown option: " + arg);
    }
    ExpectPositionals(positionals, 1);
    if (month && !parsed.Month) throw EUsage("Missing --month YYYY-MM");
    parsed.DataPath = positionals[0];
    return parsed;
}

} // namespace

int RunSigma(const TArgs& args) {
    const TQualityArgs parsed = ParseQualityArgs(args, false);
    UseSettingsFor(parsed.DataPath, parsed.SettingsPath);
    TDataSet data;
    ReadDataSet(parsed.DataPath, data);
    const TQualityGoals goals = ReadGoalsFor(parsed.DataPath, parsed.GoalsPath);
    TJsonWriter j;
    j.BeginArray();
    for (const TSigmaLine& line : SigmaLines(data.Analytes, goals)) {
        const TLevelSigma& s = line.Sigma;
        BeginLevel(j, data, *line.Analyte, line.Level);
        OptionalNumber(j.Key("tea_percent"), s.TeaPercent);
        OptionalNumber(j.Key("target"), s.Target);
        OptionalNumber(j.Key("mean"), s.Mean);
        OptionalNumber(j.Key("cv"), s.CV);
        OptionalNumber(j.Key("bias_percent"), s.BiasPercent);
        OptionalNumber(j.Key("sigma"), s.Sigma);
        j.Key("rules");
        if (s.Sigma) {
            j.BeginArray();
            for (const std::string& rule : SigmaRules(*s.Sigma, line.Analyte->LevelCount)) j.Text(rule);
            j.EndArray();
        } else {
            j.Null();
        }
        j.EndObject();
    }
    j.EndArray();
    std::cout << j.str() << '\n';
    return 0;
}

int RunSummary(const TArgs& args) {
    const TQualityArgs parsed = ParseQualityArgs(args, true);
    TDataSet data;
    ReadDataSet(parsed.DataPath, data);
    const TQualityGoals goals = ReadGoalsFor(parsed.DataPath, parsed.GoalsPath);
    TJsonWriter j;
    j.BeginArray();
    for (const TMonthLevelSummary& line : MonthlySummary(data.Analytes, *parsed.Month, goals)) {
        BeginLevel(j, data, *line.Analyte, line.Level);
        j.Key("n").Int(line.N);
        OptionalNumber(j.Key("mean"), line.Mean);
        OptionalNumber(j.Key("sd"), line.SD);
        OptionalNumber(j.Key("cv"), line.CV);
        j.Key("alerts").Int(line.Alerts);
        j.Key("actions").Int(line.Actions);
        j.Key("discarded").Int(line.Discarded);
        OptionalNumber(j.Key("sigma"), line.Sigma.Sigma);
        j.EndObject();
    }
    j.EndArray();
    std::cout << j.str() << '\n';
    return 0;
}

int RunPrintSigma(const TArgs& args) {
    TQualityArgs parsed;
    const TPrintRequest request = ParsePrintArgs(args, [&parsed](const std::string& option, TArgCursor& cursor) {
        return TakeQualityOption(option, cursor, parsed, false);
    });
    RefuseRangeOptions(request, "sigma");
    ExpectPositionals(request.Positionals, 1);
    const std::string& path = request.Positionals[0];
    RefuseOverwrite(request.Out, path);
    UseSettingsFor(path, request.SettingsPath);
    TDataSet data;
    ReadDataSet(path, data);
    const TQualityGoals goals = ReadGoalsFor(path, parsed.GoalsPath);
    if (data.Analytes.Count() == 0) throw EFailure("Nothing to print");
    const auto app = StartPrinting();
    WritePrintout(request, SigmaPrintJob(SigmaLines(data.Analytes, goals), data.Materials));
    return 0;
}

int RunPrintSummary(const TArgs& args) {
    TQualityArgs parsed;
    const TPrintRequest request = ParsePrintArgs(args, [&parsed](const std::string& option, TArgCursor& cursor) {
        return TakeQualityOption(option, cursor, parsed, true);
    });
    RefuseRangeOptions(request, "summary");
    ExpectPositionals(request.Positionals, 1);
    if (!parsed.Month) throw EUsage("Missing --month YYYY-MM");
    const std::string& path = request.Positionals[0];
    RefuseOverwrite(request.Out, path);
    TDataSet data;
    ReadDataSet(path, data);
    const TQualityGoals goals = ReadGoalsFor(path, parsed.GoalsPath);
    const std::vector<TMonthLevelSummary> lines = MonthlySummary(data.Analytes, *parsed.Month, goals);
    if (lines.empty()) throw EFailure("Nothing to print");
    const auto app = StartPrinting();
    WritePrintout(request, MonthlySummaryPrintJob(lines, data.Materials, *parsed.Month));
    return 0;
}

} // namespace tervanix::cli
