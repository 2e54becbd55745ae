#pragma once
#include <QString>

namespace shell::cli {

// The overview printed by qmr51ctl --help: the subcommands, the options, the exit codes, examples.
QString overviewHelp();

// qmr51ctl help SUBCOMMAND (or SUBCOMMAND --help): every option of it, with an example. Empty for
// an unknown subcommand.
QString subcommandHelp(const QString& subcommand);

} // namespace shell::cli
