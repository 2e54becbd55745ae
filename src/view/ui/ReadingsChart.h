#pragma once
#include "view/ChartDecimation.h"
#include <QWidget>
#include <array>

class QChart;
class QChartView;
class QCheckBox;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace view {

class ReadingsGrid;

// The readings log as a chart, shown in the grid's place when the user picks "Chart": import and
// export power in W against the time of each reading, and on request the two pulse inputs
// (right-hand axis, pulses) or gas (right-hand axis, m³). It follows the grid's log by itself: a
// row appended by a poll is a new point, the connect's clearing empties the chart.
//
// Each line keeps its samples thinned (ChartDecimation), so a poll costs a fixed amount of work
// however long the log: the lines are redrawn from at most 2 * kDefaultBuckets points each, and
// only while the chart is on screen (a hidden chart catches up when it is shown). Rows without a
// value (a status row, a time-out) add no point; the line joins its neighbours.
class ReadingsChart : public QWidget {
    Q_OBJECT
public:
    enum Line { ImportPower, ExportPower, Input1, Input2, Gas, LineCount };

    // The grid (which must outlive the chart) gives the rows, the input names and whether the
    // inputs are shown at all (a TIKA V1 has none).
    explicit ReadingsChart(ReadingsGrid& grid, QWidget* parent = nullptr);

    // The user's picks of the extra lines; off at start.
    QCheckBox* chkChartInputs;
    QCheckBox* chkChartGas;
    QChartView* chartView;

    // What the chart holds for a line (every sample since the connect, thinned).
    const ChartDecimation& line(Line which) const { return lines_[static_cast<size_t>(which)]; }
    QLineSeries* series(Line which) const { return series_[static_cast<size_t>(which)]; }
    QDateTimeAxis* timeAxis() const { return timeAxis_; }
    QValueAxis* powerAxis() const { return powerAxis_; }
    QValueAxis* inputAxis() const { return inputAxis_; }
    QValueAxis* gasAxis() const { return gasAxis_; }

    // Brings the drawn lines and axes up to date with the log now (the chart does this by itself
    // on every new row while shown, and when it is shown).
    void redraw();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rowsAdded(int first, int last);
    void restart();
    void namesChanged();
    void picksChanged();
    bool lineShown(Line which) const;
    void scaleValueAxis(QValueAxis* axis, std::initializer_list<Line> of, bool includeZero);
    void scaleTimeAxis();

    ReadingsGrid& grid_;
    QChart* chart_;
    QDateTimeAxis* timeAxis_;
    QValueAxis* powerAxis_;
    QValueAxis* inputAxis_;
    QValueAxis* gasAxis_;
    std::array<QLineSeries*, LineCount> series_{};
    std::array<ChartDecimation, LineCount> lines_;
    // The moments of the first and the latest row, milliseconds since the epoch; the time axis
    // spans every row, those without values included.
    qint64 firstMsecs_ = 0;
    qint64 lastMsecs_ = 0;
    bool anyRow_ = false;
    // The first reading and the end of the time axis when it was last laid out.
    qint64 timeFirst_ = 0;
    qint64 timeTo_ = 0;
    // Samples of each line when it was last handed to the chart; -1 drawn empty (line off).
    std::array<qsizetype, LineCount> drawnSamples_{};
    bool stale_ = false; // rows came in while the chart was hidden
};

} // namespace view
