#pragma once
#include <QObject>

namespace shell {
class FrmQMR51;
}

namespace view {

// The readings area right of the settings shows the grid or the chart, as the user picks with the
// "Grid" and "Chart" buttons under it. The debug view takes the same area: while its frame is up
// neither grid nor chart shows (the debug handler hides the grid itself) and the two buttons go
// away; when the frame goes, the picked view comes back. The frame is watched, so the debug
// handler does not have to know about the chart.
class ReadingsViews : public QObject {
    Q_OBJECT
public:
    explicit ReadingsViews(shell::FrmQMR51& frm);

    void cmdShowGrid_Click();
    void cmdShowChart_Click();

    // Puts the picked view in the readings area, or nothing of it while the debug frame is shown
    // there. Call after showing or hiding the debug frame (done by itself when the frame's
    // visibility changes).
    void showPickedView();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    shell::FrmQMR51& frm_;
    bool chartPicked_ = false;
};

} // namespace view
