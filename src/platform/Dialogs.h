#pragma once
#include <QString>
#include <optional>

namespace platform {

// Message boxes carry the application title "QMR51 Visualisation", never one of their own.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A message with an OK button; returns when the user has closed it.
    virtual void message(const QString& text) = 0;
    // A question with Yes and No; No is the default button. True for Yes.
    virtual bool askYesNo(const QString& text) = 0;

    struct SaveRequest {
        QString title;           // dialog title
        QString proposedName;    // file name offered to the user
        QString filter;          // in Qt's form, e.g. "text files (*.txt)"
        QString defaultSuffix;   // added when the user types a name without one
    };
    // The save dialog, asking before an existing file is overwritten. Empty when cancelled.
    virtual std::optional<QString> saveFileName(const SaveRequest& request) = 0;
};

} // namespace platform
