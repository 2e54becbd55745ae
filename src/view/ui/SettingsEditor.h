#pragma once
#include <QObject>

namespace shell {
class SpinText;
class Tool;
}

namespace view {

// The rules of the settings frame: each numeric setting is a text box with a spin button, and the
// two are kept in step in both directions; out-of-range input is cut, ignored or undone; the
// output function chooses which power settings an output shows; and every change arms the settings
// timer timTXSettings (1000 ms, restarted by each change), so a run of changes goes to the device
// as one settings record a second after the last of them.
//
// The handlers react to program-made changes exactly as to the user's: loading the device's
// settings at connect rewrites the texts, applies the difference maximum rule and arms the timer
// (which the connect then disarms). Text and spin handlers call each other; every chain ends
// because a text that already holds the spin value stops its rule.
//
// Spin steps: the power level, power difference and delays move by 1 on a click and by 10 while
// the arrow is held: a press sets the step to 1, and every change of the value sets it to 10, so
// the first move of a press is 1 and every repeat after it is 10.
class SettingsEditor {
public:
    explicit SettingsEditor(shell::Tool& tool);

    // Spin value changed: text rewritten in its normal form; arm.
    void updPowerLevel_Change(int i);  // also the difference maximum rule of output i
    void updPowerDiff_Change(int i);
    void updDelay_Change(int j);
    void updDivider_Change(int i);
    void updInterval_Change();         // "<value> sec."
    void updModbusAddress_Change();    // "n/a" for 0: the module then has no Modbus address

    // Mouse pressed on the spin button: the step of this click is 1. (The interval's spin button
    // keeps its step of 5 seconds and has no press handling.)
    void updPowerLevel_MouseDown(int i);
    void updPowerDiff_MouseDown(int i);
    void updDelay_MouseDown(int j);

    // Text changed. Level, difference and delays adopt the typed number, capped at the maximum
    // (a typed minus gives the minimum 0); the divider adopts it only within its range; the Modbus
    // address shows 0 as "n/a", adopts values within range and restores the box otherwise.
    void txtPowerLevel_Change(int i);
    void txtPowerDiff_Change(int i);
    void txtDelay_Change(int j);
    void txtDivider_Change(int i);
    void txtModbusAddress_Change();

    // List position of an output function set (by the user or the program): arm; the power frame
    // is shown for the two power functions only; the difference maximum rule. With no function
    // chosen (position -1) the power frame is hidden and nothing else happens. Filling or emptying
    // a list is no choice and raises nothing, here nor for the protocol list.
    void cmbOutSelector_Click(int i);
    void cmbProtocol_Click();
    // The country only names the tariff in the grid, but a click arms the timer like any setting.
    void optNLofB_Click(int k);

private:
    void arm();
    // "Export Power >" lets the difference rise to 32767; any other function caps it at the level.
    // Lowering the maximum below the difference pulls the difference down with it.
    void differenceMaximumRule(int i);
    void adoptCapped(shell::SpinText& box);
    void rewriteText(shell::SpinText& box, const QString& text);
    void connectSpinText(shell::SpinText& box, void (SettingsEditor::*spinChanged)(int),
                         void (SettingsEditor::*textChanged)(int), int index);

    shell::Tool& tool_;
    // Context of the control connections: they end with this handler.
    QObject connections_;
};

} // namespace view
