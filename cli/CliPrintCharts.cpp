// print charts: the Levey-Jennings charts of one analyte, as the chart printing dialog prints them.
#include <QGuiApplication>
#include <iostream>

#include "charts/UPrnChartsPages.h"
#include "cli/CliPrint.h"
#include "model/UAnalyte.h"
#include "model/UGlobals.h"

namespace tervanix::cli {
namespace {

// "1,3" -> levels 1 and 3. Each level once: "1,1,1,1" is refused.
TLevelChoice ParseLevels(const std::string& text) {
    TLevelChoice levels{};
    std::size_t start = 0;
    do {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.size() != 1 || item[0] < '1' || item[0] > '0' + MaxLevels)
            throw EUsage("--levels takes level numbers from 1 to 3 separated by commas: " + text);
        bool& chosen = levels[static_cast<std::size_t>(item[0] - '1')];
        if (chosen) throw EUsage("--levels names level " + item + " more than once: " + text);
        chosen = true;
        start = comma == std::string::npos ? text.size() + 1 : comma + 1;
    } while (start <= text.size());
    return levels;
}

bool LevelHasValues(const TAnalyte& analyte, int level, TPointRange range) {
    for (int i = range.First; i <= range.Last; ++i)
        if (analyte.Point(i).Levels[static_cast<std::size_t>(level)].Status != qsNoValue) return true;
    return false;
}

} // namespace

int RunPrintCharts(const TArgs& args) {
    std::optional<TLevelChoice> levels;
    bool blackAndWhite = false;
    const TPrintRequest request = ParsePrintArgs(args, [&](const std::string& option, TArgCursor& cursor) {
        if (option == "--levels") levels = ParseLevels(cursor.ValueOf(option));
        else if (option == "--bw") blackAndWhite = true;
        else return false;
        return true;
    });
    TDataSet data;
    const auto [analyte, range] = ReadRunsToPrint(request, data, TEmptyRange::Printed);
    TChartPrintOptions options;
    options.Levels = levels.value_or(TLevelChoice{true, true, true});
    options.Colour = Settings.PrintInColour != 0 && !blackAndWhite;
    options.Statistics = request.Stats;
    for (int level = 0; level < MaxLevels; ++level) {
        if (!levels || !(*levels)[static_cast<std::size_t>(level)]) continue;
        if (level >= analyte.LevelCount)
            throw EFailure("Level " + std::to_string(level + 1) + " does not exist: " + analyte.Name.str() + " has " +
                           std::to_string(analyte.LevelCount) + (analyte.LevelCount == 1 ? " level" : " levels"));
        if (!LevelHasValues(analyte, level, range))
            std::cerr << "tervanix-cli: Level " << level + 1 << " has no value in the range: its chart is printed empty\n";
    }
    if (range.Count() == 0) std::cerr << "tervanix-cli: No run in the range: the charts are printed empty\n";
    const auto app = StartPrinting();
    WritePrintout(request, ChartsJob(analyte, data.Materials, range, options));
    return 0;
}

} // namespace tervanix::cli
