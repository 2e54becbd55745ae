// The chart and the CSV export follow the session's readings log. How lines are thinned and axes
// scaled is pinned in ChartDecimationTest and ChartScaleTest, cells and CSV form in ReadingsCsvTest.
#include "ToolHarness.h"
#include "view/ui/ReadingsChart.h"
#include "view/ui/ReadingsPoll.h"
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QToolButton>
#include <QValueAxis>
#include <gtest/gtest.h>

namespace {

using view::ReadingsChart;

struct LogRig : fakes::ToolHarness {
    ReadingsChart& chart = *tool.frm.chtReadings;
    LogRig()
    {
        tool.frm.show();
        connect(7, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"));
        tool.frm.timScan.stop(); // the test polls by hand
    }
    // One poll, five seconds after the last. Reading i: import 1000 + i W, gas 5000 + i litres,
    // input 1 at i pulses; status 1 (P1 busy) has no values; no reply at all is a time-out.
    void poll(int i, int status = 0, bool reply = true)
    {
        QByteArray data(1 + 13 * 4, '\0');
        data[0] = char(status);
        for (auto [field, value] : {std::pair{1, 1000 + i}, {9, 5000 + i}, {12, i}})
            data.replace(4 * field - 1, 2, fakes::bytes({value >> 8, value & 0xFF}));
        p.clock.advance(5.0);
        if (reply)
            p.port.replyToNextWrite({{fakes::replyFrame(64, data), 0.02}});
        tool.poll().imgRefresh_Click();
    }
    QList<QPointF> drawn(ReadingsChart::Line line) { return chart.series(line)->points(); }
};

TEST(ReadingsChart, FollowsTheLogWithAPointPerReadingOnEveryPickedLine)
{
    LogRig rig;
    rig.poll(0); // before the chart is shown: it catches up when picked
    rig.tool.frm.cmdShowChart->click();
    for (int i = 1; i < 6; ++i)
        rig.poll(i, i == 2 ? 1 : 0, i != 4); // a busy meter and a time-out: rows without a value
    const auto valued = [&](double (*value)(int)) { // (time, value) of the readings with values
        QList<QPointF> out;
        for (int r : {0, 1, 3, 5})
            out.append({double(rig.tool.readings.row(r).takenAtMsecs), value(r)});
        return out;
    };
    EXPECT_EQ(rig.drawn(ReadingsChart::ImportPower), valued([](int r) { return 1000.0 + r; }));
    EXPECT_TRUE(rig.drawn(ReadingsChart::Input1).isEmpty() && !rig.chart.inputAxis()->isVisible()) << "not picked";

    rig.chart.chkChartInputs->click();
    rig.chart.chkChartGas->click();
    EXPECT_EQ(rig.drawn(ReadingsChart::Input1), valued([](int r) { return double(r); }));
    EXPECT_EQ(rig.drawn(ReadingsChart::Gas), valued([](int r) { return (5000 + r) / 1000.0; }));
    EXPECT_TRUE(rig.chart.inputAxis()->isVisible());
    rig.chart.chkChartGas->click();
    EXPECT_TRUE(rig.drawn(ReadingsChart::Gas).isEmpty() && !rig.chart.gasAxis()->isVisible());

    rig.tool.ports().cmdCloseCom_Click();
    rig.connect(7, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"));
    EXPECT_TRUE(rig.drawn(ReadingsChart::ImportPower).isEmpty()) << "a new connection starts a new log";
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
    EXPECT_TRUE(!lines[0].contains("Diff") && lines[0].endsWith(",Input 1 (pulses),Input 2 (pulses)\r")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(",,1007,0,0,0,0,0,,5.007,0,7,0\r")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(",??? P1 error,,,,,,,,,,,\r")) << lines[2].toStdString();
    EXPECT_EQ(rig.tool.frm.statusLine->text(), "2 readings exported to " + QDir::toNativeSeparators(target));
}

} // namespace
