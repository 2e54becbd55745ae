#pragma once
#include "platform/Dialogs.h"

class QWidget;

namespace platform {

// Modal message boxes and the save dialog, parented to the main window.
class QtDialogs : public Dialogs {
public:
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void message(const QString& text) override;
    bool askYesNo(const QString& text) override;
    std::optional<QString> saveFileName(const SaveRequest& request) override;

private:
    QWidget* parent_ = nullptr;
};

} // namespace platform
