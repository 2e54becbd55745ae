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

// One running server script. port() is 0 when it did not come up; problem() then says why.
class LocalServer {
public:
    LocalServer(const QString& script, const QStringList& arguments)
    {
        process_.start(QStringLiteral("/usr/bin/python3"),
                       QStringList{QStringLiteral(QMR_TEST_DATA "/net/") + script, QStringLiteral("--lifetime"), QStringLiteral("120")} + arguments);
        QByteArray line;
        while (!line.endsWith('\n') && process_.waitForReadyRead(30000))
            line += process_.readLine();
        if (!line.startsWith("PORT "))
            problem_ = process_.errorString() + ": " + QString::fromLocal8Bit(line + process_.readAllStandardError());
        else
            port_ = quint16(line.mid(5).trimmed().toUInt());
    }
    ~LocalServer()
    {
        process_.closeWriteChannel(); // the script's signal to stop
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    quint16 port() const { return port_; }
    QString problem() const { return problem_; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

private:
    QProcess process_;
    quint16 port_ = 0;
    QString problem_;
};

} // namespace testsupport
