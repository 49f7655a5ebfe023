// print data: the table of the runs of one analyte, as the data printing dialog prints it.
#include <QGuiApplication>

#include "charts/UPrnDataPages.h"
#include "cli/CliPrint.h"

namespace tervanix::cli {

int RunPrintData(const TArgs& args) {
    const TPrintRequest request = ParsePrintArgs(args);
    TDataSet data;
    const auto [analyte, range] = ReadRunsToPrint(request, data, TEmptyRange::Refused);
    const auto app = StartPrinting();
    WritePrintout(request, DataTableJob(analyte, data.Materials, range, request.Stats));
    return 0;
}

} // namespace tervanix::cli
