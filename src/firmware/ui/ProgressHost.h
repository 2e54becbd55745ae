#pragma once
#include "firmware/UpgradeHost.h"
#include "firmware/ui/FrmProgress.h"
#include "platform/Dialogs.h"
#include <QPointer>

namespace firmware {

// The window's side of an upgrade: the one progress window and the message boxes. The progress
// window is created with its first texts when an upgrade first touches it, destroyed when the
// upgrade unloads it, created afresh on the next touch; an upgrade reaches it only through get(),
// so it never writes to a window that is gone.
class ProgressHost : public UpgradeHost {
public:
    ProgressHost(QWidget* mainWindow, platform::Dialogs& dialogs) : mainWindow_(mainWindow), dialogs_(dialogs) {}
    ~ProgressHost() override { unload(); }

    FrmProgress& get();
    bool exists() const { return !window_.isNull(); }

    void setCaption(const QString& caption) override { get().setWindowTitle(caption); }
    void setStatus(const QString& text) override;
    void setValue(int percent) override;
    void makeVisible() override;
    void unload() override;
    bool cancelRequested() const override { return cancelled_; }
    void clearCancel() override { cancelled_ = false; }
    bool closedByUser() const override { return closedByUser_; }
    void message(const QString& text) override { dialogs_.message(text); }
    bool askYesNo(const QString& question) override { return dialogs_.askYesNo(question); }

private:
    QWidget* mainWindow_;
    platform::Dialogs& dialogs_;
    QPointer<FrmProgress> window_;
    bool closedByUser_ = false;
    bool cancelled_ = false;
};

} // namespace firmware
