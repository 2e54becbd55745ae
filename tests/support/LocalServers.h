#pragma once
// Real servers on 127.0.0.1 for the transfer tests: the Python scripts in tests/data/net/ run
// under Debian's /usr/bin/python3 (pyftpdlib comes from the python3-pyftpdlib package). Every
// server binds 127.0.0.1 on a port the system picks, and stops by itself after its lifetime (long
// enough for the slowest test, short enough that a forgotten server goes soon) or as soon as its
// standard input closes, so a crashed test program leaves nothing behind.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace testsupport {

// One running server script. port is 0 when it did not come up; problem then says why.
struct LocalServer {
    LocalServer(const QString& script, const QStringList& arguments)
    {
        process.start(QStringLiteral("/usr/bin/python3"),
                      QStringList{QStringLiteral(QMR_TEST_DATA "/net/") + script, QStringLiteral("--lifetime"), QStringLiteral("120")} + arguments);
        QByteArray line;
        while (!line.endsWith('\n') && process.waitForReadyRead(30000))
            line += process.readLine();
        if (line.startsWith("PORT "))
            port = quint16(line.mid(5).trimmed().toUInt());
        else
            problem = process.errorString() + ": " + QString::fromLocal8Bit(line + process.readAllStandardError());
    }
    ~LocalServer()
    {
        process.closeWriteChannel(); // the script's signal to stop
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port); }

    QProcess process;
    quint16 port = 0;
    QString problem;
};

} // namespace testsupport
