// What a technician meets at the window: an edit that an upgrade does not swallow, grid columns
// that show their text, and a line that comes back by itself after an unplug.
#include "ToolHarness.h"
#include "device/ui/SettingsSender.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "link/ui/LineReturn.h"
#include "view/ReadingFormat.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

const QByteArray kQmr51 = fakes::qmr51Identity({2, 1, 0, 5}, 10, 1, 4, 4, "Q5100042");

TEST(TechnicianCare, AnEditMadeJustBeforeAnUpgradeGoesOutFirst)
{
    fakes::ToolHarness h;
    h.connect(7, kQmr51);
    h.tool.frm.divider[0]->spin()->setValue(9);
    ASSERT_TRUE(h.tool.frm.timTXSettings.isActive());
    h.p.port.writes.clear();
    h.tool.upgrade().cmdUpgrade_Click(); // the firmware server has no list: the upgrade stops early
    ASSERT_FALSE(h.p.port.writes.isEmpty());
    EXPECT_EQ(h.p.port.writes.first(), fakes::bytes({'*', 66, 10, 1, 4, 9, '#'}));
    EXPECT_FALSE(h.tool.frm.timTXSettings.isActive());
    EXPECT_EQ(h.p.transfer.requests, QStringList({"/DENA_UPGlist.bin"}));
}

TEST(TechnicianCare, ATikaV2AfterATikaV1ShowsItsInputColumns)
{
    fakes::ToolHarness h;
    h.connect(7, fakes::tikaIdentity({24, 1, 0, 3}, "21T00042"));
    auto& grid = *h.tool.frm.grdInterfaces;
    EXPECT_TRUE(grid.isColumnHidden(view::kFirstInputColumn));
    h.tool.ports().cmdCloseCom_Click();
    h.connect(7, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"));
    for (int column : {view::kFirstInputColumn, view::kLastInputColumn}) {
        EXPECT_FALSE(grid.isColumnHidden(column));
        EXPECT_GT(grid.columnWidth(column), 0);
    }
    EXPECT_EQ(grid.table().heading(view::kLastInputColumn), "Input 2");
}

TEST(TechnicianCare, DateAndTimeColumnsAreAsWideAsTheirLongestText)
{
    for (const char* name : {"en_US", "nl_NL", "de_DE", "fr_FR"}) {
        fakes::ToolHarness h;
        auto& grid = *h.tool.frm.grdInterfaces;
        const QLocale locale(QString::fromLatin1(name));
        grid.table().setLocale(locale);
        grid.InitGrid();
        const auto widest = [&](const QStringList& texts) {
            int w = 0;
            for (const QString& t : texts)
                w = std::max(w, grid.fontMetrics().horizontalAdvance(t));
            return w;
        };
        EXPECT_GT(grid.columnWidth(view::kDateColumn), widest(view::dateTextSamples(locale))) << name;
        EXPECT_GT(grid.columnWidth(view::kTimeColumn), widest(view::timeTextSamples(locale))) << name;
    }
}

TEST(TechnicianCare, TheWindowOpensWideEnoughForTheGridWithinTheScreen)
{
    fakes::ToolHarness h; // loaded: the grid has its columns
    auto& f = h.tool.frm;
    const int screenWidth = f.screen()->availableGeometry().width();
    const int wanted = f.grdInterfaces->widthToShowAllColumns();
    EXPECT_LE(f.width(), screenWidth);
    f.show();
    QApplication::processEvents();
    if (f.width() < screenWidth) // room on this screen: every column is in view
        EXPECT_GE(f.grdInterfaces->width(), wanted);
}

struct Unplugged : fakes::ToolHarness {
    Unplugged()
    {
        p.ports.add(7);
        connect(7, kQmr51);
        p.port.vanish(); // the adapter is pulled out
        p.ports.paths.remove(7);
        tool.poll().timScan_Timer();
    }
    void look() { tool.lineReturn().look(); }
};

TEST(TechnicianCare, ALineThatWentAwayIsNotPolledAndIsConnectedAgainWhenItComesBack)
{
    Unplugged h;
    const int rows = h.tool.session.readings().rowCount();
    EXPECT_FALSE(h.tool.frm.timScan.isActive()) << "no empty rows for a line that is gone";
    EXPECT_TRUE(h.tool.lineReturn().watching());
    h.look();
    EXPECT_EQ(h.p.port.opened.size(), 1) << "nothing to open while the device node is away";

    // Plugged back in, with another module behind the adapter.
    h.p.ports.add(7);
    h.answerIdentify(fakes::qmr51Identity({2, 1, 0, 6}, 10, 1, 4, 4, "Q5100077"));
    h.look();
    EXPECT_FALSE(h.tool.lineReturn().watching());
    EXPECT_TRUE(h.tool.frm.windowTitle().contains("Q5100077")) << h.tool.frm.windowTitle().toStdString();
    EXPECT_TRUE(h.tool.frm.statusLine->text().contains("another device")) << h.tool.frm.statusLine->text().toStdString();
    EXPECT_TRUE(h.tool.frm.timScan.isActive());
    EXPECT_EQ(h.tool.session.readings().rowCount(), 0) << "a new device starts a new log";
    EXPECT_GT(rows, 0);
}

TEST(TechnicianCare, TheUserClosingThePortEndsTheWaitForTheLine)
{
    Unplugged h;
    h.tool.ports().cmdCloseCom_Click();
    EXPECT_FALSE(h.tool.lineReturn().watching());
    h.p.ports.add(7);
    h.look();
    EXPECT_EQ(h.p.port.opened.size(), 1);
}

} // namespace
