#pragma once
#include "platform/FileTransfer.h"
#include "platform/Waits.h"
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace firmware {

// The QMR51 image for a whole production line, fetched (or read) once before the units start, so
// that every unit gets the very same bytes and no unit downloads anything.
struct Qmr51LineImage {
    // Padded to whole blocks; empty when `problem` is set.
    QByteArray image;
    // The version the closing frame announces and every unit must report afterwards.
    std::array<std::uint8_t, 4> version{};
    // The file's name, for the records ("QMR51v2.hex").
    QString name;
    // Why nothing can be sent, in a sentence for the user; empty when the image may go.
    QString problem;
    // The problem is that the list or the HEX file did not arrive whole (not a file unfit to send).
    bool downloadFailed = false;
};

// The latest version from the firmware server's upgrade list and its HEX file, refused as an
// upgrade refuses them (cut short, damaged, empty, more than 255 blocks). The waits handle the
// events of the calling thread meanwhile.
Qmr51LineImage latestQmr51Image(platform::FileTransfer& transfer, platform::Waiting& waits,
                                const platform::FtpAccount& server, const QString& programFolder);

// A local HEX file that holds `version`, refused for the same reasons.
Qmr51LineImage qmr51ImageFromFile(const QString& hexFile, const std::array<std::uint8_t, 4>& version);

} // namespace firmware
