#include "shell/CommandLine.h"

namespace shell {

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        auto value = [&](QString& target) {
            if (i + 1 >= arguments.size()) {
                line.error = a + QStringLiteral(" needs a value");
                return;
            }
            target = arguments.at(++i);
        };
        if (a == QLatin1String("--program-folder"))
            value(line.programFolder);
        else if (a == QLatin1String("--ftp-host"))
            value(line.ftpHost);
        else if (a == QLatin1String("--ftp-user"))
            value(line.ftpUser);
        else if (a == QLatin1String("--image-url"))
            value(line.imageUrl);
        else if (a == QLatin1String("--demo"))
            line.demo = true;
        else
            line.error = QStringLiteral("unknown option ") + a;
        if (!line.error.isEmpty())
            break;
    }
    return line;
}

QString commandLineHelp()
{
    return QStringLiteral(
        "qmr51-visualisation [--program-folder DIR] [--ftp-host HOST] [--ftp-user NAME] [--image-url URL] [--demo]\n"
        "qmr51-visualisation --version | --help\n");
}

} // namespace shell
