#include "view/ui/SettingsEditor.h"
#include "device/SettingsLimits.h"
#include "device/ui/SettingsSender.h"
#include "shell/ui/Tool.h"
#include "device/VbNumber.h"
#include <QComboBox>
#include <QFrame>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace view {

namespace {

constexpr int kSettingsDelayMs = 1000;
constexpr int kHeldStep = 10;
constexpr int kClickStep = 1;

// The number typed into a box, as the settings rules read it ("n/a", "" and letters read 0).
double typedNumber(const shell::SpinText& box)
{
    const double t = device::vbLeadingNumber(box.text()->text());
    return std::isnan(t) ? 0.0 : t;
}

// The typed number rounded (halves to even) and held within the spin button's range, so that a
// huge or negative number never overflows the whole-number value.
int adoptedValue(double typed, const shell::SpinButton& spin)
{
    const double rounded = device::roundHalfEven(typed);
    return static_cast<int>(std::clamp(rounded, static_cast<double>(spin.minimum()),
                                       static_cast<double>(std::max(spin.minimum(), spin.maximum()))));
}

// Calls `chosen` whenever the list position is set, by the user or by the program, but not when it
// moves only because the list is being filled or emptied: the lists are filled at start-up and at
// every connect, and that changes no setting of the device. (The list's own reaction to the new
// rows runs first, inside the bracket of the model's about-to/done signals connected here.)
void onItemChosen(QComboBox* list, QObject* context, std::function<void()> chosen)
{
    auto filling = std::make_shared<int>(0);
    auto begin = [filling] { ++*filling; };
    auto end = [filling] { --*filling; };
    const QAbstractItemModel* model = list->model();
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeInserted, context, begin);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, context, end);
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, context, begin);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, context, end);
    QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, context, begin);
    QObject::connect(model, &QAbstractItemModel::modelReset, context, end);
    QObject::connect(list, &QComboBox::currentIndexChanged, context, [filling, chosen = std::move(chosen)] {
        if (*filling == 0)
            chosen();
    });
}

} // namespace

SettingsEditor::SettingsEditor(shell::Tool& tool) : tool_(tool)
{
    auto& f = tool_.frm;
    for (int i = 0; i < 2; ++i) {
        connectSpinText(*f.powerLevel[i], &SettingsEditor::updPowerLevel_Change, &SettingsEditor::txtPowerLevel_Change, i);
        connectSpinText(*f.powerDiff[i], &SettingsEditor::updPowerDiff_Change, &SettingsEditor::txtPowerDiff_Change, i);
        connectSpinText(*f.divider[i], &SettingsEditor::updDivider_Change, &SettingsEditor::txtDivider_Change, i);
        QObject::connect(f.powerLevel[i]->spin(), &shell::SpinButton::mousePressed, &connections_,
                         [this, i] { updPowerLevel_MouseDown(i); });
        QObject::connect(f.powerDiff[i]->spin(), &shell::SpinButton::mousePressed, &connections_,
                         [this, i] { updPowerDiff_MouseDown(i); });
        // Power values are whole watts: only digits (and backspace) get into these boxes, typed
        // or pasted. The other boxes take anything; their rules read the leading number.
        for (shell::SpinText* box : {f.powerLevel[i], f.powerDiff[i]})
            box->text()->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box->text()));
        onItemChosen(f.cmbOutSelector[i], &connections_, [this, i] { cmbOutSelector_Click(i); });
        QObject::connect(f.optNLofB[i], &QRadioButton::clicked, &connections_, [this, i] { optNLofB_Click(i); });
    }
    for (int j = 0; j < 4; ++j) {
        connectSpinText(*f.delay[j], &SettingsEditor::updDelay_Change, &SettingsEditor::txtDelay_Change, j);
        QObject::connect(f.delay[j]->spin(), &shell::SpinButton::mousePressed, &connections_,
                         [this, j] { updDelay_MouseDown(j); });
    }
    QObject::connect(f.modbusAddress->spin(), &shell::SpinButton::changed, &connections_,
                     [this] { updModbusAddress_Change(); });
    QObject::connect(f.modbusAddress->text(), &QLineEdit::textChanged, &connections_,
                     [this] { txtModbusAddress_Change(); });
    QObject::connect(f.interval->spin(), &shell::SpinButton::changed, &connections_, [this] { updInterval_Change(); });
    onItemChosen(f.cmbProtocol, &connections_, [this] { cmbProtocol_Click(); });
}

void SettingsEditor::connectSpinText(shell::SpinText& box, void (SettingsEditor::*spinChanged)(int),
                                     void (SettingsEditor::*textChanged)(int), int index)
{
    QObject::connect(box.spin(), &shell::SpinButton::changed, &connections_,
                     [this, spinChanged, index] { (this->*spinChanged)(index); });
    QObject::connect(box.text(), &QLineEdit::textChanged, &connections_,
                     [this, textChanged, index] { (this->*textChanged)(index); });
}

void SettingsEditor::arm()
{
    // A click that changes nothing (an arrow at its limit, a run of changes that ends where it
    // began) sends nothing. Otherwise setting the period restarts the count: the record goes out
    // a second after the last change.
    if (tool_.sender().changesPending())
        tool_.frm.timTXSettings.start(kSettingsDelayMs);
    else
        tool_.frm.timTXSettings.stop();
}

void SettingsEditor::rewriteText(shell::SpinText& box, const QString& text)
{
    // The same text again would change nothing; only a different one raises the text rule.
    if (box.text()->text() != text)
        box.text()->setText(text);
}

// ---- Spin value changed -------------------------------------------------------------------------

void SettingsEditor::updPowerLevel_Change(int i)
{
    shell::SpinText& box = *tool_.frm.powerLevel[i];
    box.spin()->setStep(kHeldStep);
    rewriteText(box, QString::number(box.spin()->value()));
    differenceMaximumRule(i);
    arm();
}

void SettingsEditor::updPowerDiff_Change(int i)
{
    shell::SpinText& box = *tool_.frm.powerDiff[i];
    box.spin()->setStep(kHeldStep);
    rewriteText(box, QString::number(box.spin()->value()));
    arm();
}

void SettingsEditor::updDelay_Change(int j)
{
    shell::SpinText& box = *tool_.frm.delay[j];
    box.spin()->setStep(kHeldStep);
    rewriteText(box, QString::number(box.spin()->value()));
    arm();
}

void SettingsEditor::updDivider_Change(int i)
{
    shell::SpinText& box = *tool_.frm.divider[i];
    rewriteText(box, QString::number(box.spin()->value()));
    arm();
}

void SettingsEditor::updInterval_Change()
{
    shell::SpinText& box = *tool_.frm.interval;
    rewriteText(box, QString::number(box.spin()->value()) + QStringLiteral(" sec."));
    arm();
}

void SettingsEditor::updModbusAddress_Change()
{
    shell::SpinText& box = *tool_.frm.modbusAddress;
    const int value = box.spin()->value();
    rewriteText(box, value == 0 ? QStringLiteral("n/a") : QString::number(value));
    arm();
}

void SettingsEditor::differenceMaximumRule(int i)
{
    auto& f = tool_.frm;
    f.powerDiff[i]->spin()->setMaximum(
        device::powerDiffUpperBound(f.cmbOutSelector[i]->currentIndex(), f.powerLevel[i]->spin()->value()));
}

// ---- Mouse pressed on a spin button -------------------------------------------------------------

void SettingsEditor::updPowerLevel_MouseDown(int i) { tool_.frm.powerLevel[i]->spin()->setStep(kClickStep); }
void SettingsEditor::updPowerDiff_MouseDown(int i) { tool_.frm.powerDiff[i]->spin()->setStep(kClickStep); }
void SettingsEditor::updDelay_MouseDown(int j) { tool_.frm.delay[j]->spin()->setStep(kClickStep); }

// ---- Text changed -------------------------------------------------------------------------------

void SettingsEditor::adoptCapped(shell::SpinText& box)
{
    shell::SpinButton& spin = *box.spin();
    const double t = typedNumber(box);
    if (t == spin.value())
        return;
    // Too much is cut to the maximum; a typed minus gives the minimum, never a negative setting.
    spin.setValue(t <= spin.maximum() ? adoptedValue(t, spin) : spin.maximum());
}

void SettingsEditor::txtPowerLevel_Change(int i) { adoptCapped(*tool_.frm.powerLevel[i]); }
void SettingsEditor::txtPowerDiff_Change(int i) { adoptCapped(*tool_.frm.powerDiff[i]); }
void SettingsEditor::txtDelay_Change(int j) { adoptCapped(*tool_.frm.delay[j]); }

void SettingsEditor::txtDivider_Change(int i)
{
    shell::SpinText& box = *tool_.frm.divider[i];
    shell::SpinButton& spin = *box.spin();
    const double t = typedNumber(box);
    if (t == spin.value())
        return;
    // A divider of 0 would divide by zero in the module; out-of-range text is left as typed and
    // changes nothing until it becomes a valid number.
    if (t >= spin.minimum() && t <= spin.maximum())
        spin.setValue(adoptedValue(t, spin));
}

void SettingsEditor::txtModbusAddress_Change()
{
    shell::SpinText& box = *tool_.frm.modbusAddress;
    shell::SpinButton& spin = *box.spin();
    if (typedNumber(box) == 0)
        rewriteText(box, QStringLiteral("n/a"));
    const double t = typedNumber(box);
    if (t == spin.value())
        return;
    if (t >= spin.minimum() && t <= spin.maximum())
        spin.setValue(adoptedValue(t, spin));
    else
        box.text()->setText(QString::number(spin.value())); // 0 turns into "n/a" in the rule it raises
}

// ---- Lists and option buttons -------------------------------------------------------------------

void SettingsEditor::cmbOutSelector_Click(int i)
{
    auto& f = tool_.frm;
    const QComboBox& function = *f.cmbOutSelector[i];
    const int index = function.currentIndex();
    if (index < 0) {
        // No function shown (the window as it starts): nothing of the output is in use, and no
        // setting has changed.
        f.fraPowerPar[i]->hide();
        return;
    }
    arm();
    // Level, difference and delays only mean something for the two power functions.
    f.fraPowerPar[i]->setVisible(device::usesPowerSettings(index));
    differenceMaximumRule(i);
}

void SettingsEditor::cmbProtocol_Click() { arm(); }

void SettingsEditor::optNLofB_Click(int) { arm(); }

} // namespace view
