#pragma once
#include "device/UnitWork.h"
#include "firmware/UpgradeHost.h"
#include <functional>

namespace firmware {

// The host of an upgrade or a flash on one unit of a production line, where the window has its
// progress window: the flow's bar becomes the unit's progress, its status names the phase, its
// messages are kept for the unit's result, and the user's stop requests are its Cancel. Nobody is
// asked anything: the one question a flow may ask on its own (stop esptool half way?) is answered
// yes only after the second stop request, since the module does not start after a cut flash.
class UnitHost : public UpgradeHost {
public:
    // phaseOf: the unit's phase for a status text of the flow (empty: the phase stays).
    UnitHost(device::UnitWork& work, QString phase, std::function<QString(const QString& status)> phaseOf = {});

    void setCaption(const QString&) override {}
    void setStatus(const QString& text) override;
    void setValue(int percent) override;
    void makeVisible() override {}
    void unload() override {}
    bool cancelRequested() const override;
    void clearCancel() override {}
    bool closedByUser() const override { return work_.stopRequested(); }
    void message(const QString& text) override { lastMessage_ = text; }
    bool askYesNo(const QString&) override { return work_.stopNow(); }

    // True once the flow saw a stop request at one of its safe points.
    bool cancelSeen() const { return cancelSeen_; }
    const QString& lastMessage() const { return lastMessage_; }

private:
    device::UnitWork& work_;
    QString phase_;
    std::function<QString(const QString&)> phaseOf_;
    int percent_ = 0;
    mutable bool cancelSeen_ = false;
    QString lastMessage_;
};

} // namespace firmware
