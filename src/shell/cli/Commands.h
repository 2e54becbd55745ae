#pragma once
#include "shell/cli/Context.h"

namespace shell::cli {

// The subcommands; each returns its exit code (see ExitCode.h).
int scanCommand(Context& c);
int portsCommand(Context& c);
int infoCommand(Context& c);
int readCommand(Context& c);
int setCommand(Context& c);
int logCommand(Context& c);
int counterCommand(Context& c);
int upgradeCommand(Context& c);
int flashCommand(Context& c);
int doctorCommand(Context& c);
int recordsCommand(Context& c);

} // namespace shell::cli
