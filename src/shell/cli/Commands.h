#pragma once
#include "shell/cli/Context.h"
#include <array>
#include <cstdint>
#include <optional>

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

// A production line: --port names several ports separated by commas, or all. Each unit runs on
// its own; see LineCommand.cpp.
bool linePortsGiven(const Options& options);
int lineFlashCommand(Context& c);
int lineUpgradeCommand(Context& c);
int lineInfoCommand(Context& c);
int lineReadCommand(Context& c);
int lineSetCommand(Context& c);
int lineCounterCommand(Context& c);

// A firmware version a.b.c.d as typed (2.1.0.6); nothing for any other text.
std::optional<std::array<std::uint8_t, 4>> parseVersion(const QString& text);

} // namespace shell::cli
