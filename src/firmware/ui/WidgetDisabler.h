#pragma once
#include <QPointer>
#include <QWidget>

namespace firmware {

// Keeps a widget disabled for as long as it lives, then gives it back the state it had, however
// the scope is left (an early return, a failure half-way). Nested disablers restore in turn. A
// widget destroyed meanwhile is left alone.
class WidgetDisabler {
public:
    explicit WidgetDisabler(QWidget* widget) : widget_(widget), wasEnabled_(widget && widget->isEnabled())
    {
        if (widget_)
            widget_->setEnabled(false);
    }
    ~WidgetDisabler()
    {
        if (widget_)
            widget_->setEnabled(wasEnabled_);
    }
    WidgetDisabler(const WidgetDisabler&) = delete;
    WidgetDisabler& operator=(const WidgetDisabler&) = delete;

private:
    QPointer<QWidget> widget_;
    bool wasEnabled_;
};

} // namespace firmware
