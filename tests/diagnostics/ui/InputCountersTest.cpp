#include "FakePlatform.h"
#include "diagnostics/ui/InputCounters.h"
#include "shell/ui/Tool.h"
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

struct InputRig {
    fakes::FakePlatform p;
    shell::Tool tool{p.services};
    InputRig()
    {
        tool.Form_Load();
        p.port.open(7);
        tool.state.ComPort = 7;
        tool.state.DeviceType = device::DeviceKind::TikaV2;
    }
};

// Parsing, question text and payload are pinned in InputCounterTest; here each button sends its own
// input's value after the question.
TEST(InputCounters, ConfirmedValuesGoOutMostSignificantByteFirst)
{
    const struct {
        int input;
        QString text;
        QString question;
        QByteArray frame;
    } cases[] = {
        {1, "258", "Are you sure to set Input 2 to 258?", QByteArray("*\x86\x00\x00\x01\x02\x86#", 8)},
        {0, "2147483647", "Are you sure to set Input 1 to 2147483647?", QByteArray("*\x85\x7F\xFF\xFF\xFF\x85#", 8)},
    };
    for (const auto& c : cases) {
        InputRig rig;
        rig.tool.frm.txtInput[c.input]->setText(c.text);
        rig.p.dialogs.answers = {true};
        rig.tool.frm.cmdSendInput[c.input]->click();
        EXPECT_EQ(rig.p.dialogs.questions, QStringList{c.question});
        EXPECT_EQ(rig.p.port.writes, QList<QByteArray>{c.frame}) << c.text.toStdString();
    }
}

// Nothing reaches the device when the user answers No, or when the value is refused (told in a
// message before any question is asked).
TEST(InputCounters, NoAndARefusedValueSendNothing)
{
    const struct {
        const char* text;
        bool answer;
        int questions;
        int messages;
    } cases[] = {{"258", false, 1, 0}, {"-5", true, 0, 1}};
    for (const auto& c : cases) {
        InputRig rig;
        rig.tool.frm.txtInput[1]->setText(c.text);
        rig.p.dialogs.answers = {c.answer};
        rig.tool.inputs().cmdSendInput_Click(1);
        EXPECT_EQ(rig.p.dialogs.questions.size(), c.questions) << c.text;
        EXPECT_EQ(rig.p.dialogs.messages.size(), c.messages) << c.text;
        EXPECT_TRUE(rig.p.port.writes.isEmpty()) << c.text;
    }
}

TEST(InputCounters, TheBoxHoldsNothingAboveTheCounterMaximum)
{
    InputRig rig;
    rig.tool.frm.txtInput[1]->setText("3000000000");
    EXPECT_EQ(rig.tool.frm.txtInput[1]->text(), "2147483647");
}

} // namespace
