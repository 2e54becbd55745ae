#include "ToolHarness.h"
#include "view/ui/ReadingsGrid.h"
#include <QApplication>
#include <gtest/gtest.h>

namespace {

TEST(MainWindow, NeverShrinksBelowItsSmallestSizeAndTheGridFollows)
{
    fakes::ToolHarness h;
    auto& f = h.tool.frm;
    f.show();
    for (auto [width, height] : {std::pair{200, 100}, {f.twips(10000) - 1, f.twips(2000) - 1}, {1400, 900}, {900, 300}}) {
        f.resize(width, height);
        QApplication::processEvents();
        EXPECT_GE(f.width(), f.twips(10000));
        EXPECT_GE(f.height(), f.twips(2000));
        EXPECT_EQ(f.grdInterfaces->x(), f.twips(2900));
        EXPECT_EQ(f.grdInterfaces->width(), f.width() - f.twips(2730) - f.twips(500));
        EXPECT_EQ(f.grdInterfaces->height(), f.height() - f.twips(1000));
    }
}

TEST(MainWindow, ClosingWhileConnectedKeepsTheWindowAliveThenClosesThePort)
{
    fakes::ToolHarness h;
    h.connect(3, fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 4, 4, "QMR00001"));
    ASSERT_EQ(h.tool.session.portNumber(), 3);
    const int passesBefore = h.p.pump.passes;
    h.tool.frm.close();
    EXPECT_EQ(h.tool.session.portNumber(), std::nullopt);
    EXPECT_FALSE(h.p.port.isOpen());
    EXPECT_FALSE(h.tool.frm.timScan.isActive());
    EXPECT_GT(h.p.pump.passes - passesBefore, 5) << "the window handles its events during the pause";
}

TEST(ReadingsGrid, TheNewestReadingStaysInViewAsTheLogGrows)
{
    fakes::ToolHarness h;
    auto& f = h.tool.frm;
    f.resize(1200, 500);
    f.show();
    auto& grid = *f.grdInterfaces;
    auto newestInView = [&] {
        QApplication::processEvents();
        const QRect newest = grid.visualRect(grid.model()->index(grid.model()->rowCount() - 1, 0));
        return grid.viewport()->rect().contains(newest);
    };
    for (int i = 1; i <= 300; ++i) {
        grid.table().append(view::ReadingRow{});
        EXPECT_TRUE(i % 50 != 0 || newestInView()) << "after " << i << " rows";
    }
    // A user who scrolled back to the first readings is brought to the newest one by the next poll.
    grid.scrollToTop();
    QApplication::processEvents();
    grid.table().append(view::ReadingRow{});
    EXPECT_TRUE(newestInView());
}

} // namespace
