#pragma once
#include <QTimer>
#include <QWidget>

class QToolButton;

namespace shell {

// The spin half of a text box + spin button pair: a whole-number value between a minimum and a
// maximum, moved by a step with two arrow buttons. Every set of the value, by the user or by the
// program, raises changed(), even when the number stays the same, because the settings rules run
// on every change. A mouse press on an arrow raises mousePressed() before the value moves, so a
// handler can choose the step of that click; holding the button repeats the step.
class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(QWidget* parent = nullptr);

    int value() const { return value_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int step() const { return step_; }

    // Clamps into minimum .. maximum, then raises changed().
    void setValue(int value);
    // Moving a bound past the value pulls the value along (and raises changed()).
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    void setStep(int step) { step_ = step; }

    void stepUp() { setValue(value_ + step_); }
    void stepDown() { setValue(value_ - step_); }

    // Repeat timing while an arrow is held.
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatIntervalMs = 100;

signals:
    void changed(int value);
    void mousePressed();

private:
    void press(int direction);
    void release();

    int value_ = 0;
    int minimum_ = 0;
    int maximum_ = 100;
    int step_ = 1;
    int heldDirection_ = 0;
    QTimer repeat_;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace shell
