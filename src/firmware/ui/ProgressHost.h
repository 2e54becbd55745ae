#pragma once
#include "firmware/ui/FrmProgress.h"
#include "shell/AppState.h"
#include <QPointer>

namespace firmware {

// Owns the one progress window: created with its first texts when an upgrade first touches it,
// destroyed when the upgrade unloads it, created afresh on the next touch. An upgrade reaches the
// window only through get(), so it never writes to a window that is gone.
class ProgressHost {
public:
    ProgressHost(shell::AppState& state, QWidget* mainWindow) : state_(state), mainWindow_(mainWindow) {}
    ~ProgressHost() { unload(); }

    FrmProgress& get();
    bool exists() const { return !window_.isNull(); }
    void unload();

    // The window's caption, status text and bar value in one go (each optional).
    void setCaption(const QString& caption) { get().setWindowTitle(caption); }
    void setStatus(const QString& text);
    void setValue(int percent);
    void makeVisible();
    // True when the user closed the window with its own close control since it was last made
    // visible (or created).
    bool closedByUser() const { return closedByUser_; }

private:
    shell::AppState& state_;
    QWidget* mainWindow_;
    QPointer<FrmProgress> window_;
    bool closedByUser_ = false;
};

} // namespace firmware
