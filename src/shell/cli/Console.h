#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace shell::cli {

// Where qmr51ctl talks: results on standard output, messages and progress on standard error,
// answers to its questions from standard input.
class Console {
public:
    virtual ~Console() = default;
    // Bytes for standard output, as they are.
    virtual void out(const QByteArray& bytes) = 0;
    // One message line for standard error (the line end is added).
    virtual void err(const QString& line) = 0;
    // A progress line on standard error that the next one overwrites; an empty text ends it.
    // Only called when standard error is a terminal.
    virtual void progress(const QString& line) = 0;
    // Several progress lines (one per unit of a production line) that the next block overwrites;
    // an empty block leaves the last one standing. Only called when standard error is a terminal.
    virtual void progressBlock(const QStringList& lines) { progress(lines.join(QStringLiteral(" | "))); }
    virtual bool outIsTerminal() const = 0;
    virtual bool errIsTerminal() const = 0;
    virtual bool inIsTerminal() const = 0;
    // A line typed on standard input, without its line end; nothing at the end of the input.
    virtual std::optional<QString> readLine() = 0;
};

// The process's own standard streams.
class StdConsole : public Console {
public:
    void out(const QByteArray& bytes) override;
    void err(const QString& line) override;
    void progress(const QString& line) override;
    void progressBlock(const QStringList& lines) override;
    bool outIsTerminal() const override;
    bool errIsTerminal() const override;
    bool inIsTerminal() const override;
    std::optional<QString> readLine() override;

private:
    bool progressShown_ = false;
    int blockLines_ = 0;
};

} // namespace shell::cli
