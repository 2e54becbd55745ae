#include "platform/ui/QtDialogs.h"
#include <QFileDialog>
#include <QMessageBox>

namespace platform {

void QtDialogs::message(const QString& text)
{
    QMessageBox::information(parent_, title_, text, QMessageBox::Ok);
}

bool QtDialogs::askYesNo(const QString& text)
{
    return QMessageBox::question(parent_, title_, text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::saveFileName(const SaveRequest& request)
{
    QFileDialog dialog(parent_, request.title, request.proposedName, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Asking before an existing file is overwritten is the dialog's default; keep it on.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

} // namespace platform
