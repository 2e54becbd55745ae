// The chart and the CSV export follow the session's readings log. How lines are thinned and axes
// scaled is pinned in ChartDecimationTest and ChartScaleTest, cells and CSV form in ReadingsCsvTest.
#include "ToolHarness.h"
#include "view/ui/ReadingsChart.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QToolButton>
#include <QValueAxis>
#include <gtest/gtest.h>

namespace {

using view::ReadingsChart;

const QByteArray kTikaV2 = fakes::tikaIdentity({25, 0, 1, 2}, "22M01234");

struct LogRig : fakes::ToolHarness {
    ReadingsChart& chart() { return *tool.frm.chtReadings; }
    view::ReadingsTable& table() { return tool.session.readings(); }
    explicit LogRig(const QByteArray& identity = kTikaV2)
    {
        tool.frm.show();
        connect(7, identity);
        tool.frm.timScan.stop(); // the test polls by hand
    }
    // One poll, five seconds after the last. Reading i: import 1000 + i W, gas 5000 + i litres,
    // input 1 at i pulses; status 1 (P1 busy) has no values; no reply at all is a time-out.
    void poll(int i, int status = 0, bool reply = true)
    {
        QByteArray data(1 + 13 * 4, '\0');
        data[0] = char(status);
        for (auto [field, value] : {std::pair{1, 1000 + i}, {9, 5000 + i}, {12, i}}) {
            data[4 * field - 1] = char(value >> 8);
            data[4 * field] = char(value & 0xFF);
        }
        p.clock.advance(5.0);
        if (reply)
            p.port.replyToNextWrite({{fakes::replyFrame(64, data), 0.02}});
        tool.poll().imgRefresh_Click();
    }
    QList<QPointF> drawn(ReadingsChart::Line line) { return chart().series(line)->points(); }
    // Points (time of row r, value(r)) for the rows given.
    QList<QPointF> expected(std::initializer_list<int> rows, double (*value)(int))
    {
        QList<QPointF> out;
        for (int r : rows)
            out.append({double(table().row(r).takenAtMsecs), value(r)});
        return out;
    }
};

TEST(ReadingsChart, EveryReadingIsAPointAtItsTimeAndPickedLinesJoinIn)
{
    LogRig rig;
    rig.tool.frm.cmdShowChart->click();
    for (int i = 0; i < 6; ++i)
        rig.poll(i, i == 2 ? 1 : 0, i != 4); // a busy meter and a time-out: rows without a value
    ASSERT_EQ(rig.table().rowCount(), 6);
    EXPECT_EQ(rig.drawn(ReadingsChart::ImportPower), rig.expected({0, 1, 3, 5}, [](int r) { return 1000.0 + r; }));
    EXPECT_TRUE(rig.drawn(ReadingsChart::Input1).isEmpty() && !rig.chart().inputAxis()->isVisible()) << "not picked";

    rig.chart().chkChartInputs->click();
    rig.chart().chkChartGas->click();
    EXPECT_EQ(rig.drawn(ReadingsChart::Input1), rig.expected({0, 1, 3, 5}, [](int r) { return double(r); }));
    EXPECT_EQ(rig.drawn(ReadingsChart::Gas), rig.expected({0, 1, 3, 5}, [](int r) { return (5000 + r) / 1000.0; }));
    EXPECT_TRUE(rig.chart().inputAxis()->isVisible());
    rig.chart().chkChartGas->click();
    EXPECT_TRUE(rig.drawn(ReadingsChart::Gas).isEmpty() && !rig.chart().gasAxis()->isVisible());
}

TEST(ReadingsChart, AChartPickedLaterCatchesUpAndTheNextConnectEmptiesIt)
{
    LogRig rig;
    for (int i = 0; i < 3; ++i)
        rig.poll(i);
    rig.tool.frm.cmdShowChart->click();
    EXPECT_EQ(rig.drawn(ReadingsChart::ImportPower), rig.expected({0, 1, 2}, [](int r) { return 1000.0 + r; }));
    rig.tool.ports().cmdCloseCom_Click();
    EXPECT_EQ(rig.drawn(ReadingsChart::ImportPower).size(), 3) << "a closed connection keeps its log";
    rig.connect(7, kTikaV2);
    EXPECT_TRUE(rig.drawn(ReadingsChart::ImportPower).isEmpty());
}

TEST(ReadingsChart, ATikaV1HasNoInputsToChart)
{
    LogRig rig(fakes::tikaIdentity({24, 1, 0, 3}, "21T00042"));
    EXPECT_FALSE(rig.chart().chkChartInputs->isEnabled());
    rig.tool.ports().cmdCloseCom_Click();
    rig.connect(7, fakes::qmr51Identity({2, 1, 0, 5}, 60, 0, 2, 10, "Q5100042"));
    EXPECT_TRUE(rig.chart().chkChartInputs->isEnabled()) << "a QMR51 shows its Extern1 and Extern2 again";
}

TEST(ReadingsChart, TakesTheGridsPlaceAndGivesItToTheDebugFrameUntilExit)
{
    LogRig rig;
    auto& f = rig.tool.frm;
    f.resize(f.width() + 137, f.height() + 61);
    f.cmdShowChart->click();
    const QRect grid = f.grdInterfaces->geometry();
    EXPECT_EQ(f.chtReadings->geometry(), QRect(grid.left(), 0, grid.width(), grid.bottom() + 1));
    EXPECT_TRUE(f.chtReadings->autoFillBackground()) << "the IMPORT and EXPORT captions would show through";

    f.cmdDebug->click();
    EXPECT_TRUE(f.fraDebug->isVisible());
    EXPECT_FALSE(f.chtReadings->isVisible() || f.cmdShowGrid->isVisible() || f.cmdShowChart->isVisible());
    f.cmdStopDebugLog->click();
    EXPECT_FALSE(f.fraDebug->isVisible() || f.grdInterfaces->isVisible());
    EXPECT_TRUE(f.chtReadings->isVisible() && f.cmdShowGrid->isVisible() && f.cmdShowChart->isChecked());
}

TEST(ReadingsExport, WritesTheShownColumnsOfEveryRowToTheChosenFile)
{
    LogRig rig;
    rig.poll(7);
    rig.poll(8, 3); // P1 error
    const QString target = rig.p.folder.filePath("log.csv");
    rig.p.dialogs.saveAnswer = target;
    rig.tool.frm.cmdExport->click();
    EXPECT_EQ(rig.p.dialogs.saveRequests.value(0).proposedName, "readings-20261206-100010.csv");

    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4); // header, two rows, nothing after the last CR LF
    // A TIKA V2 hides the three "Diff." columns and names its inputs.
    EXPECT_FALSE(lines[0].contains("Diff")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(",Input 1 (pulses),Input 2 (pulses)\r")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(",,1007,0,0,0,0,0,,5.007,0,7,0\r")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(",??? P1 error,,,,,,,,,,,\r")) << lines[2].toStdString();
    EXPECT_EQ(rig.tool.frm.statusLine->text(), "2 readings exported to " + QDir::toNativeSeparators(target));
    EXPECT_TRUE(rig.p.dialogs.messages.isEmpty());
}

TEST(ReadingsExport, AFailedWriteIsReportedByName)
{
    LogRig rig;
    rig.poll(0);
    const QString nowhere = rig.p.folder.filePath(QStringLiteral("no-such-folder/log.csv"));
    rig.p.dialogs.saveAnswer = nowhere;
    rig.tool.frm.cmdExport->click();
    ASSERT_EQ(rig.p.dialogs.messages.size(), 1);
    EXPECT_TRUE(rig.p.dialogs.messages[0].startsWith("The readings could not be saved as "
                                                     + QDir::toNativeSeparators(nowhere) + ": "))
        << rig.p.dialogs.messages[0].toStdString();
}

TEST(ReadingsExport, TheButtonIsUsableWhileTheLogHoldsARow)
{
    LogRig rig;
    EXPECT_FALSE(rig.tool.frm.cmdExport->isEnabled());
    rig.poll(0);
    EXPECT_TRUE(rig.tool.frm.cmdExport->isEnabled());
    rig.tool.ports().cmdCloseCom_Click();
    EXPECT_TRUE(rig.tool.frm.cmdExport->isEnabled()) << "the log of a closed connection can still be saved";
    rig.connect(7, kTikaV2);
    EXPECT_FALSE(rig.tool.frm.cmdExport->isEnabled());
}

} // namespace
