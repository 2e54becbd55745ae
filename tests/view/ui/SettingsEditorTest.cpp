// The rules that keep each settings text box and its spin button in step, and arm the settings
// timer. The leading-number reading and the rounding are pinned in VbNumberTest.
#include "ToolHarness.h"
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRadioButton>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

using shell::SpinText;
using Pick = std::function<SpinText*(shell::FrmQMR51&)>;

// A connected device: a change is sent only when it differs from what the device holds. A TIKA
// takes the power settings and delays, a QMR51 the interval.
struct EditorRig : fakes::ToolHarness {
    explicit EditorRig(bool qmr51 = false)
    {
        connect(7, qmr51 ? fakes::qmr51Identity({2, 1, 0, 5}, 10, 1, 4, 4, "Q5100042")
                         : fakes::tikaIdentity({24, 2, 0, 1}, "21M00001", 2, 1, {}, fakes::bytes({5, 5, 5, 5, 0, 0})));
        p.port.writes.clear();
    }
    bool armed() const { return tool.frm.timTXSettings.isActive() && tool.frm.timTXSettings.interval() == 1000; }
};

void type(QWidget* box, const QString& keys)
{
    for (QChar c : keys) {
        const int key = c == u'\b' ? int(Qt::Key_Backspace) : int(c.toUpper().unicode());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(box, &press);
    }
}

// A click on the up arrow of a spin button, as the mouse does it.
void clickUp(shell::SpinButton* spin)
{
    for (QToolButton* b : spin->findChildren<QToolButton*>()) {
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, QPointF(4, 4), b->mapToGlobal(QPointF(4, 4)), Qt::LeftButton,
                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            if (b->accessibleName() == QLatin1String("Up"))
                QCoreApplication::sendEvent(b, &e);
        }
    }
}

const Pick delayOn = [](shell::FrmQMR51& f) { return f.delay[0]; };
const Pick divider = [](shell::FrmQMR51& f) { return f.divider[0]; };
const Pick modbus = [](shell::FrmQMR51& f) { return f.modbusAddress; };

TEST(SettingsEditor, TypedTextIsAdoptedCutIgnoredOrRestored)
{
    // The box's value before, the text set as a whole, then value, text and timer afterwards.
    const struct {
        const char* name; Pick box; int valueBefore; QString typed; int value; QString text; bool arms;
    } cases[] = {
        {"delay above its maximum is cut", delayOn, 0, "300", 250, "250", true},
        {"a text that reads as the value stays as typed", delayOn, 12, "12abc", 12, "12abc", false},
        {"a minus gives the minimum", delayOn, 7, "-5", 0, "0", true},
        {"divider 0 is ignored", divider, 10, "0", 10, "0", false},
        {"divider above its range is ignored", divider, 10, "201", 10, "201", false},
        {"divider within range is adopted", divider, 10, "150", 150, "150", true},
        {"Modbus 0 shows n/a", modbus, 1, "0", 0, "n/a", true},
        {"Modbus out of range restores the value", modbus, 17, "300", 17, "17", false},
        {"Modbus out of range restores n/a", modbus, 0, "300", 0, "n/a", false},
    };
    for (const auto& c : cases) {
        EditorRig rig;
        SpinText* box = c.box(rig.tool.frm);
        box->spin()->setValue(c.valueBefore);
        rig.tool.frm.timTXSettings.stop();
        box->text()->setText(c.typed);
        EXPECT_EQ(box->spin()->value(), c.value) << c.name;
        EXPECT_EQ(box->text()->text(), c.text) << c.name;
        EXPECT_EQ(rig.armed(), c.arms) << c.name;
    }
}

TEST(SettingsEditor, PowerBoxesTakeDigitsOnlyWhileDelayBoxesTakeAnything)
{
    EditorRig rig;
    auto& f = rig.tool.frm;
    f.powerLevel[0]->text()->setText("0");
    f.timTXSettings.stop();
    type(f.powerLevel[0]->text(), "a-.x");
    EXPECT_EQ(f.powerLevel[0]->text()->text(), "0");
    EXPECT_FALSE(rig.armed());
    type(f.powerLevel[0]->text(), "\b7");
    EXPECT_EQ(f.powerLevel[0]->spin()->value(), 7);
    type(f.delay[2]->text(), "a");
    EXPECT_EQ(f.delay[2]->text()->text(), "5a");
}

// Level, difference and delays move by 1 on a click and by 10 while the arrow is held; the divider
// always by 1, the interval by 5 seconds.
TEST(SettingsEditor, AClickMovesByOneAndAHeldArrowRepeatsWithItsStep)
{
    const struct { const char* name; Pick box; int start, afterClick, afterRepeat; QString text; } cases[] = {
        {"level", [](shell::FrmQMR51& f) { return f.powerLevel[0]; }, 20, 21, 31, "31"},
        {"difference", [](shell::FrmQMR51& f) { return f.powerDiff[0]; }, 0, 1, 11, "11"},
        {"delay", [](shell::FrmQMR51& f) { return f.delay[3]; }, 20, 21, 31, "31"},
        {"divider", divider, 20, 21, 22, "22"},
        {"interval", [](shell::FrmQMR51& f) { return f.interval; }, 30, 35, 40, "40 sec."},
    };
    for (const auto& c : cases) {
        EditorRig rig(std::string(c.name) == "interval");
        rig.tool.frm.cmbOutSelector[0]->setCurrentIndex(13); // lets the difference above the level
        shell::SpinButton* spin = c.box(rig.tool.frm)->spin();
        spin->setValue(c.start);
        clickUp(spin);
        EXPECT_EQ(spin->value(), c.afterClick) << c.name;
        spin->stepUp(); // a held arrow repeats with the step left behind
        EXPECT_EQ(spin->value(), c.afterRepeat) << c.name;
        EXPECT_EQ(c.box(rig.tool.frm)->text()->text(), c.text) << c.name;
        EXPECT_TRUE(rig.armed()) << c.name;
    }
}

TEST(SettingsEditor, OnlyAChosenPowerFunctionShowsThePowerFrameAndFillingAListIsNoChoice)
{
    EditorRig rig; // the load filled both function lists
    auto& f = rig.tool.frm;
    EXPECT_FALSE(rig.armed());
    EXPECT_TRUE(f.fraPowerPar[0]->isHidden());
    for (auto [index, shown] : {std::pair{12, true}, {-1, false}, {13, true}, {11, false}}) {
        f.timTXSettings.stop();
        f.cmbOutSelector[1]->setCurrentIndex(index);
        EXPECT_EQ(!f.fraPowerPar[1]->isHidden(), shown) << "function " << index;
        EXPECT_EQ(rig.armed(), index >= 0) << "function " << index;
    }
    f.timTXSettings.stop();
    f.cmbProtocol->setCurrentIndex(3);
    EXPECT_TRUE(rig.armed());

    EditorRig fresh;
    fresh.tool.frm.optNLofB[1]->click(); // the country only names the tariff: no settings record carries it
    EXPECT_FALSE(fresh.armed());
    fresh.tool.frm.delay[0]->spin()->setValue(6);
    fresh.tool.frm.delay[0]->spin()->setValue(5); // a run of changes that ends where it began
    EXPECT_FALSE(fresh.armed());
}

TEST(SettingsEditor, TheDifferenceMayExceedTheLevelForExportPowerOnly)
{
    EditorRig rig;
    auto& f = rig.tool.frm;
    shell::SpinButton& diff = *f.powerDiff[0]->spin();
    f.powerLevel[0]->spin()->setValue(500);
    f.cmbOutSelector[0]->setCurrentIndex(13); // "Export Power >"
    EXPECT_EQ(diff.maximum(), 32767);
    f.powerDiff[0]->text()->setText("700");
    EXPECT_EQ(diff.value(), 700);

    f.cmbOutSelector[0]->setCurrentIndex(12); // "Import Power >": the level caps the difference
    EXPECT_EQ(diff.maximum(), 500);
    EXPECT_EQ(diff.value(), 500);
    EXPECT_EQ(f.powerDiff[0]->text()->text(), "500");

    f.powerLevel[0]->text()->setText("800"); // a higher level lifts the cap with it
    EXPECT_EQ(diff.maximum(), 800);
    f.powerDiff[0]->text()->setText("900");
    EXPECT_EQ(diff.value(), 800);
}

} // namespace
