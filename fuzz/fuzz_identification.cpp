// The identification answer (command 86) and the settings read back from it, then sent again.
// Whatever the device answered, the connect reads nothing past the answer, names one of the three
// kinds, and the settings it would send back are 4, 14 or 18 bytes; settings read from a device and
// sent back unchanged are the same bytes the device sent.
//
// Input: the reply to command 86, written status byte first. The same bytes also fill a
// settings record with arbitrary (even negative or huge) control values and a firmware version,
// for the payload builders.
#include "Bytes.h"
#include "FuzzCheck.h"
#include "device/Identification.h"
#include "device/SettingsRecord.h"
#include "device/DeviceKind.h"
#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

using Version = std::array<std::uint8_t, 4>;

bool takesDelays(const Version& v) { return v[0] > 24 || (v[0] == 24 && v[1] != 1); }

void checkPayloadSize(const QByteArray& payload, device::DeviceKind kind, const Version& fw)
{
    if (!device::isTika(kind))
        FUZZ_CHECK(payload.size() == 4);
    else
        FUZZ_CHECK(payload.size() == (takesDelays(fw) ? 18 : 14));
}

// A record filled with whatever the fuzzer likes, as controls with broken bounds might hold.
device::SettingsRecord arbitraryRecord(FuzzedDataProvider& in)
{
    device::SettingsRecord r;
    r.protocolPosition = in.ConsumeIntegral<int>();
    r.intervalSeconds = in.ConsumeIntegral<int>();
    r.modbusAddress = in.ConsumeIntegral<int>();
    for (int& v : r.divider)
        v = in.ConsumeIntegral<int>();
    for (int& v : r.outputFunction)
        v = in.ConsumeIntegral<int>();
    for (int& v : r.powerLevelW)
        v = in.ConsumeIntegral<int>();
    for (int& v : r.powerDiffW)
        v = in.ConsumeIntegral<int>();
    for (int& v : r.delayMinutes)
        v = in.ConsumeIntegral<int>();
    return r;
}

std::uint8_t clampedByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Out-of-range control values are held at the nearest value the wire can carry, never wrapped.
void checkArbitraryPayloads(const device::SettingsRecord& r, const Version& fw)
{
    const QByteArray qmr = device::settingsPayload(r, device::DeviceKind::Qmr51, fw);
    checkPayloadSize(qmr, device::DeviceKind::Qmr51, fw);
    FUZZ_CHECK(fuzzing::byteAt(qmr, 0) == clampedByte(r.intervalSeconds));
    FUZZ_CHECK(qmr.at(1) == 1 || qmr.at(1) == 2);
    FUZZ_CHECK(fuzzing::byteAt(qmr, 3) == clampedByte(r.divider[0]));

    for (const device::DeviceKind type : {device::DeviceKind::TikaV1, device::DeviceKind::TikaV2}) {
        const QByteArray tika = device::settingsPayload(r, type, fw);
        checkPayloadSize(tika, type, fw);
        FUZZ_CHECK(fuzzing::byteAt(tika, 1) == clampedByte(r.modbusAddress));
        for (int i = 0; i < 2; ++i) {
            FUZZ_CHECK(fuzzing::byteAt(tika, 2 + i) == clampedByte(r.divider[i]));
            FUZZ_CHECK(fuzzing::byteAt(tika, 4 + i) == clampedByte(r.outputFunction[i]));
            const int level = fuzzing::byteAt(tika, 6 + 4 * i) * 256 + fuzzing::byteAt(tika, 7 + 4 * i);
            const int diff = fuzzing::byteAt(tika, 8 + 4 * i) * 256 + fuzzing::byteAt(tika, 9 + 4 * i);
            FUZZ_CHECK(level == std::clamp(r.powerLevelW[i], 0, 65535));
            FUZZ_CHECK(diff == std::clamp(r.powerDiffW[i], 0, 65535));
        }
        if (tika.size() == 18) {
            for (int j = 0; j < 4; ++j)
                FUZZ_CHECK(fuzzing::byteAt(tika, 14 + j) == clampedByte(r.delayMinutes[j]));
        }
    }
}

// The read-back rules with whatever bounds the controls hold.
void checkShownValues(const device::TikaOutputBytes& out, FuzzedDataProvider& in)
{
    const int dividerBound = in.ConsumeIntegralInRange(0, 255);
    const int shownDivider = device::dividerShown(out.divider, dividerBound);
    FUZZ_CHECK(shownDivider == 1 || shownDivider <= dividerBound);
    const int levelBound = in.ConsumeIntegralInRange(0, 65535);
    const int level = device::powerLevelShown(out.powerLevelW, levelBound);
    FUZZ_CHECK(level >= 0 && level <= levelBound);
    const int diffBound = device::powerDiffUpperBound(out.function, level);
    FUZZ_CHECK(diffBound <= 32767 || diffBound == level);
    const int diff = device::powerDiffShown(out.powerDiffW, diffBound);
    FUZZ_CHECK(diff == 100 || (diff >= 0 && diff <= diffBound));
    const int delayBound = in.ConsumeIntegralInRange(0, 255);
    FUZZ_CHECK(device::delayShown(out.delayOnMinutes, delayBound) <= delayBound);
    FUZZ_CHECK(device::delayShown(out.delayOffMinutes, delayBound) <= delayBound);
}

void checkTikaReadBack(const QByteArray& result, const Version& fw, FuzzedDataProvider& in)
{
    device::SettingsRecord back;
    back.protocolPosition = device::tikaProtocolPositionOf(result.mid(1));
    FUZZ_CHECK(back.protocolPosition >= 0 && back.protocolPosition <= 5);
    back.modbusAddress = device::tikaModbusAddress(result.mid(1));
    for (int i = 0; i < 2; ++i) {
        const device::TikaOutputBytes out = device::tikaOutputBytes(result.mid(1), i);
        FUZZ_CHECK(out.function >= 0 && out.function <= 255 && out.divider >= 0 && out.divider <= 255);
        FUZZ_CHECK(out.powerLevelW >= 0 && out.powerLevelW <= 65535);
        FUZZ_CHECK(out.powerDiffW >= 0 && out.powerDiffW <= 65535);
        FUZZ_CHECK(out.hasDelays == (result.size() >= 34));
        if (!out.hasDelays)
            FUZZ_CHECK(out.delayOnMinutes == 0 && out.delayOffMinutes == 0);
        checkShownValues(out, in);
        back.divider[i] = out.divider;
        back.outputFunction[i] = out.function;
        back.powerLevelW[i] = out.powerLevelW;
        back.powerDiffW[i] = out.powerDiffW;
        back.delayMinutes[2 * i] = out.delayOnMinutes;
        back.delayMinutes[2 * i + 1] = out.delayOffMinutes;
    }
    // Settings bytes at data offsets 4 ... 17 (result bytes 5 ... 18), delays at 26 ... 29.
    const QByteArray payload = device::tikaSettingsPayload(back, fw);
    checkPayloadSize(payload, device::DeviceKind::TikaV1, fw);
    const std::uint8_t code = fuzzing::byteAt(result, 5);
    const bool knownCode = code == 2 || code == 4 || code == 5 || code == 6 || code == 7 || code == 8;
    FUZZ_CHECK(payload.mid(1, 13) == result.mid(6, 13));
    if (knownCode)
        FUZZ_CHECK(payload.at(0) == result.at(5));
    if (payload.size() == 18 && result.size() >= 34)
        FUZZ_CHECK(payload.mid(14, 4) == result.mid(27, 4));
}

void checkQmrReadBack(const QByteArray& result)
{
    const device::QmrReadBack back = device::qmrReadBack(result.mid(1));
    FUZZ_CHECK(back.protocolPosition >= 0 && back.protocolPosition <= 3);
    device::SettingsRecord record;
    record.intervalSeconds = back.intervalSeconds;
    record.protocolPosition = back.protocolPosition;
    record.divider[0] = back.divider;
    const QByteArray payload = device::qmrSettingsPayload(record);
    FUZZ_CHECK(payload.size() == 4);
    FUZZ_CHECK(payload.at(0) == result.at(5) && payload.at(3) == result.at(8));
    const int country = fuzzing::byteAt(result, 6);
    const int code = fuzzing::byteAt(result, 7);
    // The protocols the list can show come back exactly as the device sent them.
    if ((country == 1 && (code == 2 || code == 4 || code == 5)) || (country == 2 && code == 5))
        FUZZ_CHECK(payload.mid(1, 2) == result.mid(6, 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray result = fuzzing::bytesOf(data, size);
    FuzzedDataProvider in(data, size);

    if (result.isEmpty())
        return 0;
    const device::Identification id = device::identifyDevice(fakes::replyOf(result));
    Version fw{};
    if (!id.deviceFound) {
        FUZZ_CHECK(id.serial.isEmpty());
        FUZZ_CHECK(result.size() < 10 || result.at(0) != 0);
    } else {
        FUZZ_CHECK(result.size() >= 10 && result.at(0) == 0);
        for (int i = 0; i < 4; ++i)
            FUZZ_CHECK(id.fwVersion[static_cast<std::size_t>(i)] == fuzzing::byteAt(result, 1 + i));
        fw = id.fwVersion;
        FUZZ_CHECK(id.serial.size() <= 8);
        if (result.size() >= 26) {
            FUZZ_CHECK(id.serial == result.mid(19, 8));
            FUZZ_CHECK(id.kind == (id.serial.startsWith("22M") ? device::DeviceKind::TikaV2 : device::DeviceKind::TikaV1));
            checkTikaReadBack(result, fw, in);
        } else {
            FUZZ_CHECK(id.kind == device::DeviceKind::Qmr51);
            FUZZ_CHECK(id.serial == (result.size() > 12 ? result.mid(9, 8) : QByteArray()));
            checkQmrReadBack(result);
        }
    }

    // Any control values, any firmware version the device reported.
    const Version anyFw{in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>(),
                        in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>()};
    checkArbitraryPayloads(arbitraryRecord(in), anyFw);
    return 0;
}
