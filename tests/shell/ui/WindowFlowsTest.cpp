// The window's handlers over the device session, on the fake platform: what each button and timer
// shows and sends. The rules under them (identification, payloads, read-back positions, reply
// decoding, port-error texts) are pinned in the tests of device, link, view and shell; the flows
// over real lines in tests/integration.
#include "ToolHarness.h"
#include "SysfsTree.h"
#include "device/ui/SettingsSender.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "link/ui/LineReturn.h"
#include "view/ReadingFormat.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <gtest/gtest.h>
#include <csignal>
#include <ranges>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using fakes::bytes;

namespace {

// Interval 10 s, the Netherlands with DSMR 4.0 (code 4), divider 7.
const QByteArray kQmr51 = fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 4, 7, "Q5100042");
// DK (code 7), Modbus 5, dividers 3 and 4, "Import Power >" at 1000 W / 300 W and "Export Power >"
// at 2000 W / 500 W, then four delays and two spare bytes.
const QByteArray kTikaSettings = bytes({3, 4, 12, 13, 0x03, 0xE8, 0x01, 0x2C, 0x07, 0xD0, 0x01, 0xF4});
const QByteArray kTikaV2 = fakes::tikaIdentity({25, 0, 1, 2}, "22M01234", 7, 5, kTikaSettings, bytes({1, 2, 3, 4, 0, 0}));

struct Rig : fakes::ToolHarness {
    shell::FrmQMR51& f = tool.frm;
    view::ReadingsGrid& grid = *tool.frm.grdInterfaces;
    // The settings timer's ticks until it disarms (a handful at most).
    void tickSettings()
    {
        for (int tick = 0; tick < 5 && f.timTXSettings.isActive(); ++tick)
            tool.sender().timTXSettings_Timer();
        QCoreApplication::processEvents();
    }
};

// One device after the other on COM99 (once taken for "the connect failed"), closed in between:
// each shows its own layout, grid columns and what it holds, and nothing of what was just read goes
// back. Then the close, and a port that cannot be opened.
TEST(WindowFlows, AConnectShowsTheKindsLayoutAndItsSettingsWithoutSendingThemBackAndACloseResetsIt)
{
    const struct {
        const char* name; QByteArray identity; bool tika; int interval, protocols; const char* protocol; int divider;
        bool inputs; // the pulse-input columns
        const char* input2; // the heading of the second input column
        bool nederland;     // the country button the protocol sets (a Dutch protocol; "DK" sets none)
    } cases[] = {
        {"TIKA V1", fakes::tikaIdentity({24, 1, 0, 3}, "21T00042", 7, 5, kTikaSettings), true, 5, 6, "DK", 3, false, "Extern2", false},
        {"TIKA V2", kTikaV2, true, 5, 6, "DK", 3, true, "Input 2", false},
        {"QMR51", kQmr51, false, 10, 4, "4.0 (NL)", 7, true, "Extern2", true},
    };
    Rig h;
    auto& f = h.f;
    EXPECT_EQ(f.windowTitle(), "QMR51-TIKA V4.4");
    h.p.port.existingPorts.insert(99);
    for (const auto& c : cases) {
        h.tool.ports().cmdCloseCom_Click();
        EXPECT_TRUE(f.cmdUpgrade->isHidden() && f.cmdDebug->isHidden()) << "nothing is connected after a close";
        h.p.port.writes.clear();
        h.connect(99, c.identity);
        EXPECT_TRUE(f.fraOut[0]->isHidden() == !c.tika && f.fraOut[1]->isHidden() == !c.tika) << c.name;
        EXPECT_EQ(f.labInput->isHidden(), c.tika) << c.name;
        EXPECT_EQ(f.interval->isEnabled(), !c.tika) << "a module polls its meter itself";
        EXPECT_EQ(f.interval->spin()->value(), c.interval) << c.name;
        EXPECT_EQ(f.timScan.interval(), c.interval * 1000) << c.name;
        EXPECT_EQ(f.cmbProtocol->count(), c.protocols) << c.name;
        EXPECT_EQ(f.cmbProtocol->currentText(), c.protocol) << c.name;
        EXPECT_EQ(f.divider[0]->spin()->value(), c.divider) << c.name;
        EXPECT_TRUE(!c.tika || (f.modbusAddress->text()->text() == "5" && f.cmbOutSelector[1]->currentIndex() == 13
                                && f.powerDiff[1]->spin()->value() == 500)) << c.name;
        for (int column : {view::kFirstInputColumn, view::kLastInputColumn})
            EXPECT_EQ(!h.grid.isColumnHidden(column) && h.grid.columnWidth(column) > 0, c.inputs) << c.name;
        EXPECT_EQ(h.grid.table().heading(view::kLastInputColumn), c.input2) << c.name;
        EXPECT_TRUE(f.optNLofB[0]->isChecked() == c.nederland && !f.optNLofB[1]->isChecked()) << c.name;
        EXPECT_FALSE(f.timTXSettings.isActive()) << "the values just read must not go back";
        EXPECT_EQ(h.p.port.writes, QList<QByteArray>{"*V#"}) << c.name;
    }
    // The readings timer's tick, through its real connection, polls the QMR51.
    h.p.port.writes.clear();
    h.p.port.replyToNextWrite({{fakes::replyFrame(64, QByteArray(52, '\0')), 0.05}});
    f.timScan.start(0);
    QCoreApplication::processEvents();
    f.timScan.stop();
    EXPECT_EQ(h.p.port.writes, QList<QByteArray>{"*@#"});
    EXPECT_EQ(h.tool.readings.rowCount(), 1);

    f.timTXSettings.start(1000); // a change just before the close must not go to a closed port
    f.cmdCloseCom->click();
    EXPECT_EQ(f.windowTitle(), "QMR51-TIKA V4.4 ----");
    EXPECT_FALSE(f.cmdOpenCom->isHidden());
    for (QWidget* w : std::initializer_list<QWidget*>{f.imgRefresh, f.fraSettings, f.cmdCloseCom})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_FALSE(f.timScan.isActive() || f.timTXSettings.isActive() || h.p.port.isOpen());

    // In the port's own words, and a screen reader hears the note, not only the line's name.
    h.p.ports.add(4);
    h.p.port.failNextOpen = true;
    h.selectPort(4);
    f.cmdOpenCom->click();
    const QString why = f.statusLine->text();
    EXPECT_TRUE(why.startsWith("COM4 (/dev/ttyUSB4) cannot be opened") && why.contains(h.p.port.lastError())) << why.toStdString();
    EXPECT_EQ(f.statusLine->accessibleDescription(), why);
    EXPECT_EQ(f.windowTitle(), "QMR51-TIKA V4.4 ----");
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty());
}

// COM1 is silent and the devices on COM3 (an FTDI adapter) and COM7 would answer; then two silent
// ports; then none. The status line names the adapter of the port in hand.
TEST(WindowFlows, ScanListsEveryPortUpToTheFirstThatAnswersOrSaysWhyNone)
{
    const struct { QList<int> ports; bool answer; QStringList entries, messages; bool forceUpgrade; } cases[] = {
        {{1, 3, 7}, true, {"COM1:", "COM3:"}, {}, false},
        {{1, 2}, false, {"COM1:", "COM2:"}, {"No QMR51 or TIKA found"}, true},
        {{}, false, {}, {"No COM interfaces found"}, false},
    };
    for (const auto& c : cases) {
        Rig h;
        for (int n : c.ports)
            h.p.ports.add(n);
        if (c.answer)
            h.p.ports.list[1].identity = fakes::usbIdentity("0403", "6001", "FT232R USB UART", "A50285BI", "1-3.4");
        h.p.port.replyToNextWrite({}); // COM1 stays silent
        for (int k = 0; c.answer && k < 2; ++k)
            h.answerIdentify(kQmr51);
        h.f.cmdScanCom->click();
        QStringList entries;
        for (int i = 0; i < h.f.cmbComPort->count(); ++i)
            entries << h.f.cmbComPort->itemText(i);
        EXPECT_EQ(entries, c.entries);
        EXPECT_EQ(h.p.dialogs.messages, c.messages);
        EXPECT_EQ(h.p.port.isOpen(), c.answer);
        EXPECT_EQ(!h.f.cmdForceUpgrade->isHidden(), c.forceUpgrade) << "a device that does not answer may need its firmware";
        if (c.answer) {
            EXPECT_EQ(h.f.statusLine->text(), "COM3: FT232R USB UART, serial A50285BI, USB 1-3.4");
        }
    }
}

// A change arms the settings timer for a second after it; its tick sends what the window shows,
// once. A run of changes that ends where it began, or the country alone, sends nothing. An edit
// still waiting when the upgrade starts goes out before it.
TEST(WindowFlows, SettingsGoOutOnceAfterTheLastChangeAndBeforeAnUpgrade)
{
    Rig h;
    h.connect(7, kQmr51);
    h.p.port.writes.clear();
    h.f.optNLofB[1]->click(); // the country only names the tariff: no settings record carries it
    h.f.divider[0]->spin()->setValue(8);
    h.f.divider[0]->spin()->setValue(7);
    h.tickSettings();
    EXPECT_TRUE(h.p.port.writes.isEmpty());

    h.f.cmbProtocol->setCurrentIndex(3); // BE: country 2, code 5
    h.f.divider[0]->spin()->setValue(9);
    h.p.port.replyToNextWrite({{"*U#", 0.05}});
    h.tickSettings();
    EXPECT_EQ(h.p.port.writes, QList<QByteArray>{"*B" + bytes({10, 2, 5, 9}) + "#"});
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty() && h.f.timScan.isActive());

    // "*X#" and then "*U#" within the wait: the device's last word is the acknowledgement.
    h.f.divider[0]->spin()->setValue(8);
    h.p.port.replyToNextWrite({{"*X#", 0.05}, {"*U#", 0.3}});
    h.tickSettings();
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty()) << h.p.dialogs.messages.join('|').toStdString();
    h.f.divider[0]->spin()->setValue(9);
    h.f.divider[0]->spin()->setValue(8);
    EXPECT_FALSE(h.f.timTXSettings.isActive()) << "the device holds 8";

    h.f.divider[0]->spin()->setValue(6);
    h.tickSettings(); // a device that stays silent is not reported, and polling goes on
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty() && !h.f.timTXSettings.isActive() && h.f.timScan.isActive());

    h.f.divider[0]->spin()->setValue(5);
    h.p.port.replyToNextWrite({{"*X#", 0.05}});
    h.tickSettings();
    EXPECT_EQ(h.p.port.writes.size(), 4);
    EXPECT_EQ(h.p.dialogs.messages, QStringList({"Settings error"}));

    h.f.divider[0]->spin()->setValue(4);
    h.p.port.writes.clear();
    h.tool.upgrade().cmdUpgrade_Click(); // the firmware server has no list: the upgrade stops early
    EXPECT_EQ(h.p.port.writes.value(0), "*B" + bytes({10, 2, 5, 4}) + "#");
    EXPECT_FALSE(h.f.timTXSettings.isActive());
    EXPECT_EQ(h.p.transfer.requests, QStringList({"/DENA_UPGlist.bin"}));
}

TEST(WindowFlows, AnInputCounterIsSentOnlyAfterYesAndTheDebugLogIsReadAppendedAndSavedWithCrLf)
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

    h.f.cmdDebug->click();
    for (const QByteArray& part : {QByteArray("P1 ok "), QByteArray("CRC \xE9")}) {
        // The long reply: '*', 'E', length high and low byte, the log, '#'.
        h.p.port.replyToNextWrite({{"*E" + bytes({0, int(part.size())}) + part + "#", 0.05}});
        h.f.cmdReadDebugLog->click();
    }
    EXPECT_EQ(h.f.txtDebugLog->toPlainText(), QString::fromLatin1("P1 ok CRC \xE9"));
    const QString file = h.p.folder.filePath("log.txt");
    const auto saved = [&file] { QFile f(file); return f.open(QIODevice::ReadOnly) ? f.readAll() : "(none)"; };
    h.p.dialogs.saveAnswer = file;
    h.f.cmdSaveDebugLog->click();
    EXPECT_EQ(saved(), QByteArray("P1 ok CRC \xE9\r\n"));
    EXPECT_EQ(h.p.programs.opened, QStringList{file});

#ifdef Q_OS_UNIX
    // The disk fills up after 4 bytes (a file-size limit on this process; a write past it fails
    // instead of raising SIGXFSZ): the log saved before stays whole, and nothing is opened.
    rlimit size{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &size), 0);
    const rlimit full{4, size.rlim_max};
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    h.f.cmdSaveDebugLog->click();
    ::setrlimit(RLIMIT_FSIZE, &size);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(saved(), QByteArray("P1 ok CRC \xE9\r\n"));
    EXPECT_EQ(h.p.programs.opened.size(), 1);
    const QStringList& told = h.p.dialogs.messages;
    EXPECT_TRUE(!told.isEmpty() && told.last().startsWith("The debug log could not be saved as")) << told.join('|').toStdString();
#endif
}

// A poll's wait lets window events through. Clicks that arrive then wait their turn and each runs
// once, after the poll, in the order clicked; a refresh tick then is skipped, not queued.
TEST(WindowFlows, AClickWhileARequestHoldsTheLineWaitsItsTurn)
{
    Rig h;
    h.connect(7, kQmr51);
    h.p.port.writes.clear();
    h.p.port.replyToNextWrite({{fakes::replyFrame(64, QByteArray(52, '\0')), 0.05}});
    h.p.pump.onEvents = [&] {
        h.p.pump.onEvents = nullptr;
        h.f.cmdReadDebugLog->click();
        h.f.cmdReadDebugLog->click();
        h.f.cmdCloseCom->click();
        h.tool.poll().timScan_Timer();
        EXPECT_TRUE(h.p.port.writes.size() == 1 && h.p.port.isOpen()) << "nothing happens inside the poll";
    };
    h.tool.poll().imgRefresh_Click();
    EXPECT_EQ(h.tool.requests().waiting(), 2u);
    QCoreApplication::processEvents();
    EXPECT_EQ(h.p.port.writes, (QList<QByteArray>{"*@#", "*D#"}));
    EXPECT_FALSE(h.p.port.isOpen());
    EXPECT_EQ(h.tool.readings.rowCount(), 1);
}

// Unplugged while polled, then plugged back in with another module behind the adapter.
TEST(WindowFlows, ALineThatWentAwayIsWatchedNotPolledAndConnectedAgainWhenItComesBack)
{
    Rig h;
    h.p.ports.add(7);
    h.connect(7, kQmr51);
    h.p.port.vanish();
    h.p.ports.paths.remove(7);
    h.tool.poll().timScan_Timer();
    EXPECT_TRUE(h.f.statusLine->text().startsWith("COM7 stopped answering")) << h.f.statusLine->text().toStdString();
    EXPECT_FALSE(h.f.timScan.isActive()) << "no empty rows for a line that is gone";
    EXPECT_TRUE(h.tool.lineReturn().watching());
    h.tool.lineReturn().look();
    EXPECT_EQ(h.p.port.opened.size(), 1) << "nothing to open while the device node is away";

    h.p.ports.add(7);
    h.answerIdentify(fakes::qmr51Identity({2, 1, 0, 6}, 10, 1, 4, 4, "Q5100077"));
    h.tool.lineReturn().look();
    QCoreApplication::processEvents();
    EXPECT_FALSE(h.tool.lineReturn().watching());
    EXPECT_TRUE(h.f.windowTitle().contains("Q5100077")) << h.f.windowTitle().toStdString();
    EXPECT_TRUE(h.f.statusLine->text().contains("another device")) << h.f.statusLine->text().toStdString();
    EXPECT_TRUE(h.f.timScan.isActive());
    EXPECT_EQ(h.tool.readings.rowCount(), 0) << "a new device starts a new log";

    // Gone again, and this time the user closes the port: the line is no longer waited for.
    h.p.port.vanish();
    h.tool.poll().timScan_Timer();
    ASSERT_TRUE(h.tool.lineReturn().watching());
    h.f.cmdCloseCom->click();
    EXPECT_FALSE(h.tool.lineReturn().watching());
}

// The window opens wide enough to show every column of the grid, within the screen; the Date and
// Time columns are as wide as their longest text in every language.
TEST(WindowFlows, TheGridsColumnsShowTheirTextAndTheWindowShowsTheGridWithinTheScreen)
{
    Rig h; // loaded: the grid has its columns
    const int screenWidth = h.f.screen()->availableGeometry().width();
    const int wanted = h.grid.widthToShowAllColumns();
    EXPECT_LE(h.f.width(), screenWidth);
    h.f.show();
    QApplication::processEvents();
    // With room on this screen, every column is in view.
    EXPECT_TRUE(h.f.width() >= screenWidth || h.grid.width() >= wanted) << h.grid.width() << " < " << wanted;

    const auto widest = [&](const QStringList& texts) {
        return std::ranges::max(texts | std::views::transform([&](const QString& t) { return h.grid.fontMetrics().horizontalAdvance(t); }));
    };
    for (const char* name : {"en_US", "nl_NL", "de_DE", "fr_FR"}) {
        const QLocale locale(QString::fromLatin1(name));
        h.grid.table().setLocale(locale);
        h.grid.InitGrid();
        EXPECT_GT(h.grid.columnWidth(view::kDateColumn), widest(view::dateTextSamples(locale))) << name;
        EXPECT_GT(h.grid.columnWidth(view::kTimeColumn), widest(view::timeTextSamples(locale))) << name;
    }
}

} // namespace
