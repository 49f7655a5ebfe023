// The subcommands of tervanix-cli. Each takes the arguments after its name, writes its result on
// stdout and returns the exit code; failures are thrown as EUsage or EFailure (CliCommon.h).
#pragma once

#include "cli/CliCommon.h"

namespace tervanix::cli {

int RunDump(const TArgs& args);
int RunQueue(const TArgs& args);
int RunSettings(const TArgs& args);
int RunExport(const TArgs& args);
int RunCheck(const TArgs& args);
int RunDemo(const TArgs& args);
int RunConvert(const TArgs& args);
int RunWestgard(const TArgs& args);
int RunImport(const TArgs& args);

} // namespace tervanix::cli
