#include "shell/cli/Help.h"
#include "shell/cli/SettingKeys.h"
#include <QMap>

namespace shell::cli {

namespace {

const char* const kPortOption =
    "  --port PORT       COM<n> as the window numbers it (COM3), a device path (/dev/ttyUSB0), the\n"
    "                    adapter's USB serial number (serial:A50285BI), its USB socket (location:1-3.4),\n"
    "                    its /dev/serial/by-id name (by-id:NAME), or auto (the default): the one port\n"
    "                    where a device answers\n";
// flash, upgrade, info, set and counter also run on a production line.
const char* const kLineOptions =
    "  --port P1,P2,...  a production line: every port named (COM3,COM5,/dev/ttyUSB4,serial:A50285BI),\n"
    "  --port all        or every port where a device of the kind the command needs answers; each\n"
    "                    unit runs on its own, and the exit code is 0 only when every unit passed\n"
    "  --retries N       on a line, try a failed unit again from the start N times (default 1; a\n"
    "                    refused input is not tried again)\n";
const char* const kCommonOptions =
    "  --json            machine output on standard output, one JSON object per line\n"
    "  --program-folder DIR  where ports/ (COM<n> links), DATA/ (module images) and downloads live\n";

QString section(const char* usage, const QString& what, const QString& options, const char* example)
{
    return QString::fromUtf8(usage) + QStringLiteral("\n\n") + what.trimmed() + QStringLiteral("\n\nOptions:\n") + options
        + QString::fromUtf8(kCommonOptions) + QStringLiteral("\nExample:\n") + QString::fromUtf8(example) + QLatin1Char('\n');
}

QString port() { return QString::fromUtf8(kPortOption); }
QString linePort() { return port() + QString::fromUtf8(kLineOptions); }

} // namespace

QString overviewHelp()
{
    return QStringLiteral(
        "qmr51ctl: the QMR51 Visualisation tool without a window, for QMR51, TIKA V1 and TIKA V2 devices\n"
        "on a serial line (115200 8N1).\n"
        "\n"
        "Usage: qmr51ctl SUBCOMMAND [OPTIONS]\n"
        "\n"
        "Subcommands:\n"
        "  scan                 list every device that answers, asking all ports at once\n"
        "  ports                every serial port with its COM number and the adapter behind it\n"
        "  info                 kind, serial number, firmware and settings of a device\n"
        "  read                 meter readings, as text, CSV or JSON; until Ctrl+C without --count\n"
        "  set KEY=VALUE...     change settings by name (qmr51ctl help set lists them)\n"
        "  log                  the device's debug log, as the window saves it\n"
        "  counter 1|2 VALUE    preset a pulse input counter\n"
        "  upgrade              QMR51 firmware from the firmware server, or from a HEX file (--hex)\n"
        "  flash                TIKA firmware through esptool\n"
        "  doctor               what stops a serial adapter from working on this machine\n"
        "  records              what each unit got and when: the record of every attempt on a unit\n"
        "  help SUBCOMMAND      every option of a subcommand, with an example\n"
        "\n"
        "Options:\n")
        + port() + QString::fromUtf8(kCommonOptions)
        + QStringLiteral(
            "  --yes, -y         answer every question with yes (counter, upgrade, flash)\n"
            "  --help, -h        this text; with a subcommand, its own\n"
            "  --version         the program's version\n"
            "\n"
            "Results go to standard output, messages to standard error; progress is shown on standard\n"
            "error while it is a terminal.\n"
            "\n"
            "Exit codes:\n"
            "  0  success\n"
            "  1  device or transfer failure (no answer mid-command, refused frame, failed download,\n"
            "     esptool failed, settings not taken)\n"
            "  2  usage error (unknown subcommand or option, missing value, several devices for --port auto)\n"
            "  3  no device (no such port, the port cannot be opened, no QMR51 or TIKA answers)\n"
            "  4  refused input, nothing sent (value out of range, damaged firmware file, missing image,\n"
            "     a question answered No or not askable)\n"
            "  5  doctor found a problem\n"
            "\n"
            "Examples:\n"
            "  qmr51ctl scan\n"
            "  qmr51ctl info --port COM3\n"
            "  qmr51ctl read --port /dev/ttyUSB0 --count 10 --format csv > readings.csv\n"
            "  qmr51ctl set --port COM3 out1.function=\"Import Power >\" out1.level=1500 out1.diff=300\n");
}

QString subcommandHelp(const QString& subcommand)
{
    static const QMap<QString, QString> texts{
        {QStringLiteral("scan"),
         section("qmr51ctl scan [--json]",
                 "Asks every serial port at the same time who is there (about 1.3 s however many ports) and\n"
                 "lists each device that answers: COM number, device path, kind, serial number, firmware,\n"
                 "separated by tabs. Exit 3 when none answers.",
                 {}, "  qmr51ctl scan --json")},
        {QStringLiteral("ports"),
         section("qmr51ctl ports [--json] [--forget COM<n>] [--forget-all]",
                 "Lists every serial port, asking no device anything: COM number, device path, description,\n"
                 "USB vendor:product, serial number, USB location, /dev/serial/by-id name, separated by tabs\n"
                 "(\"-\" where the port has none), and \"shared-serial\" when another adapter present reports the\n"
                 "same serial number. A USB adapter keeps its COM number across replugs: by its serial number,\n"
                 "or by its socket when it has none or shares it. --forget COM<n> forgets the adapter that\n"
                 "had that number, --forget-all every adapter; they get numbers afresh when next seen.",
                 QStringLiteral("  --forget COM<n>   forget the adapter remembered as COM<n>\n"
                                "  --forget-all      forget every remembered adapter\n"),
                 "  qmr51ctl ports --json\n"
                 "  qmr51ctl ports --forget COM5")},
        {QStringLiteral("info"),
         section("qmr51ctl info [--port PORT] [--json]",
                 "The device's kind, serial number and firmware, and its settings as the window shows them\n"
                 "after a connect, by the names set uses.",
                 linePort(), "  qmr51ctl info --port COM3")},
        {QStringLiteral("read"),
         section("qmr51ctl read [--port PORT] [--count N] [--interval S] [--format text|csv|json] [--country nl|be|none]",
                 "Polls the readings as the window does and prints one line per reading: the grid's texts\n"
                 "separated by tabs (text), the columns of the window's CSV export (csv), or one JSON object\n"
                 "with the export's numbers (json, also with --json). Without --count it reads until Ctrl+C\n"
                 "and then ends cleanly. Exit 1 when any request got no answer. On a line every unit reads\n"
                 "--count readings (1 unless given) and each row starts with its port.",
                 linePort() + QStringLiteral(
                     "  --count N         read N times, then stop\n"
                     "  --interval S      seconds between readings (default: the device's refresh interval;\n"
                     "                    5 s for a TIKA module)\n"
                     "  --format F        text (default), csv or json\n"
                     "  --country C       names the tariff: nl, be or none (default: from the device's protocol)\n"),
                 "  qmr51ctl read --port COM3 --count 60 --interval 1 --format csv > readings.csv")},
        {QStringLiteral("set"),
         section("qmr51ctl set [--port PORT] KEY=VALUE...",
                 QStringLiteral(
                     "Changes settings by name, with the settings editor's rules: a value outside its range, or\n"
                     "one the device kind or its firmware does not take, is refused with the key, the value and\n"
                     "the range, and nothing is sent (exit 4). Otherwise the whole settings record goes to the\n"
                     "device, the settings sent are printed, and the device is asked again to confirm them.\n"
                     "\nSettings:\n") + settingKeysHelp(),
                 linePort(), "  qmr51ctl set --port COM3 protocol=BE out2.function=\"Export Power >\" out2.diff=2000")},
        {QStringLiteral("log"),
         section("qmr51ctl log [--port PORT] [-o FILE]",
                 "Reads the device's debug log once and writes it byte for byte as the window saves it (the\n"
                 "log, then CR LF): to standard output, or to FILE. On a terminal every control character\n"
                 "and byte above 0x7E shows as an escape (\\r, \\x1b); a file or a pipe gets the bytes.",
                 port() + QStringLiteral("  -o, --output FILE  write the log to FILE\n"),
                 "  qmr51ctl log --port COM3 -o debuglog.txt")},
        {QStringLiteral("counter"),
         section("qmr51ctl counter [--port PORT] [--yes] 1|2 VALUE",
                 "Presets pulse input counter 1 or 2 to VALUE (0 to 2147483647) after the window's question,\n"
                 "answered on the terminal or by --yes.",
                 linePort() + QStringLiteral("  --yes, -y         set it without asking\n"), "  qmr51ctl counter --port COM3 --yes 2 258")},
        {QStringLiteral("upgrade"),
         section("qmr51ctl upgrade [--port PORT] [--yes] [--force] [--hex FILE --fw-version A.B.C.D]",
                 "Upgrades a QMR51 as the window does: the latest version from the firmware server, or the\n"
                 "HEX file given. A damaged or cut HEX file, an empty image or one of more than 255 blocks is\n"
                 "refused before anything is sent. Blocks are sent with three attempts each; Ctrl+C stops the\n"
                 "transfer before the next block. Afterwards the QMR51 restarts and its new version is printed;\n"
                 "exit 1 when it does not report the version sent. --force upgrades a QMR51 on --port that no\n"
                 "longer answers (a transfer that broke off), as the window's Force upgrade does. On a line the\n"
                 "image is fetched once, one question covers every unit, and a QMR51 passes only when it\n"
                 "answers afterwards with the version sent.",
                 linePort() + QStringLiteral(
                     "  --yes, -y         upgrade without asking\n"
                     "  --force           the QMR51 on --port COM<n> does not answer: upgrade it all the same\n"
                     "  --hex FILE        send this Intel HEX file instead of the server's\n"
                     "  --fw-version V    the version the HEX file holds (with --hex), e.g. 2.1.0.6\n"
                     "  --ftp-host HOST, --ftp-user NAME  another firmware server (ftps://HOST for TLS)\n"),
                 "  qmr51ctl upgrade --port COM3 --hex QMR51v2.hex --fw-version 2.1.0.6 --yes\n"
                 "  qmr51ctl upgrade --force --port COM3 --yes")},
        {QStringLiteral("flash"),
         section("qmr51ctl flash [--port PORT] [--image FILE] [--force --kind KIND] [--yes] [--boot-wait S]",
                 "Flashes a TIKA module through esptool as the window does: the module image DATA/TIKAv1.bin\n"
                 "or DATA/TIKAv2.bin of the program folder (fetched afresh from the module-image server\n"
                 "first), or the image given. esptool's progress is shown on a terminal; exit 1 when esptool\n"
                 "fails. An image the module cannot boot (built for the other chip, cut short, damaged) is\n"
                 "refused before esptool starts, with exit 4. Afterwards the module is asked for its version,\n"
                 "which is printed. --force flashes a module on --port that no longer answers, as the window's\n"
                 "Force upgrade does; it asks first. On a line the images are fetched once, and a module passes\n"
                 "only when it answers afterwards with a version other than before.",
                 linePort() + QStringLiteral(
                     "  --image FILE      flash this application image instead\n"
                     "  --force           the module on --port COM<n> does not answer: flash it all the same\n"
                     "  --kind KIND       with --force: \"TIKA V1\" or \"TIKA V2\"\n"
                     "  --yes, -y         flash a module that does not answer without asking\n"
                     "  --image-url URL   another module-image server (http:// or https://)\n"
                     "  --boot-wait S     seconds the module may take to answer after esptool (default 20)\n"
                     "  --same-version-ok on a line, a module may come back with the version it had\n"),
                 "  qmr51ctl flash --port /dev/ttyUSB0\n"
                 "  qmr51ctl flash --port all --json > flash.jsonl\n"
                 "  qmr51ctl flash --force --kind \"TIKA V2\" --port COM4 --yes")},
        {QStringLiteral("doctor"),
         section("qmr51ctl doctor [--json]",
                 "Looks for what stops a serial adapter from working on Linux: not being in the group dialout,\n"
                 "ModemManager probing ttyACM devices, brltty taking CH34x/FTDI adapters, a port held by\n"
                 "another program, no serial devices at all, a program folder that is not writable. Each\n"
                 "problem comes with its fix. Exit 0 when nothing is wrong, 5 otherwise.",
                 {}, "  qmr51ctl doctor")},
        {QStringLiteral("records"),
         section("qmr51ctl records [--serial S] [--since DATE] [--format text|csv|json] [--record FILE]",
                 "Lists the record of every attempt on a unit, oldest first: one line per attempt with its\n"
                 "start (local time), serial number, kind, COM number, firmware before -> after, result\n"
                 "(pass, or fail/ and its class) and duration, separated by tabs (text); every field of the\n"
                 "record with a header (csv); or the records' own JSON lines (json, also with --json). The\n"
                 "records are read from records/*.jsonl in the program folder, one file per month. A line a\n"
                 "crash cut off is reported on standard error and skipped. Exit 1 when no record could be\n"
                 "read at all.",
                 QStringLiteral("  --serial S        the records of the unit with serial number S only\n"
                                "  --since DATE      from that day on (2026-12-01), or from a time (2026-12-01T14:00:00Z)\n"
                                "  --format F        text (default), csv or json\n"
                                "  --record FILE     read this record file instead\n"),
                 "  qmr51ctl records --serial 22M01234\n"
                 "  qmr51ctl records --since 2026-12-01 --format csv > december.csv")},
        {QStringLiteral("help"), QStringLiteral("qmr51ctl help SUBCOMMAND\n\nEvery option of the subcommand, with an example.\n")},
    };
    return texts.value(subcommand);
}

} // namespace shell::cli
