#pragma once
#include "sim/DeviceProfile.h"
#include "sim/FirmwareReceiver.h"
#include "sim/Misbehaviour.h"
#include "sim/RequestParser.h"
#include <QList>

namespace sim {

// The device itself, without a line: bytes from the tool in, answers out. It answers
//   86 identification, 64 readings (standard replies, markers 87 and 65),
//   66 settings (takes them, "*U#"), 68 debug log (long reply "*E"),
//   133/134 input counter presets (standard reply, markers 134/135, the four value bytes),
//   208/210 firmware blocks and closing frame, checked like the QMR51's boot loader does
//   (see FirmwareReceiver): "*U#" for a good frame, "*X#" for a refused one, nothing for a
//   damaged one. After an accepted closing frame it reports the new version.
// The misbehaviours that change what is sent (silence, wrong end byte, stray bytes, refusal,
// over-long log) are applied here; the ones that change how it is sent belong to the line.
// Not thread-safe: the Simulator guards it.
class DeviceModel {
public:
    struct Answer {
        RequestFrame request;
        QByteArray bytes; // everything sent back for this request; empty: no answer
    };

    explicit DeviceModel(DeviceProfile profile);

    // Takes received bytes; answers every request they complete, in order.
    QList<Answer> receive(const QByteArray& bytes);

    bool hasPartialRequest() const { return parser_.hasPartialFrame(); }
    void discardPartialRequest() { parser_.discardPartialFrame(); }

    DeviceProfile& profile() { return profile_; }
    const DeviceProfile& profile() const { return profile_; }
    Misbehaviour& misbehaviour() { return misbehaviour_; }
    const FirmwareReceiver& firmware() const { return firmware_; }
    FirmwareReceiver& firmware() { return firmware_; }

private:
    int payloadLength(std::uint8_t command) const;
    QByteArray answer(const RequestFrame& request);
    QByteArray debugLogAnswer() const;
    QByteArray firmwareAnswer(const RequestFrame& request);
    void takeSettings(const QByteArray& payload);
    char endByte() const { return misbehaviour_.wrongEndByte ? '$' : '#'; }

    DeviceProfile profile_;
    Misbehaviour misbehaviour_;
    FirmwareReceiver firmware_;
    RequestParser parser_;
};

} // namespace sim
