// print archive: one archive file as the archives browser prints it.
#include <QGuiApplication>

#include "charts/UPrnArchive.h"
#include "cli/CliCommands.h"
#include "cli/CliPrint.h"
#include "main/UAnsi.h"

namespace tervanix::cli {

int RunPrintArchive(const TArgs& args) {
    const TPrintRequest request = ParsePrintArgs(args);
    ExpectPositionals(request.Positionals, 1);
    if (request.From || request.To || request.Stats || request.SettingsPath)
        throw EUsage("print archive takes no --from, --to, --stats or --settings");
    const std::string& path = request.Positionals[0];
    RefuseOverwrite(request.Out, path);
    const TArchiveContent archive = ReadArchiveFile(path);
    const auto app = StartPrinting();
    WritePrintout(request, ArchivePrintJob(FromAnsi(archive.Analyte), archive));
    return 0;
}

} // namespace tervanix::cli
