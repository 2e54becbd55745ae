#pragma once
#include <QString>

namespace platform {

// The tool's own folder, where it keeps ports/ (COM<n> links), DATA/ (module images), the
// temporary files of running downloads and the esptool scripts. It is the executable's folder when that is writable (a copy unpacked in
// the user's home), otherwise the per-user data folder $XDG_DATA_HOME/qmr51-visualisation, which is
// created (an installed copy in /usr/bin). An explicit folder given on the command line wins.
QString resolveProgramFolder(const QString& executableFolder, const QString& overrideFolder);

} // namespace platform
