#include "shell/cli/Commands.h"
#include "shell/cli/Environment.h"
#include "shell/cli/ExitCode.h"
#include "shell/cli/Help.h"
#include "shell/cli/Options.h"
#include <QMap>

namespace shell::cli {

namespace {

using Handler = int (*)(Context&);

const QMap<QString, Handler>& handlers()
{
    static const QMap<QString, Handler> table{
        {QStringLiteral("scan"), scanCommand},       {QStringLiteral("ports"), portsCommand},
        {QStringLiteral("info"), infoCommand},
        {QStringLiteral("read"), readCommand},       {QStringLiteral("set"), setCommand},
        {QStringLiteral("log"), logCommand},         {QStringLiteral("counter"), counterCommand},
        {QStringLiteral("upgrade"), upgradeCommand}, {QStringLiteral("flash"), flashCommand},
        {QStringLiteral("doctor"), doctorCommand},   {QStringLiteral("records"), recordsCommand},
    };
    return table;
}

} // namespace

int runQmr51ctl(const QStringList& arguments, Environment& env)
{
    const Options options = parseOptions(arguments);
    if (!options.error.isEmpty()) {
        env.console.err(QStringLiteral("qmr51ctl: %1. Try qmr51ctl --help.").arg(options.error));
        return kUsageError;
    }
    if (options.version) {
        env.console.out(QByteArrayLiteral("qmr51ctl " QMR_VERSION "\n"));
        return kSuccess;
    }
    if (options.command.isEmpty() || (options.command == QLatin1String("help") && options.words.isEmpty())) {
        env.console.out(overviewHelp().toUtf8());
        return kSuccess;
    }
    if (options.help || options.command == QLatin1String("help")) {
        const QString about = options.command == QLatin1String("help") ? options.words.first() : options.command;
        const QString text = subcommandHelp(about);
        if (text.isEmpty()) {
            env.console.err(QStringLiteral("qmr51ctl: there is no subcommand %1. Try qmr51ctl --help.").arg(about));
            return kUsageError;
        }
        env.console.out(text.toUtf8());
        return kSuccess;
    }
    Context context(env, options);
    return handlers().value(options.command)(context);
}

} // namespace shell::cli
