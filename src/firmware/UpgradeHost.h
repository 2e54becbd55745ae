#pragma once
#include <QString>

namespace firmware {

// What an upgrade needs from whoever runs it: somewhere to show its progress, a person to ask and
// to tell. The window answers with its progress window and message boxes; qmr51ctl with its
// terminal and its --yes option. The calls come in the order the user sees them, so the window's
// progress window opens, changes and closes exactly when the upgrade says.
class UpgradeHost {
public:
    virtual ~UpgradeHost() = default;

    // The progress display: title, status text, bar value (0 ... 100), shown or put away.
    virtual void setCaption(const QString& caption) = 0;
    virtual void setStatus(const QString& text) = 0;
    virtual void setValue(int percent) = 0;
    virtual void makeVisible() = 0;
    virtual void unload() = 0;
    // The user asked to stop: Cancel (honoured before each QMR51 block) ...
    virtual bool cancelRequested() const = 0;
    virtual void clearCancel() = 0;
    // ... or closed the progress display since it was last made visible (stops a TIKA flash).
    virtual bool closedByUser() const = 0;

    // A message the user must read; returns when it was read.
    virtual void message(const QString& text) = 0;
    // A question; true for Yes.
    virtual bool askYesNo(const QString& question) = 0;
};

} // namespace firmware
