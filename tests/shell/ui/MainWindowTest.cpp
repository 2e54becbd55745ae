#include "ToolHarness.h"
#include "view/ui/ReadingsGrid.h"
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using fakes::ToolHarness;

namespace {

TEST(MainWindow, StartsWithTheToolsCaptionAndNoSuffix)
{
    ToolHarness h;
    EXPECT_EQ(h.tool.frm.windowTitle(), "QMR51-TIKA V4.4");
    h.tool.ports().cmdCloseCom_Click();
    EXPECT_EQ(h.tool.frm.windowTitle(), "QMR51-TIKA V4.4 ----");
}

TEST(MainWindow, EveryControlCarriesItsNameAndASpeakableName)
{
    ToolHarness h;
    struct Control {
        const char* name;
        const char* caption; // nullptr: only the accessible name is checked
        const char* spoken;
    };
    // A sample of each kind: a button, an indexed button, a frame, an indexed text box, a label.
    const Control controls[] = {
        {"cmdScanCom", "Scan", "Scan"},
        {"cmdSendInput(1)", "Send", "Send input 2."},
        {"fraOut(1)", nullptr, "Out 2"},
        {"txtDelay(3)", nullptr, "Out 2 Delay Off"},
        {"optNLofB(1)", "België", "België"},
        {"labInput", "-------   INPUT   -------", "-------   INPUT   -------"},
    };
    for (const Control& c : controls) {
        auto* w = h.tool.frm.findChild<QWidget*>(QString::fromUtf8(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->accessibleName(), QString::fromUtf8(c.spoken)) << c.name;
        if (!c.caption)
            continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            EXPECT_EQ(b->text(), QString::fromUtf8(c.caption)) << c.name;
        else if (auto* l = qobject_cast<QLabel*>(w))
            EXPECT_EQ(l->text(), QString::fromUtf8(c.caption)) << c.name;
    }
    EXPECT_NE(h.tool.frm.findChild<shell::SpinButton*>(QStringLiteral("updDelay(2)")), nullptr);
}

TEST(MainWindow, StartValuesOfTheSettingsControls)
{
    ToolHarness h;
    auto& f = h.tool.frm;
    EXPECT_EQ(f.interval->text()->text(), "60 sec.");
    EXPECT_EQ(f.interval->spin()->value(), 60);
    EXPECT_EQ(f.interval->spin()->step(), 5);
    EXPECT_EQ(f.divider[1]->spin()->maximum(), 200);
    EXPECT_EQ(f.powerDiff[0]->spin()->maximum(), 32767);
    EXPECT_EQ(f.delay[3]->spin()->maximum(), 250);
    ASSERT_EQ(f.cmbOutSelector[1]->count(), 14);
    EXPECT_EQ(f.cmbOutSelector[1]->itemText(13), "Export Power >") << "the one function whose difference may pass its level";
    EXPECT_FALSE(f.timScan.isActive());
    EXPECT_FALSE(f.timTXSettings.isActive());
    EXPECT_EQ(f.timTXSettings.interval(), 1000);
}

TEST(MainWindow, NeverShrinksBelowItsSmallestSizeAndTheGridFollows)
{
    ToolHarness h;
    auto& f = h.tool.frm;
    f.show();
    struct Size {
        int width, height;
    };
    for (Size s : {Size{200, 100}, Size{f.twips(10000) - 1, f.twips(2000) - 1}, Size{1400, 900}, Size{900, 300}}) {
        f.resize(s.width, s.height);
        QApplication::processEvents();
        EXPECT_GE(f.width(), f.twips(10000));
        EXPECT_GE(f.height(), f.twips(2000));
        EXPECT_EQ(f.grdInterfaces->width(), f.width() - f.twips(2730) - f.twips(500));
        EXPECT_EQ(f.grdInterfaces->height(), f.height() - f.twips(1000));
        EXPECT_EQ(f.grdInterfaces->x(), f.twips(2900));
    }
}

TEST(MainWindow, ClosingWhileConnectedPausesASecondThenClosesThePort)
{
    ToolHarness h;
    h.connect(3, fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 5, 4, "QMR00001"));
    ASSERT_EQ(h.tool.session.portNumber(), 3);
    int eventPassesBefore = h.p.pump.passes;
    const double before = h.p.clock.exact();
    h.tool.frm.close();
    EXPECT_EQ(h.tool.session.portNumber(), std::nullopt);
    EXPECT_FALSE(h.p.port.isOpen());
    EXPECT_FALSE(h.tool.frm.timScan.isActive());
    EXPECT_NEAR(h.p.clock.exact() - before, 1.0, 0.11);
    EXPECT_GT(h.p.pump.passes - eventPassesBefore, 5) << "the window stays alive during the pause";
}


TEST(ReadingsGrid, SetUpWithTheDesignedColumnsAndHeadingsOnly)
{
    ToolHarness h;
    auto& grid = *h.tool.frm.grdInterfaces;
    const char* headings[22] = {"Date", "Time", "", "Power", "High", "Low", "Diff.", "", "Power", "High", "Low",
                                "Diff.", "", "Tariff", "", "Gas", "Diff.", "", "Water", "", "Extern1", "Extern2"};
    EXPECT_EQ(grid.gridRowCount(), 1);
    ASSERT_EQ(grid.model()->columnCount(), 22);
    for (int c = 0; c < 22; ++c) {
        EXPECT_EQ(grid.table().heading(c), headings[c]) << c;
        EXPECT_FALSE(grid.isColumnHidden(c)) << c;
    }
    EXPECT_EQ(grid.columnWidthTwips(0), 1000);
    EXPECT_EQ(grid.columnWidthTwips(2), 50);
    EXPECT_EQ(grid.columnWidthTwips(20), 1200);
    EXPECT_EQ(grid.columnWidth(3), view::twipsToPixels(1400, grid.dotsPerInch()));
}

TEST(ReadingsGrid, DeviceLayoutsOverwriteEachOtherButKeepTheInputHeadings)
{
    ToolHarness h;
    auto& grid = *h.tool.frm.grdInterfaces;
    using L = view::ReadingsGrid::DeviceLayout;
    grid.applyDeviceLayout(L::TikaV1);
    for (int c : {6, 11, 16, 19, 20, 21})
        EXPECT_TRUE(grid.isColumnHidden(c)) << c;
    grid.applyDeviceLayout(L::Qmr51);
    for (int c : {6, 11, 16})
        EXPECT_EQ(grid.columnWidthTwips(c), 700);
    EXPECT_EQ(grid.columnWidthTwips(19), 50);
    EXPECT_EQ(grid.columnWidthTwips(21), 1200);
    grid.applyDeviceLayout(L::TikaV2);
    EXPECT_EQ(grid.table().heading(20), "Input 1");
    EXPECT_EQ(grid.table().heading(21), "Input 2");
    EXPECT_FALSE(grid.isColumnHidden(20));
    EXPECT_TRUE(grid.isColumnHidden(16));
    grid.applyDeviceLayout(L::Qmr51);
    EXPECT_EQ(grid.table().heading(20), "Input 1") << "only a TIKA V2 writes these headings";
}

TEST(ReadingsGrid, TopRowAfterAppendKeepsTheNewestRowInView)
{
    struct Case {
        int rows, firstHidden, fit, expectedTop;
    };
    // rows include the heading row; firstHidden = first grid row not in view; fit = reading rows in view.
    for (Case c : {Case{5, 5, 11, 0}, Case{40, 12, 11, 29}, Case{41, 12, 11, 30}, Case{40, 1, 11, 29},
                   Case{12, 12, 11, 0}, Case{13, 12, 11, 2}, Case{3, 1, 0, 2}})
        EXPECT_EQ(view::topRowAfterAppend(c.rows, c.firstHidden, c.fit), c.expectedTop)
            << c.rows << " rows, first hidden " << c.firstHidden;
}

} // namespace

namespace {

TEST(ReadingsGrid, TheNewestReadingStaysInViewAsTheLogGrows)
{
    ToolHarness h;
    auto& f = h.tool.frm;
    f.resize(1200, 500);
    f.show();
    QApplication::processEvents();
    auto& grid = *f.grdInterfaces;
    for (int i = 0; i < 300; ++i) {
        grid.table().append(view::ReadingRow{});
        if (i % 50 != 49)
            continue;
        QApplication::processEvents();
        const QRect newest = grid.visualRect(grid.model()->index(grid.model()->rowCount() - 1, 0));
        EXPECT_TRUE(grid.viewport()->rect().contains(newest)) << "after " << i + 1 << " rows";
    }
    // A user who scrolled back to the first readings is brought to the newest one by the next poll.
    grid.scrollToTop();
    QApplication::processEvents();
    grid.table().append(view::ReadingRow{});
    QApplication::processEvents();
    const QRect newest = grid.visualRect(grid.model()->index(grid.model()->rowCount() - 1, 0));
    EXPECT_TRUE(grid.viewport()->rect().contains(newest));
}

} // namespace
