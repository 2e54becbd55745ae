#pragma once
#include "device/DeviceKind.h"
#include <QDialog>
#include <array>

class QPushButton;
class QRadioButton;

namespace firmware {

// A firmware upgrade for a device kind chosen by hand, for a device that cannot identify itself
// (a QMR51 whose firmware broke half-way, a module without firmware). Non-modal: the main window
// stays usable.
class FrmForceUpgrade : public QDialog {
    Q_OBJECT
public:
    explicit FrmForceUpgrade(QWidget* parent = nullptr);

    std::array<QRadioButton*, 3> optModuleType{}; // "QMR51", "TIKA V1", "TIKA V2"
    QPushButton* cmdStartUpgrade;

    // The kind of the first selected option, in index order; empty when none is selected.
    std::optional<device::DeviceKind> chosenDeviceType() const;
};

} // namespace firmware
