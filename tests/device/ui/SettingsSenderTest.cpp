#include "Bytes.h"
#include "FakePlatform.h"
#include "device/ui/ConnectHandler.h"
#include "device/ui/SettingsSender.h"
#include "diagnostics/ui/DebugLogView.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QRadioButton>
#include <gtest/gtest.h>

using fakes::bytes;

namespace {


// The answer to the identification "*V#": '*', 'W', length, data, '#'.
QByteArray identificationFrame(const QByteArray& data) { return "*W" + QByteArray(1, char(data.size())) + data + "#"; }

// TIKA: version, protocol code 7 (DK), Modbus 5, dividers 3 and 4, functions 12 and 13, level 1000,
// difference 300, level 2000, difference 500, serial, then delays 1 2 3 4 and two spares.
QByteArray tikaData(int a, int b)
{
    return bytes({a, b, 0, 1, 7, 5, 3, 4, 12, 13, 3, 232, 1, 44, 7, 208, 1, 244}) + "22M01234" + bytes({1, 2, 3, 4, 0, 0});
}

// QMR51: version 1.2.3.4, interval 10 s, country, protocol code, divider 4, serial.
QByteArray qmrData(int country, int code) { return bytes({1, 2, 3, 4, 10, country, code, 4}) + "QMR00001"; }

struct SenderRig {
    fakes::FakePlatform p;
    shell::Tool tool{p.services};
    SenderRig()
    {
        tool.Form_Load();
        p.port.responder = [](const QByteArray& written) -> QList<fakes::FakeSerialPort::Arrival> {
            if (written.startsWith("*B"))
                return {{"*U#", 0.05}};
            return {};
        };
    }
    void connect(const QByteArray& identification, const char* entry = "COM7:")
    {
        tool.frm.cmbComPort->addItem(entry);
        tool.frm.cmbComPort->setCurrentIndex(0);
        p.port.replyToNextWrite({{identificationFrame(identification), 0.05}});
        tool.connection().cmdOpenCom_Click();
        p.port.writes.clear();
    }
    // A change of a setting, and the timer's ticks until it disarms.
    int changeAndSend()
    {
        tool.frm.optNLofB[0]->click();
        int ticks = 0;
        for (; tool.frm.timTXSettings.isActive() && ticks < 5; ++ticks)
            tool.sender().timTXSettings_Timer();
        return ticks;
    }
};

struct PayloadCase {
    const char* name;
    QByteArray identification;
    QByteArray payload;
    int scanMs;
};
void PrintTo(const PayloadCase& c, std::ostream* os) { *os << c.name; }

class SettingsPayloads : public testing::TestWithParam<PayloadCase> {};

TEST_P(SettingsPayloads, OneSendOfTheShownSettingsThenTheRefreshRestarts)
{
    const PayloadCase& c = GetParam();
    SenderRig rig;
    rig.connect(c.identification);
    ASSERT_EQ(rig.tool.state.ComPort, 7);

    EXPECT_EQ(rig.changeAndSend(), 1);

    EXPECT_EQ(rig.p.port.writes, QList<QByteArray>{"*B" + c.payload + "#"});
    EXPECT_TRUE(rig.p.dialogs.messages.isEmpty());
    EXPECT_TRUE(rig.tool.frm.timScan.isActive());
    EXPECT_EQ(rig.tool.frm.timScan.interval(), c.scanMs);
}

const QByteArray tikaSettings = bytes({7, 5, 3, 4, 12, 13, 3, 232, 1, 44, 7, 208, 1, 244});

// The payload rules (codes, clamping, which firmware takes delays) are pinned in SettingsRecordTest;
// these show that the shown settings and the connected firmware version reach them.
INSTANTIATE_TEST_SUITE_P(
    Devices, SettingsPayloads,
    testing::Values(PayloadCase{"Tika24_2WithDelays", tikaData(24, 2), tikaSettings + bytes({1, 2, 3, 4}), 5000},
                    PayloadCase{"Tika24_1HasNoDelays", tikaData(24, 1), tikaSettings, 5000},
                    PayloadCase{"Qmr51Belgium", qmrData(2, 4), bytes({10, 2, 5, 4}), 10000}),
    [](const testing::TestParamInfo<PayloadCase>& info) { return std::string(info.param.name); });

TEST(SettingsSender, ADeviceOnCom99GetsItsSettings)
{
    SenderRig rig;
    rig.p.port.existingPorts.insert(99);
    rig.connect(qmrData(2, 4), "COM99:");
    ASSERT_EQ(rig.tool.state.ComPort, 99);
    EXPECT_EQ(rig.changeAndSend(), 1);
    EXPECT_EQ(rig.p.port.writes, QList<QByteArray>{"*B" + bytes({10, 2, 5, 4}) + "#"});
}

TEST(SettingsSender, WithoutAConnectedOpenPortNothingIsSentAndTheTimerDisarms)
{
    for (const bool closePort : {false, true}) {
        SenderRig rig;
        rig.connect(qmrData(2, 4));
        if (closePort)
            rig.p.port.close();   // a port lost under the tool
        else
            rig.tool.state.ComPort.reset();
        EXPECT_EQ(rig.changeAndSend(), 1);
        EXPECT_TRUE(rig.p.port.writes.isEmpty());
        EXPECT_FALSE(rig.tool.frm.timScan.isActive());
    }
}

TEST(SettingsSender, ATickWhileAnotherExchangeWaitsIsLeftForTheNextTick)
{
    SenderRig rig;
    rig.connect(qmrData(2, 4));
    rig.tool.frm.optNLofB[0]->click();
    rig.p.pump.onEvents = [&] { rig.tool.sender().timTXSettings_Timer(); };
    rig.tool.exchange.SendCommand(64, QByteArray());
    rig.p.pump.onEvents = nullptr;
    EXPECT_EQ(rig.p.port.writes, QList<QByteArray>{"*@#"});
    EXPECT_TRUE(rig.tool.frm.timTXSettings.isActive());

    rig.tool.sender().timTXSettings_Timer();
    EXPECT_EQ(rig.p.port.writes.size(), 2);
    EXPECT_FALSE(rig.tool.frm.timTXSettings.isActive());
}

TEST(SettingsSender, WhileTheDebugLogIsShownTheRefreshWaitsForExit)
{
    SenderRig rig;
    rig.connect(qmrData(2, 4));
    rig.tool.debugLog().cmdDebug_Click();
    rig.tool.frm.interval->spin()->setValue(30);
    rig.changeAndSend();
    EXPECT_EQ(rig.p.port.writes.size(), 1);
    EXPECT_FALSE(rig.tool.frm.timScan.isActive());

    rig.tool.debugLog().cmdStopDebugLog_Click();
    EXPECT_TRUE(rig.tool.frm.timScan.isActive());
    EXPECT_EQ(rig.tool.frm.timScan.interval(), 30000);
}

} // namespace
