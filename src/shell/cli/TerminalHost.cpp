#include "shell/cli/TerminalHost.h"
#include <cmath>

namespace shell::cli {

TerminalHost::TerminalHost(Context& context)
    : c_(context),
      startInterruptions_(context.env.interruptions()),
      cancelBase_(startInterruptions_),
      closeBase_(startInterruptions_)
{
}

void TerminalHost::setCaption(const QString& caption)
{
    caption_ = caption;
    draw();
}

void TerminalHost::setStatus(const QString& text)
{
    // esptool's last line comes behind the status, on a line of its own in the window.
    status_ = QString(text).replace(QLatin1Char('\n'), QStringLiteral(" | "));
    draw();
}

void TerminalHost::setValue(int percent)
{
    percent_ = std::clamp(percent, 0, 100);
    draw();
}

void TerminalHost::makeVisible()
{
    if (!shown_)
        shownSince_ = c_.env.clock.elapsedSeconds();
    shown_ = true;
    closeBase_ = c_.env.interruptions();
    draw();
}

void TerminalHost::unload()
{
    shown_ = false;
    if (c_.env.console.errIsTerminal())
        c_.env.console.progress({});
}

bool TerminalHost::cancelRequested() const { return c_.env.interruptions() > cancelBase_; }

// As the window's Cancel: only a press during the block transfer counts.
void TerminalHost::clearCancel() { cancelBase_ = c_.env.interruptions(); }

bool TerminalHost::closedByUser() const { return c_.env.interruptions() > closeBase_; }

void TerminalHost::message(const QString& text)
{
    lastMessage_ = text;
    c_.message(text);
}

bool TerminalHost::askYesNo(const QString& question)
{
    const Context::Answer answer = c_.confirm(question);
    notAskable_ = answer == Context::Answer::CannotAsk;
    if (notAskable_)
        c_.message(QStringLiteral("\"%1\" was not asked (no terminal, no --yes): taken as No.").arg(question));
    return answer == Context::Answer::Yes;
}

void TerminalHost::draw()
{
    if (!shown_ || !c_.env.console.errIsTerminal())
        return;
    QString line = QStringLiteral("%1 %2%").arg(status_).arg(percent_);
    if (!caption_.isEmpty())
        line = caption_ + QStringLiteral(": ") + line;
    const double elapsed = c_.env.clock.elapsedSeconds() - shownSince_;
    if (percent_ > 0 && percent_ < 100 && elapsed > 2) {
        const int left = static_cast<int>(std::lround(elapsed * (100 - percent_) / percent_));
        line += left >= 60 ? QStringLiteral(", about %1 min %2 s left").arg(left / 60).arg(left % 60)
                           : QStringLiteral(", about %1 s left").arg(left);
    }
    c_.env.console.progress(line);
}

} // namespace shell::cli
