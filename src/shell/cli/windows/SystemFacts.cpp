#include "shell/cli/SystemFacts.h"
#include <QDir>
#include <QTemporaryFile>
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

namespace shell::cli {

namespace {

// The serial chips of the USB adapters technicians use with these devices, by USB vendor id.
QString serialChipOf(const QString& hardwareIds)
{
    static const std::pair<const char*, const char*> chips[] = {
        {"VID_0403", "FTDI"},         {"VID_10C4", "Silicon Labs CP210x"}, {"VID_1A86", "WCH CH340"},
        {"VID_067B", "Prolific PL2303"}, {"VID_303A", "Espressif USB"},
    };
    for (const auto& [vendor, chip] : chips) {
        if (hardwareIds.contains(QLatin1String(vendor), Qt::CaseInsensitive))
            return QString::fromLatin1(chip);
    }
    return {};
}

QString deviceText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property)
{
    wchar_t text[1024] = {};
    DWORD size = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, reinterpret_cast<BYTE*>(text),
                                           sizeof(text) - sizeof(wchar_t), &size))
        return {};
    // A list of texts (the hardware ids) is separated by zeros; one text will do for a search.
    QString joined = QString::fromWCharArray(text, static_cast<int>(size / sizeof(wchar_t)));
    joined.replace(QChar(0), QLatin1Char(' '));
    return joined.trimmed();
}

// Present USB devices that Windows could not give a driver: a serial adapter among them has no
// COM port, and no port search can find the device behind it.
QList<SystemFacts::Driverless> adaptersWithoutDriver()
{
    QList<SystemFacts::Driverless> found;
    HDEVINFO set = SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return found;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        ULONG status = 0;
        ULONG problem = 0;
        if (CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) != CR_SUCCESS)
            continue;
        const bool noDriver = (status & DN_HAS_PROBLEM) && (problem == CM_PROB_FAILED_INSTALL || problem == CM_PROB_NOT_CONFIGURED);
        if (!noDriver)
            continue;
        const QString chip = serialChipOf(deviceText(set, device, SPDRP_HARDWAREID));
        if (!chip.isEmpty())
            found.append({deviceText(set, device, SPDRP_DEVICEDESC), chip});
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

// Windows opens a COM port for one program at a time: another one holding it makes the open fail
// with "access denied".
bool heldByAnotherProgram(const QString& portName)
{
    const std::wstring path = (QStringLiteral("\\\\.\\") + portName).toStdWString();
    HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port != INVALID_HANDLE_VALUE) {
        CloseHandle(port);
        return false;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}

} // namespace

SystemFacts readSystemFacts(const QString& programFolder, const QList<platform::NumberedPort>& ports)
{
    SystemFacts facts;
    facts.windows = true;
    for (const platform::NumberedPort& port : ports) {
        facts.serialDevices.append(port.devicePath);
        if (heldByAnotherProgram(port.devicePath))
            facts.busyPorts.append(port.devicePath);
    }
    facts.adaptersWithoutDriver = adaptersWithoutDriver();
    facts.programFolder = QDir::toNativeSeparators(programFolder);
    QTemporaryFile probe(QDir(programFolder).filePath(QStringLiteral("doctor-XXXXXX")));
    facts.programFolderWritable = probe.open();
    return facts;
}

} // namespace shell::cli
