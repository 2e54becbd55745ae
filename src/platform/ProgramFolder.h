#pragma once
#include <QString>

namespace platform {

// The tool's own folder, where it keeps ports/ (COM<n> links, Linux), DATA/ (module images),
// the temporary files of running downloads and the esptool scripts. It is the executable's folder when that is writable (a copy
// unpacked in the user's home, or in any folder on Windows), otherwise the per-user data folder,
// which is created: $XDG_DATA_HOME/qmr51-visualisation on Linux (an installed copy in /usr/bin),
// %LOCALAPPDATA%\qmr51-visualisation on Windows (an installed copy in C:\Program Files). An
// explicit folder given on the command line wins. Linux: ProgramFolder.cpp, Windows: windows/.
QString resolveProgramFolder(const QString& executableFolder, const QString& overrideFolder);

} // namespace platform
