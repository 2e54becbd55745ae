#pragma once
#include "device/DeviceKind.h"
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace shell::cli {

// A qmr51ctl command line: the subcommand, its words and every option, wherever it stood.
struct Options {
    QString command;          // scan, ports, info, read, set, log, counter, upgrade, flash, doctor, records, help
    QStringList words;        // the subcommand's own words (set KEY=VALUE..., counter 1 258, help read)
    // --port COM<n> | /dev/... | serial:S | location:L | by-id:NAME | auto; for a production line
    // several of them separated by commas, or all
    QString port = QStringLiteral("auto");
    bool json = false;        // --json: machine output on standard output
    bool yes = false;         // --yes: answer every question with yes
    bool force = false;       // --force: upgrade or flash a device that does not answer (upgrade, flash)
    bool help = false;        // --help
    bool version = false;     // --version
    QString programFolder;    // --program-folder DIR
    QString ftpHost;          // --ftp-host HOST
    QString ftpUser;          // --ftp-user NAME
    QString imageUrl;         // --image-url URL
    std::optional<int> count;            // read --count N
    std::optional<double> intervalSeconds; // read --interval S
    QString format = QStringLiteral("text"); // read, records --format text|csv|json
    QString country;          // read --country nl|be|none (empty: from the device's protocol)
    QString outputFile;       // log -o FILE
    QString hexFile;          // upgrade --hex FILE
    QString firmwareVersion;  // upgrade --fw-version A.B.C.D (with --hex)
    QString imageFile;        // flash --image FILE
    QString forget;           // ports --forget COM<n>
    bool forgetAll = false;   // ports --forget-all
    std::optional<device::DeviceKind> kind; // flash --kind "TIKA V1"|"TIKA V2" (with --force)
    QString serial;           // records --serial S: one unit's records
    std::optional<QDateTime> since; // records --since: a date is from its local midnight on
    QString recordFile;       // --record FILE: this file instead of the program folder's records/<yyyy-mm>.jsonl
    bool noRecord = false;    // --no-record: a line keeps no record of its attempts
    std::optional<double> bootWaitSeconds;  // flash --boot-wait S: how long the module may take to start
    int retries = 1;          // --retries N: a failed unit of a line is tried again N times
    bool sameVersionOk = false; // flash --same-version-ok: a line's module may keep its version
    // Set when the command line cannot be understood; a sentence for the user.
    QString error;
};

// The subcommands, in the order --help lists them.
const QStringList& subcommands();

// Reads the arguments (without the program name). Options may stand before or after the
// subcommand, as "--name value" or "--name=value"; an option the subcommand does not take is an
// error.
Options parseOptions(const QStringList& arguments);

} // namespace shell::cli
