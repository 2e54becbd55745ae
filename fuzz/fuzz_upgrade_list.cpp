// The upgrade list from the firmware server. A download cut short, an error page or a list of
// another format: the reader takes the latest version only from a list of at least 92 bytes, at
// bytes 41 ... 44, and reads nothing else; that version is what the closing frame of the upgrade
// then carries.
//
// Input: the list file as downloaded.
#include "FuzzCheck.h"
#include "UpgradeFrameChecks.h"
#include "firmware/UpgradeList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray list = fuzzing::bytesOf(data, size);
    const auto version = firmware::latestFirmwareVersion(list);
    FUZZ_CHECK(version.has_value() == (list.size() >= 92));
    if (!version)
        return 0;
    for (int i = 0; i < 4; ++i)
        FUZZ_CHECK((*version)[static_cast<std::size_t>(i)] == fuzzing::byteAt(list, 40 + i));

    // The new firmware's closing frame names the version from the list, byte for byte.
    const QByteArray image = list.left(300);
    fuzzing::checkUpgradeFrames(image, *version, {0});
    return 0;
}
