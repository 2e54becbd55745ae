#include "FakePlatform.h"
#include "device/ui/SettingsSender.h"
#include "shell/ui/Tool.h"
#include "view/ui/SettingsEditor.h"
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRadioButton>
#include <QToolButton>
#include <functional>
#include "ToolHarness.h"
#include <gtest/gtest.h>

namespace {

using shell::SpinText;
using Pick = std::function<SpinText*(shell::FrmQMR51&)>;

struct EditorRig : fakes::ToolHarness {
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

// A click on one arrow of a spin button, as the mouse does it.
void clickArrow(shell::SpinButton* spin, const char* arrow)
{
    for (QToolButton* b : spin->findChildren<QToolButton*>()) {
        if (b->accessibleName() != QLatin1String(arrow))
            continue;
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), b->mapToGlobal(QPointF(4, 4)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(4, 4), b->mapToGlobal(QPointF(4, 4)), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(b, &press);
        QCoreApplication::sendEvent(b, &release);
    }
}

struct TextCase {
    const char* name;
    Pick box;
    int valueBefore;
    QString typed;    // set as the box's whole text
    int value;        // afterwards
    QString text;     // afterwards
    bool arms;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class TextRules : public testing::TestWithParam<TextCase> {};

TEST_P(TextRules, TypedTextIsAdoptedCutIgnoredOrRestored)
{
    const TextCase& c = GetParam();
    EditorRig rig;
    SpinText* box = c.box(rig.tool.frm);
    box->spin()->setValue(c.valueBefore);
    rig.tool.frm.timTXSettings.stop();

    box->text()->setText(c.typed);

    EXPECT_EQ(box->spin()->value(), c.value);
    EXPECT_EQ(box->text()->text(), c.text);
    EXPECT_EQ(rig.armed(), c.arms);
}

const Pick delayOn = [](shell::FrmQMR51& f) { return f.delay[0]; };
const Pick delayOff2 = [](shell::FrmQMR51& f) { return f.delay[3]; };
const Pick level = [](shell::FrmQMR51& f) { return f.powerLevel[1]; };
const Pick divider = [](shell::FrmQMR51& f) { return f.divider[0]; };
const Pick modbus = [](shell::FrmQMR51& f) { return f.modbusAddress; };

INSTANTIATE_TEST_SUITE_P(
    Boxes, TextRules,
    testing::Values(TextCase{"DelayAboveMaximumIsCut", delayOn, 0, "300", 250, "250", true},
                    TextCase{"DelayTakesTheLeadingNumber", delayOff2, 0, "12abc", 12, "12", true},
                    TextCase{"DelayTextEqualToTheValueStaysAsTyped", delayOn, 12, "12abc", 12, "12abc", false},
                    TextCase{"DelayMinusGivesTheMinimum", delayOn, 7, "-5", 0, "0", true},
                    TextCase{"DelayHalfRoundsToEvenDown", delayOn, 0, "2.5", 2, "2", true},
                    TextCase{"LevelAboveMaximumIsCut", level, 0, "40000", 32767, "32767", true},
                    TextCase{"DividerZeroIsIgnored", divider, 10, "0", 10, "0", false},
                    TextCase{"DividerAboveRangeIsIgnored", divider, 10, "201", 10, "201", false},
                    TextCase{"DividerWithinRangeIsAdopted", divider, 10, "150", 150, "150", true},
                    TextCase{"ModbusZeroShowsNotApplicable", modbus, 1, "0", 0, "n/a", true},
                    TextCase{"ModbusOutOfRangeRestoresTheValue", modbus, 17, "300", 17, "17", false},
                    TextCase{"ModbusOutOfRangeRestoresNotApplicable", modbus, 0, "300", 0, "n/a", false},
                    TextCase{"ModbusWithinRangeIsAdopted", modbus, 1, "254", 254, "254", true}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(SettingsEditor, TypingThreeHundredIntoAnOnDelaySendsTwoHundredFiftyOnce)
{
    EditorRig rig;
    auto& f = rig.tool.frm;
    rig.connect(7, fakes::tikaIdentity({24, 2, 0, 1}, "21M00001", 2, 1, {}, fakes::bytes({0, 0, 0, 0})));
    rig.p.port.writes.clear();
    f.timTXSettings.stop();
    f.delay[0]->text()->setText(QString());

    QList<int> values;
    for (QChar c : QStringLiteral("300")) {
        type(f.delay[0]->text(), c);
        values.append(f.delay[0]->spin()->value());
    }
    EXPECT_EQ(values, (QList<int>{3, 30, 250}));
    EXPECT_EQ(f.delay[0]->text()->text(), "250");
    ASSERT_TRUE(rig.armed());

    int sends = 0;
    for (; f.timTXSettings.isActive() && sends < 5; ++sends)
        rig.tool.sender().timTXSettings_Timer();
    EXPECT_EQ(sends, 1);
    ASSERT_EQ(rig.p.port.writes.size(), 1);
    const QByteArray frame = rig.p.port.writes[0];
    ASSERT_EQ(frame.size(), 21); // '*', 66, 18 settings bytes, '#'
    EXPECT_EQ(frame.left(2), QByteArray("*B"));
    EXPECT_EQ(static_cast<std::uint8_t>(frame[2 + 14]), 250);
}

TEST(SettingsEditor, PowerBoxesTakeDigitsOnlyWhileDelayBoxesTakeAnything)
{
    EditorRig rig;
    auto& f = rig.tool.frm;
    f.cmbOutSelector[1]->setCurrentIndex(13); // lets the difference above the level
    f.timTXSettings.stop();
    for (SpinText* box : {f.powerLevel[0], f.powerDiff[1]}) {
        type(box->text(), "a-.x");
        EXPECT_EQ(box->text()->text(), "0");
        EXPECT_FALSE(rig.armed());
        type(box->text(), "\b7");
        EXPECT_EQ(box->spin()->value(), 7);
        f.timTXSettings.stop();
    }
    type(f.delay[2]->text(), "a");
    EXPECT_EQ(f.delay[2]->text()->text(), "0a");
    EXPECT_FALSE(rig.armed());
}

struct PressCase {
    const char* name;
    Pick box;
    int start;
    int afterClick;    // one click on the up arrow
    int afterRepeat;   // one more move with the step left behind, as a held arrow repeats
    QString text;
};
void PrintTo(const PressCase& c, std::ostream* os) { *os << c.name; }

class SpinPresses : public testing::TestWithParam<PressCase> {};

TEST_P(SpinPresses, AClickMovesByOneAndAHeldArrowRepeatsWithItsStep)
{
    const PressCase& c = GetParam();
    EditorRig rig;
    rig.tool.frm.cmbOutSelector[0]->setCurrentIndex(13); // lets the difference above the level
    shell::SpinButton* spin = c.box(rig.tool.frm)->spin();
    spin->setValue(c.start);
    clickArrow(spin, "Up");
    EXPECT_EQ(spin->value(), c.afterClick);
    spin->stepUp();
    EXPECT_EQ(spin->value(), c.afterRepeat);
    EXPECT_EQ(c.box(rig.tool.frm)->text()->text(), c.text);
    EXPECT_TRUE(rig.armed());
}

INSTANTIATE_TEST_SUITE_P(
    Spins, SpinPresses,
    testing::Values(PressCase{"Level", [](shell::FrmQMR51& f) { return f.powerLevel[0]; }, 20, 21, 31, "31"},
                    PressCase{"Diff", [](shell::FrmQMR51& f) { return f.powerDiff[0]; }, 0, 1, 11, "11"},
                    PressCase{"Delay", delayOff2, 20, 21, 31, "31"},
                    PressCase{"Divider", divider, 20, 21, 22, "22"},
                    PressCase{"Modbus", modbus, 0, 1, 2, "2"},
                    PressCase{"Interval", [](shell::FrmQMR51& f) { return f.interval; }, 30, 35, 40, "40 sec."}),
    [](const testing::TestParamInfo<PressCase>& info) { return std::string(info.param.name); });

TEST(SettingsEditor, OnlyThePowerFunctionsShowThePowerFrame)
{
    const struct {
        int index;
        bool shown;
    } cases[] = {{12, true}, {-1, false}, {13, true}, {4, false}, {11, false}};
    EditorRig rig;
    auto& f = rig.tool.frm;
    for (const auto& c : cases) {
        f.timTXSettings.stop();
        f.cmbOutSelector[1]->setCurrentIndex(c.index);
        EXPECT_EQ(!f.fraPowerPar[1]->isHidden(), c.shown) << "function " << c.index;
        EXPECT_EQ(rig.armed(), c.index >= 0) << "function " << c.index; // -1 is no choice of a setting
    }
}

TEST(SettingsEditor, FillingTheListsChangesNoSetting)
{
    EditorRig rig; // the load filled both function lists
    auto& f = rig.tool.frm;
    EXPECT_FALSE(rig.armed());
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(f.fraPowerPar[i]->isHidden());
        EXPECT_EQ(f.powerDiff[i]->spin()->maximum(), 32767);
    }
    f.cmbProtocol->clear();
    f.cmbProtocol->addItems({"2.0 (NL)", "4.0 (NL)", "5.0 (NL)", "BE"}); // as a connect fills it
    EXPECT_FALSE(rig.armed());
    f.cmbProtocol->setCurrentIndex(3);
    EXPECT_TRUE(rig.armed());
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

TEST(SettingsEditor, ACountryClickArmsTheSettingsTimer)
{
    EditorRig rig;
    rig.tool.frm.optNLofB[1]->click();
    EXPECT_TRUE(rig.armed());
}

} // namespace
