#include "shell/cli/Options.h"
#include <QMap>

namespace shell::cli {

namespace {

// Options every subcommand takes.
const QStringList kCommon{QStringLiteral("--json"), QStringLiteral("--help"), QStringLiteral("--program-folder")};
// A device command on a line records every attempt (--record FILE elsewhere, --no-record not at all).
const QStringList kDevice{QStringLiteral("--port"), QStringLiteral("--retries"), QStringLiteral("--record"),
                          QStringLiteral("--no-record")};

const QMap<QString, QStringList>& optionsOf()
{
    static const QMap<QString, QStringList> table{
        {QStringLiteral("scan"), {}},
        {QStringLiteral("ports"), {"--forget", "--forget-all"}},
        {QStringLiteral("info"), kDevice},
        {QStringLiteral("read"), kDevice + QStringList{"--count", "--interval", "--format", "--country"}},
        {QStringLiteral("set"), kDevice},
        {QStringLiteral("log"), QStringList{"--port", "-o", "--output"}},
        {QStringLiteral("counter"), kDevice + QStringList{"--yes"}},
        {QStringLiteral("upgrade"), kDevice + QStringList{"--yes", "--force", "--hex", "--fw-version", "--ftp-host", "--ftp-user"}},
        {QStringLiteral("flash"), kDevice + QStringList{"--yes", "--force", "--kind", "--image", "--image-url", "--boot-wait", "--same-version-ok"}},
        {QStringLiteral("doctor"), {}},
        {QStringLiteral("records"), {"--serial", "--since", "--format", "--record"}},
        {QStringLiteral("help"), {}},
    };
    return table;
}

const QStringList kFlags{QStringLiteral("--json"), QStringLiteral("--yes"), QStringLiteral("--help"),
                         QStringLiteral("--version"), QStringLiteral("--force"), QStringLiteral("--forget-all"),
                         QStringLiteral("--same-version-ok"), QStringLiteral("--no-record")};
const QStringList kValued{QStringLiteral("--port"),     QStringLiteral("--program-folder"), QStringLiteral("--ftp-host"),
                          QStringLiteral("--ftp-user"), QStringLiteral("--image-url"),      QStringLiteral("--count"),
                          QStringLiteral("--interval"), QStringLiteral("--format"),         QStringLiteral("--country"),
                          QStringLiteral("-o"),         QStringLiteral("--output"),         QStringLiteral("--hex"),
                          QStringLiteral("--fw-version"), QStringLiteral("--image"),        QStringLiteral("--kind"),
                          QStringLiteral("--forget"),   QStringLiteral("--serial"),         QStringLiteral("--since"),
                          QStringLiteral("--record"),   QStringLiteral("--boot-wait"),
                          QStringLiteral("--retries")};

QString canonicalName(const QString& name)
{
    if (name == QLatin1String("-y"))
        return QStringLiteral("--yes");
    if (name == QLatin1String("-h"))
        return QStringLiteral("--help");
    return name;
}

// Stores one option; returns an error sentence or nothing.
QString store(Options& o, const QString& name, const QString& value)
{
    bool ok = true;
    if (name == QLatin1String("--port")) o.port = value;
    else if (name == QLatin1String("--json")) o.json = true;
    else if (name == QLatin1String("--yes")) o.yes = true;
    else if (name == QLatin1String("--force")) o.force = true;
    else if (name == QLatin1String("--forget")) o.forget = value;
    else if (name == QLatin1String("--forget-all")) o.forgetAll = true;
    else if (name == QLatin1String("--same-version-ok")) o.sameVersionOk = true;
    else if (name == QLatin1String("--no-record")) o.noRecord = true;
    else if (name == QLatin1String("--help")) o.help = true;
    else if (name == QLatin1String("--version")) o.version = true;
    else if (name == QLatin1String("--program-folder")) o.programFolder = value;
    else if (name == QLatin1String("--ftp-host")) o.ftpHost = value;
    else if (name == QLatin1String("--ftp-user")) o.ftpUser = value;
    else if (name == QLatin1String("--image-url")) o.imageUrl = value;
    else if (name == QLatin1String("--count")) {
        o.count = value.toInt(&ok);
        if (!ok || *o.count < 1)
            return QStringLiteral("--count takes a whole number of readings from 1 on, not %1").arg(value);
    } else if (name == QLatin1String("--retries")) {
        o.retries = value.toInt(&ok);
        if (!ok || o.retries < 0 || o.retries > 9)
            return QStringLiteral("--retries takes 0 ... 9, not %1").arg(value);
    } else if (name == QLatin1String("--interval")) {
        o.intervalSeconds = value.toDouble(&ok);
        if (!ok || *o.intervalSeconds <= 0 || *o.intervalSeconds > 86400)
            return QStringLiteral("--interval takes seconds above 0 (at most 86400), not %1").arg(value);
    } else if (name == QLatin1String("--boot-wait")) {
        o.bootWaitSeconds = value.toDouble(&ok);
        if (!ok || !(*o.bootWaitSeconds > 0 && *o.bootWaitSeconds <= 3600))
            return QStringLiteral("--boot-wait takes seconds above 0 (at most 3600), not %1").arg(value);
    } else if (name == QLatin1String("--format")) {
        o.format = value;
        if (value != QLatin1String("text") && value != QLatin1String("csv") && value != QLatin1String("json"))
            return QStringLiteral("--format takes text, csv or json, not %1").arg(value);
    } else if (name == QLatin1String("--country")) {
        o.country = value.toLower();
        if (o.country != QLatin1String("nl") && o.country != QLatin1String("be") && o.country != QLatin1String("none"))
            return QStringLiteral("--country takes nl, be or none, not %1").arg(value);
    } else if (name == QLatin1String("-o") || name == QLatin1String("--output")) o.outputFile = value;
    else if (name == QLatin1String("--hex")) o.hexFile = value;
    else if (name == QLatin1String("--fw-version")) o.firmwareVersion = value;
    else if (name == QLatin1String("--image")) o.imageFile = value;
    else if (name == QLatin1String("--kind")) {
        // "TIKA V1" as the window names it, also written without the blank or in small letters.
        const QString plain = value.simplified().remove(QLatin1Char(' ')).toUpper();
        if (plain == QLatin1String("TIKAV1"))
            o.kind = device::DeviceKind::TikaV1;
        else if (plain == QLatin1String("TIKAV2"))
            o.kind = device::DeviceKind::TikaV2;
        else
            return QStringLiteral("--kind takes \"TIKA V1\" or \"TIKA V2\", not %1").arg(value);
    }
    else if (name == QLatin1String("--serial")) o.serial = value;
    else if (name == QLatin1String("--record")) o.recordFile = value;
    else if (name == QLatin1String("--since")) {
        // A day as the user says it (from its local midnight), or a moment in ISO 8601, with or without
        // its offset (without: local time).
        const QDate day = value.size() == 10 ? QDate::fromString(value, Qt::ISODate) : QDate();
        o.since = day.isValid() ? day.startOfDay() : QDateTime::fromString(value, Qt::ISODateWithMs);
        if (!o.since->isValid())
            return QStringLiteral("--since takes a date (2026-12-06) or a time (2026-12-06T14:30:00Z), not %1").arg(value);
    }
    else return QStringLiteral("unknown option %1").arg(name);
    return {};
}

} // namespace

const QStringList& subcommands()
{
    static const QStringList names{QStringLiteral("scan"),  QStringLiteral("ports"), QStringLiteral("info"),    QStringLiteral("read"),
                                   QStringLiteral("set"),   QStringLiteral("log"),     QStringLiteral("counter"),
                                   QStringLiteral("upgrade"), QStringLiteral("flash"), QStringLiteral("doctor"),
                                   QStringLiteral("records"), QStringLiteral("help")};
    return names;
}

Options parseOptions(const QStringList& arguments)
{
    Options o;
    QStringList given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        // A negative number is a word (a counter value), not an option.
        const bool number = a.size() > 1 && a.at(1).isDigit();
        if (!a.startsWith(QLatin1Char('-')) || a == QLatin1String("-") || number) {
            if (o.command.isEmpty())
                o.command = a;
            else
                o.words.append(a);
            continue;
        }
        QString name = canonicalName(a.section(QLatin1Char('='), 0, 0));
        QString value;
        if (!kFlags.contains(name) && !kValued.contains(name)) {
            o.error = QStringLiteral("unknown option %1").arg(name);
            return o;
        }
        // "-o=FILE" as much as "--output=FILE": what follows the first '=' is the value.
        if (a.contains(QLatin1Char('='))) {
            if (kFlags.contains(name)) {
                o.error = QStringLiteral("%1 takes no value").arg(name);
                return o;
            }
            value = a.section(QLatin1Char('='), 1);
            if (value.isEmpty()) {
                o.error = QStringLiteral("%1 needs a value").arg(name);
                return o;
            }
        } else if (kValued.contains(name)) {
            if (i + 1 >= arguments.size()) {
                o.error = QStringLiteral("%1 needs a value").arg(name);
                return o;
            }
            value = arguments.at(++i);
        }
        o.error = store(o, name, value);
        if (!o.error.isEmpty())
            return o;
        given.append(name);
    }
    if (o.command.isEmpty()) {
        if (!o.help && !o.version)
            o.error = QStringLiteral("a subcommand is missing");
        return o;
    }
    if (!optionsOf().contains(o.command)) {
        o.error = QStringLiteral("unknown subcommand %1").arg(o.command);
        return o;
    }
    const QStringList allowed = kCommon + optionsOf().value(o.command);
    for (const QString& name : given) {
        const bool alias = name == QLatin1String("--output") && allowed.contains(QStringLiteral("-o"));
        if (!allowed.contains(name) && !alias && name != QLatin1String("--version")) {
            o.error = QStringLiteral("%1 takes no option %2").arg(o.command, name);
            return o;
        }
    }
    return o;
}

} // namespace shell::cli
