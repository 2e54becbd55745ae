#include "shell/ui/SpinText.h"
#include <QHBoxLayout>

namespace shell {

SpinText::SpinText(const QString& textName, const QString& spinName, const QString& accessibleName, QWidget* parent)
    : QWidget(parent), text_(new QLineEdit(this)), spin_(new SpinButton(this))
{
    text_->setObjectName(textName);
    spin_->setObjectName(spinName);
    text_->setAccessibleName(accessibleName);
    spin_->setAccessibleName(accessibleName + QStringLiteral(" spin button"));
    setAccessibleName(accessibleName);
    text_->setMinimumWidth(40);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(text_, 1);
    layout->addWidget(spin_);
}

void SpinText::setup(int minimum, int maximum, int step, int value)
{
    spin_->setMinimum(minimum);
    spin_->setMaximum(maximum);
    spin_->setStep(step);
    spin_->setValue(value);
}

} // namespace shell
