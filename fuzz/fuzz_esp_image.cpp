// The module image check, on anything a server or a user's --image could hand over. It must never
// read outside the file, whatever the segment lengths claim, and what it accepts must be an image
// for one chip only whose data no single changed bit leaves unnoticed.
//
// Input: the image file.
#include "FuzzCheck.h"
#include "firmware/EspImageCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using device::DeviceKind;
    const QByteArray image = fuzzing::bytesOf(data, size);
    const bool v1 = firmware::espImageProblem(image, DeviceKind::TikaV1).isEmpty();
    const bool v2 = firmware::espImageProblem(image, DeviceKind::TikaV2).isEmpty();
    FUZZ_CHECK(!(v1 && v2));
    if (!v1 && !v2)
        return 0;
    // The header, one segment header and the checksum at least.
    FUZZ_CHECK(image.size() >= 24 + 8 + 1 && fuzzing::byteAt(image, 0) == 0xE9);
    const DeviceKind kind = v1 ? DeviceKind::TikaV1 : DeviceKind::TikaV2;
    const qsizetype firstLength = fuzzing::byteAt(image, 28) | fuzzing::byteAt(image, 29) << 8;
    for (int bit = 0; bit < 8 && firstLength > 0; ++bit) {
        QByteArray changed = image;
        changed[32] = char(changed[32] ^ (1 << bit));
        FUZZ_CHECK(!firmware::espImageProblem(changed, kind).isEmpty());
    }
    return 0;
}
