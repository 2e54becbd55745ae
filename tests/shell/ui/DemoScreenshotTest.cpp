// The window as a new user sees it with the demo in the grid, chart and debug views: every control
// of the view on the window, none covering another. Each view is also saved as a picture in
// <build>/screenshots/ for a person to look at.
#include "FakePlatform.h"
#include "shell/ui/Demo.h"
#include "shell/ui/DemoLine.h"
#include "shell/ui/Tool.h"
#include "view/ui/ReadingsChart.h"
#include "view/ui/ReadingsGrid.h"
#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>
#include <cmath>

namespace {

// The controls of every view, then those of this one.
void checkAndSave(shell::FrmQMR51& f, const char* view, std::vector<QWidget*> controls)
{
    controls.insert(controls.begin(), {f.cmbComPort, f.cmdScanCom, f.cmdCloseCom, f.imgRefresh, f.fraSettings,
                                       f.cmdDebug, f.cmdUpgrade, f.cmdExport});
    QApplication::processEvents();
    const QRect window = f.centralWidget()->rect();
    std::vector<QRect> places;
    for (QWidget* w : controls) {
        const std::string name = w->objectName().toStdString();
        ASSERT_TRUE(w->isVisible()) << view << ": " << name << " is hidden";
        const QRect place(w->mapTo(f.centralWidget(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.contains(place)) << view << ": " << name << " is not wholly on the window";
        for (size_t i = 0; i < places.size(); ++i)
            EXPECT_FALSE(places[i].intersects(place)) << view << ": " << name << " covers " << controls[i]->objectName().toStdString();
        places.push_back(place);
    }
    const QString folder = QStringLiteral(QMR_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(f.grab().save(folder + QLatin1Char('/') + QLatin1String(view) + QStringLiteral(".png")));
}

// A new user's first run: the demo connects to its simulated TIKA V2, served inside the program at
// the first port number the machine leaves free, polls moving readings from it, and takes the
// device away when it stops.
TEST(Demo, EveryControlOfEachViewIsOnTheWindowAndUncoveredAndTheDemoDeviceAnswersUntilStopped)
{
    fakes::FakePlatform p;
    p.ports.add(1);
    shell::DemoLine line(p.port, p.ports, p.clock);
    platform::Services services{line, line, p.clock, p.pump, p.dialogs, p.transfer, p.programs, p.folder.path(), p.services.servers};
    shell::Tool tool(services);
    tool.Form_Load();
    auto& f = tool.frm;
    f.show();
    f.resize(1400, 800); // the captions over the grid stand where the design put them
    shell::Demo demo(tool, line);
    ASSERT_TRUE(demo.start()) << f.statusLine->text().toStdString();
    f.timScan.stop();
    EXPECT_EQ(tool.session.kind(), device::DeviceKind::TikaV2);
    EXPECT_TRUE(f.statusLine->text().startsWith(QStringLiteral("Demo: a simulated TIKA V2 answers on COM2 (")))
        << f.statusLine->text().toStdString();
    const device::ReadingRow first = tool.session.poll(true, false);
    p.clock.advance(30.0);
    const device::ReadingRow later = tool.session.poll(true, false);
    EXPECT_TRUE(first.status == 0 && first.completeFields == 13 && later.completeFields == 13);
    EXPECT_NE(first.fields, later.fields);

    // Three hours at the module's 5 s interval: import swinging, export while the sun shines, gas
    // and the pulse inputs creeping up.
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - 3 * 3600 * 1000;
    for (int n = 0; n < 3 * 720; ++n)
        tool.readings.append({start + 5000LL * n, {quint32(350 + 150 * std::sin(n / 9.0)), 0, 0, 0, quint32(std::max(0.0, 2400 * std::sin(n / 654.0) - 300)),
                              0, 0, 0, 4321000u + 3 * n, 0, 0, quint32(n / 12), quint32(n / 30)}, 0, 13, device::FieldEncoding::UInt32});
    checkAndSave(f, "grid", {f.grdInterfaces, f.cmdShowGrid, f.cmdShowChart, f.Label1, f.Label2});
    f.cmdShowChart->click();
    f.chtReadings->chkChartGas->click();
    checkAndSave(f, "chart", {f.chtReadings, f.cmdShowGrid, f.cmdShowChart});
    // Inside the chart view its own picks sit above the plot.
    for (QWidget* pick : std::initializer_list<QWidget*>{f.chtReadings->chkChartInputs, f.chtReadings->chkChartGas})
        EXPECT_TRUE(pick->isVisible() && !pick->geometry().intersects(f.chtReadings->chartView->geometry()))
            << pick->objectName().toStdString();
    f.cmdDebug->click();
    f.txtDebugLog->setPlainText(QStringLiteral("P1 telegram ok\nCRC ok\n"));
    checkAndSave(f, "debug", {f.txtDebugLog, f.cmdReadDebugLog, f.cmdSaveDebugLog, f.cmldClear, f.cmdStopDebugLog});

    demo.stop();
    EXPECT_EQ(line.ports(), p.ports.list);
    EXPECT_TRUE(line.isOpen() && line.hasFailed());
}

} // namespace
