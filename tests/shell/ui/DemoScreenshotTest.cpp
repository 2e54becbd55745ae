// The window as a technician sees it in the grid, chart and debug views: every control of the view
// on the window, none covering another. Each view is also saved as a picture in
// <build>/screenshots/ for a person to look at.
#include "ToolHarness.h"
#include "diagnostics/ui/DebugLogView.h"
#include "view/ui/ReadingsChart.h"
#include "view/ui/ReadingsGrid.h"
#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>
#include <cmath>

namespace {

// Three hours of a house at the 5 s interval of a module: import swinging with the kettle and the
// fridge, export while the sun shines, gas and the pulse inputs creeping up.
void logAfternoon(view::ReadingsGrid& grid, qint64 startMsecs)
{
    for (int n = 0; n < 3 * 720; ++n) {
        view::ReadingRow row;
        row.takenAtMsecs = startMsecs + 5000LL * n;
        if (n % 400 == 399) {
            row.status = 1; // the meter was busy now and then
            grid.table().append(row);
            continue;
        }
        row.encoding = view::FieldEncoding::UInt32;
        row.completeFields = 13;
        const double t = n / 720.0;
        row.fields[0] = static_cast<quint32>(350 + 150 * std::sin(n / 9.0) + ((n / 60) % 7 == 3 ? 2000 : 0));
        row.fields[1] = 1234567 + n;
        row.fields[2] = 2345678;
        row.fields[4] = static_cast<quint32>(std::max(0.0, 2400 * std::sin(t * 1.1) - 300));
        row.fields[5] = 345678 + n / 2;
        row.fields[6] = 456789;
        row.fields[8] = 4321000 + n * 3;
        row.fields[10] = 987000 + n;
        row.fields[11] = static_cast<quint32>(n / 12);
        row.fields[12] = static_cast<quint32>(n / 30);
        grid.table().append(row);
    }
}

struct View {
    const char* name;
    std::vector<QWidget*> controls; // each visible, on the window, covering none of the others
};

void checkAndSave(shell::FrmQMR51& f, const View& view)
{
    QApplication::processEvents();
    const QRect window = f.centralWidget()->rect();
    std::vector<QRect> places;
    for (QWidget* w : view.controls) {
        ASSERT_TRUE(w->isVisible()) << view.name << ": " << w->objectName().toStdString() << " is hidden";
        const QRect place(w->mapTo(f.centralWidget(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.contains(place)) << view.name << ": " << w->objectName().toStdString() << " at "
                                            << place.x() << "," << place.y() << " " << place.width() << "x"
                                            << place.height() << " is not wholly on the window";
        for (size_t i = 0; i < places.size(); ++i)
            EXPECT_FALSE(places[i].intersects(place))
                << view.name << ": " << w->objectName().toStdString() << " covers "
                << view.controls[i]->objectName().toStdString();
        places.push_back(place);
    }
    const QString folder = QStringLiteral(QMR_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(f.grab().save(folder + QLatin1Char('/') + QLatin1String(view.name) + QStringLiteral(".png")));
}

TEST(Screenshots, EveryControlOfEachViewIsOnTheWindowAndUncovered)
{
    fakes::ToolHarness h;
    auto& f = h.tool.frm;
    f.show();
    h.p.ports.paths[7] = QStringLiteral("/dev/ttyUSB0");
    h.connect(7, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"));
    f.timScan.stop();
    ASSERT_EQ(h.tool.session.portNumber(), 7);
    logAfternoon(*f.grdInterfaces, h.p.clock.now().toMSecsSinceEpoch() - 3 * 3600 * 1000);
    f.statusLine->setText(QStringLiteral("COM7: /dev/ttyUSB0"));

    const std::vector<QWidget*> leftColumn{f.cmbComPort, f.cmdScanCom, f.cmdCloseCom, f.imgRefresh, f.fraSettings,
                                           f.cmdDebug,   f.cmdUpgrade, f.cmdExport};
    auto with = [&](std::vector<QWidget*> more) {
        std::vector<QWidget*> all = leftColumn;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };

    checkAndSave(f, {"grid", with({f.grdInterfaces, f.cmdShowGrid, f.cmdShowChart, f.Label1, f.Label2})});

    f.cmdShowChart->click();
    f.chtReadings->chkChartGas->click();
    checkAndSave(f, {"chart", with({f.chtReadings, f.cmdShowGrid, f.cmdShowChart})});
    // Inside the chart view its own picks sit above the plot.
    const QRect plot = f.chtReadings->chartView->geometry();
    for (QWidget* pick : std::initializer_list<QWidget*>{f.chtReadings->chkChartInputs, f.chtReadings->chkChartGas}) {
        EXPECT_TRUE(pick->isVisible());
        EXPECT_FALSE(pick->geometry().intersects(plot)) << pick->objectName().toStdString();
    }

    h.tool.debugLog().cmdDebug_Click();
    f.txtDebugLog->setPlainText(QStringLiteral("P1 telegram ok\nCRC ok\n"));
    checkAndSave(f, {"debug", with({f.fraDebug})});
    for (QWidget* w : std::initializer_list<QWidget*>{f.cmdReadDebugLog, f.cmdSaveDebugLog, f.cmldClear, f.cmdStopDebugLog})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
}

} // namespace
