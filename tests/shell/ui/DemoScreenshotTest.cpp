// The window as a technician sees it in the grid, chart and debug views: every control of the view
// on the window, none covering another. Each view is also saved as a picture in
// <build>/screenshots/ for a person to look at.
#include "ToolHarness.h"
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

// Three hours at a module's 5 s interval: import swinging with the kettle, export while the sun
// shines, gas and the pulse inputs creeping up, and now and then a busy meter.
void logAfternoon(view::ReadingsTable& log, qint64 startMsecs)
{
    for (int n = 0; n < 3 * 720; ++n) {
        const bool busy = n % 400 == 399;
        view::ReadingRow row{startMsecs + 5000LL * n, {}, std::uint8_t(busy), std::uint8_t(busy ? 0 : 13),
                             view::FieldEncoding::UInt32};
        row.fields = {quint32(350 + 150 * std::sin(n / 9.0) + ((n / 60) % 7 == 3 ? 2000 : 0)), 0, 0, 0,
                      quint32(std::max(0.0, 2400 * std::sin(n / 654.0) - 300)), 0, 0, 0, 4321000u + 3 * n, 0, 0,
                      quint32(n / 12), quint32(n / 30)};
        log.append(row);
    }
}

void checkAndSave(shell::FrmQMR51& f, const char* view, const std::vector<QWidget*>& controls)
{
    QApplication::processEvents();
    const QRect window = f.centralWidget()->rect();
    std::vector<QRect> places;
    for (QWidget* w : controls) {
        const std::string name = w->objectName().toStdString();
        ASSERT_TRUE(w->isVisible()) << view << ": " << name << " is hidden";
        const QRect place(w->mapTo(f.centralWidget(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.contains(place)) << view << ": " << name << " is not wholly on the window";
        for (size_t i = 0; i < places.size(); ++i)
            EXPECT_FALSE(places[i].intersects(place)) << view << ": " << name << " covers "
                                                      << controls[i]->objectName().toStdString();
        places.push_back(place);
    }
    const QString folder = QStringLiteral(QMR_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(f.grab().save(folder + QLatin1Char('/') + QLatin1String(view) + QStringLiteral(".png")));
}

TEST(Screenshots, EveryControlOfEachViewIsOnTheWindowAndUncovered)
{
    fakes::ToolHarness h;
    auto& f = h.tool.frm;
    f.show();
    // The captions over the grid stand where the design put them: a window of a usual size.
    f.resize(1400, 800);
    h.connect(7, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"));
    f.timScan.stop();
    logAfternoon(h.tool.session.readings(), h.p.clock.now().toMSecsSinceEpoch() - 3 * 3600 * 1000);

    auto with = [&](std::vector<QWidget*> more) {
        std::vector<QWidget*> all{f.cmbComPort, f.cmdScanCom, f.cmdCloseCom, f.imgRefresh, f.fraSettings, f.cmdDebug,
                                  f.cmdUpgrade, f.cmdExport};
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    checkAndSave(f, "grid", with({f.grdInterfaces, f.cmdShowGrid, f.cmdShowChart, f.Label1, f.Label2}));

    f.cmdShowChart->click();
    f.chtReadings->chkChartGas->click();
    checkAndSave(f, "chart", with({f.chtReadings, f.cmdShowGrid, f.cmdShowChart}));
    // Inside the chart view its own picks sit above the plot.
    for (QWidget* pick : std::initializer_list<QWidget*>{f.chtReadings->chkChartInputs, f.chtReadings->chkChartGas})
        EXPECT_TRUE(pick->isVisible() && !pick->geometry().intersects(f.chtReadings->chartView->geometry()))
            << pick->objectName().toStdString();

    f.cmdDebug->click();
    f.txtDebugLog->setPlainText(QStringLiteral("P1 telegram ok\nCRC ok\n"));
    checkAndSave(f, "debug", with({f.fraDebug}));
    for (QWidget* w : std::initializer_list<QWidget*>{f.cmdReadDebugLog, f.cmdSaveDebugLog, f.cmldClear, f.cmdStopDebugLog})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
}

} // namespace
