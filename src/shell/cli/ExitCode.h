#pragma once

namespace shell::cli {

// The exit status of qmr51ctl. Scripts rely on these numbers: they never change meaning, and a
// failure never exits 0.
enum ExitCode : int {
    kSuccess = 0,
    // The device or a transfer let the command down: no answer in the middle of it, a refused
    // frame, a download that did not arrive, esptool failed, settings not taken; records: no
    // record could be read at all.
    kDeviceFailure = 1,
    // The command line is wrong: unknown subcommand or option, a missing value, or several
    // devices answer where --port auto needs one.
    kUsageError = 2,
    // No device to talk to: no such port, the port cannot be opened, or no QMR51 or TIKA answers.
    kNoDevice = 3,
    // Refused, and nothing was sent: a setting out of range, a damaged firmware file, a missing
    // image, a question answered No (or not askable without a terminal and --yes).
    kRefused = 4,
    // doctor found something that stops a serial adapter from working.
    kProblemsFound = 5,
};

} // namespace shell::cli
