#include "diagnostics/ui/DebugLogView.h"
#include "diagnostics/DebugLogText.h"
#include "platform/WholeFile.h"
#include "shell/ui/Tool.h"
#include "view/ReadingFormat.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include <QDir>
#include <QGroupBox>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>

namespace diagnostics {

DebugLogView::DebugLogView(shell::Tool& tool) : tool_(tool)
{
    auto& f = tool_.frm;
    f.txtDebugLog->setReadOnly(true);
    QObject::connect(f.cmdDebug, &QPushButton::clicked, &connections_, [this] { cmdDebug_Click(); });
    QObject::connect(f.cmdStopDebugLog, &QPushButton::clicked, &connections_, [this] { cmdStopDebugLog_Click(); });
    QObject::connect(f.cmldClear, &QPushButton::clicked, &connections_, [this] { cmldClear_Click(); });
    QObject::connect(f.cmdReadDebugLog, &QPushButton::clicked, &connections_, [this] { cmdReadDebugLog_Click(); });
    QObject::connect(f.cmdSaveDebugLog, &QPushButton::clicked, &connections_, [this] { cmdSaveDebugLog_Click(); });
}

void DebugLogView::cmdDebug_Click()
{
    auto& f = tool_.frm;
    tool_.poll().hold(true);
    const QRect grid = f.grdInterfaces->geometry();
    f.grdInterfaces->hide();
    f.fraDebug->setGeometry(grid.left(), 0, grid.width(), grid.top() + grid.height());
    f.fraDebug->raise();
    f.fraDebug->show();
}

void DebugLogView::cmdStopDebugLog_Click()
{
    auto& f = tool_.frm;
    f.grdInterfaces->show();
    f.fraDebug->hide();
    tool_.poll().hold(false);
}

void DebugLogView::cmldClear_Click()
{
    log_.clear();
    tool_.frm.txtDebugLog->clear();
}

void DebugLogView::cmdReadDebugLog_Click()
{
    tool_.requests().run(QStringLiteral("debug log"), [this] { readOnce(); });
}

void DebugLogView::readOnce()
{
    const comlink::Reply result = tool_.session.readDebugLog();
    const DebugLogReadOutcome outcome = interpretDebugLogResult(result);
    if (!outcome.message.isEmpty())
        tool_.svc.dialogs.message(outcome.message);
    if (outcome.appendBytes.isEmpty())
        return;
    log_.append(outcome.appendBytes);
    QPlainTextEdit& box = *tool_.frm.txtDebugLog;
    box.moveCursor(QTextCursor::End);
    box.insertPlainText(logBytesToText(outcome.appendBytes));
}

void DebugLogView::cmdSaveDebugLog_Click()
{
    auto& f = tool_.frm;
    const QDateTime now = tool_.svc.clock.now();
    const QLocale locale;
    const QString proposed = proposedDebugLogFileName(f.windowTitle(), locale.toString(now.date(), QLocale::ShortFormat),
                                                      locale.toString(now.time(), view::longTimeFormatWithoutZone(locale)));
    const platform::Dialogs::SaveRequest request{QStringLiteral("*.txt"), proposed, QStringLiteral("text files (*.txt)"),
                                                 QStringLiteral("txt")};
    const std::optional<QString> chosen = tool_.svc.dialogs.saveFileName(request);
    if (!chosen || chosen->isEmpty())
        return;

    const QString shownName = QDir::toNativeSeparators(*chosen);
    // A full disk leaves the log saved there before as it was, never an empty or cut-off one.
    const QString failure = platform::saveWholeFile(*chosen, debugLogFileContent(log_));
    if (!failure.isEmpty()) {
        // Opening an editor on a file that was not written would show an old or empty log as if
        // it were this one.
        tool_.svc.dialogs.message(QStringLiteral("The debug log could not be saved as %1: %2")
                                      .arg(shownName, failure));
        return;
    }
    if (!tool_.svc.programs.openDocument(*chosen))
        tool_.svc.dialogs.message(QStringLiteral("The debug log was saved as %1, but no program could be started to open it.")
                                      .arg(shownName));
}

} // namespace diagnostics
