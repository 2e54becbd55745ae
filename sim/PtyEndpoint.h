#pragma once
#include <QString>

namespace sim {

// The device's end of a pseudo-terminal. The tool opens the other end (the slave, /dev/pts/N)
// as its serial port. The endpoint keeps a slave descriptor of its own open for its whole life:
// without one, the master reports a hang-up each time the tool closes its port, and the line
// settings would fall back to cooked mode (echo) between two opens.
class PtyEndpoint {
public:
    PtyEndpoint() = default;
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;
    ~PtyEndpoint();

    // Creates the pseudo-terminal in raw mode, master non-blocking. False with error() set.
    bool open();
    // Closes both ends held here; a tool that has the slave open sees a hang-up. Removes the
    // link made by createLink() when it still points here.
    void close();

    bool isOpen() const { return master_ >= 0; }
    int masterDescriptor() const { return master_; }
    QString slavePath() const { return slavePath_; }
    QString error() const { return error_; }

    // Makes linkPath a symbolic link to the slave (creating its folder, replacing an old link),
    // the way a technician names a port COM<n> in the tool's ports folder.
    bool createLink(const QString& linkPath);

private:
    bool fail(const QString& what);

    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString linkPath_;
    QString error_;
};

} // namespace sim
