#pragma once
#include "platform/Dialogs.h"
#include <QString>

class QWidget;

namespace platform {

// Modal message boxes and the save dialog, parented to the main window. Every message box carries
// the application's title.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QString title) : title_(std::move(title)) {}
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void message(const QString& text) override;
    bool askYesNo(const QString& text) override;
    std::optional<QString> saveFileName(const SaveRequest& request) override;

private:
    QString title_;
    QWidget* parent_ = nullptr;
};

} // namespace platform
