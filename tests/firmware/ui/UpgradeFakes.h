#pragma once
// Fakes for the upgrade tests: a QMR51 at the far end of the fake port, downloads and programs
// that take (fake) time.
#include "link/ui/PortList.h"
#include "FakePlatform.h"
#include "ToolHarness.h"
#include "firmware/ModuleImages.h"
#include <QFile>
#include <QMap>
#include <array>
#include <functional>
#include <limits>
#include <memory>

namespace upgradefakes {

// The byte at index i as a number, 0 past the end.
inline int byteAt(const QByteArray& bytes, qsizetype i) { return i < bytes.size() ? static_cast<std::uint8_t>(bytes.at(i)) : 0; }

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray testData(const char* name) { return readFile(QStringLiteral(QMR_TEST_DATA "/upgrade/") + QLatin1String(name)); }

// An upgrade list of `length` bytes whose bytes 41..44 are the version.
inline QByteArray upgradeList(std::array<int, 4> version, int length = 92)
{
    QByteArray list(length, '\x5a');
    for (int i = 0; i < 4 && 40 + i < length; ++i)
        list[40 + i] = static_cast<char>(version[static_cast<std::size_t>(i)]);
    return list;
}

// A QMR51 on the fake line: it identifies itself (command 86), takes firmware blocks (208) and
// the closing frame (210) and acknowledges them with "*U#" unless `acknowledge` says otherwise
// (then it answers "*X#"). After an acknowledged closing frame it reports the version announced.
struct FakeQmr51 {
    std::array<int, 4> version{2, 1, 0, 5};
    // (command, block number or block count, how often this frame came before) -> acknowledge?
    std::function<bool(int command, int number, int earlierTries)> acknowledge;
    QList<QByteArray> blockPayloads;   // every 208 payload, in order, retries included
    QList<QByteArray> closingPayloads; // every 210 payload
    QList<int> commands;               // every command byte written
    std::function<void(int command)> onFrame;

    void attach(fakes::FakeSerialPort& port)
    {
        port.responder = [this](const QByteArray& written) -> QList<fakes::FakeSerialPort::Arrival> {
            if (written.size() < 3)
                return {};
            const int command = static_cast<std::uint8_t>(written.at(1));
            const QByteArray payload = written.mid(2, written.size() - 3);
            commands.append(command);
            if (onFrame)
                onFrame(command);
            if (command == 86)
                return {{fakes::replyFrame(86, fakes::qmr51Identity({version[0], version[1], version[2], version[3]}, 10, 1, 4,
                                                                    4, "Q5100042")),
                         0.02}};
            if (command != 208 && command != 210)
                return {};
            const int number = byteAt(payload, 1);
            QList<QByteArray>& seen = command == 208 ? blockPayloads : closingPayloads;
            int earlier = 0;
            for (const QByteArray& p : seen)
                earlier += byteAt(p, 1) == number ? 1 : 0;
            seen.append(payload);
            const bool ok = !acknowledge || acknowledge(command, number, earlier);
            if (ok && command == 210)
                for (int i = 0; i < 4; ++i)
                    version[static_cast<std::size_t>(i)] = byteAt(payload, 4 + i);
            return {{QByteArray(ok ? "*U#" : "*X#"), 0.05}};
        };
    }
    int framesOf(int command) const { return static_cast<int>(commands.count(command)); }
};

// A download that takes `seconds` of fake time; the whole file is on disk from the start but the
// job says so only at the end. seconds = infinity never ends (until cancelled).
class SlowJob : public platform::TransferJob {
public:
    SlowJob(fakes::FakeClock& clock, double seconds, qint64 bytes, qint64 expected, bool ok)
        : clock_(clock), start_(clock.exact()), seconds_(seconds), bytes_(bytes), expected_(expected), ok_(ok)
    {
    }
    bool finished() const override { return cancelled_ || clock_.exact() - start_ >= seconds_; }
    bool succeeded() const override { return finished() && !cancelled_ && ok_; }
    qint64 bytesReceived() const override
    {
        if (finished())
            return bytes_;
        return static_cast<qint64>(static_cast<double>(bytes_) * (clock_.exact() - start_) / seconds_);
    }
    qint64 expectedBytes() const override { return expected_; }
    QString error() const override { return cancelled_ ? QStringLiteral("cancelled") : ok_ ? QString() : QStringLiteral("426 aborted"); }
    void cancel() override { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

private:
    fakes::FakeClock& clock_;
    double start_;
    double seconds_;
    qint64 bytes_;
    qint64 expected_;
    bool ok_;
    bool cancelled_ = false;
};

// Serves `files` like FakeFileTransfer, each transfer taking secondsFor[remote path] of fake time
// (0 when not given) and announcing the sizes in announced (the real size when not given).
class SlowFileTransfer : public platform::FileTransfer {
public:
    explicit SlowFileTransfer(fakes::FakeClock& clock) : clock_(clock) {}
    std::shared_ptr<platform::TransferJob> ftpGet(const platform::FtpAccount& account, const QString& remotePath,
                                                  const QString& localPath) override
    {
        accounts.append(account);
        requests.append(remotePath);
        const bool known = files.contains(remotePath);
        if (known) {
            QFile out(localPath);
            if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
                out.write(files.value(remotePath));
        }
        const qint64 size = files.value(remotePath).size();
        auto job = std::make_shared<SlowJob>(clock_, secondsFor.value(remotePath, 0.0), size,
                                             announced.value(remotePath, known ? size : -1), known);
        jobs.append(job);
        return job;
    }
    std::shared_ptr<platform::TransferJob> httpGet(const QString&, const QString&) override
    {
        auto job = std::make_shared<SlowJob>(clock_, 0.0, 0, -1, false);
        return job;
    }
    QMap<QString, QByteArray> files;
    QMap<QString, double> secondsFor;
    QMap<QString, qint64> announced;
    QStringList requests;
    QList<platform::FtpAccount> accounts;
    QList<std::shared_ptr<SlowJob>> jobs;

private:
    fakes::FakeClock& clock_;
};

// A program whose output and end come at set moments of fake time.
struct ProgramScript {
    QList<QPair<double, QByteArray>> output; // (seconds after the start, bytes)
    double endsAfter = 1.0;                  // infinity: never ends by itself
    int exitCode = 0;
    bool failsToStart = false;
};

struct ProgramRecord {
    QString program;
    QStringList arguments;
    QString workingFolder;
    bool killed = false;
    bool destroyed = false;
};

class TimedProgram : public platform::RunningProgram {
public:
    TimedProgram(fakes::FakeClock& clock, ProgramScript script, std::shared_ptr<ProgramRecord> record)
        : clock_(clock), start_(clock.exact()), script_(std::move(script)), record_(std::move(record))
    {
    }
    ~TimedProgram() override { record_->destroyed = true; }
    bool finished() const override { return script_.failsToStart || record_->killed || elapsed() >= script_.endsAfter; }
    bool failedToStart() const override { return script_.failsToStart; }
    int exitCode() const override { return record_->killed || script_.failsToStart ? -1 : script_.exitCode; }
    QByteArray takeOutput() override
    {
        QByteArray out;
        while (next_ < script_.output.size() && script_.output[next_].first <= elapsed())
            out += script_.output[next_++].second;
        return out;
    }
    void kill() override { record_->killed = true; }

private:
    double elapsed() const { return clock_.exact() - start_; }
    fakes::FakeClock& clock_;
    double start_;
    ProgramScript script_;
    std::shared_ptr<ProgramRecord> record_;
    qsizetype next_ = 0;
};

class TimedPrograms : public platform::Programs {
public:
    explicit TimedPrograms(fakes::FakeClock& clock) : clock_(clock) {}
    bool openDocument(const QString&) override { return false; }
    std::unique_ptr<platform::RunningProgram> start(const QString& program, const QStringList& arguments,
                                                    const QString& workingFolder) override
    {
        auto record = std::make_shared<ProgramRecord>(ProgramRecord{program, arguments, workingFolder});
        started.append(record);
        if (onStart)
            onStart(*record);
        return std::make_unique<TimedProgram>(clock_, next, record);
    }
    ProgramScript next;
    QList<std::shared_ptr<ProgramRecord>> started;
    std::function<void(const ProgramRecord&)> onStart;

private:
    fakes::FakeClock& clock_;
};

inline constexpr double kNever = std::numeric_limits<double>::infinity();

// The whole tool on fakes, with downloads and programs that take fake time and a QMR51 on the
// line. Connected to COM7 when connectQmr51() has run.
struct UpgradeHarness {
    fakes::FakePlatform p;
    SlowFileTransfer transfer{p.clock};
    TimedPrograms programs{p.clock};
    platform::Services services{p.port, p.ports, p.clock, p.pump, p.dialogs, transfer, programs, p.folder.path(),
                                {{QStringLiteral("127.0.0.1:2121"), QStringLiteral("qmrtest"), QStringLiteral("Tq4wZn7KbP")},
                                 QStringLiteral("http://127.0.0.1:1")}};
    shell::Tool tool{services};
    FakeQmr51 device;

    UpgradeHarness()
    {
        tool.Form_Load();
        // The start-up image refresh has its own thread; let it end before a test makes DATA/.
        tool.moduleImages().waitForFinished(std::chrono::seconds(10));
        device.attach(p.port);
    }
    void selectPort(int n)
    {
        tool.frm.cmbComPort->clear();
        comlink::addPortEntry(*tool.frm.cmbComPort, n, {});
        tool.frm.cmbComPort->setCurrentIndex(0);
    }
    void connectQmr51(int port = 7)
    {
        selectPort(port);
        tool.connection().cmdOpenCom_Click();
    }
    // Puts the list (version a.b.c.d) and a HEX file from tests/data/upgrade on the server.
    void serve(std::array<int, 4> latest, const char* hexFile)
    {
        transfer.files.insert(QStringLiteral("/DENA_UPGlist.bin"), upgradeList(latest));
        transfer.files.insert(QStringLiteral("/QMR51v2.hex"), testData(hexFile));
    }
};

} // namespace upgradefakes
