#include "shell/cli/Console.h"
#include <cstdio>
#include <string>
#include <unistd.h>

namespace shell::cli {

void StdConsole::out(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    // A script reading a long `read` sees every line as it comes.
    std::fflush(stdout);
}

void StdConsole::err(const QString& line)
{
    progress({});
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void StdConsole::progress(const QString& line)
{
    if (line.isEmpty()) {
        if (progressShown_)
            std::fputs("\r\033[K", stderr);
        progressShown_ = false;
    } else {
        std::fprintf(stderr, "\r\033[K%s", line.toLocal8Bit().constData());
        progressShown_ = true;
    }
    std::fflush(stderr);
}

void StdConsole::progressBlock(const QStringList& lines)
{
    if (lines.isEmpty()) {
        blockLines_ = 0;
        return;
    }
    // Back to the first line of the block drawn before, then every line afresh.
    if (blockLines_ > 0)
        std::fprintf(stderr, "\r\033[%dA", blockLines_);
    for (const QString& line : lines)
        std::fprintf(stderr, "\r\033[K%s\n", line.toLocal8Bit().constData());
    blockLines_ = static_cast<int>(lines.size());
    std::fflush(stderr);
}

bool StdConsole::outIsTerminal() const { return ::isatty(STDOUT_FILENO) == 1; }

bool StdConsole::errIsTerminal() const { return ::isatty(STDERR_FILENO) == 1; }

bool StdConsole::inIsTerminal() const { return ::isatty(STDIN_FILENO) == 1; }

std::optional<QString> StdConsole::readLine()
{
    std::string line;
    int c = 0;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
        line.push_back(static_cast<char>(c));
    if (c == EOF && line.empty())
        return std::nullopt;
    return QString::fromLocal8Bit(line.c_str()).trimmed();
}

} // namespace shell::cli
