#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace firmware {

// What esptool has said so far, read as it arrives in pieces. esptool writes its progress as
// "Writing at 0x00010000... (3 %)" lines, ended by '\n' or, on a terminal, by '\r' so the line
// is overwritten; both end a line here. A piece may end in the middle of a line: that part is
// kept until the rest comes.
class EsptoolOutput {
public:
    void take(const QByteArray& piece);

    // The last percentage esptool printed, "(45 %)" or "45%", 0 .. 100; nothing before the first.
    std::optional<int> lastPercent() const { return lastPercent_; }
    // The last line that is not blank (a line still being written counts), trimmed.
    QString lastLine() const;
    // The line that says why esptool gave up ("A fatal error occurred: ..."), or empty.
    QString fatalLine() const { return fatalLine_; }
    // Up to `count` of the last non-blank lines, oldest first.
    QStringList lastLines(int count) const;

private:
    void takeLine(const QString& line);

    static constexpr int kKeptLines = 20;
    QByteArray partial_;
    QStringList lines_;
    std::optional<int> lastPercent_;
    QString fatalLine_;
};

} // namespace firmware
