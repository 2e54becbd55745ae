#include "FakePlatform.h"
#include "diagnostics/ui/DebugLogView.h"
#include "shell/ui/Tool.h"
#include "view/ui/ReadingsGrid.h"
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

// The long reply to "*D#": '*', 'E', length high and low byte, data, end byte.
QByteArray logFrame(const QByteArray& data, char end = '#')
{
    return "*E" + QByteArray(1, char(data.size() / 256)) + QByteArray(1, char(data.size() % 256)) + data + end;
}

struct LogRig {
    fakes::FakePlatform p;
    shell::Tool tool{p.services};
    LogRig()
    {
        tool.Form_Load();
        p.port.open(7);
        tool.state.ComPort = 7;
        tool.state.DeviceType = device::DeviceKind::TikaV2;
    }
    void read(const QByteArray& reply)
    {
        if (!reply.isEmpty())
            p.port.replyToNextWrite({{reply, 0.05}});
        tool.debugLog().cmdReadDebugLog_Click();
    }
    QString box() const { return tool.frm.txtDebugLog->toPlainText(); }
};

TEST(DebugLogView, ReadsAppendBehindEachOtherWithNothingBetween)
{
    LogRig rig;
    QByteArray longest;
    for (int i = 0; i < 1535; ++i)
        longest.append(char('a' + i % 26));
    rig.read(logFrame(longest));
    EXPECT_EQ(rig.p.port.writes.value(0), QByteArray("*D#"));
    rig.read(logFrame("ok"));
    EXPECT_EQ(rig.tool.debugLog().log(), longest + "ok");
    EXPECT_EQ(rig.box(), QString::fromLatin1(longest + "ok"));
    EXPECT_TRUE(rig.p.dialogs.messages.isEmpty());

    rig.tool.debugLog().cmldClear_Click();
    EXPECT_EQ(rig.box(), QString());
    rig.read(logFrame("new"));
    EXPECT_EQ(rig.box(), "new");
}

// Every status and failure text is pinned in DebugLogTextTest; here that the view shows them and
// keeps the log as it was.
TEST(DebugLogView, StatusesAndFailuresAreToldAndAppendNothing)
{
    const struct {
        QByteArray reply;
        const char* message;
    } cases[] = {
        {logFrame(QByteArray(1, 1)), "P1 busy. Please retry"},
        {QByteArray(), "RX timed out"},
    };
    for (const auto& c : cases) {
        LogRig rig;
        rig.read(logFrame("before "));
        rig.read(c.reply);
        EXPECT_EQ(rig.p.dialogs.messages, QStringList{c.message}) << c.reply.toHex().data();
        EXPECT_EQ(rig.box(), "before ");
        EXPECT_EQ(rig.tool.debugLog().log(), QByteArray("before "));
    }
}

TEST(DebugLogView, EveryByteOfTheLogSurvivesReadAndSave)
{
    LogRig rig;
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QByteArray log = all + "\r\nline\rend\xA0\xFF";
    rig.read(logFrame(log));
    EXPECT_TRUE(rig.box().contains(QChar(0xE9))); // byte 0xE9 shows as its Latin-1 letter
    const QString file = QDir(rig.p.folder.path()).filePath("log.txt");
    rig.p.dialogs.saveAnswer = file;

    rig.tool.debugLog().cmdSaveDebugLog_Click();

    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), log + "\r\n");
    EXPECT_EQ(rig.p.programs.opened, QStringList{file});
}

TEST(DebugLogView, TheSaveDialogProposesANameFromCaptionDateAndTime)
{
    LogRig rig;
    rig.tool.frm.setWindowTitle("Visualizer V4.4 s/n:22M01234 Listening to COM7 TIKA V2 FW V24.2.0.1");
    rig.tool.debugLog().cmdSaveDebugLog_Click(); // cancelled: nothing written or opened

    ASSERT_EQ(rig.p.dialogs.saveRequests.size(), 1);
    const auto& request = rig.p.dialogs.saveRequests[0];
    EXPECT_EQ(request.title, "*.txt");
    EXPECT_EQ(request.filter, "text files (*.txt)");
    EXPECT_EQ(request.defaultSuffix, "txt");
    EXPECT_TRUE(request.proposedName.startsWith("Visualizer V4.4 sn22M01234 Listening to COM7 TIKA V2 FW V24.2.0.1-debuglog-"))
        << request.proposedName.toStdString();
    EXPECT_TRUE(request.proposedName.contains("100000")) << "the time 10:00:00 without its colons";
    EXPECT_TRUE(rig.p.programs.opened.isEmpty());
    EXPECT_TRUE(rig.p.dialogs.messages.isEmpty());
}

TEST(DebugLogView, AFileThatCannotBeWrittenIsReportedAndNotOpened)
{
    LogRig rig;
    rig.read(logFrame("log"));
    const QString file = QDir(rig.p.folder.path()).filePath("missing/folder/log.txt");
    rig.p.dialogs.saveAnswer = file;
    rig.tool.debugLog().cmdSaveDebugLog_Click();
    ASSERT_EQ(rig.p.dialogs.messages.size(), 1);
    EXPECT_TRUE(rig.p.dialogs.messages[0].contains(QDir::toNativeSeparators(file)));
    EXPECT_TRUE(rig.p.programs.opened.isEmpty());
}

TEST(DebugLogView, TheLogFrameTakesTheGridsPlaceUntilExit)
{
    LogRig rig;
    auto& f = rig.tool.frm;
    rig.tool.state.ComPort.reset(); // Exit restarts the refresh even without a device
    f.show();
    f.timScan.start(5000);
    const QRect grid = f.grdInterfaces->geometry();

    rig.tool.debugLog().cmdDebug_Click();
    EXPECT_FALSE(f.timScan.isActive());
    EXPECT_FALSE(f.grdInterfaces->isVisible());
    EXPECT_TRUE(f.fraDebug->isVisible());
    EXPECT_EQ(f.fraDebug->geometry(), QRect(grid.left(), 0, grid.width(), grid.bottom() + 1));

    rig.tool.debugLog().cmdStopDebugLog_Click();
    EXPECT_TRUE(f.grdInterfaces->isVisible());
    EXPECT_FALSE(f.fraDebug->isVisible());
    EXPECT_TRUE(f.timScan.isActive());
}

} // namespace
