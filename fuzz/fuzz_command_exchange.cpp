// The reply handling of the command exchange, fed through a scripted port: whatever a device (or a wrong
// device, a flaky adapter, a wrong baud rate) sends back, in whatever pieces and at whatever
// moments, the exchange ends, reads nothing past what arrived and hands back a known status.
//
// Input: byte 0 picks the command (64, 66, 68, 86, 133, 208, 210), byte 1 the device kind (bits
// 0-1), the clock at the start (bits 2-3: mid-morning, just before midnight, just after midnight),
// the bytes a port read hands over (bits 4-5: all, 1, 2, 5) and a port failure (bits 6-7: none,
// the adapter vanishes during the event pass, the write fails). The rest is a list of arrivals:
// [delay][length][bytes]; delay 255 means "already waiting before the request", any other delay d
// means d * 5 ms after the request (0 ... 1.27 s, so some land past the 0.8 s deadline).
#include "FakeClock.h"
#include "FakeEventPump.h"
#include "FakeSerialPort.h"
#include "Bytes.h"
#include "FuzzCheck.h"
#include "device/DeviceKind.h"
#include "diagnostics/DebugLogText.h"
#include "link/CommandExchange.h"
#include <array>

namespace {

constexpr std::array<std::uint8_t, 7> kCommands{64, 66, 68, 86, 133, 208, 210};
constexpr std::array<const char*, 4> kDeviceTypes{"", "QMR51", "TIKA V1", "TIKA V2"};
constexpr std::array<double, 4> kStartSeconds{36000.0, 45296.25, 86399.6, 0.6};
constexpr std::array<int, 4> kBytesPerRead{0, 1, 2, 5};
constexpr std::uint8_t kBeforeRequest = 255;
constexpr double kDelayStepSeconds = 0.005;
constexpr int kMaxLongReplyBytes = 1535;

// The port, remembering every byte the exchange read from it once its request had gone out: that
// is "what arrived" for the exchange.
class RecordingPort : public fakes::FakeSerialPort {
public:
    using fakes::FakeSerialPort::FakeSerialPort;
    QByteArray readAll() override
    {
        QByteArray got = fakes::FakeSerialPort::readAll();
        if (requestWritten)
            received += got;
        return got;
    }
    bool write(const QByteArray& bytes) override
    {
        requestWritten = true;
        return fakes::FakeSerialPort::write(bytes);
    }
    bool requestWritten = false;
    QByteArray received;
};

bool isStatus(std::uint8_t s) { return s == 0 || s == 250 || s == 251 || s == 252 || s == 255; }

// A good standard reply: its data (with the '#' and whatever came behind) is the end of what
// arrived, the length byte in front of it is right, and the frame's marker was seen.
void checkStandardReply(const QByteArray& data, const QByteArray& received, std::uint8_t command)
{
    FUZZ_CHECK(received.endsWith(data));
    FUZZ_CHECK(received.size() >= data.size() + 3);
    const int length = fuzzing::byteAt(received, received.size() - data.size() - 1);
    FUZZ_CHECK(data.size() >= length + 1);
    FUZZ_CHECK(data.at(length) == '#');
    const char marker[2] = {'*', static_cast<char>(command + 1)};
    FUZZ_CHECK(received.contains(QByteArray(marker, 2)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t command = kCommands[data[0] % kCommands.size()];
    const std::uint8_t options = data[1];
    const QString deviceType = QString::fromLatin1(kDeviceTypes[options & 3]);
    const int trouble = (options >> 6) & 3;

    fakes::FakeClock clock(static_cast<float>(kStartSeconds[(options >> 2) & 3]));
    fakes::FakeEventPump pump(clock);
    RecordingPort port(clock);
    // The session asks a TIKA module for readings with a status byte in front.
    const bool tikaReadings = command == 64 && device::isTika(device::kindNamed(deviceType));
    double deadline = 0;
    port.open(3);
    port.bytesPerRead = kBytesPerRead[(options >> 4) & 3];
    if (trouble == 2)
        pump.onEvents = [&port] { port.vanish(); };
    if (trouble == 3)
        port.failWrites = true;

    QList<fakes::FakeSerialPort::Arrival> arrivals;
    int arrivalCount = 0;
    for (std::size_t at = 2; at + 2 <= size;) {
        const std::uint8_t delay = data[at];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const QByteArray bytes = fuzzing::bytesOf(data + at + 2, length);
        at += 2 + length;
        ++arrivalCount;
        if (delay == kBeforeRequest)
            port.feed(bytes);
        else
            arrivals.append({bytes, delay * kDelayStepSeconds});
    }
    port.replyToNextWrite(arrivals);

    comlink::CommandExchange exchange(port, clock, pump, deadline);
    const comlink::Reply reply =
        exchange.send(command, QByteArray(), tikaReadings ? comlink::ReplyForm::StatusFirst : comlink::ReplyForm::DataOnly);
    // Checked in the notation of the device's documentation: status byte, then the reply bytes.
    const QByteArray result = fakes::statusThenBytes(reply);
    const QByteArray& received = port.received;

    FUZZ_CHECK(!result.isEmpty());
    // The request is one frame, "*", command, "#", written once.
    if (trouble != 3) {
        FUZZ_CHECK(port.writes.size() == 1);
        FUZZ_CHECK(port.writes.front() == QByteArray("*") + char(command) + '#');
    }
    // No exchange outlives its deadline: 0.8 s, for the debug log 0.5 s more per reply header.
    const double longestSeconds = command == 68 ? 0.82 + 0.51 * arrivalCount : 0.82;
    FUZZ_CHECK(clock.totalAdvanced() <= longestSeconds);

    if (trouble >= 2) {
        FUZZ_CHECK(result == QByteArray(1, char(252)));
        FUZZ_CHECK(reply.outcome == comlink::Outcome::LineLost);
        return 0;
    }
    FUZZ_CHECK(reply.outcome != comlink::Outcome::LineLost);

    if (tikaReadings && result.size() > 1) {
        // A TIKA's readings carry a status byte of their own: it is the reply's status.
        checkStandardReply(result, received, command);
        FUZZ_CHECK(exchange.receiveBuffer().mid(3) == result);
        return 0;
    }
    const std::uint8_t status = fuzzing::byteAt(result, 0);
    FUZZ_CHECK(isStatus(status));
    const QByteArray rest = result.mid(1);
    const bool acknowledged = received.contains("*U#");
    // The commands answered with "*U#" are judged by everything that came back within the wait.
    const comlink::Outcome verdict = received.size() < 3 ? comlink::Outcome::NoAnswer
                                     : acknowledged       ? comlink::Outcome::Acknowledged
                                                          : comlink::Outcome::Refused;

    switch (command) {
    case 66:
        // The settings command keeps its time-out status; the outcome tells.
        FUZZ_CHECK(result == QByteArray(1, char(252)));
        FUZZ_CHECK(reply.outcome == verdict);
        break;
    case 208:
    case 210:
        // The verdict of the last look at everything that arrived.
        FUZZ_CHECK(result.size() == 1);
        if (received.size() < 3)
            FUZZ_CHECK(status == 252);
        else
            FUZZ_CHECK(status == (acknowledged ? 0 : 255));
        FUZZ_CHECK(reply.outcome == verdict);
        FUZZ_CHECK(exchange.receiveBuffer() == received);
        break;
    case 68: {
        FUZZ_CHECK(status != 255);
        if (status != 0) {
            FUZZ_CHECK(result.size() == 1);
            break;
        }
        FUZZ_CHECK(rest.size() <= kMaxLongReplyBytes);
        FUZZ_CHECK(received.contains("*E"));
        FUZZ_CHECK(received.contains(rest));
        // What the Read button then does with it: a message or the log bytes, never both.
        const diagnostics::DebugLogReadOutcome outcome = diagnostics::interpretDebugLogResult(reply);
        FUZZ_CHECK(outcome.message.isEmpty() || outcome.appendBytes.isEmpty());
        if (!outcome.appendBytes.isEmpty())
            FUZZ_CHECK(outcome.appendBytes == rest);
        break;
    }
    default:
        FUZZ_CHECK(status == 0 || status == 251 || status == 252);
        if (status != 0) {
            FUZZ_CHECK(result.size() == 1);
            break;
        }
        checkStandardReply(rest, received, command);
        FUZZ_CHECK(exchange.receiveBuffer().mid(3) == rest);
        break;
    }
    return 0;
}
