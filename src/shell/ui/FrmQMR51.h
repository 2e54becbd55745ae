#pragma once
#include "shell/ui/SpinText.h"
#include "shell/ui/StatusLine.h"
#include <QMainWindow>
#include <QTimer>
#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace view {
class ReadingsTable;
class ReadingsChart;
class ReadingsGrid;
}

namespace shell {

// The main window: the controls with their names, nothing else. What the controls do lives with the
// handlers of each part of the tool; the window only keeps its size rules and tells when it closes.
// Control arrays carry their index in the name, e.g. fraOut(1), txtDelay(3).
class FrmQMR51 : public QMainWindow {
    Q_OBJECT
public:
    // The grid and the chart show readingsLog (the session's), which outlives the window.
    explicit FrmQMR51(view::ReadingsTable& readingsLog, QWidget* parent = nullptr);

    // Port and connection.
    QComboBox* cmbComPort;
    QPushButton* cmdScanCom;
    QPushButton* cmdOpenCom;
    QPushButton* cmdCloseCom;
    QToolButton* imgRefresh;
    QTimer timScan;
    QTimer timTXSettings;

    // Readings.
    view::ReadingsGrid* grdInterfaces;
    QLabel* labInput;
    QLabel* Label1;
    QLabel* Label2;
    // The same readings as a chart, in the grid's place; the two buttons under the grid pick which
    // of the two shows.
    view::ReadingsChart* chtReadings;
    QToolButton* cmdShowGrid;
    QToolButton* cmdShowChart;
    // Writes the readings log to a CSV file.
    QPushButton* cmdExport;

    // Settings.
    QGroupBox* fraSettings;
    std::array<QGroupBox*, 2> fraOut{};
    std::array<QComboBox*, 2> cmbOutSelector{};
    std::array<QFrame*, 2> fraPowerPar{};
    std::array<SpinText*, 2> powerLevel{};  // txtPowerLevel(i) / updPowerLevel(i)
    std::array<SpinText*, 2> powerDiff{};   // txtPowerDiff(i) / updPowerDiff(i)
    std::array<SpinText*, 4> delay{};       // txtDelay(j) / updDelay(j): on, off of Out 1, then of Out 2
    std::array<QLabel*, 4> LabDelay{};
    std::array<QLabel*, 4> LabMin{};
    std::array<SpinText*, 2> divider{};     // txtDivider(i) / updDivider(i)
    SpinText* modbusAddress;                // txtModbusAddress / updModbusAddress
    SpinText* interval;                     // txtInterval / updInterval
    QGroupBox* fraProtocol;
    QComboBox* cmbProtocol;
    QGroupBox* fraCountry;
    std::array<QRadioButton*, 2> optNLofB{};

    // Input counters.
    QGroupBox* fraInputs;
    std::array<QLineEdit*, 2> txtInput{};
    std::array<QPushButton*, 2> cmdSendInput{};

    // Debug log.
    QPushButton* cmdDebug;
    QGroupBox* fraDebug;
    QPlainTextEdit* txtDebugLog;
    QPushButton* cmdReadDebugLog;
    QPushButton* cmdStopDebugLog;
    QPushButton* cmdSaveDebugLog;
    QPushButton* cmldClear;

    // Firmware.
    QPushButton* cmdUpgrade;
    QPushButton* cmdForceUpgrade;

    // A line under the window for plain-language notes to the technician (which device a port is,
    // why a port cannot be opened).
    StatusLine* statusLine;

    // Sizes in twips, as designed; converted with the screen's resolution.
    static constexpr int kMinWidthTwips = 10000;
    static constexpr int kMinHeightTwips = 2000;
    static constexpr int kGridLeftTwips = 2900;
    static constexpr int kGridTopTwips = 285;
    static constexpr int kGridMarginTwips = 500; // beside the grid, with the settings column
    int twips(int value) const;        // twips -> pixels
    // Widens the window so the grid shows every column it has now, within the screen.
    void fitWidthToGrid();

signals:
    // The user (or the program) asked the window to close; the shut-down runs in the handler.
    void unloading();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPortControls(QWidget* column);
    QGroupBox* buildOutFrame(int i);
    void buildSettings();
    void buildDebugFrame(QWidget* area);
    void applySizeRules();

    QWidget* leftColumn_ = nullptr;
    QWidget* area_ = nullptr;
};

} // namespace shell
