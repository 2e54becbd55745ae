#include "EspImages.h"
#include "firmware/EspImageCheck.h"
#include <gtest/gtest.h>

using device::DeviceKind;

namespace {

QByteArray with(QByteArray image, qsizetype at, const QByteArray& bytes) { return image.replace(at, bytes.size(), bytes); }

TEST(EspImageCheck, TellsWhatIsWrongWithAModuleImage)
{
    using namespace espimages;
    const QByteArray v1 = good(esp32), v1Plain = good(esp32, false), v2 = good(esp32s3);
    const QString cut = ": the file is cut short";
    struct Case { const char* name; QByteArray image; DeviceKind kind; QString problem; };
    const Case cases[] = {
        {"good V1", v1, DeviceKind::TikaV1, ""},
        {"good V1 without SHA-256", v1Plain, DeviceKind::TikaV1, ""},
        {"good V2, a signature block after it", v2 + QByteArray(4096, '\x11'), DeviceKind::TikaV2, ""},
        {"V2 image for a V1", v2, DeviceKind::TikaV1, "built for an ESP32-S3, this module is an ESP32"},
        {"ESP32-C3 image for a V2", with(v2, 12, "\x05"), DeviceKind::TikaV2, "built for an ESP32-C3, this module is an ESP32-S3"},
        {"bad magic", "<html>", DeviceKind::TikaV1, "it is no ESP32 application image (it starts with 0x3C, not 0xE9)"},
        {"segment past the end", with(v1, 636, QByteArray::fromHex("fcffffff")), DeviceKind::TikaV1, "segment 2 of 2 runs past the end of the file" + cut},
        {"bad checksum", with(v1Plain, 100, QByteArray(1, '\0')), DeviceKind::TikaV1, "checksum does not match: the file is damaged"},
        {"bad SHA-256 (a padding byte)", with(v1, 695, "\x01"), DeviceKind::TikaV1, "SHA-256 does not match: the file is damaged"},
        {"cut in a segment", v1.left(500), DeviceKind::TikaV1, "segment 1 of 2 runs past the end of the file" + cut},
        {"cut before the checksum", v1.left(700), DeviceKind::TikaV1, "it ends before its checksum" + cut},
        {"SHA-256 flagged, none there", with(v1Plain, 23, "\x01"), DeviceKind::TikaV1, "it ends before its SHA-256" + cut},
    };
    for (const Case& c : cases)
        EXPECT_EQ(firmware::espImageProblem(c.image, c.kind), c.problem) << c.name;
}

} // namespace
