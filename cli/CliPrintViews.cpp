// print limits and print daily: the limits table of an analyte and the cumulative daily QC sheet,
// as the limits view and the daily summary print them.
#include <QGuiApplication>
#include <optional>

#include "charts/UDailyQCPages.h"
#include "charts/UShowLimitsPages.h"
#include "cli/CliPrint.h"

namespace tervanix::cli {

int RunPrintLimits(const TArgs& args) {
    const TPrintRequest request = ParsePrintArgs(args);
    RefuseRangeOptions(request, "limits");
    ExpectPositionals(request.Positionals, 2);
    const std::string& path = request.Positionals[0];
    RefuseOverwrite(request.Out, path);
    UseSettingsFor(path, request.SettingsPath);
    TDataSet data;
    ReadDataSet(path, data);
    const TAnalyte& analyte = FindAnalyte(data, request.Positionals[1], path);
    const auto app = StartPrinting();
    WritePrintout(request, LimitsPrintJob(analyte, data.Materials));
    return 0;
}

int RunPrintDaily(const TArgs& args) {
    std::optional<TDateTime> day;
    const TPrintRequest request = ParsePrintArgs(args, [&day](const std::string& option, TArgCursor& cursor) {
        if (option != "--day") return false;
        day = ParseDay(cursor.ValueOf(option), option);
        return true;
    });
    RefuseRangeOptions(request, "daily");
    ExpectPositionals(request.Positionals, 1);
    if (!day) throw EUsage("Missing --day DATE");
    const std::string& path = request.Positionals[0];
    RefuseOverwrite(request.Out, path);
    UseSettingsFor(path, request.SettingsPath);
    TDataSet data;
    ReadDataSet(path, data);
    const std::vector<TDayRun> runs = CollectDayRuns(data.Analytes, *day);
    if (runs.empty()) throw EFailure("Nothing to print");
    const auto app = StartPrinting();
    WritePrintout(request, DailyPrintJob(runs, *day));
    return 0;
}

} // namespace tervanix::cli
