#include "view/ui/ReadingsChart.h"
#include "view/ChartScale.h"
#include "view/ReadingValue.h"
#include "view/ui/ReadingsGrid.h"
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <cmath>

namespace view {

namespace {

constexpr int kValueTicks = 6;
constexpr int kTimeTicks = 7;
constexpr qint64 kMinuteMsecs = 60 * 1000;
constexpr qint64 kDayMsecs = 24 * 60 * 60 * 1000;

constexpr std::array<int, ReadingsChart::LineCount> kFieldOfLine{kImportPowerField, kExportPowerField, kInput1Field,
                                                                  kInput2Field, kGasField};

QValueAxis* valueAxis(const QString& title)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setTickType(QValueAxis::TicksFixed);
    return axis;
}

// As many decimals as the step needs: "0.2" but "500".
QString labelFormatFor(double step)
{
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return QStringLiteral("%.%1f").arg(decimals);
}

} // namespace

ReadingsChart::ReadingsChart(ReadingsGrid& grid, QWidget* parent) : QWidget(parent), grid_(grid)
{
    setObjectName(QStringLiteral("chtReadings"));
    setAccessibleName(QStringLiteral("Readings chart"));
    // It lies over the grid's captions: they must not show through.
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* picks = new QHBoxLayout;
    chkChartInputs = new QCheckBox(QStringLiteral("Input pulses"), this);
    chkChartInputs->setObjectName(QStringLiteral("chkChartInputs"));
    chkChartInputs->setAccessibleName(QStringLiteral("Chart the input pulses"));
    chkChartGas = new QCheckBox(QStringLiteral("Gas"), this);
    chkChartGas->setObjectName(QStringLiteral("chkChartGas"));
    chkChartGas->setAccessibleName(QStringLiteral("Chart the gas"));
    picks->addWidget(new QLabel(QStringLiteral("Import and export power; also:"), this));
    picks->addWidget(chkChartInputs);
    picks->addWidget(chkChartGas);
    picks->addStretch(1);
    layout->addLayout(picks);

    chart_ = new QChart;
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    timeAxis_ = new QDateTimeAxis;
    timeAxis_->setTickCount(kTimeTicks);
    powerAxis_ = valueAxis(QStringLiteral("W"));
    inputAxis_ = valueAxis(QStringLiteral("pulses"));
    gasAxis_ = valueAxis(QStringLiteral("m\u00B3"));
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(powerAxis_, Qt::AlignLeft);
    chart_->addAxis(inputAxis_, Qt::AlignRight);
    chart_->addAxis(gasAxis_, Qt::AlignRight);
    for (int i = 0; i < LineCount; ++i) {
        auto* s = new QLineSeries;
        series_[static_cast<size_t>(i)] = s;
        chart_->addSeries(s);
        s->attachAxis(timeAxis_);
        s->attachAxis(i <= ExportPower ? powerAxis_ : i == Gas ? gasAxis_ : inputAxis_);
    }
    chartView = new QChartView(chart_, this);
    chartView->setObjectName(QStringLiteral("chartView"));
    chartView->setAccessibleName(QStringLiteral("Readings chart"));
    chartView->setRenderHint(QPainter::Antialiasing, false);
    layout->addWidget(chartView, 1);

    ReadingsTable& table = grid_.table();
    connect(&table, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { rowsAdded(first, last); });
    connect(&table, &QAbstractItemModel::modelReset, this, [this] { restart(); });
    connect(&table, &QAbstractItemModel::headerDataChanged, this, [this] { namesChanged(); });
    // A TIKA V1 has no pulse inputs to chart.
    connect(&grid_, &ReadingsGrid::deviceLayoutApplied, this,
            [this] { chkChartInputs->setEnabled(!grid_.isColumnHidden(kFirstInputColumn)); });
    connect(chkChartInputs, &QCheckBox::toggled, this, [this] { picksChanged(); });
    connect(chkChartGas, &QCheckBox::toggled, this, [this] { picksChanged(); });
    namesChanged();
    restart();
}

bool ReadingsChart::lineShown(Line which) const
{
    switch (which) {
    case ImportPower:
    case ExportPower: return true;
    case Input1:
    case Input2: return chkChartInputs->isChecked() && chkChartInputs->isEnabled();
    case Gas: return chkChartGas->isChecked();
    case LineCount: break;
    }
    return false;
}

void ReadingsChart::namesChanged()
{
    const ReadingsTable& table = grid_.table();
    series_[ImportPower]->setName(QStringLiteral("Import power (W)"));
    series_[ExportPower]->setName(QStringLiteral("Export power (W)"));
    series_[Input1]->setName(table.heading(kFirstInputColumn));
    series_[Input2]->setName(table.heading(kFirstInputColumn + 1));
    series_[Gas]->setName(QStringLiteral("Gas (m\u00B3)"));
}

void ReadingsChart::restart()
{
    for (ChartDecimation& l : lines_)
        l.clear();
    drawnSamples_.fill(-2);
    anyRow_ = false;
    timeFirst_ = timeTo_ = 0;
    chkChartInputs->setEnabled(!grid_.isColumnHidden(kFirstInputColumn));
    if (isVisible())
        redraw();
    else
        stale_ = true;
}

void ReadingsChart::rowsAdded(int first, int last)
{
    const ReadingsTable& table = grid_.table();
    for (int r = first; r <= last; ++r) {
        const device::ReadingRow& row = table.row(r);
        if (!anyRow_)
            firstMsecs_ = row.takenAtMsecs;
        lastMsecs_ = row.takenAtMsecs;
        anyRow_ = true;
        const double x = static_cast<double>(row.takenAtMsecs);
        for (int i = 0; i < LineCount; ++i) {
            const std::optional<double> y = readingFieldValue(row, kFieldOfLine[static_cast<size_t>(i)]);
            if (y && std::isfinite(*y))
                lines_[static_cast<size_t>(i)].add(x, *y);
        }
    }
    if (isVisible())
        redraw();
    else
        stale_ = true;
}

void ReadingsChart::picksChanged()
{
    if (isVisible())
        redraw();
    else
        stale_ = true;
}

void ReadingsChart::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (stale_)
        redraw();
}

void ReadingsChart::redraw()
{
    stale_ = false;
    for (int i = 0; i < LineCount; ++i) {
        const size_t at = static_cast<size_t>(i);
        QLineSeries* s = series_[at];
        const bool shown = lineShown(static_cast<Line>(i));
        // Every change of a line makes the chart recompute all its points: a line is handed over
        // only when it got a sample since it was last drawn, and a line that is off not at all
        // (its samples wait in the thinning until it is picked).
        const qsizetype samples = shown ? lines_[at].sampleCount() : -1;
        if (samples != drawnSamples_[at]) {
            s->replace(shown ? lines_[at].points() : QList<QPointF>());
            drawnSamples_[at] = samples;
        }
        if (s->isVisible() != shown) {
            s->setVisible(shown);
            for (QLegendMarker* marker : chart_->legend()->markers(s))
                marker->setVisible(shown);
        }
    }
    inputAxis_->setVisible(lineShown(Input1));
    gasAxis_->setVisible(lineShown(Gas));
    scaleTimeAxis();
    scaleValueAxis(powerAxis_, {ImportPower, ExportPower}, true);
    if (lineShown(Input1))
        scaleValueAxis(inputAxis_, {Input1, Input2}, false);
    if (lineShown(Gas))
        scaleValueAxis(gasAxis_, {Gas}, false);
}

void ReadingsChart::scaleValueAxis(QValueAxis* axis, std::initializer_list<Line> of, bool includeZero)
{
    bool any = false;
    double low = 0;
    double high = 0;
    for (Line which : of) {
        const ChartDecimation& l = lines_[static_cast<size_t>(which)];
        if (l.isEmpty())
            continue;
        low = any ? std::min(low, l.minY()) : l.minY();
        high = any ? std::max(high, l.maxY()) : l.maxY();
        any = true;
    }
    const AxisScale scale = niceAxisScale(low, high, kValueTicks, includeZero);
    // A new range lays the whole chart out again; most polls stay within the one there is.
    if (axis->min() == scale.low && axis->max() == scale.high && axis->tickCount() == scale.tickCount)
        return;
    axis->setRange(scale.low, scale.high);
    axis->setTickCount(scale.tickCount);
    axis->setLabelFormat(labelFormatFor(scale.step));
}

void ReadingsChart::scaleTimeAxis()
{
    const qint64 first = anyRow_ ? firstMsecs_ : QDateTime::currentMSecsSinceEpoch();
    const qint64 last = anyRow_ ? lastMsecs_ : first;
    // The axis ends a step after the newest reading, so it is laid out again only when a reading
    // passes its end, not at every poll.
    if (anyRow_ && first == timeFirst_ && last < timeTo_)
        return;
    const TimeScale scale =
        niceTimeScale(first, last, kTimeTicks, QDateTime::fromMSecsSinceEpoch(last).offsetFromUtc());
    timeFirst_ = first;
    timeTo_ = scale.toMsecs;
    const qint64 span = scale.toMsecs - scale.fromMsecs;
    timeAxis_->setFormat(span >= kDayMsecs          ? QStringLiteral("dd-MM HH:mm")
                         : scale.stepMsecs < kMinuteMsecs ? QStringLiteral("HH:mm:ss")
                                                          : QStringLiteral("HH:mm"));
    timeAxis_->setTickCount(scale.tickCount);
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(scale.fromMsecs), QDateTime::fromMSecsSinceEpoch(scale.toMsecs));
}

} // namespace view
