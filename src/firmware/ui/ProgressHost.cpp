#include "firmware/ui/ProgressHost.h"
#include <QLabel>
#include <algorithm>
#include <QProgressBar>

namespace firmware {

FrmProgress& ProgressHost::get()
{
    if (window_.isNull()) {
        window_ = new FrmProgress(mainWindow_);
        closedByUser_ = false;
        QObject::connect(window_, &FrmProgress::closedByUser, window_, [this] { closedByUser_ = true; });
        QObject::connect(window_, &FrmProgress::cancelled, window_, [this] { cancelled_ = true; });
    }
    return *window_;
}

void ProgressHost::unload()
{
    if (!window_.isNull())
        delete window_.data();
}

void ProgressHost::setStatus(const QString& text) { get().lblprogress->setText(text); }

void ProgressHost::setValue(int percent) { get().pgb1->setValue(std::clamp(percent, 0, 100)); }

void ProgressHost::makeVisible()
{
    FrmProgress& w = get();
    closedByUser_ = false;
    w.show();
    w.raise();
}

} // namespace firmware
