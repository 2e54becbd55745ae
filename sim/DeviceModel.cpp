#include "sim/DeviceModel.h"
#include "sim/DeviceAnswers.h"

namespace sim {

namespace {

// The command bytes the devices know.
enum : std::uint8_t {
    kReadings = 64,
    kSettings = 66,
    kDebugLog = 68,
    kIdentify = 86,
    kInput1 = 133,
    kInput2 = 134,
    kFirmwareBlock = 208,
    kFirmwareClose = 210,
};

constexpr int kCounterPayloadBytes = 5; // four value bytes and the command byte again
constexpr int kOverlongLogBytes = 6 * 256;

} // namespace

DeviceModel::DeviceModel(DeviceProfile profile)
    : profile_(std::move(profile)), parser_([this](std::uint8_t command) { return payloadLength(command); })
{
}

int DeviceModel::payloadLength(std::uint8_t command) const
{
    switch (command) {
    case kReadings:
    case kDebugLog:
    case kIdentify:
        return 0;
    case kSettings:
        return settingsPayloadLength(profile_);
    case kInput1:
    case kInput2:
        return kCounterPayloadBytes;
    case kFirmwareBlock:
        return FirmwareReceiver::kBlockPayloadBytes;
    case kFirmwareClose:
        return FirmwareReceiver::kClosingPayloadBytes;
    default:
        return -1;
    }
}

QList<DeviceModel::Answer> DeviceModel::receive(const QByteArray& bytes)
{
    QList<Answer> answers;
    for (const RequestFrame& request : parser_.feed(bytes)) {
        QByteArray reply = answer(request);
        const bool firmwareFrame = request.command == kFirmwareBlock || request.command == kFirmwareClose;
        if (misbehaviour_.silent || (misbehaviour_.bootLoaderOnly && !firmwareFrame))
            reply.clear();
        else
            reply.prepend(misbehaviour_.strayBytes);
        answers.append({request, reply});
    }
    return answers;
}

QByteArray DeviceModel::answer(const RequestFrame& request)
{
    const bool refuse = misbehaviour_.refuseAcknowledgement;
    switch (request.command) {
    case kIdentify:
        return standardReply(kIdentify + 1, identificationData(profile_), endByte());
    case kReadings:
        return standardReply(kReadings + 1, readingsData(profile_), endByte());
    case kSettings:
        if (!refuse)
            takeSettings(request.payload);
        return acknowledgement(!refuse);
    case kDebugLog:
        return longReply(debugLogAnswer(), endByte());
    case kInput1:
    case kInput2:
        return standardReply(request.command + 1, request.payload.left(4), endByte());
    case kFirmwareBlock:
    case kFirmwareClose:
        return refuse ? acknowledgement(false) : firmwareAnswer(request);
    default:
        return {};
    }
}

QByteArray DeviceModel::firmwareAnswer(const RequestFrame& request)
{
    const FirmwareReceiver::Verdict verdict = request.command == kFirmwareBlock
        ? firmware_.takeBlock(request.payload)
        : firmware_.takeClosingFrame(request.payload);
    if (verdict == FirmwareReceiver::Verdict::Ignore)
        return {};
    const bool accepted = verdict == FirmwareReceiver::Verdict::Acknowledge;
    if (accepted && request.command == kFirmwareClose) {
        // After its restart the device runs, and reports, the version it was sent.
        const QByteArray version = *firmware_.announcedVersion();
        for (int i = 0; i < 4; ++i)
            profile_.firmware[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(version.at(i));
    }
    return acknowledgement(accepted);
}

QByteArray DeviceModel::debugLogAnswer() const
{
    if (misbehaviour_.overlongDebugLog) {
        // High byte 6: more than the 1535 bytes a log may hold.
        QByteArray log = profile_.debugLog.isEmpty() ? QByteArray(1, '.') : profile_.debugLog;
        return log.repeated(kOverlongLogBytes / log.size() + 1).left(kOverlongLogBytes);
    }
    if (profile_.debugStatus)
        return QByteArray(1, static_cast<char>(*profile_.debugStatus));
    return profile_.debugLog;
}

void DeviceModel::takeSettings(const QByteArray& payload)
{
    if (!isTika(profile_.kind)) {
        profile_.settings = payload;
        return;
    }
    // A 14-byte record leaves the delays the module already had.
    QByteArray settings = profile_.settings.leftJustified(18, '\0', true);
    settings.replace(0, payload.size(), payload);
    profile_.settings = settings;
}

} // namespace sim
