#include "shell/cli/Context.h"
#include "platform/DemoLinks.h"
#include "platform/ProgramFolder.h"
#include <QJsonDocument>

namespace shell::cli {

Context::Context(Environment& environment, const Options& opts)
    : env(environment),
      options(opts),
      programFolder(platform::resolveProgramFolder(environment.executableFolder, opts.programFolder)),
      machine_(environment.listPorts(programFolder)),
      choice_(std::make_unique<PortChoice>(*machine_))
{
    // A demo that was killed left its port link behind; it leads to a stranger's terminal now.
    platform::removeLeftoverDemoLinks(programFolder);
}

platform::ServerConfig Context::servers() const
{
    return platform::withServerOptions(env.servers, options.ftpHost, options.ftpUser, options.imageUrl);
}

QList<device::SurveyedPort> Context::survey()
{
    return device::surveyPorts(choice_->ports(), [this] { return makePort(); }, env.clock, env.pump);
}

void Context::print(const QString& text) { env.console.out(text.toUtf8()); }

void Context::printJson(const QJsonObject& object)
{
    env.console.out(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void Context::message(const QString& text) { env.console.err(text); }

int Context::fail(int exitCode, const QString& text)
{
    message(text);
    if (options.json)
        printJson({{QStringLiteral("error"), text}, {QStringLiteral("exitCode"), exitCode}});
    return exitCode;
}

Context::Answer Context::confirm(const QString& question)
{
    if (options.yes) {
        message(question + QStringLiteral(" yes (--yes)"));
        return Answer::Yes;
    }
    if (!env.console.inIsTerminal())
        return Answer::CannotAsk;
    env.console.progress({});
    message(question + QStringLiteral(" [y/N]"));
    const std::optional<QString> reply = env.console.readLine();
    return reply && (reply->compare(QLatin1String("y"), Qt::CaseInsensitive) == 0
                     || reply->compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
        ? Answer::Yes
        : Answer::No;
}

QString Context::notConfirmed(Answer answer, const QString& question)
{
    if (answer == Answer::CannotAsk)
        return QStringLiteral("Nothing was sent: \"%1\" needs an answer. Give --yes, or run the command on a terminal.")
            .arg(question);
    return QStringLiteral("Nothing was sent: the answer was No.");
}

} // namespace shell::cli
