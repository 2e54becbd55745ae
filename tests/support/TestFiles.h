#pragma once
// Files a test prepares or reads back, and a bounded wait for what another program does.
#include <QFile>
#include <chrono>
#include <thread>

namespace fakes {

// The whole content; empty when the file cannot be read.
inline QByteArray readFile(const QString& path) { QFile f(path); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(); }

// Written whole and closed on return (a program still open for writing cannot be started);
// `executable` adds the owner's permission to run it.
inline bool writeFile(const QString& path, const QByteArray& content, bool executable = false)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size()
           && (!executable || f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
}

// True once `condition` holds. The limit is a bound, not an expectation: a program or a transfer
// that never ends must fail the test instead of hanging it.
template <typename Condition>
bool eventually(Condition condition, std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!condition() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

} // namespace fakes
