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

TEST(InputCounters, ConfirmedValuesGoOutMostSignificantByteFirst)
{
    const struct {
        int input;
        QString text;
        QString question;
        QByteArray frame;
    } cases[] = {
        {1, "258", "Are you sure to set Input 2 to 258?", QByteArray("*\x86\x00\x00\x01\x02\x86#", 8)},
        {0, "0", "Are you sure to set Input 1 to 0?", QByteArray("*\x85\x00\x00\x00\x00\x85#", 8)},
        {0, "", "Are you sure to set Input 1 to 0?", QByteArray("*\x85\x00\x00\x00\x00\x85#", 8)},
        {1, " 16909060 pulses", "Are you sure to set Input 2 to 16909060?", QByteArray("*\x86\x01\x02\x03\x04\x86#", 8)},
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

TEST(InputCounters, NoSendsNothing)
{
    InputRig rig;
    rig.tool.frm.txtInput[1]->setText("258");
    rig.p.dialogs.answers = {false};
    rig.tool.inputs().cmdSendInput_Click(1);
    EXPECT_EQ(rig.p.dialogs.questions.size(), 1);
    EXPECT_TRUE(rig.p.port.writes.isEmpty());
}

TEST(InputCounters, NegativeAndFractionalValuesAreRefusedBeforeTheQuestion)
{
    for (const char* text : {"-5", "1.5", "-0.5"}) {
        InputRig rig;
        rig.tool.frm.txtInput[0]->setText(text);
        rig.p.dialogs.answers = {true};
        rig.tool.inputs().cmdSendInput_Click(0);
        EXPECT_EQ(rig.p.dialogs.messages.size(), 1) << text;
        EXPECT_TRUE(rig.p.dialogs.questions.isEmpty()) << text;
        EXPECT_TRUE(rig.p.port.writes.isEmpty()) << text;
    }
}

TEST(InputCounters, TheBoxHoldsNothingAboveTheCounterMaximum)
{
    const struct {
        const char* typed;
        const char* shown;
    } cases[] = {{"3000000000", "2147483647"}, {"2147483648", "2147483647"}, {"2147483647", "2147483647"},
                 {"12abc", "12abc"}, {"-5", "-5"}};
    InputRig rig;
    for (const auto& c : cases) {
        rig.tool.frm.txtInput[1]->setText(c.typed);
        EXPECT_EQ(rig.tool.frm.txtInput[1]->text(), c.shown) << c.typed;
    }
}

} // namespace
