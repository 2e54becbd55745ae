#pragma once
#include "device/UnitWork.h"
#include "firmware/TikaFlash.h"
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace firmware {

// A TIKA flash on every unit of a line.
struct FlashPlan {
    // Where esptool, its scripts and DATA/ (the module images) are.
    QString programFolder;
    // An image for every module (absolute); empty: each module gets the module image of its kind.
    QString imageFile;
    // A module may report the version it had before (a re-flash of the same build).
    bool sameVersionOk = false;
    // How long a module may take to answer after esptool (--boot-wait).
    double bootWaitSeconds = TikaFlash::kBootWaitSeconds;
};

// A QMR51 upgrade on every unit of a line, with an image fetched once for all.
struct UpgradePlan {
    QString programFolder;
    QByteArray image; // padded to whole blocks
    std::array<std::uint8_t, 4> version{};
    QString imageName;
};

// The jobs. Each refuses a unit of the wrong kind (refused input), sends, waits for the device to
// restart, connects again and passes only when the device then answers with the firmware it should
// now have: the version sent for an upgrade (a QMR51 that already runs it passes without a
// transfer); for a flash, a version other than before unless sameVersionOk. A device that comes back
// with another version fails as Version.
device::UnitJob flashJob(FlashPlan plan);
device::UnitJob upgradeJob(UpgradePlan plan);

// The image an attempt sends, for its record: name, size and SHA-256 (of the file as it is on disk).
void describeImage(device::UnitAttempt& attempt, const QString& name, const QByteArray& bytes);
void describeImageFile(device::UnitAttempt& attempt, const QString& path);

// After a restart: the device on the unit's port asked again who it is, a few times for up to
// `seconds`. Fills in firmwareAfter and reconnectMs (from the call). NoDevice when nothing answers.
device::UnitEnd reconnectUnit(device::UnitWork& work, double seconds);

} // namespace firmware
