#pragma once
#include "FakeClock.h"
#include "QtPrinters.h"
#include "FakeDialogs.h"
#include "FakeEventPump.h"
#include "FakeSerialPort.h"
#include "platform/Services.h"
#include <QMap>
#include <QTemporaryDir>
#include <functional>

namespace fakes {

class FakePortListing : public platform::PortListing {
public:
    QList<platform::NumberedPort> ports() override { return list; }
    QString devicePath(int portNumber) override { return paths.value(portNumber); }
    // Lists COM<n> as /dev/ttyUSB<n>.
    void add(int n)
    {
        const QString path = QStringLiteral("/dev/ttyUSB%1").arg(n);
        list.append({n, path, QStringLiteral("FT232R USB UART")});
        paths.insert(n, path);
    }
    QList<platform::NumberedPort> list;
    QMap<int, QString> paths;
};

class FakeRunningProgram : public platform::RunningProgram {
public:
    bool finished() const override { return done; }
    bool failedToStart() const override { return false; }
    int exitCode() const override { return code; }
    QByteArray takeOutput() override { return std::exchange(output, QByteArray()); }
    void kill() override { done = true; }
    bool done = true;
    int code = 0;
    QByteArray output;
};

class FakePrograms : public platform::Programs {
public:
    bool openDocument(const QString& path) override { opened.append(path); return true; }
    std::unique_ptr<platform::RunningProgram> start(const QString& program, const QStringList& arguments,
                                                    const QString& workingFolder) override
    {
        started.append({program, arguments, workingFolder});
        if (onStart)
            onStart();
        return std::make_unique<FakeRunningProgram>(nextRun);
    }
    struct Start { QString program; QStringList arguments; QString workingFolder; };
    QStringList opened;
    QList<Start> started;
    FakeRunningProgram nextRun;
    std::function<void()> onStart; // what the program does to the world (esptool: the module runs again)
};

class FakeTransferJob : public platform::TransferJob {
public:
    bool finished() const override { return done; }
    bool succeeded() const override { return ok; }
    qint64 bytesReceived() const override { return bytes; }
    qint64 expectedBytes() const override { return expected; }
    QString error() const override { return why; }
    void cancel() override { done = true; }
    bool done = true, ok = true;
    qint64 bytes = 0, expected = -1;
    QString why;
};

// Writes the file the test prepared for a remote path, or fails the transfer when there is none or
// when it is larger than the limit the caller gave (writing nothing, as for a server that
// announces its size).
class FakeFileTransfer : public platform::FileTransfer {
public:
    std::shared_ptr<platform::TransferJob> ftpGet(const platform::FtpAccount&, const QString& remotePath,
                                                  const QString& localPath, qint64 maxBytes) override
    {
        return deliver(remotePath, localPath, maxBytes);
    }
    std::shared_ptr<platform::TransferJob> httpGet(const QString& url, const QString& localPath, qint64 maxBytes) override
    {
        return deliver(url, localPath, maxBytes);
    }
    QMap<QString, QByteArray> files; // remote path or URL -> content
    QStringList requests;

private:
    std::shared_ptr<platform::TransferJob> deliver(const QString& key, const QString& localPath, qint64 maxBytes);
};

// A whole fake platform, ready to hand to the window or to a handler under test.
struct FakePlatform {
    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerialPort port{clock};
    FakePortListing ports;
    FakeDialogs dialogs;
    FakeFileTransfer transfer;
    FakePrograms programs;
    QTemporaryDir folder;
    platform::Services services{port, ports, clock, pump, dialogs, transfer, programs, folder.path(),
                                {{QStringLiteral("127.0.0.1"), QStringLiteral("tester"), QStringLiteral("Tq4wZn7KbP")},
                                 QStringLiteral("http://127.0.0.1:1")}};
};

} // namespace fakes
