#include "diagnostics/ui/InputCounters.h"
#include "diagnostics/InputCounter.h"
#include "shell/ui/Tool.h"
#include <QLineEdit>
#include <QPushButton>

namespace diagnostics {

InputCounters::InputCounters(shell::Tool& tool) : tool_(tool)
{
    auto& f = tool_.frm;
    for (int i = 0; i < 2; ++i) {
        QObject::connect(f.txtInput[i], &QLineEdit::textChanged, &connections_, [this, i] { txtInput_Change(i); });
        QObject::connect(f.cmdSendInput[i], &QPushButton::clicked, &connections_, [this, i] { cmdSendInput_Click(i); });
    }
}

void InputCounters::txtInput_Change(int i)
{
    QLineEdit& box = *tool_.frm.txtInput[i];
    const QString capped = cappedInputText(box.text());
    if (capped != box.text())
        box.setText(capped);
}

void InputCounters::cmdSendInput_Click(int i)
{
    tool_.requests().run(QStringLiteral("counter %1").arg(i), [this, i] { presetInTurn(i); });
}

void InputCounters::presetInTurn(int i)
{
    const InputValue input = validateInputValue(tool_.frm.txtInput[i]->text());
    if (!input.value) {
        tool_.svc.dialogs.message(input.error);
        return;
    }
    if (!tool_.svc.dialogs.askYesNo(inputConfirmationText(i, *input.value)))
        return;
    diagnostics::presetCounter(tool_.session, i, *input.value);
}

} // namespace diagnostics
