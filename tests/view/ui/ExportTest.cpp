#include "ToolHarness.h"
#include "view/ui/ReadingsExport.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// A TIKA V2 answer to "*@#" with status 0, import power 1500 W, gas 12345 litres, the other fields 0.
QByteArray tikaReadings(std::uint8_t status)
{
    QByteArray body(53, '\0');
    body[0] = static_cast<char>(status);
    body[3] = 0x05; // field 1 = 0x000005DC
    body[4] = static_cast<char>(0xDC);
    body[35] = 0x30; // field 9 = 0x00003039
    body[36] = 0x39;
    return "*A" + QByteArray(1, char(body.size())) + body + "#";
}

struct ExportRig : fakes::ToolHarness {
    ExportRig()
    {
        connect(7, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"));
        tool.frm.timScan.stop();
    }
    void poll(std::uint8_t status)
    {
        p.port.replyToNextWrite({{tikaReadings(status), 0.02}});
        tool.poll().imgRefresh_Click();
        p.clock.advance(5.0);
    }
    QString target() const { return p.folder.filePath(QStringLiteral("log.csv")); }
};

TEST(ReadingsExport, WritesTheShownColumnsOfEveryRowToTheChosenFile)
{
    ExportRig rig;
    rig.poll(0);
    rig.poll(3);
    rig.p.dialogs.saveAnswer = rig.target();
    rig.tool.frm.cmdExport->click();

    ASSERT_EQ(rig.p.dialogs.saveRequests.size(), 1);
    const platform::Dialogs::SaveRequest& asked = rig.p.dialogs.saveRequests[0];
    EXPECT_EQ(asked.title, QStringLiteral("Export readings"));
    EXPECT_EQ(asked.proposedName, QStringLiteral("readings-20261206-100010.csv"));
    EXPECT_EQ(asked.filter, QStringLiteral("CSV files (*.csv)"));
    EXPECT_EQ(asked.defaultSuffix, QStringLiteral("csv"));

    QFile file(rig.target());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4); // header, two rows, nothing after the last CR LF
    // Columns and cells are pinned in ReadingsCsvTest; here the grid's own: a TIKA V2 hides the
    // three "Diff." columns and names its inputs.
    EXPECT_FALSE(lines[0].contains("Diff")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(",Input 1 (pulses),Input 2 (pulses)\r")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(",,1500,0,0,0,0,0,,12.345,0,0,0\r")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(",??? P1 error,,,,,,,,,,,\r")) << lines[2].toStdString();
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(rig.tool.frm.statusLine->text(),
              QStringLiteral("2 readings exported to ") + QDir::toNativeSeparators(rig.target()));
    EXPECT_TRUE(rig.p.dialogs.messages.isEmpty());
}

TEST(ReadingsExport, ACancelledDialogWritesNothing)
{
    ExportRig rig;
    rig.poll(0);
    rig.tool.frm.cmdExport->click();
    EXPECT_EQ(rig.p.dialogs.saveRequests.size(), 1);
    EXPECT_FALSE(QFile::exists(rig.target()));
    EXPECT_TRUE(rig.p.dialogs.messages.isEmpty());
}

TEST(ReadingsExport, AFileThatCannotBeWrittenIsReportedByNameAndLeavesNothing)
{
    ExportRig rig;
    rig.poll(0);
    const QString nowhere = rig.p.folder.filePath(QStringLiteral("no-such-folder/log.csv"));
    rig.p.dialogs.saveAnswer = nowhere;
    rig.tool.readingsExport().cmdExport_Click();
    ASSERT_EQ(rig.p.dialogs.messages.size(), 1);
    EXPECT_TRUE(rig.p.dialogs.messages[0].startsWith(
        QStringLiteral("The readings could not be saved as ") + QDir::toNativeSeparators(nowhere) + QStringLiteral(": ")))
        << rig.p.dialogs.messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST(ReadingsExport, TheButtonIsUsableWhileTheLogHoldsARow)
{
    ExportRig rig;
    EXPECT_FALSE(rig.tool.frm.cmdExport->isEnabled());
    rig.poll(0);
    EXPECT_TRUE(rig.tool.frm.cmdExport->isEnabled());
    rig.tool.ports().cmdCloseCom_Click();
    EXPECT_TRUE(rig.tool.frm.cmdExport->isEnabled()) << "the log of a closed connection can still be saved";
    rig.connect(7, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"));
    EXPECT_FALSE(rig.tool.frm.cmdExport->isEnabled());
}

} // namespace
