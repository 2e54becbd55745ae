#pragma once
#include "shell/ui/SpinButton.h"
#include <QLineEdit>
#include <QWidget>

namespace shell {

// A text box with its spin button, as one control. The two halves keep their own names (e.g.
// txtPowerLevel(0) and updPowerLevel(0)) so the settings rules can address each; the rules that
// keep text and value in step live with the settings editor, not here.
class SpinText : public QWidget {
    Q_OBJECT
public:
    // textName / spinName are the object names of the halves; accessibleName is what a screen
    // reader says for the pair, e.g. "Out 1 Level".
    SpinText(const QString& textName, const QString& spinName, const QString& accessibleName,
             QWidget* parent = nullptr);

    QLineEdit* text() const { return text_; }
    SpinButton* spin() const { return spin_; }

    // Sets the spin button's bounds, step and value, the way the window starts.
    void setup(int minimum, int maximum, int step, int value);

private:
    QLineEdit* text_;
    SpinButton* spin_;
};

} // namespace shell
