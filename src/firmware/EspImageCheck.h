#pragma once
#include "device/DeviceKind.h"
#include <QByteArrayView>
#include <QString>

namespace firmware {

// Whether `image` is an ESP32 application image that the module of `kind` can boot: TIKA V1 is an
// ESP32 (chip id 0x0000), TIKA V2 an ESP32-S3 (chip id 0x0009). Both chips' images start with
// the same byte 0xE9, so a look at the first byte cannot tell a TIKA V2 image from a TIKA V1 one,
// nor a whole image from one cut short.
//
// The image, all numbers little-endian:
//   0       magic 0xE9, segment count (1 ... 16), flash mode, flash size/frequency, entry (u32)
//   8       extended header, 16 bytes: chip id (u16) at image bytes 12-13, "SHA-256 appended"
//           (0 or 1) at image byte 23
//   24      the segments, each a load address (u32), a length (u32, a multiple of 4) and the data
//   then    padding up to the checksum byte, which is the last byte of a 16-byte block: 0xEF
//           XOR every segment data byte
//   then    when flagged, the SHA-256 of every byte before it (header to checksum)
// Bytes after that (a signature block) are not looked at: the boot loader does not either.
//
// Returns what is wrong, as a phrase for the user ("built for an ESP32-S3, this module is an
// ESP32", "checksum does not match: the file is damaged"), or an empty text for a good image.
// An image above kModuleImageMaxBytes (16 MiB) is refused as too big for the module's flash.
QString espImageProblem(QByteArrayView image, device::DeviceKind kind);

} // namespace firmware
