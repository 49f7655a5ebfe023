// The subcommands of tervanix-cli. Each takes the arguments after its name, writes its result on
// stdout and returns the exit code; failures are thrown as EUsage or EFailure (CliCommon.h).
#pragma once

#include "cli/CliCommon.h"
#include "model/UArchive.h"
#include "model/UAuditTrail.h"

namespace tervanix::cli {

int RunDump(const TArgs& args);
int RunQueue(const TArgs& args);
int RunSettings(const TArgs& args);
int RunExport(const TArgs& args);
int RunCheck(const TArgs& args);
int RunDemo(const TArgs& args);
int RunConvert(const TArgs& args);
int RunWestgard(const TArgs& args);
int RunArchives(const TArgs& args);
int RunArchive(const TArgs& args);

// An archive file read whole; EFailure when it is missing or damaged.
TArchiveContent ReadArchiveFile(const std::string& path);
int RunPrint(const TArgs& args);
int RunImport(const TArgs& args);
// The quality goals: Sigma per analyte level, and the monthly QC summary (CliQuality.cpp).
int RunSigma(const TArgs& args);
int RunSummary(const TArgs& args);

// The audit trail (CliAudit.cpp).
int RunAudit(const TArgs& args);
// --analyte NAME, --from DATE, --to DATE into the filter; false for another option.
bool TakeAuditFilterOption(const std::string& option, TArgCursor& cursor, TAuditFilter& filter);
// A day as "YYYY-MM-DD".
std::string IsoDay(TDateTime day);
// The entries the filter accepts (its dates in either order), oldest first; EFailure when the file
// cannot be read.
std::vector<TAuditEntry> ReadAuditForOutput(const std::string& path, TAuditFilter filter);

} // namespace tervanix::cli
