#include "device/SettingsRecord.h"
#include <algorithm>

namespace device {

namespace {

// TIKA protocol codes by list position: DSMR 2.0, 4.0, 5.0 (NL), BE, DK, A1 (Austria).
constexpr std::array<std::uint8_t, 6> kTikaCodes{2, 4, 5, 6, 7, 8};
// QMR51 Dutch protocol codes by list position: DSMR 2.0, 4.0, 5.0.
constexpr std::array<std::uint8_t, 3> kDutchCodes{2, 4, 5};
constexpr int kBelgiumPosition = 3;
constexpr std::uint8_t kNetherlands = 1;
constexpr std::uint8_t kBelgium = 2;

char byteOf(int value) { return static_cast<char>(std::clamp(value, 0, 255)); }

void appendWord(QByteArray& out, int value)
{
    const int word = std::clamp(value, 0, 65535);
    out.append(static_cast<char>(word / 256));
    out.append(static_cast<char>(word % 256));
}

// The byte at data offset k of the reply. An offset beyond the reply reads 0, so a caller that
// skipped identifyDevice cannot read past the end.
int at(const QByteArray& reply, int offset)
{
    if (offset < 0 || offset >= reply.size())
        return 0;
    return static_cast<std::uint8_t>(reply.at(offset));
}

int wordAt(const QByteArray& reply, int offset) { return at(reply, offset) * 256 + at(reply, offset + 1); }

} // namespace

std::uint8_t tikaProtocolCode(int listPosition)
{
    if (listPosition < 0 || listPosition >= static_cast<int>(kTikaCodes.size()))
        return kTikaCodes[kBelgiumPosition];
    return kTikaCodes[static_cast<std::size_t>(listPosition)];
}

int tikaProtocolPosition(int code)
{
    const auto* found = std::find(kTikaCodes.begin(), kTikaCodes.end(), code);
    return found == kTikaCodes.end() ? kBelgiumPosition : static_cast<int>(found - kTikaCodes.begin());
}

QmrProtocol qmrProtocol(int listPosition)
{
    if (listPosition >= 0 && listPosition < static_cast<int>(kDutchCodes.size()))
        return {kNetherlands, kDutchCodes[static_cast<std::size_t>(listPosition)]};
    // Belgian meters speak DSMR 5.0.
    return {kBelgium, 5};
}

int qmrProtocolPosition(int country, int code)
{
    if (country != kNetherlands)
        return kBelgiumPosition;
    if (code == 2)
        return 0;
    if (code == 4)
        return 1;
    return 2;
}

bool tikaTakesDelays(const std::array<std::uint8_t, 4>& fwVersion)
{
    const int a = fwVersion[0];
    const int b = fwVersion[1];
    return a > 24 || (a == 24 && b != 1);
}

QByteArray qmrSettingsPayload(const SettingsRecord& settings)
{
    const QmrProtocol protocol = qmrProtocol(settings.protocolPosition);
    QByteArray out;
    out.append(byteOf(settings.intervalSeconds));
    out.append(static_cast<char>(protocol.country));
    out.append(static_cast<char>(protocol.code));
    out.append(byteOf(settings.divider[0]));
    return out;
}

QByteArray tikaSettingsPayload(const SettingsRecord& settings, const std::array<std::uint8_t, 4>& fwVersion)
{
    QByteArray out;
    out.append(static_cast<char>(tikaProtocolCode(settings.protocolPosition)));
    out.append(byteOf(settings.modbusAddress));
    out.append(byteOf(settings.divider[0]));
    out.append(byteOf(settings.divider[1]));
    out.append(byteOf(settings.outputFunction[0]));
    out.append(byteOf(settings.outputFunction[1]));
    for (std::size_t i = 0; i < 2; ++i) {
        appendWord(out, settings.powerLevelW[i]);
        appendWord(out, settings.powerDiffW[i]);
    }
    if (tikaTakesDelays(fwVersion)) {
        for (int delay : settings.delayMinutes)
            out.append(byteOf(delay));
    }
    return out;
}

QByteArray settingsPayload(const SettingsRecord& settings, DeviceKind kind,
                           const std::array<std::uint8_t, 4>& fwVersion)
{
    return isTika(kind) ? tikaSettingsPayload(settings, fwVersion) : qmrSettingsPayload(settings);
}

QmrReadBack qmrReadBack(const QByteArray& reply)
{
    // Data offsets 4 ... 7: interval, country, protocol code, divider.
    return {at(reply, 4), qmrProtocolPosition(at(reply, 5), at(reply, 6)), at(reply, 7)};
}

TikaOutputBytes tikaOutputBytes(const QByteArray& reply, int output)
{
    const int i = output == 0 ? 0 : 1;
    TikaOutputBytes out{};
    out.divider = at(reply, 6 + i);
    out.function = at(reply, 8 + i);
    out.powerLevelW = wordAt(reply, 10 + 4 * i);
    out.powerDiffW = wordAt(reply, 12 + 4 * i);
    // The delays sit behind the serial number, at data offsets 26 ... 29; older firmware stops
    // after the serial.
    out.hasDelays = reply.size() >= kTikaDelaysMinReplyLength;
    if (out.hasDelays) {
        out.delayOnMinutes = at(reply, 26 + 2 * i);
        out.delayOffMinutes = at(reply, 27 + 2 * i);
    }
    return out;
}

int tikaProtocolPositionOf(const QByteArray& reply) { return tikaProtocolPosition(at(reply, 4)); }

int tikaModbusAddress(const QByteArray& reply) { return at(reply, 5); }

int dividerShown(int dividerByte, int upperBound) { return dividerByte > upperBound ? 1 : dividerByte; }

int powerLevelShown(int levelW, int upperBound) { return levelW >= upperBound ? upperBound : levelW; }

int powerDiffUpperBound(int function, int levelShownW)
{
    return function == kExportPowerFunction ? kMaxPowerDiffW : levelShownW;
}

int powerDiffShown(int diffW, int upperBound)
{
    if (diffW > kMaxPowerDiffW)
        return kUnsetPowerDiffShownW;
    return std::min(diffW, upperBound);
}

int delayShown(int delayMinutes, int upperBound) { return std::min(delayMinutes, upperBound); }

} // namespace device
