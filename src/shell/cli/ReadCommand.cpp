// read: the readings poll of the window, printed as the grid shows them, as its CSV export writes
// them, or as one JSON object per reading.
#include "device/ReadBackRecord.h"
#include "device/SettingsLimits.h"
#include "shell/cli/Commands.h"
#include "shell/cli/DeviceLine.h"
#include "shell/cli/ExitCode.h"
#include "view/DeviceColumns.h"
#include "view/GridColumns.h"
#include "view/ReadingFormat.h"
#include "view/ReadingsCsv.h"
#include "device/ReadingsDecoder.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cmath>

namespace shell::cli {

namespace {

constexpr std::chrono::milliseconds kWaitPass{100};

// The fields of one CSV line (RFC 4180: a quoted field has its quotes doubled).
QStringList csvFields(const QString& line)
{
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line.at(i);
        if (quoted && ch == u'"' && i + 1 < line.size() && line.at(i + 1) == u'"') {
            fields.last().append(ch);
            ++i;
        } else if (ch == u'"') {
            quoted = !quoted;
        } else if (ch == u',' && !quoted) {
            fields.append(QString());
        } else {
            fields.last().append(ch);
        }
    }
    return fields;
}

// A reading as JSON, made from its CSV line so that both carry the very same numbers.
QByteArray jsonLine(const QStringList& header, const QStringList& fields)
{
    QJsonObject object;
    for (qsizetype i = 0; i < header.size() && i < fields.size(); ++i) {
        const QString& name = header[i];
        const QString& value = fields[i];
        if (i < 3) {
            static const char* const kFirst[] = {"time", "utcOffset", "status"};
            object.insert(QLatin1String(kFirst[i]), value.isEmpty() && i == 2 ? QJsonValue() : QJsonValue(value));
            continue;
        }
        bool number = false;
        const double v = value.toDouble(&number);
        object.insert(name, value.isEmpty() ? QJsonValue() : number && std::isfinite(v) ? QJsonValue(v) : QJsonValue(value));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

class ReadingsPrinter {
public:
    ReadingsPrinter(Context& c, device::DeviceKind kind) : c_(c), columns_(view::deviceColumns(kind))
    {
        for (int column : columns_)
            one_.setHeading(column, view::deviceColumnHeading(kind, column));
    }

    void print(const device::ReadingRow& row)
    {
        one_.clear();
        one_.append(row);
        const QStringList lines = QString::fromUtf8(view::readingsCsv(one_, columns_)).split(QStringLiteral("\r\n"));
        const QString& format = c_.options.json ? QStringLiteral("json") : c_.options.format;
        if (format == QLatin1String("csv")) {
            c_.print((first_ ? lines[0] + QStringLiteral("\r\n") : QString()) + lines[1] + QStringLiteral("\r\n"));
        } else if (format == QLatin1String("json")) {
            c_.env.console.out(jsonLine(csvFields(lines[0]), csvFields(lines[1])));
        } else {
            if (first_)
                c_.print(textLine(csvFields(lines[0]), [](int, const QString& name) { return name; }));
            c_.print(textLine({}, [&](int column, const QString&) { return one_.cellText(0, column); }));
        }
        first_ = false;
    }

private:
    // Date, time and every quantity column the kind shows, tab-separated: the grid's own texts.
    template <typename Cell>
    QString textLine(const QStringList& csvHeader, Cell cell)
    {
        QStringList out{cell(view::kDateColumn, QStringLiteral("Date")), cell(view::kTimeColumn, QStringLiteral("Time"))};
        int csvIndex = 3;
        for (int column : columns_) {
            if (view::csvColumnName(column, one_.heading(column)).isEmpty())
                continue;
            out.append(cell(column, csvHeader.value(csvIndex++)));
        }
        return out.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }

    Context& c_;
    QList<int> columns_;
    view::ReadingsTable one_;
    bool first_ = true;
};

// The tariff is named by the country: the one chosen, or the one of the device's protocol.
std::pair<bool, bool> country(const QString& chosen, int protocolPosition)
{
    if (chosen == QLatin1String("nl"))
        return {true, false};
    if (chosen == QLatin1String("be"))
        return {false, true};
    if (chosen == QLatin1String("none"))
        return {false, false};
    const device::TariffCountry implied = device::tariffCountryOfProtocol(protocolPosition);
    return {implied.nederland, implied.belgie};
}

} // namespace

int readCommand(Context& c)
{
    if (!c.options.words.isEmpty())
        return c.fail(kUsageError, QStringLiteral("read takes no word %1").arg(c.options.words.first()));
    const int interruptedBefore = c.env.interruptions();
    DeviceLine line(c);
    if (const int failed = line.connect())
        return failed;
    device::Session& s = line.session();
    const device::DeviceKind kind = *s.kind();
    const device::SettingsRecord settings = device::readBackRecord(s.settingsAnswer(), kind);
    const auto [nederland, belgie] = country(c.options.country, settings.protocolPosition);
    // The window polls at the device's refresh interval.
    const double interval = c.options.intervalSeconds.value_or(settings.intervalSeconds);
    ReadingsPrinter printer(c, kind);
    int failedPolls = 0;
    for (int n = 0; !c.options.count || n < *c.options.count; ++n) {
        if (n > 0) {
            const double until = c.env.clock.elapsedSeconds() + interval;
            while (c.env.clock.elapsedSeconds() < until && !c.interruptedSince(interruptedBefore))
                c.env.pump.pause(kWaitPass);
        }
        if (c.interruptedSince(interruptedBefore))
            break;
        const device::ReadingRow row = s.poll(nederland, belgie);
        if (s.state() == device::Session::State::LineLost)
            return c.fail(kDeviceFailure, QStringLiteral("The line to %1 failed: the device is gone.").arg(line.portName()));
        printer.print(row);
        // Statuses 1 ... 3 are the module's own answers; anything else means no answer came.
        if (row.status > 3) {
            ++failedPolls;
            c.message(QStringLiteral("No readings came back (status %1).").arg(row.status));
        }
    }
    if (failedPolls > 0)
        return c.fail(kDeviceFailure, QStringLiteral("%1 of the readings requests got no answer.").arg(failedPolls));
    return kSuccess;
}

} // namespace shell::cli
