#pragma once
#include <QString>
#include <QStringList>

namespace shell {

// What can be set when the tool is started. A technician starts it without options; tests and the
// demo point it at their own folder and servers.
struct CommandLine {
    QString programFolder;   // --program-folder DIR: where ports/, DATA/ and downloads live
    QString ftpHost;         // --ftp-host HOST: firmware server; ftps://HOST[:PORT] for FTP over TLS
    QString ftpUser;         // --ftp-user NAME: login on the firmware server
    QString imageUrl;        // --image-url URL: module-image server, e.g. http://127.0.0.1:8000 or https://host
    bool demo = false;       // --demo: serve a simulated TIKA V2 on a port link, to try the tool
    QString error;           // set when the arguments could not be understood
};

// arguments without the program name.
CommandLine parseCommandLine(const QStringList& arguments);

// The text printed for --help.
QString commandLineHelp();

} // namespace shell
