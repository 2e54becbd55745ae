#include "sim/DeviceProfile.h"
#include <QStringList>

namespace sim {

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

// Import 1250 W, meter totals in Wh, gas and water in litres, tariff indicator 1.0 at the water
// field (the tool reads the tariff there), two pulse counters.
constexpr std::array<double, 13> kTypicalReadings{1250, 1234567, 987654, 0, 0, 23456, 12345, 0,
                                                  4567890, 0, 1, 42, 7};

} // namespace

DeviceProfile DeviceProfile::defaults(DeviceKind kind)
{
    DeviceProfile p;
    p.kind = kind;
    p.readings = kTypicalReadings;
    p.debugLog = QByteArrayLiteral("P1 telegram ok\r\nDSMR 5.0 detected\r\n");
    switch (kind) {
    case DeviceKind::Qmr51:
        p.firmware = {2, 1, 0, 5};
        p.serial = QByteArrayLiteral("51000042");
        p.settings = bytes({10, 1, 5, 1}); // 10 s, Netherlands, DSMR 5, divider 1
        break;
    case DeviceKind::TikaV1:
    case DeviceKind::TikaV2:
        p.firmware = kind == DeviceKind::TikaV1 ? FirmwareVersion{24, 1, 0, 3} : FirmwareVersion{25, 0, 1, 2};
        p.serial = kind == DeviceKind::TikaV1 ? QByteArrayLiteral("21T00042") : QByteArrayLiteral("22M01234");
        // DSMR 5, Modbus 1, dividers 1 and 2, Out 1 "Import High", Out 2 "Export Power >",
        // levels 1500 W and 2000 W, differences 200 W and 500 W, delays 5, 5, 10, 10 minutes.
        p.settings = bytes({5, 1, 1, 2, 0, 13, 0x05, 0xDC, 0x00, 0xC8, 0x07, 0xD0, 0x01, 0xF4, 5, 5, 10, 10});
        break;
    }
    return p;
}

bool firmwareTakesDelays(const FirmwareVersion& firmware)
{
    return firmware[0] > 24 || (firmware[0] == 24 && firmware[1] != 1);
}

int settingsPayloadLength(const DeviceProfile& profile)
{
    if (!isTika(profile.kind))
        return 4;
    return firmwareTakesDelays(profile.firmware) ? 18 : 14;
}

std::optional<FirmwareVersion> parseFirmwareVersion(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    FirmwareVersion version{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint value = parts[i].toUInt(&ok);
        if (!ok || value > 255)
            return std::nullopt;
        version[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
    }
    return version;
}

} // namespace sim
