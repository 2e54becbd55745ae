#pragma once
#include <QLabel>

namespace shell {

// The line under the window with plain-language notes for the technician. A screen reader hears
// the note itself, not only the line's name: the accessible description follows the text.
class StatusLine : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    void setText(const QString& text)
    {
        QLabel::setText(text);
        setAccessibleDescription(text);
    }
};

} // namespace shell
