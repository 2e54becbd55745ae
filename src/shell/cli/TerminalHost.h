#pragma once
#include "firmware/UpgradeHost.h"
#include "shell/cli/Context.h"

namespace shell::cli {

// The terminal's side of a firmware upgrade, where the window has its progress window and message
// boxes: progress (status, percent, time left) on standard error while it is a terminal, messages
// on standard error, questions answered by --yes or on the terminal. Ctrl+C is the Cancel button:
// it stops a QMR51 block transfer before the next block (the closing frame still goes out, so
// the device sees the image is not whole) and stops esptool.
class TerminalHost : public firmware::UpgradeHost {
public:
    explicit TerminalHost(Context& context);

    void setCaption(const QString& caption) override;
    void setStatus(const QString& text) override;
    void setValue(int percent) override;
    void makeVisible() override;
    void unload() override;
    bool cancelRequested() const override;
    void clearCancel() override;
    bool closedByUser() const override;
    void message(const QString& text) override;
    bool askYesNo(const QString& question) override;

    // True when a question could not be asked (no terminal, no --yes) and was taken as No.
    bool questionNotAskable() const { return notAskable_; }
    // The last message the upgrade gave (why it stopped, when it did).
    const QString& lastMessage() const { return lastMessage_; }
    // True when Ctrl+C was pressed since the upgrade began.
    bool interrupted() const { return c_.interruptedSince(startInterruptions_); }

private:
    void draw();

    Context& c_;
    QString caption_;
    QString status_;
    int percent_ = 0;
    bool shown_ = false;
    double shownSince_ = 0;
    int startInterruptions_ = 0;
    int cancelBase_ = 0;
    int closeBase_ = 0;
    bool notAskable_ = false;
    QString lastMessage_;
};

} // namespace shell::cli
