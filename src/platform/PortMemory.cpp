#include "platform/PortMemory.h"
#include "platform/WholeFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace platform {

namespace {

constexpr qint64 kLargestMemoryBytes = 64 * 1024; // 64 adapters take about 6 KB

std::optional<RememberedAdapter> adapterOf(const QJsonValue& value)
{
    static const QRegularExpression usb(QStringLiteral("^[0-9a-f]{4}:[0-9a-f]{4}$"));
    const QJsonObject o = value.toObject();
    const QJsonValue number = o.value(QLatin1String("com"));
    const QString by = o.value(QLatin1String("by")).toString();
    RememberedAdapter a{number.toInt(), o.value(QLatin1String("usb")).toString(), o.value(QLatin1String("serial")).toString(),
                        o.value(QLatin1String("location")).toString(), by == QLatin1String("serial")};
    const bool known = number.isDouble() && number.toDouble() == a.portNumber && a.portNumber >= 1 && a.portNumber <= 255
        && usb.match(a.vendorProduct).hasMatch() && (by == QLatin1String("serial") || by == QLatin1String("location"))
        && !(a.bySerial ? a.serialNumber : a.location).isEmpty();
    return known ? std::optional(a) : std::nullopt;
}

} // namespace

std::optional<QList<RememberedAdapter>> parsePortMemory(const QByteArray& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue list = document.object().value(QLatin1String("adapters"));
    if (!list.isArray())
        return std::nullopt;
    QList<RememberedAdapter> adapters;
    for (const QJsonValue& entry : list.toArray()) {
        const std::optional<RememberedAdapter> a = adapterOf(entry);
        if (!a)
            return std::nullopt;
        if (adapters.size() < kRememberedAdapters)
            adapters.append(*a);
    }
    return adapters;
}

QByteArray portMemoryText(const QList<RememberedAdapter>& adapters)
{
    QJsonArray list;
    for (const RememberedAdapter& a : adapters) {
        list.append(QJsonObject{{QStringLiteral("com"), a.portNumber},
                                {QStringLiteral("usb"), a.vendorProduct},
                                {QStringLiteral("serial"), a.serialNumber},
                                {QStringLiteral("location"), a.location},
                                {QStringLiteral("by"), a.bySerial ? QStringLiteral("serial") : QStringLiteral("location")}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("adapters"), list}}).toJson(QJsonDocument::Indented);
}

QString portMemoryPath(const QString& programFolder) { return QDir(programFolder).filePath(QStringLiteral("port-numbers.json")); }

LoadedPortMemory loadPortMemory(const QString& path)
{
    QFile file(path);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return {};
    std::optional<QList<RememberedAdapter>> adapters;
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly)) {
        const QByteArray text = file.read(kLargestMemoryBytes + 1);
        if (text.size() <= kLargestMemoryBytes)
            adapters = parsePortMemory(text);
        file.close();
    }
    if (adapters)
        return {*adapters, {}};
    const QString aside = path + QStringLiteral(".damaged");
    QFile::remove(aside);
    const bool moved = QFile::rename(path, aside);
    return {{}, moved ? QStringLiteral("The remembered COM numbers in %1 could not be read; the file was set aside as %2 "
                                       "and the adapters are numbered afresh.").arg(path, aside)
                      : QStringLiteral("The remembered COM numbers in %1 could not be read, nor the file set aside; "
                                       "the adapters are numbered afresh.").arg(path)};
}

QString savePortMemory(const QString& path, const QList<RememberedAdapter>& adapters)
{
    return saveWholeFile(path, portMemoryText(adapters.mid(0, kRememberedAdapters)));
}

} // namespace platform
