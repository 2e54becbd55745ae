#include "ToolHarness.h"
#include "diagnostics/ui/DebugLogView.h"
#include "view/ui/ReadingsChart.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include "view/ui/ReadingsViews.h"
#include <QChart>
#include <QCheckBox>
#include <QDateTimeAxis>
#include <QGroupBox>
#include <QLineSeries>
#include <QToolButton>
#include <QValueAxis>
#include <gtest/gtest.h>
#include <map>

namespace {

using view::ReadingsChart;

// Thirteen big-endian 4-byte fields; unlisted fields are 0.
QByteArray fields(const std::map<int, quint32>& values)
{
    QByteArray out;
    for (int k = 1; k <= 13; ++k) {
        const quint32 v = values.count(k) ? values.at(k) : 0;
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(static_cast<char>((v >> shift) & 0xFF));
    }
    return out;
}

// A TIKA answer to "*@#": '*', 'A', length, status, the fields, '#'.
QByteArray tikaReadings(std::uint8_t status, const QByteArray& data)
{
    const QByteArray body = QByteArray(1, static_cast<char>(status)) + data;
    return "*A" + QByteArray(1, char(body.size())) + body + "#";
}

struct ChartRig : fakes::ToolHarness {
    ReadingsChart& chart() { return *tool.frm.chtReadings; }
    view::ReadingsTable& table() { return tool.frm.grdInterfaces->table(); }
    explicit ChartRig(const QByteArray& identity = fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"))
    {
        tool.frm.show();
        connect(7, identity);
        tool.frm.timScan.stop(); // the test polls by hand
    }
    // One poll, five seconds after the last; reply empty: the device stays silent.
    void poll(const QByteArray& reply)
    {
        p.clock.advance(5.0);
        if (!reply.isEmpty())
            p.port.replyToNextWrite({{reply, 0.02}});
        tool.poll().imgRefresh_Click();
    }
    // Readings of poll i: import 1000 + 10 i W, export 200 + i W, inputs i and 2 i, gas 5000 + i litres.
    static QByteArray readingsOf(int i)
    {
        return fields({{1, 1000u + 10u * i}, {5, 200u + i}, {9, 5000u + i}, {12, quint32(i)}, {13, 2u * i}});
    }
    QList<QPointF> drawn(ReadingsChart::Line line) { return chart().series(line)->points(); }
};

TEST(ReadingsChart, AfterTwelvePollsTheLinesHoldEveryReadingWithItsTime)
{
    ChartRig rig;
    rig.tool.frm.cmdShowChart->click();
    ASSERT_TRUE(rig.chart().isVisible());
    for (int i = 0; i < 12; ++i) {
        if (i == 4)
            rig.poll(tikaReadings(1, fields({}))); // P1 busy: a row, but no value
        else if (i == 7)
            rig.poll(QByteArray());                // time-out: a row, but no value
        else
            rig.poll(tikaReadings(0, ChartRig::readingsOf(i)));
    }
    ASSERT_EQ(rig.table().rowCount(), 12);

    QList<QPointF> importPower, exportPower;
    for (int r = 0; r < 12; ++r) {
        if (r == 4 || r == 7)
            continue;
        const double x = static_cast<double>(rig.table().row(r).takenAtMsecs);
        importPower.append({x, 1000.0 + 10 * r});
        exportPower.append({x, 200.0 + r});
    }
    EXPECT_EQ(rig.drawn(ReadingsChart::ImportPower), importPower);
    EXPECT_EQ(rig.drawn(ReadingsChart::ExportPower), exportPower);
    // Not picked: not drawn.
    EXPECT_TRUE(rig.drawn(ReadingsChart::Input1).isEmpty());
    EXPECT_TRUE(rig.drawn(ReadingsChart::Gas).isEmpty());
    EXPECT_FALSE(rig.chart().inputAxis()->isVisible());

    // The power axis starts at nothing and ends on a round number above the highest power.
    QValueAxis& power = *rig.chart().powerAxis();
    EXPECT_EQ(power.min(), 0.0);
    EXPECT_EQ(power.max(), 1500.0);
    EXPECT_LE(power.tickCount(), 6);
    // The time axis spans every row, the first and last included.
    const QDateTimeAxis& time = *rig.chart().timeAxis();
    EXPECT_LE(time.min().toMSecsSinceEpoch(), rig.table().row(0).takenAtMsecs);
    EXPECT_GE(time.max().toMSecsSinceEpoch(), rig.table().row(11).takenAtMsecs);
}

TEST(ReadingsChart, PickedInputsAndGasAreDrawnOnTheirOwnAxes)
{
    ChartRig rig;
    rig.tool.frm.cmdShowChart->click();
    for (int i = 0; i < 6; ++i)
        rig.poll(tikaReadings(0, ChartRig::readingsOf(i)));

    rig.chart().chkChartInputs->click();
    rig.chart().chkChartGas->click();
    QList<QPointF> input1, input2, gas;
    for (int r = 0; r < 6; ++r) {
        const double x = static_cast<double>(rig.table().row(r).takenAtMsecs);
        input1.append({x, double(r)});
        input2.append({x, 2.0 * r});
        gas.append({x, (5000 + r) / 1000.0});
    }
    EXPECT_EQ(rig.drawn(ReadingsChart::Input1), input1);
    EXPECT_EQ(rig.drawn(ReadingsChart::Input2), input2);
    EXPECT_EQ(rig.drawn(ReadingsChart::Gas), gas);
    EXPECT_EQ(rig.chart().series(ReadingsChart::Input1)->name(), QStringLiteral("Input 1"));
    EXPECT_EQ(rig.chart().series(ReadingsChart::Input2)->name(), QStringLiteral("Input 2"));
    EXPECT_TRUE(rig.chart().inputAxis()->isVisible());
    EXPECT_TRUE(rig.chart().gasAxis()->isVisible());
    // Counters are not scaled from zero: 0 .. 10 pulses; gas 5.000 .. 5.005 m3 on round steps.
    EXPECT_LE(rig.chart().inputAxis()->min(), 0.0);
    EXPECT_GE(rig.chart().inputAxis()->max(), 10.0);
    EXPECT_GT(rig.chart().gasAxis()->min(), 4.99);
    EXPECT_LT(rig.chart().gasAxis()->max(), 5.02);

    // Unpicked again: gone from the plot, its axis too.
    rig.chart().chkChartGas->click();
    EXPECT_TRUE(rig.drawn(ReadingsChart::Gas).isEmpty());
    EXPECT_FALSE(rig.chart().gasAxis()->isVisible());
}

TEST(ReadingsChart, AChartPickedAfterThePollsShowsThemAll)
{
    ChartRig rig;
    for (int i = 0; i < 5; ++i)
        rig.poll(tikaReadings(0, ChartRig::readingsOf(i)));
    rig.tool.frm.cmdShowChart->click();
    EXPECT_EQ(rig.drawn(ReadingsChart::ImportPower).size(), 5);
    EXPECT_EQ(rig.drawn(ReadingsChart::ImportPower).back().y(), 1040.0);
}

TEST(ReadingsChart, AWeekOfReadingsIsDrawnFromABoundedNumberOfPointsWithItsPeak)
{
    ChartRig rig;
    view::ReadingsGrid& grid = *rig.tool.frm.grdInterfaces;
    const int rows = 20000;
    for (int r = 0; r < rows; ++r) {
        view::ReadingRow row;
        row.takenAtMsecs = 1796551200000 + 5000LL * r;
        row.encoding = view::FieldEncoding::UInt32;
        row.completeFields = 13;
        row.fields[0] = r == 12345 ? 9000 : 400 + r % 50; // one kettle among the standby
        grid.table().append(row);
    }
    rig.tool.frm.cmdShowChart->click();
    const QList<QPointF> drawn = rig.drawn(ReadingsChart::ImportPower);
    EXPECT_LE(drawn.size(), 2 * view::ChartDecimation::kDefaultBuckets);
    EXPECT_TRUE(drawn.contains(QPointF(1796551200000.0 + 5000.0 * 12345, 9000))) << "the peak was thinned away";
    EXPECT_EQ(rig.chart().powerAxis()->max(), 10000.0);
}

TEST(ReadingsChart, AConnectStartsAnEmptyChart)
{
    ChartRig rig;
    rig.tool.frm.cmdShowChart->click();
    for (int i = 0; i < 3; ++i)
        rig.poll(tikaReadings(0, ChartRig::readingsOf(i)));
    rig.tool.ports().cmdCloseCom_Click();
    // Closing keeps the log (and the chart) ...
    EXPECT_EQ(rig.drawn(ReadingsChart::ImportPower).size(), 3);
    rig.connect(7, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"));
    // ... the next connect empties both.
    EXPECT_TRUE(rig.drawn(ReadingsChart::ImportPower).isEmpty());
    EXPECT_TRUE(rig.chart().line(ReadingsChart::ImportPower).isEmpty());
}

TEST(ReadingsChart, ATikaV1HasNoInputsToChart)
{
    ChartRig rig(fakes::tikaIdentity({24, 1, 0, 3}, "21T00042"));
    ASSERT_EQ(rig.tool.session.kind(), device::DeviceKind::TikaV1);
    EXPECT_FALSE(rig.chart().chkChartInputs->isEnabled());
    rig.tool.ports().cmdCloseCom_Click();
    rig.connect(7, fakes::qmr51Identity({2, 1, 0, 5}, 60, 0, 2, 10, "Q5100042"));
    ASSERT_EQ(rig.tool.session.kind(), device::DeviceKind::Qmr51);
    EXPECT_TRUE(rig.chart().chkChartInputs->isEnabled()) << "a QMR51 shows its Extern1 and Extern2 again";
}

// The debug view takes the readings area and gives back the chart when it was picked (the grid's
// way back is in DebugLogViewTest).
TEST(ReadingsChart, TheDebugFrameHidesItAndExitBringsItBack)
{
    ChartRig rig;
    auto& f = rig.tool.frm;
    f.cmdShowChart->click();

    rig.tool.debugLog().cmdDebug_Click();
    EXPECT_TRUE(f.fraDebug->isVisible());
    EXPECT_FALSE(f.grdInterfaces->isVisible());
    EXPECT_FALSE(f.chtReadings->isVisible());
    EXPECT_FALSE(f.cmdShowGrid->isVisible());
    EXPECT_FALSE(f.cmdShowChart->isVisible());

    rig.tool.debugLog().cmdStopDebugLog_Click();
    EXPECT_FALSE(f.fraDebug->isVisible());
    EXPECT_TRUE(f.chtReadings->isVisible());
    EXPECT_FALSE(f.grdInterfaces->isVisible());
    EXPECT_TRUE(f.cmdShowGrid->isVisible());
    EXPECT_TRUE(f.cmdShowChart->isVisible());
    EXPECT_TRUE(f.cmdShowChart->isChecked());
    EXPECT_FALSE(f.cmdShowGrid->isChecked());
}

TEST(ReadingsChart, TakesTheGridsPlaceAndTheCaptionsAboveIt)
{
    ChartRig rig;
    auto& f = rig.tool.frm;
    f.resize(f.width() + 137, f.height() + 61);
    f.cmdShowChart->click();
    const QRect grid = f.grdInterfaces->geometry();
    EXPECT_EQ(f.chtReadings->geometry(), QRect(grid.left(), 0, grid.width(), grid.bottom() + 1));
    EXPECT_TRUE(f.chtReadings->autoFillBackground()) << "the IMPORT and EXPORT captions would show through";
}

} // namespace
