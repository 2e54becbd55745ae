// ports: the machine's serial ports with the adapter behind each, and forgetting remembered adapters.
#include "platform/PortMemory.h"
#include "platform/PortNumbering.h"
#include "shell/TerminalText.h"
#include "shell/cli/AdapterJson.h"
#include "shell/cli/Commands.h"
#include "shell/cli/ExitCode.h"
#include <QJsonArray>

namespace shell::cli {

namespace {

// A field of the tab-separated listing: "-" when empty, the adapter's own text escaped, so that it
// can neither steer the terminal nor shift the columns.
QByteArray column(const QString& text)
{
    return text.isEmpty() ? QByteArrayLiteral("-") : escapedForTerminal(text.toUtf8(), LineFeeds::Escaped);
}

QString adapterName(const platform::RememberedAdapter& a)
{
    return a.bySerial ? QStringLiteral("%1 serial %2").arg(a.vendorProduct, a.serialNumber)
                      : QStringLiteral("%1 at USB %2").arg(a.vendorProduct, a.location);
}

int forget(Context& c)
{
    const QString path = platform::portMemoryPath(c.programFolder);
    const int number = platform::portNumberOfLinkName(c.options.forget.toUpper());
    if (!c.options.forgetAll && number == 0)
        return c.fail(kUsageError, QStringLiteral("--forget takes COM1 ... COM255, not %1").arg(c.options.forget));
    const platform::LoadedPortMemory memory = platform::loadPortMemory(path);
    if (!memory.note.isEmpty())
        c.message(memory.note);
    QList<platform::RememberedAdapter> kept;
    QStringList forgotten;
    for (const platform::RememberedAdapter& a : memory.adapters) {
        if (c.options.forgetAll || a.portNumber == number)
            forgotten.append(QStringLiteral("COM%1 (%2)").arg(a.portNumber).arg(adapterName(a)));
        else
            kept.append(a);
    }
    if (!forgotten.isEmpty()) {
        if (const QString why = platform::savePortMemory(path, kept); !why.isEmpty())
            return c.fail(kDeviceFailure, QStringLiteral("%1 cannot be written: %2").arg(path, why));
    }
    const QString text = forgotten.isEmpty() ? QStringLiteral("No adapter is remembered%1.")
                                                   .arg(c.options.forgetAll ? QString() : QStringLiteral(" as COM%1").arg(number))
                                             : QStringLiteral("Forgotten: %1.").arg(forgotten.join(QStringLiteral(", ")));
    if (c.options.json)
        c.printJson({{QStringLiteral("forgotten"), QJsonArray::fromStringList(forgotten)}});
    else
        c.print(text + QLatin1Char('\n'));
    return kSuccess;
}

} // namespace

int portsCommand(Context& c)
{
    if (!c.options.words.isEmpty())
        return c.fail(kUsageError, QStringLiteral("ports takes no word %1").arg(c.options.words.first()));
    if (c.options.forgetAll || !c.options.forget.isEmpty())
        return forget(c);
    const QList<platform::NumberedPort> ports = c.ports().ports();
    if (ports.isEmpty())
        return c.fail(kNoDevice, QStringLiteral("No COM interfaces found"));
    QJsonArray list;
    QByteArray text;
    for (const platform::NumberedPort& p : ports) {
        const platform::PortIdentity& id = p.identity;
        list.append(portJson(p));
        text += "COM" + QByteArray::number(p.portNumber) + '\t' + column(p.devicePath) + '\t' + column(p.description) + '\t'
            + column(id.vendorProduct()) + '\t' + column(id.serialNumber) + '\t' + column(id.location()) + '\t'
            + column(id.byId) + '\t' + (id.serialShared ? "shared-serial" : "-") + '\n';
    }
    if (c.options.json)
        c.printJson({{QStringLiteral("ports"), list}});
    else
        c.env.console.out(text);
    return kSuccess;
}

} // namespace shell::cli
