#pragma once
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace firmware {

// The progress window of a firmware upgrade: a status text, a bar from 0 to 100 and Cancel. Cancel
// only raises the flag the block transfer looks at before each block; the window stays as it is.
// Closing it with the window's own close control counts as Cancel and hides it (an esptool run is
// stopped once the user confirms; a block transfer stops before the next block) — the upgrade may go on setting its texts,
// so the window is never destroyed under it (see ProgressHost).
class FrmProgress : public QDialog {
    Q_OBJECT
public:
    explicit FrmProgress(QWidget* parent = nullptr);

    QLabel* lblprogress;
    QProgressBar* pgb1;
    QPushButton* cmdCancel;

signals:
    // Cancel was pressed, or the window was closed by the user.
    void cancelled();
    // The user closed the window with its own close control (also announced as cancelled()). A
    // TIKA flash, which Cancel does not stop, is stopped by this.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace firmware
