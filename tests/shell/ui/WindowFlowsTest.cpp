// The window's handlers over the device session, on the fake platform: what each button and timer
// shows and sends. The rules under them (identification, payloads, read-back positions, reply
// decoding, port-error texts) are pinned in the tests of device, link, view and shell.
#include "ToolHarness.h"
#include "device/ui/SettingsSender.h"
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

using fakes::bytes;

namespace {

// Interval 10 s, the Netherlands with DSMR 4.0 (code 4), divider 7.
const QByteArray kQmr51 = fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 4, 7, "Q5100042");
// DK (code 7), Modbus 5, dividers 3 and 4, "Import Power >" at 1000 W / 300 W and "Export Power >"
// at 2000 W / 500 W, then four delays and two spare bytes.
const QByteArray kTikaV2 = fakes::tikaIdentity(
    {25, 0, 1, 2}, "22M01234", 7, 5, bytes({3, 4, 12, 13, 0x03, 0xE8, 0x01, 0x2C, 0x07, 0xD0, 0x01, 0xF4}),
    bytes({1, 2, 3, 4, 0, 0}));

struct Rig : fakes::ToolHarness {
    shell::FrmQMR51& f = tool.frm;
    QStringList portEntries() const
    {
        QStringList out;
        for (int i = 0; i < f.cmbComPort->count(); ++i)
            out << f.cmbComPort->itemText(i);
        return out;
    }
    // The settings timer's ticks until it disarms (a handful at most).
    void tickSettings()
    {
        for (int tick = 0; tick < 5 && f.timTXSettings.isActive(); ++tick)
            tool.sender().timTXSettings_Timer();
    }
};

TEST(WindowFlows, AConnectShowsTheKindsLayoutAndItsSettingsWithoutSendingThemBack)
{
    Rig h;
    auto& f = h.f;
    h.connect(7, kTikaV2);
    EXPECT_EQ(f.windowTitle(), "Visualizer V4.4 s/n:22M01234 Listening to COM7 TIKA V2 FW V25.0.1.2");
    EXPECT_FALSE(f.fraOut[1]->isHidden());
    EXPECT_TRUE(f.labInput->isHidden());
    EXPECT_FALSE(f.interval->isEnabled());
    EXPECT_EQ(f.interval->spin()->value(), 5); // a module polls its meter itself
    EXPECT_EQ(f.cmbProtocol->currentText(), "DK");
    EXPECT_EQ(f.modbusAddress->text()->text(), "5");
    EXPECT_EQ(f.cmbOutSelector[1]->currentIndex(), 13);
    EXPECT_EQ(f.powerDiff[1]->spin()->value(), 500);
    EXPECT_FALSE(f.timTXSettings.isActive()) << "the values just read must not go back";
    EXPECT_EQ(h.p.port.writes, QList<QByteArray>{"*V#"});

    h.tool.ports().cmdCloseCom_Click();
    h.p.port.writes.clear();
    h.connect(7, kQmr51);
    EXPECT_TRUE(f.fraOut[1]->isHidden());
    EXPECT_FALSE(f.labInput->isHidden());
    EXPECT_TRUE(f.interval->isEnabled());
    EXPECT_EQ(f.interval->spin()->value(), 10);
    EXPECT_EQ(f.timScan.interval(), 10000);
    EXPECT_EQ(f.cmbProtocol->count(), 4);
    EXPECT_EQ(f.cmbProtocol->currentText(), "4.0 (NL)");
    EXPECT_EQ(f.divider[0]->spin()->value(), 7);
    EXPECT_FALSE(f.timTXSettings.isActive());
    EXPECT_EQ(h.p.port.writes, QList<QByteArray>{"*V#"});
}

TEST(WindowFlows, ScanListsEveryPortUpToTheFirstThatAnswersOrSaysWhyNone)
{
    Rig h;
    for (int n : {1, 3, 7})
        h.p.ports.add(n);
    h.p.port.replyToNextWrite({}); // COM1 is silent, the devices on COM3 and COM7 would answer
    h.answerIdentify(kQmr51);
    h.answerIdentify(kQmr51);
    h.f.cmdScanCom->click();
    EXPECT_EQ(h.portEntries(), QStringList({"COM1:", "COM3:"}));
    EXPECT_EQ(h.tool.session.portNumber(), 3);
    EXPECT_EQ(h.p.port.opened, QList<int>({1, 3})) << "COM7 is never tried";
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.f.cmdForceUpgrade->isHidden());

    Rig silent;
    silent.p.ports.add(1);
    silent.p.ports.add(2);
    silent.f.cmdScanCom->click();
    EXPECT_EQ(silent.portEntries(), QStringList({"COM1:", "COM2:"}));
    EXPECT_EQ(silent.p.dialogs.messages, QStringList{"No QMR51 or TIKA found"});
    EXPECT_FALSE(silent.f.cmdForceUpgrade->isHidden());
    EXPECT_FALSE(silent.p.port.isOpen());

    Rig none;
    none.f.cmdScanCom->click();
    EXPECT_EQ(none.p.dialogs.messages, QStringList{"No COM interfaces found"});
    EXPECT_TRUE(none.f.cmdForceUpgrade->isHidden());
}

TEST(WindowFlows, ASettingsTickSendsTheShownSettingsOnceAndARefusalIsTold)
{
    Rig h;
    h.connect(7, kQmr51);
    h.p.port.writes.clear();
    h.f.cmbProtocol->setCurrentIndex(3); // BE: country 2, code 5
    h.f.divider[0]->spin()->setValue(9);
    h.p.port.replyToNextWrite({{"*U#", 0.05}});
    h.tickSettings();
    EXPECT_EQ(h.p.port.writes, QList<QByteArray>{"*B" + bytes({10, 2, 5, 9}) + "#"});
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.f.timScan.isActive());

    h.f.divider[0]->spin()->setValue(8);
    h.p.port.replyToNextWrite({{"*X#", 0.05}});
    h.tickSettings();
    EXPECT_EQ(h.p.port.writes.size(), 2);
    EXPECT_TRUE(h.p.dialogs.messages.contains("Settings error")) << h.p.dialogs.messages.join('|').toStdString();
}

// COM99 once stood for "the connect failed"; it is a port like any other.
TEST(WindowFlows, AReadingsTickPollsADeviceOnCom99)
{
    Rig h;
    h.p.port.existingPorts.insert(99);
    h.connect(99, kQmr51);
    ASSERT_EQ(h.tool.session.portNumber(), 99);
    h.p.port.writes.clear();
    h.p.port.replyToNextWrite({{fakes::replyFrame(64, QByteArray(52, '\0')), 0.05}});
    h.f.timScan.start(0);
    QCoreApplication::processEvents(); // the timer's tick, through its real connection
    h.f.timScan.stop();
    EXPECT_EQ(h.p.port.writes, QList<QByteArray>{"*@#"});
    ASSERT_EQ(h.tool.session.readings().rowCount(), 1);
    EXPECT_EQ(h.tool.session.readings().row(0).completeFields, 13);
}

TEST(WindowFlows, CloseResetsTheCaptionAndTheButtons)
{
    Rig h;
    auto& f = h.f;
    EXPECT_EQ(f.windowTitle(), "QMR51-TIKA V4.4");
    h.connect(3, kQmr51);
    f.timTXSettings.start(1000); // a change just before the close must not go to a closed port
    f.cmdCloseCom->click();
    EXPECT_EQ(f.windowTitle(), "QMR51-TIKA V4.4 ----");
    EXPECT_FALSE(f.cmdOpenCom->isHidden());
    for (QWidget* w : std::initializer_list<QWidget*>{f.imgRefresh, f.fraSettings, f.cmdCloseCom})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_FALSE(f.timScan.isActive() || f.timTXSettings.isActive());
    EXPECT_FALSE(h.p.port.isOpen());
}

TEST(WindowFlows, AnInputCounterIsSentOnlyAfterYes)
{
    Rig h;
    h.connect(7, kTikaV2);
    h.p.port.writes.clear();
    h.f.txtInput[1]->setText("258");
    h.p.dialogs.answers = {false, true};
    h.f.cmdSendInput[1]->click();
    EXPECT_TRUE(h.p.port.writes.isEmpty());
    h.f.cmdSendInput[1]->click();
    EXPECT_EQ(h.p.port.writes, QList<QByteArray>{QByteArray("*\x86\x00\x00\x01\x02\x86#", 8)});
}

TEST(WindowFlows, DebugLogReadAppendsAndSaveWritesTheBytesAndCrLf)
{
    Rig h;
    h.connect(7, kTikaV2);
    h.f.cmdDebug->click();
    for (const QByteArray& part : {QByteArray("P1 ok "), QByteArray("CRC \xE9")}) {
        // The long reply: '*', 'E', length high and low byte, the log, '#'.
        h.p.port.replyToNextWrite({{"*E" + bytes({0, int(part.size())}) + part + "#", 0.05}});
        h.f.cmdReadDebugLog->click();
    }
    EXPECT_EQ(h.f.txtDebugLog->toPlainText(), QString::fromLatin1("P1 ok CRC \xE9"));
    const QString file = h.p.folder.filePath("log.txt");
    h.p.dialogs.saveAnswer = file;
    h.f.cmdSaveDebugLog->click();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("P1 ok CRC \xE9\r\n"));
    EXPECT_EQ(h.p.programs.opened, QStringList{file});
}

TEST(WindowFlows, PortTroubleIsToldOnTheStatusLine)
{
    Rig refused;
    refused.p.ports.add(4);
    refused.p.port.failNextOpen = true;
    refused.selectPort(4);
    refused.f.cmdOpenCom->click();
    const QString why = refused.f.statusLine->text();
    EXPECT_TRUE(why.startsWith("COM4 (/dev/ttyUSB4) cannot be opened")) << why.toStdString();
    EXPECT_TRUE(why.contains(refused.p.port.lastError())) << why.toStdString();
    // A screen reader hears the note, not only the line's name.
    EXPECT_EQ(refused.f.statusLine->accessibleDescription(), why);
    EXPECT_EQ(refused.f.windowTitle(), "QMR51-TIKA V4.4 ----");
    EXPECT_TRUE(refused.p.dialogs.messages.isEmpty());

    Rig lost;
    lost.p.ports.add(4);
    lost.connect(4, kTikaV2);
    lost.p.port.vanish(); // the adapter is pulled out
    lost.f.imgRefresh->click();
    EXPECT_TRUE(lost.f.statusLine->text().startsWith("COM4 (/dev/ttyUSB4) stopped answering"))
        << lost.f.statusLine->text().toStdString();
}

} // namespace
