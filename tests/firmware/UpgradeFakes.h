#pragma once
// Fakes for the upgrade tests: a QMR51 at the far end of the fake port, a firmware server, an
// esptool whose end comes at a set moment of fake time, and a host that records what the user saw.
#include "DeviceFrames.h"
#include "FakePlatform.h"
#include "TestFiles.h"
#include "device/Session.h"
#include "firmware/UpgradeHost.h"
#include <QFile>
#include <array>
#include <functional>

namespace upgradefakes {

inline const QString kList = QStringLiteral("/DENA_UPGlist.bin"), kHex = QStringLiteral("/QMR51v2.hex");

using fakes::readFile;
using fakes::writeFile;
inline QByteArray testData(const QString& name) { return readFile(QStringLiteral(QMR_TEST_DATA "/upgrade/") + name); }
// An upgrade list as the server sends it: 92 bytes, the latest version in bytes 41..44.
inline QByteArray upgradeList(std::array<int, 4> v) { return QByteArray(40, 'Z') + fakes::bytes({v[0], v[1], v[2], v[3]}) + QByteArray(48, 'Z'); }

// A QMR51 on the fake line: it identifies itself (command 86) with `version`, takes blocks (208)
// and the closing frame (210) and answers "*U#", or "*X#" where `acknowledge` says no. After an
// acknowledged closing frame it reports the version announced there.
struct FakeQmr51 {
    std::array<int, 4> version{2, 1, 0, 5};
    std::function<bool(int command, int number, int earlierTries)> acknowledge; // tries of that block
    QList<QByteArray> blocks, closings; // every 208 / 210 payload, retries included
    QList<int> numbers;                 // the number of every block sent

    void attach(fakes::FakeSerialPort& port)
    {
        port.responder = [this](const QByteArray& w) -> QList<fakes::FakeSerialPort::Arrival> {
            const int command = quint8(w.at(1)), number = w.size() > 3 ? quint8(w.at(3)) : 0;
            if (command == 86)
                return {{fakes::replyFrame(86, fakes::qmr51Identity({version[0], version[1], version[2], version[3]}, 10, 1, 4, 4, "Q5100042")), 0.02}};
            if (command != 208 && command != 210)
                return {};
            const bool ok = !acknowledge || acknowledge(command, number, int(numbers.count(number)));
            (command == 208 ? blocks : closings).append(w.mid(2, w.size() - 3));
            if (command == 208)
                numbers.append(number);
            for (int i = 0; ok && command == 210 && i < 4; ++i)
                version[std::size_t(i)] = quint8(w.at(6 + i));
            return {{QByteArray(ok ? "*U#" : "*X#"), 0.05}};
        };
    }
};

// The firmware server; its HEX download can announce another size or never end.
struct FirmwareServer : fakes::FakeFileTransfer {
    std::shared_ptr<platform::TransferJob> ftpGet(const platform::FtpAccount& a, const QString& remote, const QString& local,
                                                  qint64 maxBytes) override
    {
        auto job = std::static_pointer_cast<fakes::FakeTransferJob>(FakeFileTransfer::ftpGet(a, remote, local, maxBytes));
        job->done = remote != kHex || !hexNeverEnds;
        job->expected = remote == kHex ? hexAnnounced.value_or(job->expected) : job->expected;
        return job;
    }
    std::optional<qint64> hexAnnounced;
    bool hexNeverEnds = false;
};

// esptool: it writes `output` at once and ends `endsAfter` seconds of fake time after its start.
struct EsptoolRun { QByteArray output; double endsAfter = 1; int exitCode = 0; bool failsToStart = false; };
struct FakeEsptool : platform::Programs {
    struct Running : platform::RunningProgram {
        explicit Running(FakeEsptool& e) : e(e) {}
        bool finished() const override { return e.run.failsToStart || e.killed || e.clock.exact() - e.startedAt >= e.run.endsAfter; }
        bool failedToStart() const override { return e.run.failsToStart; }
        int exitCode() const override { return e.killed || e.run.failsToStart ? -1 : e.run.exitCode; }
        QByteArray takeOutput() override { return std::exchange(e.run.output, {}); }
        void kill() override { e.killed = true; }
        FakeEsptool& e;
    };
    FakeEsptool(fakes::FakeClock& c, platform::SerialPort& p) : clock(c), port(p) {}
    bool openDocument(const QString&) override { return false; }
    std::unique_ptr<platform::RunningProgram> start(const QString& program, const QStringList& arguments, const QString& folder) override
    {
        started.append(QStringList{program, folder} + arguments);
        startedAt = clock.exact();
        portOpenAtStart = port.isOpen();
        return std::make_unique<Running>(*this);
    }
    fakes::FakeClock& clock;
    platform::SerialPort& port;
    EsptoolRun run;
    QList<QStringList> started; // program, working folder, arguments
    double startedAt = -1;
    bool killed = false, portOpenAtStart = false;
};

// Records what the user was shown and told; answers questions from `answers` (No when it runs dry).
struct RecordingHost : firmware::UpgradeHost {
    void setCaption(const QString& c) override { captions.append(c); }
    void setStatus(const QString& t) override { statuses.append(t); if (onStatus) onStatus(t); }
    void setValue(int percent) override { values.append(percent); }
    void makeVisible() override { shown = true; closed = false; }
    void unload() override { shown = false; }
    bool cancelRequested() const override { return cancel; }
    void clearCancel() override { cancel = false; }
    bool closedByUser() const override { return closed; }
    void message(const QString& t) override { messages.append(t); shownAtMessage = shown; }
    bool askYesNo(const QString& q) override { questions.append(q); return !answers.isEmpty() && answers.takeFirst(); }
    QStringList captions, statuses, messages, questions;
    QList<int> values;
    QList<bool> answers;
    bool shown = false, shownAtMessage = false, cancel = false, closed = false;
    std::function<void(const QString&)> onStatus;
};

// A session on the fake platform, a QMR51 on its line.
struct Bench {
    fakes::FakePlatform p;
    device::Session session{p.port, p.ports, p.clock, p.pump};
    FakeQmr51 device;
    RecordingHost host;
    Bench() { device.attach(p.port); }
};

} // namespace upgradefakes
