// print audit: the audit trail of a data folder as the audit window prints it.
#include <QGuiApplication>

#include "charts/UAuditPages.h"
#include "cli/CliCommands.h"
#include "cli/CliPrint.h"

namespace tervanix::cli {

int RunPrintAudit(const TArgs& args) {
    TAuditFilter filter;
    const TPrintRequest request =
        ParsePrintArgs(args, [&filter](const std::string& option, TArgCursor& cursor) {
            return option == "--analyte" && TakeAuditFilterOption(option, cursor, filter);
        });
    ExpectPositionals(request.Positionals, 1);
    if (request.Stats || request.SettingsPath) throw EUsage("print audit takes no --stats or --settings");
    const std::string& path = request.Positionals[0];
    RefuseOverwrite(request.Out, path);
    if (request.From) filter.FromDate = IsoDay(*request.From);
    if (request.To) filter.ToDate = IsoDay(*request.To);
    const std::vector<TAuditEntry> entries = ReadAuditForOutput(path, filter);
    if (entries.empty()) throw EFailure("Nothing to print");
    const auto app = StartPrinting();
    WritePrintout(request, AuditPrintJob(entries, AuditSelectionLine(filter)));
    return 0;
}

} // namespace tervanix::cli
