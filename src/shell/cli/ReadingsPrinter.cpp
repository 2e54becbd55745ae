#include "shell/cli/ReadingsPrinter.h"
#include "device/ReadingsDecoder.h"
#include "view/DeviceColumns.h"
#include "view/GridColumns.h"
#include "view/ReadingFormat.h"
#include "view/ReadingsCsv.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace shell::cli {

namespace {

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
QByteArray jsonLine(const QStringList& header, const QStringList& fields, const QString& port)
{
    QJsonObject object;
    if (!port.isEmpty())
        object.insert(QLatin1String("port"), port);
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

} // namespace

ReadingsPrinter::ReadingsPrinter(Context& c, device::DeviceKind kind, const QString& port)
    : c_(c), columns_(view::deviceColumns(kind)), port_(port)
{
    for (int column : columns_)
        one_.setHeading(column, view::deviceColumnHeading(kind, column));
}

void ReadingsPrinter::print(const device::ReadingRow& row)
{
    one_.clear();
    one_.append(row);
    const QStringList lines = QString::fromUtf8(view::readingsCsv(one_, columns_)).split(QStringLiteral("\r\n"));
    const QString& format = c_.options.json ? QStringLiteral("json") : c_.options.format;
    const QString lead = port_.isEmpty() ? QString() : port_ + QLatin1Char(',');
    if (format == QLatin1String("csv")) {
        c_.print((first_ ? (port_.isEmpty() ? QString() : QStringLiteral("Port,")) + lines[0] + QStringLiteral("\r\n") : QString())
                 + lead + lines[1] + QStringLiteral("\r\n"));
    } else if (format == QLatin1String("json")) {
        c_.env.console.out(jsonLine(csvFields(lines[0]), csvFields(lines[1]), port_));
    } else {
        if (first_)
            c_.print(textLine(csvFields(lines[0]), [](int, const QString& name) { return name; }));
        c_.print(textLine({}, [&](int column, const QString&) { return one_.cellText(0, column); }));
    }
    first_ = false;
}

// Date, time and every quantity column the kind shows, tab-separated: the grid's own texts.
template <typename Cell>
QString ReadingsPrinter::textLine(const QStringList& csvHeader, Cell cell)
{
    QStringList out{cell(view::kDateColumn, QStringLiteral("Date")), cell(view::kTimeColumn, QStringLiteral("Time"))};
    if (!port_.isEmpty())
        out.prepend(csvHeader.isEmpty() ? port_ : QStringLiteral("Port"));
    int csvIndex = 3;
    for (int column : columns_) {
        if (view::csvColumnName(column, one_.heading(column)).isEmpty())
            continue;
        out.append(cell(column, csvHeader.value(csvIndex++)));
    }
    return out.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

std::pair<bool, bool> tariffCountry(const QString& chosen, int protocolPosition)
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

} // namespace shell::cli
