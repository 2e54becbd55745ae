#pragma once
#include "device/DeviceKind.h"
#include "device/ReadingRow.h"
#include <QList>
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace device {

// How one attempt at a unit of a production line ended. Every failure has a class a script can
// act on; the names (unitClassName) are what the output and the records say.
enum class UnitClass {
    Passed,
    NoDevice,     // the port cannot be opened, or nothing (or not the device the job needs) answers
    RefusedInput, // the input does not fit this unit (an image for the other chip, a setting out of
                  // range): nothing was sent, and trying again would be refused again
    Download,     // a file the unit needed did not arrive
    Transfer,     // the device stopped answering or refused a frame in the middle
    Esptool,      // esptool failed, could not be started or was stopped for taking too long
    Version,      // afterwards the device does not report the firmware it should now have
    Interrupted,  // the user stopped the line
};

// "passed", "no-device", "refused-input", "download", "transfer", "esptool", "version", "interrupted".
QString unitClassName(UnitClass unitClass);
// The class of one of those names; nothing for any other text.
std::optional<UnitClass> unitClassNamed(const QString& name);

using FirmwareVersion = std::array<std::uint8_t, 4>;

// One attempt at one unit: everything a record of it keeps. The line fills in the port, the times
// and what the device said when it connected; the job adds what it did.
struct UnitAttempt {
    // The time of day the attempt began, in UTC (for the record; durations come from the steady clock).
    QDateTime startUtc;
    std::int64_t durationMs = 0;
    // 1 for the first attempt, 2 for the first retry ...
    int attempt = 1;
    int portNumber = 0;
    QString devicePath;
    // What the user knows the adapter by ("FT232R USB UART, serial A50285BI, USB 1-3.4"); empty
    // for a port that is not USB.
    QString adapter;
    // What answered when the attempt connected; unset when nothing did.
    std::optional<DeviceKind> kind;
    QByteArray serial;
    std::optional<FirmwareVersion> firmwareBefore;
    // What the device reported after the job (a flash or an upgrade: after its restart).
    std::optional<FirmwareVersion> firmwareAfter;
    // The firmware image sent, when the job sent one.
    QString imageName;
    std::int64_t imageBytes = -1;
    QString imageSha256; // lowercase hex
    UnitClass result = UnitClass::Interrupted;
    // What the user is told about the end (empty when there is nothing to add to "passed").
    QString message;
    // From the end of a flash or a restart to the device's first good answer; unset when not measured.
    std::optional<std::int64_t> reconnectMs;
    // What a readings job read, in order (not part of the record).
    QList<ReadingRow> readings;

    bool passed() const { return result == UnitClass::Passed; }
    // A failure that a new attempt from the start may mend: not a refusal of the input, not a stop.
    bool worthRetrying() const
    {
        return result != UnitClass::Passed && result != UnitClass::RefusedInput && result != UnitClass::Interrupted;
    }
};

} // namespace device
