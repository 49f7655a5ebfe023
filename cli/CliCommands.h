// The subcommands of tervanix-cli. Each takes the arguments after its name, writes its result on
// stdout and returns the exit code; failures are thrown as EUsage or EFailure (CliCommon.h).
#pragma once

#include "cli/CliCommon.h"
#include "model/UArchive.h"

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

} // namespace tervanix::cli
