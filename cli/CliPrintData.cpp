// print data: the table of the runs of one analyte, as the data printing dialog prints it.
#include <QGuiApplication>

#include "charts/UPrnData.h"
#include "cli/CliPrint.h"

namespace tervanix::cli {

int RunPrintData(const TArgs& args) {
    const TPrintRequest request = ParsePrintArgs(args);
    ExpectPositionals(request.Positionals, 2);
    RequireDateRange(request);
    const std::string& path = request.Positionals[0];
    RefuseOverwrite(request.Out, path);
    UseSettings(request.SettingsPath);
    TDataSet data;
    ReadDataSet(path, data);
    const TAnalyte& analyte = FindAnalyte(data, request.Positionals[1], path);
    const TPointRange range = PointsInDateRange(analyte, *request.From, *request.To);
    if (range.Count() == 0) throw EFailure("Nothing to print");
    const auto app = StartPrinting();
    WritePrintout(request.Out, DataTableJob(analyte, data.Materials, range, request.Stats));
    return 0;
}

} // namespace tervanix::cli
