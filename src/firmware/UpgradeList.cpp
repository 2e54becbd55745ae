#include "firmware/UpgradeList.h"

namespace firmware {

namespace {
constexpr qsizetype kVersionOffset = 40; // byte 41, counted from 1
}

std::optional<std::array<std::uint8_t, 4>> latestFirmwareVersion(const QByteArray& listContent)
{
    if (listContent.size() < kUpgradeListMinBytes)
        return std::nullopt;
    std::array<std::uint8_t, 4> version{};
    for (qsizetype i = 0; i < 4; ++i)
        version[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(listContent[kVersionOffset + i]);
    return version;
}

} // namespace firmware
