#include "shell/ui/FrmQMR51.h"
#include "device/Captions.h"
#include "device/SettingsLimits.h"
#include "view/GridColumns.h"
#include "view/ui/ReadingsChart.h"
#include "view/ui/ReadingsGrid.h"
#include <QCloseEvent>
#include <QFontDatabase>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace shell {

namespace {

constexpr int kSettingsWidthTwips = 2730;
constexpr int kSettingsLeftTwips = 120;

QString indexed(const char* name, int i) { return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i); }

template <typename W>
W* named(W* widget, const QString& objectName, const QString& accessibleName)
{
    widget->setObjectName(objectName);
    widget->setAccessibleName(accessibleName);
    return widget;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    return named(new QPushButton(caption, parent), name, caption);
}

QLabel* label(const QString& name, const QString& caption, QWidget* parent)
{
    return named(new QLabel(caption, parent), name, caption);
}

} // namespace

FrmQMR51::FrmQMR51(view::ReadingsTable& readingsLog, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmQMR51"));
    setWindowTitle(device::startCaption());
    area_ = new QWidget(this);
    setCentralWidget(area_);

    statusLine = named(new StatusLine(statusBar()), QStringLiteral("statusLine"), QStringLiteral("Status"));
    statusBar()->addWidget(statusLine, 1);

    leftColumn_ = new QWidget(area_);
    auto* column = new QVBoxLayout(leftColumn_);
    column->setContentsMargins(0, 4, 0, 0);
    buildPortControls(leftColumn_);
    buildSettings();
    column->addWidget(fraSettings);
    auto* bottom = new QGridLayout;
    cmdDebug = button(QStringLiteral("cmdDebug"), QStringLiteral("Debug Log"), leftColumn_);
    cmdUpgrade = button(QStringLiteral("cmdUpgrade"), QStringLiteral("Upgrade"), leftColumn_);
    cmdForceUpgrade = button(QStringLiteral("cmdForceUpgrade"), QStringLiteral("Force upgrade"), leftColumn_);
    bottom->addWidget(cmdDebug, 0, 0);
    bottom->addWidget(cmdUpgrade, 0, 1);
    bottom->addWidget(cmdForceUpgrade, 1, 0, 1, 2);
    cmdExport = button(QStringLiteral("cmdExport"), QStringLiteral("Export\u2026"), leftColumn_);
    cmdExport->setToolTip(QStringLiteral("Save the readings of this connection as a CSV file"));
    bottom->addWidget(cmdExport, 2, 0, 1, 2);
    column->addLayout(bottom);
    column->addStretch(1);

    grdInterfaces = new view::ReadingsGrid(area_);
    grdInterfaces->showLog(readingsLog);
    Label1 = label(QStringLiteral("Label1"), QStringLiteral("-----------   IMPORT   ---------------"), area_);
    Label2 = label(QStringLiteral("Label2"), QStringLiteral("----------------    EXPORT    ----------------"), area_);
    labInput = label(QStringLiteral("labInput"), QStringLiteral("-------   INPUT   -------"), area_);
    chtReadings = new view::ReadingsChart(*grdInterfaces, area_);
    chtReadings->hide();
    cmdShowGrid = named(new QToolButton(area_), QStringLiteral("cmdShowGrid"), QStringLiteral("Show the readings as a grid"));
    cmdShowChart = named(new QToolButton(area_), QStringLiteral("cmdShowChart"), QStringLiteral("Show the readings as a chart"));
    cmdShowGrid->setText(QStringLiteral("Grid"));
    cmdShowChart->setText(QStringLiteral("Chart"));
    for (QToolButton* b : {cmdShowGrid, cmdShowChart}) {
        b->setCheckable(true);
        b->setToolTip(b->accessibleName());
    }
    cmdShowGrid->setChecked(true);
    buildDebugFrame(area_);

    timScan.setObjectName(QStringLiteral("timScan"));
    timTXSettings.setObjectName(QStringLiteral("timTXSettings"));
    timScan.setInterval(1000);
    timTXSettings.setInterval(1000);

    // Not connected yet: only the port controls are of use.
    cmdCloseCom->hide();
    imgRefresh->hide();
    fraSettings->hide();
    fraInputs->hide();
    cmdDebug->hide();
    cmdUpgrade->hide();
    cmdForceUpgrade->hide();
    fraDebug->hide();

    setMinimumSize(twips(kMinWidthTwips), twips(kMinHeightTwips));
    resize(std::max(twips(kMinWidthTwips), 1180), 760);
}

void FrmQMR51::fitWidthToGrid()
{
    // Every column of the grid in view at the start (on a 1920 x 1080 screen there is room for
    // all of them); a smaller screen gets a window that fits it, and the grid scrolls sideways.
    const int wanted = grdInterfaces->widthToShowAllColumns() + twips(kSettingsWidthTwips) + twips(kGridMarginTwips);
    QSize size(std::max(width(), wanted), height());
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size());
    resize(size);
}

int FrmQMR51::twips(int value) const
{
    const QScreen* s = screen();
    return view::twipsToPixels(value, s ? s->logicalDotsPerInchX() : 96.0);
}

void FrmQMR51::buildPortControls(QWidget* parent)
{
    auto* grid = new QGridLayout;
    cmbComPort = named(new QComboBox(parent), QStringLiteral("cmbComPort"), QStringLiteral("Serial port"));
    cmdScanCom = button(QStringLiteral("cmdScanCom"), QStringLiteral("Scan"), parent);
    cmdOpenCom = button(QStringLiteral("cmdOpenCom"), QStringLiteral("Open"), parent);
    cmdCloseCom = button(QStringLiteral("cmdCloseCom"), QStringLiteral("Close"), parent);
    imgRefresh = named(new QToolButton(parent), QStringLiteral("imgRefresh"), QStringLiteral("Refresh readings"));
    imgRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    imgRefresh->setToolTip(QStringLiteral("Refresh readings"));
    grid->addWidget(cmbComPort, 0, 0, 1, 2);
    grid->addWidget(cmdScanCom, 0, 2);
    grid->addWidget(cmdOpenCom, 1, 0);
    grid->addWidget(cmdCloseCom, 1, 1);
    grid->addWidget(imgRefresh, 1, 2);
    static_cast<QVBoxLayout*>(parent->layout())->addLayout(grid);
}

QGroupBox* FrmQMR51::buildOutFrame(int i)
{
    const QString out = QStringLiteral("Out %1").arg(i + 1);
    auto* frame = named(new QGroupBox(out), indexed("fraOut", i), out);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    cmbOutSelector[i] = named(new QComboBox(frame), indexed("cmbOutSelector", i), out + QStringLiteral(" function"));
    layout->addWidget(cmbOutSelector[i]);

    fraPowerPar[i] = named(new QFrame(frame), indexed("fraPowerPar", i), out + QStringLiteral(" power"));
    auto* power = new QGridLayout(fraPowerPar[i]);
    power->setContentsMargins(0, 0, 0, 0);
    power->setVerticalSpacing(1);
    auto row = [&](int r, QLabel* caption, SpinText* box, QLabel* unit) {
        power->addWidget(caption, r, 0);
        power->addWidget(box, r, 1);
        power->addWidget(unit, r, 2);
    };
    powerLevel[i] = new SpinText(indexed("txtPowerLevel", i), indexed("updPowerLevel", i), out + " Level", fraPowerPar[i]);
    powerDiff[i] = new SpinText(indexed("txtPowerDiff", i), indexed("updPowerDiff", i), out + " Diff.", fraPowerPar[i]);
    row(0, new QLabel(QStringLiteral("Level")), powerLevel[i], new QLabel(QStringLiteral("W")));
    row(1, new QLabel(QStringLiteral("Diff.")), powerDiff[i], new QLabel(QStringLiteral("W")));
    for (int k = 0; k < 2; ++k) {
        const int j = 2 * i + k;
        const QString caption = k == 0 ? QStringLiteral("Delay On") : QStringLiteral("Delay Off");
        delay[j] = new SpinText(indexed("txtDelay", j), indexed("updDelay", j), out + ' ' + caption, fraPowerPar[i]);
        LabDelay[j] = label(indexed("LabDelay", j), caption, fraPowerPar[i]);
        LabMin[j] = label(indexed("LabMin", j), QStringLiteral("min"), fraPowerPar[i]);
        row(2 + k, LabDelay[j], delay[j], LabMin[j]);
    }
    layout->addWidget(fraPowerPar[i]);

    auto* dividerRow = new QHBoxLayout;
    divider[i] = new SpinText(indexed("txtDivider", i), indexed("updDivider", i), out + " Puls divider", frame);
    dividerRow->addWidget(new QLabel(QStringLiteral("Puls divider")));
    dividerRow->addWidget(divider[i]);
    layout->addLayout(dividerRow);

    using namespace device;
    powerLevel[i]->setup(kPowerLevelRangeW.minimum, kPowerLevelRangeW.maximum, 1, 0);
    powerDiff[i]->setup(kPowerDiffRangeW.minimum, kPowerDiffRangeW.maximum, 1, 0);
    delay[2 * i]->setup(kDelayRangeMinutes.minimum, kDelayRangeMinutes.maximum, 1, 0);
    delay[2 * i + 1]->setup(kDelayRangeMinutes.minimum, kDelayRangeMinutes.maximum, 1, 0);
    divider[i]->setup(kDividerRange.minimum, kDividerRange.maximum, 1, kDividerStart);
    return frame;
}

void FrmQMR51::buildSettings()
{
    fraSettings = named(new QGroupBox(QStringLiteral("Settings"), leftColumn_), QStringLiteral("fraSettings"),
                        QStringLiteral("Settings"));
    auto* layout = new QVBoxLayout(fraSettings);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(3);
    for (int i = 0; i < 2; ++i) {
        fraOut[i] = buildOutFrame(i);
        layout->addWidget(fraOut[i]);
    }

    auto* device = new QGridLayout;
    modbusAddress = new SpinText(QStringLiteral("txtModbusAddress"), QStringLiteral("updModbusAddress"),
                                 QStringLiteral("Modbus Address"), fraSettings);
    interval = new SpinText(QStringLiteral("txtInterval"), QStringLiteral("updInterval"), QStringLiteral("Refresh speed"),
                            fraSettings);
    device->addWidget(new QLabel(QStringLiteral("Modbus Address")), 0, 0);
    device->addWidget(modbusAddress, 0, 1);
    device->addWidget(new QLabel(QStringLiteral("Refresh speed")), 1, 0);
    device->addWidget(interval, 1, 1);
    layout->addLayout(device);
    // The interval changes through its spin button only.
    interval->text()->setReadOnly(true);

    fraProtocol = named(new QGroupBox(QStringLiteral("Protocol DSMR")), QStringLiteral("fraProtocol"),
                        QStringLiteral("Protocol DSMR"));
    cmbProtocol = named(new QComboBox(fraProtocol), QStringLiteral("cmbProtocol"), QStringLiteral("Protocol DSMR"));
    (new QVBoxLayout(fraProtocol))->addWidget(cmbProtocol);
    fraProtocol->layout()->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(fraProtocol);

    fraCountry = named(new QGroupBox(QStringLiteral("Country")), QStringLiteral("fraCountry"), QStringLiteral("Country"));
    auto* country = new QHBoxLayout(fraCountry);
    country->setContentsMargins(4, 2, 4, 2);
    const QString countries[] = {QStringLiteral("Nederland"), QStringLiteral("België")};
    for (int k = 0; k < 2; ++k) {
        optNLofB[k] = named(new QRadioButton(countries[k], fraCountry), indexed("optNLofB", k), countries[k]);
        country->addWidget(optNLofB[k]);
    }
    layout->addWidget(fraCountry);

    fraInputs = named(new QGroupBox(QStringLiteral("Input pulses")), QStringLiteral("fraInputs"),
                      QStringLiteral("Input pulses"));
    auto* inputs = new QGridLayout(fraInputs);
    inputs->setContentsMargins(4, 2, 4, 2);
    for (int i = 0; i < 2; ++i) {
        const QString number = QStringLiteral("%1.").arg(i + 1);
        txtInput[i] = named(new QLineEdit(fraInputs), indexed("txtInput", i), QStringLiteral("Input pulses ") + number);
        cmdSendInput[i] = named(new QPushButton(QStringLiteral("Send"), fraInputs), indexed("cmdSendInput", i),
                                QStringLiteral("Send input ") + number);
        inputs->addWidget(new QLabel(number), i, 0);
        inputs->addWidget(txtInput[i], i, 1);
        inputs->addWidget(cmdSendInput[i], i, 2);
    }
    layout->addWidget(fraInputs);

    modbusAddress->setup(device::kModbusAddressRange.minimum, device::kModbusAddressRange.maximum, 1,
                         device::kModbusAddressStart);
    interval->setup(device::kIntervalRangeSeconds.minimum, device::kIntervalRangeSeconds.maximum,
                    device::kIntervalStepSeconds, device::kIntervalStartSeconds);
    interval->text()->setText(QStringLiteral("60 sec."));
    modbusAddress->text()->setText(QStringLiteral("1"));
    for (SpinText* s : {powerLevel[0], powerLevel[1], powerDiff[0], powerDiff[1]})
        s->text()->setText(QStringLiteral("0"));
    for (SpinText* s : delay)
        s->text()->setText(QStringLiteral("0"));
    for (SpinText* s : divider)
        s->text()->setText(QStringLiteral("10"));
}

void FrmQMR51::buildDebugFrame(QWidget* parent)
{
    fraDebug = named(new QGroupBox(QStringLiteral("Debug Log"), parent), QStringLiteral("fraDebug"), QStringLiteral("Debug Log"));
    // The frame lies over the grid's captions when shown; it must hide them, not let them through.
    fraDebug->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(fraDebug);
    txtDebugLog = named(new QPlainTextEdit(fraDebug), QStringLiteral("txtDebugLog"), QStringLiteral("Debug log text"));
    txtDebugLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtDebugLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(txtDebugLog, 1);
    auto* buttons = new QHBoxLayout;
    cmdReadDebugLog = button(QStringLiteral("cmdReadDebugLog"), QStringLiteral("Read"), fraDebug);
    cmdSaveDebugLog = button(QStringLiteral("cmdSaveDebugLog"), QStringLiteral("Open in Notepad"), fraDebug);
    cmldClear = button(QStringLiteral("cmldClear"), QStringLiteral("Clear"), fraDebug);
    cmdStopDebugLog = button(QStringLiteral("cmdStopDebugLog"), QStringLiteral("Exit"), fraDebug);
    for (QPushButton* b : {cmdReadDebugLog, cmdSaveDebugLog, cmldClear, cmdStopDebugLog})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addLayout(buttons);
}

void FrmQMR51::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applySizeRules();
}

void FrmQMR51::applySizeRules()
{
    // The window is never narrower than 10000 twips nor lower than 2000 twips; the grid fills the
    // rest beside the settings. Nothing else moves.
    if (width() < twips(kMinWidthTwips) || height() < twips(kMinHeightTwips)) {
        resize(std::max(width(), twips(kMinWidthTwips)), std::max(height(), twips(kMinHeightTwips)));
        return;
    }
    const int settingsWidth = twips(kSettingsWidthTwips);
    leftColumn_->setGeometry(twips(kSettingsLeftTwips), 0, settingsWidth, area_->height());
    const int gridWidth = std::max(0, width() - settingsWidth - twips(kGridMarginTwips));
    const int gridHeight = std::max(0, height() - twips(1000));
    grdInterfaces->setGeometry(twips(kGridLeftTwips), twips(kGridTopTwips), gridWidth, gridHeight);
    // The chart takes the grid's place and the strip of group captions above it (they name grid
    // columns), as the debug frame does.
    chtReadings->setGeometry(twips(kGridLeftTwips), 0, gridWidth, twips(kGridTopTwips) + gridHeight);
    // The view buttons sit under the grid's left end, like a spreadsheet's sheet tabs.
    const int tabTop = grdInterfaces->geometry().bottom() + 2;
    const int tabHeight = std::max(1, std::min(cmdShowGrid->sizeHint().height(), area_->height() - tabTop));
    cmdShowGrid->setGeometry(twips(kGridLeftTwips), tabTop, cmdShowGrid->sizeHint().width(), tabHeight);
    cmdShowChart->setGeometry(cmdShowGrid->geometry().right() + 2, tabTop, cmdShowChart->sizeHint().width(), tabHeight);
    Label1->setGeometry(twips(5370), twips(15), twips(4065), twips(270));
    Label2->setGeometry(twips(9855), twips(15), twips(3780), twips(270));
    labInput->setGeometry(twips(18450), twips(30), twips(2070), twips(270));
    if (fraDebug->isVisible())
        fraDebug->setGeometry(twips(kGridLeftTwips), 0, gridWidth, gridHeight + twips(kGridTopTwips));
}

void FrmQMR51::closeEvent(QCloseEvent* event)
{
    // The request to close is never refused; the shut-down pause runs before the window goes.
    emit unloading();
    event->accept();
}

} // namespace shell
