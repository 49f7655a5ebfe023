// tervanix-cli print KIND ...: the program's printouts as PDF files, drawn by the program's own
// print routines, for nightly reports and audits. Each kind has its entry in the table of
// CliPrint.cpp and uses the helpers below for what all kinds share.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charts/UPrintJob.h"
#include "charts/UPrnDataPages.h"
#include "cli/CliCommon.h"
#include "model/UTypes.h"

class QGuiApplication;

namespace tervanix::cli {

// The options that every kind understands: --from DATE, --to DATE, --settings FILE.cfr, --stats,
// --paper A4|Letter and --out OUT.pdf; the other arguments are positionals.
struct TPrintRequest {
    std::vector<std::string> Positionals;
    std::optional<TDateTime> From;
    std::optional<TDateTime> To;
    std::optional<std::string> SettingsPath;
    bool Stats = false;
    std::optional<QPageSize::PageSizeId> Paper; // else the paper of the environment's locale
    std::string Out;
};

// A kind's own options: true when it took the option (reading its value from the cursor).
using TKindOption = std::function<bool(const std::string& option, TArgCursor& cursor)>;
// Usage errors for an unknown option, a missing --out or a date that is not YYYY-MM-DD.
TPrintRequest ParsePrintArgs(const TArgs& args, const TKindOption& kindOption = {});
// --from and --to are both required by kinds that print a date range.
void RequireDateRange(const TPrintRequest& request);
// A calendar date written YYYY-MM-DD.
TDateTime ParseDay(const std::string& text, const std::string& option);

// The analyte and its runs of the requested days, for the kinds that print a date range: the
// request's positionals are FILE.qcf ANALYTE. "Nothing to print" when the analyte has no run, and
// when the range holds none unless `emptyRange` says what the print dialog does: print it empty.
// `data` keeps the file's contents alive while the analyte is printed.
enum class TEmptyRange { Refused, Printed };
struct TRunsToPrint {
    const TAnalyte& Analyte;
    TPointRange Range;
};
TRunsToPrint ReadRunsToPrint(const TPrintRequest& request, TDataSet& data, TEmptyRange emptyRange);

// The GUI side, headless: the offscreen platform unless the environment names one, and the
// environment's locale for dates and numbers (as export writes them). Keep it while printing.
std::unique_ptr<QGuiApplication> StartPrinting();

// Refuses an output that would overwrite one of the inputs.
void RefuseOverwrite(const std::string& out, const std::string& input);
// A date range or statistics mean nothing to a printout of one moment (limits, daily sheet, Sigma,
// monthly summary): a script that passes them is wrong. `kind` names it in the usage error.
void RefuseRangeOptions(const TPrintRequest& request, const char* kind);
// The job's pages as a PDF on the paper asked for (else Letter in the United States and Canada, A4
// elsewhere, after the environment's locale), written atomically to --out; EFailure when it cannot
// be written (no file is left behind, a previous file is kept).
void WritePrintout(const TPrintRequest& request, const TPrintJob& job);

// The kinds.
int RunPrintData(const TArgs& args);
int RunPrintCharts(const TArgs& args);
int RunPrintLimits(const TArgs& args);
int RunPrintDaily(const TArgs& args);
int RunPrintArchive(const TArgs& args);
int RunPrintAudit(const TArgs& args);
int RunPrintSigma(const TArgs& args);
int RunPrintSummary(const TArgs& args);

} // namespace tervanix::cli
