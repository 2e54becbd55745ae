#include "firmware/EsptoolOutput.h"
#include <QRegularExpression>

namespace firmware {

namespace {
const QRegularExpression& percentPattern()
{
    static const QRegularExpression pattern(QStringLiteral("(\\d{1,3})\\s?%"));
    return pattern;
}
} // namespace

void EsptoolOutput::take(const QByteArray& piece)
{
    partial_ += piece;
    qsizetype start = 0;
    for (qsizetype i = 0; i < partial_.size(); ++i) {
        const char c = partial_.at(i);
        if (c != '\n' && c != '\r')
            continue;
        takeLine(QString::fromLocal8Bit(partial_.mid(start, i - start)));
        start = i + 1;
    }
    partial_.remove(0, start);
    // A line still being written can already carry a percentage worth showing.
    if (!partial_.isEmpty()) {
        const QRegularExpressionMatch match = percentPattern().match(QString::fromLocal8Bit(partial_));
        if (match.hasMatch() && match.captured(1).toInt() <= 100)
            lastPercent_ = match.captured(1).toInt();
    }
}

void EsptoolOutput::takeLine(const QString& raw)
{
    const QString line = raw.trimmed();
    if (line.isEmpty())
        return;
    lines_.append(line);
    if (lines_.size() > kKeptLines)
        lines_.removeFirst();
    if (line.contains(QLatin1String("A fatal error occurred")))
        fatalLine_ = line;
    QRegularExpressionMatchIterator matches = percentPattern().globalMatch(line);
    while (matches.hasNext()) {
        const int value = matches.next().captured(1).toInt();
        if (value <= 100)
            lastPercent_ = value;
    }
}

QString EsptoolOutput::lastLine() const
{
    const QString pending = QString::fromLocal8Bit(partial_).trimmed();
    if (!pending.isEmpty())
        return pending;
    return lines_.isEmpty() ? QString() : lines_.back();
}

QStringList EsptoolOutput::lastLines(int count) const
{
    QStringList all = lines_;
    const QString pending = QString::fromLocal8Bit(partial_).trimmed();
    if (!pending.isEmpty())
        all.append(pending);
    return all.mid(std::max<qsizetype>(0, all.size() - count));
}

} // namespace firmware
