#pragma once
#include "platform/QtPrograms.h"
#include <QDesktopServices>
#include <QUrl>

namespace platform {

// The window's programs: a desktop without xdg-open still opens a document through Qt's desktop
// services, which need the GUI application only the window has (qmr51ctl runs without one).
class DesktopPrograms : public QtPrograms {
public:
    bool openDocument(const QString& path) override
    {
        return QtPrograms::openDocument(path) || QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

} // namespace platform
