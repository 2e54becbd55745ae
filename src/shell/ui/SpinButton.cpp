#include "shell/ui/SpinButton.h"
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace shell {

SpinButton::SpinButton(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setAccessibleName(QStringLiteral("Up"));
    down_->setAccessibleName(QStringLiteral("Down"));
    for (QToolButton* b : {up_, down_}) {
        b->setFixedSize(16, 11);
        b->setFocusPolicy(Qt::NoFocus);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    setFixedWidth(16);

    connect(up_, &QToolButton::pressed, this, [this] { press(+1); });
    connect(down_, &QToolButton::pressed, this, [this] { press(-1); });
    connect(up_, &QToolButton::released, this, &SpinButton::release);
    connect(down_, &QToolButton::released, this, &SpinButton::release);
    connect(&repeat_, &QTimer::timeout, this, [this] {
        repeat_.setInterval(kRepeatIntervalMs);
        setValue(value_ + heldDirection_ * step_);
    });
}

void SpinButton::setValue(int value)
{
    value_ = std::clamp(value, minimum_, std::max(minimum_, maximum_));
    emit changed(value_);
}

void SpinButton::setMinimum(int minimum)
{
    minimum_ = minimum;
    if (value_ < minimum_)
        setValue(minimum_);
}

void SpinButton::setMaximum(int maximum)
{
    maximum_ = maximum;
    if (value_ > maximum_)
        setValue(maximum_);
}

void SpinButton::press(int direction)
{
    emit mousePressed();
    heldDirection_ = direction;
    setValue(value_ + direction * step_);
    repeat_.start(kRepeatDelayMs);
}

void SpinButton::release()
{
    heldDirection_ = 0;
    repeat_.stop();
}

} // namespace shell
