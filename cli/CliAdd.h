// add: one run delivered to the program's automation server on the session bus.
//   tervanix-cli add --analyte NAME [--date-time T] [--level1 X] [--level2 Y] [--level3 Z]
//                    [--operator OP] [--comment TEXT] [--parallelise]
// Prints the server's answer (-1 queued, 1 no analyte, 2 not a number, 3 no level, 4 not a date)
// and exits 0 only when the run was queued.
#pragma once

#include "cli/CliCommon.h"

namespace tervanix::cli {

// The arguments after "add"; failures are thrown as EUsage or EFailure.
int RunAdd(const TArgs& args);

} // namespace tervanix::cli

// The whole command line (argv[1] is "add"), with its own messages and exit codes.
int RunAddCommand(int argc, char** argv);
