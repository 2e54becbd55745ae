#include "shell/cli/PortChoice.h"
#include "platform/PortNumbering.h"
#include <QFileInfo>
#include <algorithm>

namespace shell::cli {

QList<platform::NumberedPort> PortChoice::ports()
{
    QList<platform::NumberedPort> all = machine_.ports();
    if (extra_) {
        all.append(*extra_);
        std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.portNumber < b.portNumber; });
    }
    return all;
}

QString PortChoice::devicePath(int portNumber)
{
    if (extra_ && extra_->portNumber == portNumber)
        return extra_->devicePath;
    return machine_.devicePath(portNumber);
}

std::optional<int> PortChoice::numberOfPath(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return std::nullopt;
    const QList<platform::NumberedPort> listed = ports();
    for (const platform::NumberedPort& p : listed) {
        if (QFileInfo(p.devicePath).canonicalFilePath() == canonical)
            return p.portNumber;
    }
    for (int n = platform::kLowestPortNumber; n <= platform::kHighestPortNumber; ++n) {
        if (std::none_of(listed.begin(), listed.end(), [n](const auto& p) { return p.portNumber == n; })) {
            extra_ = platform::NumberedPort{n, canonical, {}};
            return n;
        }
    }
    return std::nullopt;
}

} // namespace shell::cli
