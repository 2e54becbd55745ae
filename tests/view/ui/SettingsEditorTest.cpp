// The rules that keep each settings text box and its spin button in step and arm the settings
// timer. The leading-number reading and the rounding are pinned in VbNumberTest; what a tick sends
// is in WindowFlowsTest.
#include "ToolHarness.h"
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

using shell::FrmQMR51;
using shell::SpinText;
using Act = std::function<void(FrmQMR51&, SpinText*)>;

// Keys as the keyboard sends them; '\b' is Backspace.
Act keys(const QString& typed)
{
    return [typed](FrmQMR51&, SpinText* box) {
        for (QChar c : typed) {
            QKeyEvent press(QEvent::KeyPress, c == u'\b' ? int(Qt::Key_Backspace) : int(c.toUpper().unicode()),
                            Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(box->text(), &press);
        }
    };
}
Act setText(const QString& text) { return [text](FrmQMR51&, SpinText* box) { box->text()->setText(text); }; }

// A mouse click on the up arrow, then two repeats of the step the click leaves, as a held arrow does.
Act clickUp()
{
    return [](FrmQMR51&, SpinText* box) {
        for (QToolButton* b : box->spin()->findChildren<QToolButton*>())
            for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent e(t, QPointF(4, 4), b->mapToGlobal(QPointF(4, 4)), Qt::LeftButton,
                              t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                if (b->accessibleName() == QLatin1String("Up"))
                    QCoreApplication::sendEvent(b, &e);
            }
        box->spin()->stepUp();
        box->spin()->stepUp();
    };
}

// Out 1 at level 500 W with the function given (12 "Import Power >", 13 "Export Power >"), the box
// at its value before; then the action, and the box's value, text and the settings timer after it.
// A TIKA (delays 5) takes power settings and delays, a QMR51 the interval.
TEST(SettingsEditor, TextAndSpinButtonStayInStepWithinTheirBounds)
{
    const struct {
        const char* name; const char* box; bool qmr51; int function, before; Act act; int value; QString text; bool arms;
    } cases[] = {
        {"delay above its maximum is cut", "txtDelay(0)", false, 13, 0, setText("300"), 250, "250", true},
        {"a text that reads as the value stays as typed", "txtDelay(0)", false, 13, 12, setText("12abc"), 12, "12abc", false},
        {"a minus gives the minimum", "txtDelay(0)", false, 13, 7, setText("-5"), 0, "0", true},
        {"a delay box takes any key", "txtDelay(0)", false, 13, 5, keys("a"), 5, "5a", false},
        {"divider 0 is ignored", "txtDivider(0)", false, 13, 10, setText("0"), 10, "0", false},
        {"divider within range is adopted", "txtDivider(0)", false, 13, 10, setText("150"), 150, "150", true},
        {"Modbus 0 shows n/a", "txtModbusAddress", false, 13, 1, setText("0"), 0, "n/a", true},
        {"Modbus out of range restores the value", "txtModbusAddress", false, 13, 17, setText("300"), 17, "17", false},
        {"a power box takes digits only", "txtPowerLevel(0)", false, 13, 0, keys("a-.x\b7"), 7, "7", true},
        // A click moves by 1, then a held arrow by 10 for powers and delays, 1 for the divider; 5 s for the interval.
        {"level", "txtPowerLevel(0)", false, 13, 20, clickUp(), 41, "41", true},
        {"delay", "txtDelay(3)", false, 13, 20, clickUp(), 41, "41", true},
        {"divider", "txtDivider(0)", false, 13, 20, clickUp(), 23, "23", true},
        {"interval", "txtInterval", true, 13, 30, clickUp(), 45, "45 sec.", true},
        // The difference may exceed the level for "Export Power >" only.
        {"export: above the level", "txtPowerDiff(0)", false, 13, 0, setText("700"), 700, "700", true},
        {"import: capped at the level", "txtPowerDiff(0)", false, 12, 0, setText("700"), 500, "500", true},
        {"import: a cap pulls the value down", "txtPowerDiff(0)", false, 13, 700,
         [](FrmQMR51& f, SpinText*) { f.cmbOutSelector[0]->setCurrentIndex(12); }, 500, "500", true},
        {"import: a higher level lifts the cap", "txtPowerDiff(0)", false, 12, 0,
         [](FrmQMR51& f, SpinText* box) { f.powerLevel[0]->text()->setText("800"); box->text()->setText("900"); },
         800, "800", true},
    };
    for (const auto& c : cases) {
        fakes::ToolHarness rig;
        rig.connect(7, c.qmr51 ? fakes::qmr51Identity({2, 1, 0, 5}, 10, 1, 4, 4, "Q5100042")
                               : fakes::tikaIdentity({24, 2, 0, 1}, "21M00001", 2, 1, {}, fakes::bytes({5, 5, 5, 5, 0, 0})));
        FrmQMR51& f = rig.tool.frm;
        f.cmbOutSelector[0]->setCurrentIndex(c.function);
        f.powerLevel[0]->spin()->setValue(500);
        auto* box = static_cast<SpinText*>(f.findChild<QLineEdit*>(c.box)->parentWidget());
        box->spin()->setValue(c.before);
        f.timTXSettings.stop();
        c.act(f, box);
        EXPECT_EQ(box->spin()->value(), c.value) << c.name;
        EXPECT_EQ(box->text()->text(), c.text) << c.name;
        EXPECT_EQ(f.timTXSettings.isActive() && f.timTXSettings.interval() == 1000, c.arms) << c.name;
    }
}

} // namespace
